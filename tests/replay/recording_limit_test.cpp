// Recordings under a file-size limit (ulimit -f): POSIX behaviour on
// purpose, so this suite carries the label "posix" and stays out of the
// Windows build.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "recording/Recording.h"

namespace dw {
namespace {

namespace fs = std::filesystem;

std::string slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream data;
  data << in.rdbuf();
  return data.str();
}

fs::path scratch(const std::string& name) {
  fs::path dir = fs::temp_directory_path() /
                 ("duskwarren_recording_" + std::to_string(::getpid()) + "_" + name);
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

// Writes a recording of many keys under a file-size limit of `limitBytes`;
// returns the writer's error.
std::string recordUnderLimit(const fs::path& path, rlim_t limitBytes) {
  RecordingWriter writer;
  RecordingHeader header{recordingFormat, "1.0.0", 42, 0x0123456789abcdefull};
  rlimit before{};
  getrlimit(RLIMIT_FSIZE, &before);
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limited = before;
  limited.rlim_cur = limitBytes;
  setrlimit(RLIMIT_FSIZE, &limited);
  writer.onTimer(45296.015625);
  if (writer.start(path.string(), header)) {
    for (int i = 0; i < 400; ++i)
      writer.onKey(std::string(1 + i % 2, static_cast<char>('a' + i % 26)));
    writer.finish("quit");
  }
  setrlimit(RLIMIT_FSIZE, &before);
  std::signal(SIGXFSZ, previous);
  return writer.error();
}

// A full disk or a size limit ends the recording, never the game: what was
// written stays whole entries, the broken last one is cut off, and a file
// that could not take its first entries is not left behind.
TEST(RecordingWriter, AFailedWriteKeepsWholeEntriesOrNoFile) {
  fs::path dir = scratch("limit");
  for (rlim_t limit : {rlim_t{0}, rlim_t{40}, rlim_t{1000}, rlim_t{1001}, rlim_t{2047}}) {
    fs::path path = dir / ("limit-" + std::to_string(limit) + ".dwrec");
    std::string error = recordUnderLimit(path, limit);
    EXPECT_NE(error.find("the file-size limit is reached"), std::string::npos) << error;
    if (limit < 80) {
      EXPECT_FALSE(fs::exists(path)) << limit;
      continue;
    }
    std::string bytes = slurp(path);
    EXPECT_LE(bytes.size(), limit);
    RecordingRead read = parseRecording(bytes);
    EXPECT_EQ(read.problem, "") << limit;
    ASSERT_TRUE(read.header) << limit;
    EXPECT_FALSE(read.complete);
    EXPECT_GT(read.events.size(), 10u);
  }
  fs::remove_all(dir);
}

}  // namespace
}  // namespace dw
