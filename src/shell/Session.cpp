#include "shell/Session.h"

#include <filesystem>
#include <system_error>

#include "platform/SafeWrite.h"
#include "runs/CatchUp.h"
#include "runs/Checkpoint.h"
#include "runs/RunFiles.h"
#include "shell/Shell.h"

namespace dw {

namespace {

// Starts the game on the seed as a player would: "@", the seed and Enter.
void typeSeed(Platform& platform, const std::string& seed) {
  if (seed.empty()) return;
  platform.typeAhead("@");
  for (char c : seed) platform.typeAhead(std::string(1, c));
  platform.typeAhead(std::string(1, enterKey));
}

// Lays the bytes down as a new file; false when they could not all be written.
bool layDown(const std::filesystem::path& path, const std::string& bytes) {
  std::error_code ignored;
  std::filesystem::create_directories(path.parent_path(), ignored);
  return writeWholeFile(path.string(), bytes, WriteKind::cache).empty();
}

// What is wrong with a handed run, from the line the catch-up gives: its
// reason alone, without the file's name or what the command line offers.
std::string handedRunProblem(const std::string& error, const std::string& path) {
  std::string reason = error;
  std::size_t at = reason.find(path + ": ");
  if (at != std::string::npos) reason.erase(0, at + path.size() + 2);
  std::size_t offer = reason.find("; ");
  if (offer != std::string::npos) reason.erase(offer);
  return reason;
}

}  // namespace

SessionEnd runSession(ShellFront& front, Environment env, Settings settings,
                      const SessionOrder& order, const ShellWiring& wiring) {
  if (!order.watch) typeSeed(front.gamePlatform(), order.seed);
  Shell shell(front, std::move(env), std::move(settings));
  if (wiring) wiring(shell);
  SessionEnd end;
  if (order.watch) {
    end.code = shell.watch(*order.watch);
  } else if (!order.continueFile.empty()) {
    end.code = shell.continueRun(order.continueFile, order.force, end.refusal, end.notes);
  } else {
    end.code = shell.play(order.run);
  }
  end.endOfRun = shell.endOfRun();
  end.recording = shell.recordingPath();
  return end;
}

std::optional<CaughtUpRun> catchUpHandedRun(const std::string& text, const std::string& checkpoint,
                                            const std::string& name, const Environment& env,
                                            std::string& refused) {
  if (text.empty()) return std::nullopt;
  const std::filesystem::path folder = recordingsFolder(env);
  const std::string path = (folder / name).string();
  if (!layDown(path, text)) return std::nullopt;
  if (!checkpoint.empty()) layDown(checkpointPathOf(path), checkpoint);
  std::string error;
  std::vector<std::string> notes;
  // Its header first: a run of other rules or data is refused at once.
  bool readable = recordingToContinue(path, folder, false, error, notes).has_value();
  auto run = readable ? catchUpRun(path, false, error) : std::nullopt;
  if (!run) {
    if (!readable || error.find(": damaged at ") != std::string::npos)
      refused = handedRunProblem(error, path);
    removeRun(path);
  }
  return run;
}

std::optional<RecordingToPlay> watchHandedRecording(const std::string& bytes,
                                                    const std::string& name,
                                                    const std::string& folder, std::string& error) {
  const std::filesystem::path path = std::filesystem::path(folder) / name;
  if (!layDown(path, bytes)) {
    error = "cannot keep the recording to watch in " + folder;
    return std::nullopt;
  }
  return readCheckedRecording(path.string(), toWatch, false, error);
}

}  // namespace dw
