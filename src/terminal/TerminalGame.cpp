#include "terminal/TerminalGame.h"

#include <csignal>
#include <iostream>

#include "cli/CommandLine.h"
#include "core/Tiles.h"
#include "platform/terminal/TerminalPlatform.h"
#include "shell/Screenshots.h"
#include "shell/Shell.h"
#include "terminal/TerminalKeys.h"

namespace dw {

namespace {

// The colour depth the player's settings choose over the terminal's own.
std::optional<ColourDepth> chosenColours(const Settings& settings) {
  if (!settings.terminalColours) return std::nullopt;
  if (*settings.terminalColours == 16) return ColourDepth::ansi16;
  if (*settings.terminalColours == 256) return ColourDepth::indexed256;
  return ColourDepth::direct;
}

}  // namespace

void showTilesAsCells(TerminalPlatform& terminal) {
  for (int g = 0; g < 256; ++g) {
    if (auto picture = loadTileImage(terminal, tileFileName(g)))
      terminal.addTilePicture(static_cast<std::uint8_t>(g), *picture);
  }
}

int playInTerminal(const SessionOrder& order) {
  Environment env = processEnvironment();
  Settings settings = readSettings(settingsFile(env));
  // Named before the terminal is taken over; the game tells them too.
  for (const auto& problem : settings.problems) std::cerr << "duskwarren: " << problem << "\n";
  std::string error;
  auto terminal = TerminalPlatform::open(error, chosenColours(settings));
  if (!terminal) {
    std::cerr << "duskwarren: cannot play in this terminal: " << error << "\n";
    return 1;
  }
  terminal->setFrontKeys(terminalKeys());
  showTilesAsCells(*terminal);
  SessionEnd end = runSession(*terminal, env, std::move(settings), order, [env](Shell& shell) {
    shell.setPictureSaver([env](const Screen& screen, int scale) {
      return savePictureForPlayer(screen, scale, env);
    });
  });
  int sig = terminal->endingSignal();
  std::string refused = terminal->refusedFile();
  terminal.reset();  // the terminal as it was
  if (!refused.empty()) std::cerr << "duskwarren: " << refused << "\n";
  for (const std::string& note : end.notes) std::cerr << "duskwarren: " << note << "\n";
  if (!end.refusal.empty()) std::cerr << "duskwarren: " << end.refusal << "\n";
  if (!end.endOfRun.empty()) std::cerr << "duskwarren: " << end.endOfRun << "\n";
  // Ended by Ctrl+C, a hang-up or a termination request: end the way the
  // shell expects of such an ending.
  if (sig != 0) std::raise(sig);
  return refused.empty() ? end.code : cli::exitUsage;
}

}  // namespace dw
