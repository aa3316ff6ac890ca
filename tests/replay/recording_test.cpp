// Recordings of real games: written through the platform's input tap, read
// back, played back on another clock, cut short and damaged.
#include "recording/Recording.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

#include "Trace.h"
#include "frame/RunGame.h"
#include "platform/headless/HeadlessPlatform.h"
#include "recording/Fingerprint.h"
#include "recording/RecordedInput.h"

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

// A clock that moves: every reading differs, so the seed the start screen
// takes from it is not the replay's fixed one.
class MovingClock : public HeadlessPlatform {
 protected:
  double readTimer() override { return 45000.25 + 0.0546875 * ++readings_; }
  ClockTime readLocalTime() override { return {13, 7, 42, 12, 7, 2026}; }

 private:
  int readings_ = 0;
};

// Opens the file at the first key, as the window does once the start
// screen shows its seed: the start-up's clock readings wait in memory.
struct OpenAtFirstKey : InputTap {
  RecordingWriter& writer;
  std::string path;
  RecordingHeader header;
  OpenAtFirstKey(RecordingWriter& w, std::string p, RecordingHeader h)
      : writer(w), path(std::move(p)), header(std::move(h)) {}
  void onKey(const std::string& key) override {
    if (!writer.recording()) {
      EXPECT_TRUE(writer.start(path, header)) << writer.error();
    }
    writer.onKey(key);
  }
  void onTimer(double reading) override { writer.onTimer(reading); }
  void onLocalTime(const ClockTime& time) override { writer.onLocalTime(time); }
};

struct Played {
  std::vector<std::string> trace;
  std::string page;
};

Played finishPlay(Game& game, TraceRecorder& recorder, const Platform& platform) {
  recorder.finish(game);
  const Screen& screen = platform.screen();
  const auto* page = screen.page(screen.visiblePage());
  return {recorder.lines(), std::string(reinterpret_cast<const char*>(page), Screen::pageSize)};
}

// Walks, fights, casts, dies, restarts with ~ and goes on; one key is an
// arrow (two bytes), which the play loop ignores.
const std::string gameKeys =
    " 228286466688888888888888888888888888888888886h+-+66~ 2222"
    "4444666688882222h1h2h3+-sss";

class RecordedGame : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new fs::path(scratch("game"));
    path_ = new std::string((*dir_ / "game.dwrec").string());
    MovingClock platform;
    platform.setDataRoot(DUSKWARREN_GAME_DIR);
    platform.addKeys(gameKeys.substr(0, 20));
    platform.addKey(std::string("\0H", 2));
    platform.addKeys(gameKeys.substr(20));
    RecordingWriter writer;
    RecordingHeader header;
    header.gameVersion = recordingGameVersion;
    header.seed = 1234;
    header.dataFingerprint = gameFilesFingerprint(DUSKWARREN_GAME_DIR);
    OpenAtFirstKey tap(writer, *path_, header);
    platform.setInputTap(&tap);
    Game game(platform);
    TraceRecorder recorder;
    game.observer = &recorder;
    runGame(game);
    // Before the closing entry the file is what a killed game leaves.
    killed_ = new std::string(slurp(*path_));
    writer.finish("keys");
    original_ = new Played(finishPlay(game, recorder, platform));
    keysWritten_ = writer.keysWritten();
  }
  static void TearDownTestSuite() {
    fs::remove_all(*dir_);
    delete dir_;
    delete path_;
    delete killed_;
    delete original_;
  }

  static fs::path* dir_;
  static std::string* path_;
  static std::string* killed_;
  static Played* original_;
  static std::size_t keysWritten_;
};

fs::path* RecordedGame::dir_ = nullptr;
std::string* RecordedGame::path_ = nullptr;
std::string* RecordedGame::killed_ = nullptr;
Played* RecordedGame::original_ = nullptr;
std::size_t RecordedGame::keysWritten_ = 0;

TEST_F(RecordedGame, PlaysBackToTheSameGameOnAFixedClock) {
  std::string error;
  auto read = readRecordingFile(*path_, error);
  ASSERT_TRUE(read) << error;
  EXPECT_TRUE(read->problem.empty()) << describeStop(*read);
  EXPECT_TRUE(read->complete);
  ASSERT_TRUE(read->header);
  EXPECT_EQ(read->header->seed, 1234);
  EXPECT_EQ(
      recordingMismatch(*read->header, gameRulesVersion, gameFilesFingerprint(DUSKWARREN_GAME_DIR)),
      "");

  std::string keys;
  std::size_t timers = 0, times = 0;
  for (const auto& e : read->events) {
    if (e.kind == RecordedEvent::Kind::key) keys += e.text;
    timers += e.kind == RecordedEvent::Kind::timer;
    times += e.kind == RecordedEvent::Kind::localTime;
  }
  // Every key the game read, the arrow's two bytes included; the start-up
  // read the clock before the file was opened, and those readings are there.
  EXPECT_EQ(keysWritten_, gameKeys.size() + 1);
  EXPECT_EQ(keys, gameKeys.substr(0, 20) + std::string("\0H", 2) + gameKeys.substr(20));
  EXPECT_GE(timers, 2u);
  EXPECT_GE(times, 2u);

  HeadlessPlatform platform({}, 0.0);
  platform.setDataRoot(DUSKWARREN_GAME_DIR);
  RecordedInput input(read->events);
  while (auto key = input.nextKey()) platform.addKey(*key);
  platform.setClockFeed(&input);
  Game game(platform);
  TraceRecorder recorder;
  game.observer = &recorder;
  runGame(game);
  Played again = finishPlay(game, recorder, platform);
  ASSERT_EQ(again.trace.size(), original_->trace.size());
  EXPECT_EQ(compareTraces(original_->trace, again.trace), "");
  EXPECT_TRUE(again.page == original_->page);
  EXPECT_EQ(platform.timeText(), "13:07:42");
  // The seed came from the moving clock, not from the fixed one.
  EXPECT_EQ(original_->trace.front().find("\"seed\":0,"), std::string::npos);
}

TEST_F(RecordedGame, AKilledGameKeepsEveryKeyItRead) {
  RecordingRead read = parseRecording(*killed_);
  EXPECT_TRUE(read.problem.empty()) << describeStop(read);
  EXPECT_FALSE(read.complete);
  std::size_t keys = 0;
  for (const auto& e : read.events) keys += e.kind == RecordedEvent::Kind::key;
  EXPECT_EQ(keys, gameKeys.size() + 1);
  // A second game never writes over a recording that is there.
  RecordingWriter other;
  EXPECT_FALSE(other.start(*path_, RecordingHeader{}));
  EXPECT_NE(other.error().find("game.dwrec"), std::string::npos);
  EXPECT_EQ(slurp(*path_).substr(0, killed_->size()), *killed_);
}

TEST_F(RecordedGame, ACutFilePlaysToItsLastWholeEntryAndSaysWhere) {
  const std::string whole = slurp(*path_);
  const RecordingRead full = parseRecording(whole);
  for (std::size_t cut = 0; cut < whole.size(); ++cut) {
    RecordingRead read = parseRecording(std::string_view(whole).substr(0, cut));
    std::size_t lineStart = whole.rfind('\n', cut == 0 ? 0 : cut - 1);
    lineStart = (cut == 0 || lineStart == std::string::npos) ? 0 : lineStart + 1;
    std::size_t lines = static_cast<std::size_t>(
        std::count(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(lineStart), '\n'));
    if (cut > 0 && whole[cut - 1] == '\n') {
      ASSERT_TRUE(read.problem.empty()) << describeStop(read);
    } else {
      ASSERT_EQ(describeStop(read),
                "stopped at entry " + std::to_string(lines) + " (byte " +
                    std::to_string(lineStart) +
                    "): " + (cut == 0 ? "the file is empty" : "the file ends inside an entry"));
    }
    ASSERT_EQ(read.header.has_value(), lines > 0) << cut;
    ASSERT_EQ(read.events.size(), lines > 0 ? lines - 1 : 0) << cut;
    ASSERT_TRUE(std::equal(read.events.begin(), read.events.end(), full.events.begin())) << cut;
    ASSERT_FALSE(read.complete);
  }
  EXPECT_EQ(describeStop(parseRecording(whole.substr(0, whole.size() - 3))),
            "stopped at entry " + std::to_string(full.events.size()) + " (byte " +
                std::to_string(whole.rfind('\n', whole.size() - 2) + 1) +
                "): the file ends inside an entry");
}

TEST_F(RecordedGame, ADamagedEntryEndsThePlayJustBeforeIt) {
  const std::string whole = slurp(*path_);
  const RecordingRead full = parseRecording(whole);
  // Every byte of the header and of three entries, flipped in turn.
  std::vector<std::size_t> starts{0};
  for (std::size_t pos = 0, line = 0; (pos = whole.find('\n', pos)) != std::string::npos; ++pos) {
    if (++line == 5 || line == 40 || line == 80) starts.push_back(pos + 1);
  }
  ASSERT_EQ(starts.size(), 4u);
  for (std::size_t start : starts) {
    std::size_t end = whole.find('\n', start);
    std::size_t entry = static_cast<std::size_t>(
        std::count(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(start), '\n'));
    for (std::size_t at = start; at <= end; ++at) {
      for (char flip : {'\x01', '\x20', '\x40'}) {
        std::string damaged = whole;
        damaged[at] = static_cast<char>(damaged[at] ^ flip);
        RecordingRead read = parseRecording(damaged);
        ASSERT_FALSE(read.problem.empty()) << at;
        ASSERT_EQ(read.stopEntry, entry) << at;
        ASSERT_EQ(read.stopOffset, start) << at;
        ASSERT_EQ(read.events.size(), entry == 0 ? 0 : entry - 1) << at;
        ASSERT_TRUE(std::equal(read.events.begin(), read.events.end(), full.events.begin()));
        ASSERT_EQ(read.header.has_value(), entry > 0);
      }
    }
  }
  // A file whose line endings were converted says so.
  std::string crlf;
  for (char c : whole) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  EXPECT_EQ(describeStop(parseRecording(crlf)),
            "stopped at entry 0 (byte 0): its lines end in CR LF, not LF: it was changed after "
            "it was written");
  // A line taken out breaks the chain at the line after it.
  std::size_t a = starts[2], b = whole.find('\n', a) + 1;
  RecordingRead read = parseRecording(whole.substr(0, a) + whole.substr(b));
  EXPECT_EQ(read.stopOffset, a);
  EXPECT_EQ(read.problem, "an entry is damaged");
  // Something after the closing entry is not played either.
  read = parseRecording(whole + whole.substr(a, b - a));
  EXPECT_TRUE(read.complete);
  EXPECT_EQ(read.stopOffset, whole.size());
  EXPECT_EQ(read.events.size(), full.events.size());
}

// A file far longer than the reader's buffer reads as the same bytes in
// memory do, whole, cut or damaged beyond the first buffers, and a scanner
// set at a point read before goes on from there.
TEST(RecordingScan, AFileReadAsItGoesIsTheSameAsItsBytes) {
  fs::path dir = scratch("long");
  std::string path = (dir / "long.dwrec").string();
  RecordingWriter writer;
  ASSERT_TRUE(writer.start(path, RecordingHeader{}));
  for (int i = 0; i < 40000; ++i) {
    writer.onKey(std::string(1, "2468"[i % 4]));
    if (i % 7 == 0) writer.onTimer(i * 0.25);
  }
  RecordingPoint middle = writer.point();
  for (int i = 0; i < 1000; ++i) writer.onKey("6");
  writer.finish("quit");
  const std::string whole = slurp(path);
  ASSERT_GT(whole.size(), 500000u);
  ASSERT_EQ(middle.keys, 40000u);

  const std::size_t at = 300001;  // inside a line
  std::string damaged = whole;
  damaged[at] = damaged[at] == '6' ? '8' : '6';
  for (const std::string& bytes : {whole, whole.substr(0, at), damaged}) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
    std::string error;
    auto fromFile = readRecordingFile(path, error);
    ASSERT_TRUE(fromFile) << error;
    RecordingRead inMemory = parseRecording(bytes);
    EXPECT_EQ(fromFile->events, inMemory.events);
    EXPECT_EQ(fromFile->problem, inMemory.problem);
    EXPECT_EQ(fromFile->stopOffset, inMemory.stopOffset);
    EXPECT_EQ(fromFile->complete, inMemory.complete);
  }
  EXPECT_EQ(parseRecording(whole.substr(0, at)).problem, "the file ends inside an entry");
  EXPECT_EQ(parseRecording(damaged).problem, "an entry is damaged");

  std::ofstream(path, std::ios::binary | std::ios::trunc) << whole;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  ASSERT_NE(file, nullptr);
  RecordingScanner scanner(file);
  ASSERT_TRUE(scanner.readHeader());
  ASSERT_TRUE(scanner.resumeAt(*scanner.header(), middle));
  std::size_t keys = 0;
  while (const RecordedEvent* event = scanner.next())
    keys += event->kind == RecordedEvent::Kind::key;
  std::fclose(file);
  EXPECT_EQ(keys, 1000u);
  EXPECT_TRUE(scanner.complete());
  EXPECT_EQ(scanner.problem(), "");
  EXPECT_EQ(scanner.point().offset, whole.size());
  fs::remove_all(dir);
}

TEST(RecordingCheck, OtherDataOrAnotherVersionIsNamed) {
  fs::path dir = scratch("data");
  fs::copy(DUSKWARREN_GAME_DIR, dir, fs::copy_options::recursive);
  std::uint64_t shipped = gameFilesFingerprint(DUSKWARREN_GAME_DIR);
  EXPECT_EQ(gameFilesFingerprint(dir.string()), shipped);
  // Files the game never reads do not count.
  std::ofstream(dir / "res" / "notes.txt") << "mine";
  std::ofstream(dir / "readme.dat") << "mine";
  EXPECT_EQ(gameFilesFingerprint(dir.string()), shipped);
  // One byte of one tile does.
  fs::path tile = dir / "tiles" / "064b0808.til";
  std::string bytes = slurp(tile);
  ASSERT_FALSE(bytes.empty());
  bytes.back() = static_cast<char>(bytes.back() ^ 1);
  std::ofstream(tile, std::ios::binary) << bytes;
  std::uint64_t changed = gameFilesFingerprint(dir.string());
  EXPECT_NE(changed, shipped);
  fs::remove(dir / "res" / "rose.dat");
  EXPECT_NE(gameFilesFingerprint(dir.string()), changed);
  fs::remove_all(dir);

  // Another release with the same rules and data plays; other rules do not.
  RecordingHeader header{recordingFormat, "1.2.0", 3, std::nullopt, shipped};
  EXPECT_EQ(recordingMismatch(header, 3, shipped), "");
  EXPECT_EQ(recordingMismatch(header, 4, shipped),
            "it was made with other rules (rules 3, release 1.2.0; this game plays rules 4)");
  EXPECT_EQ(recordingMismatch(header, 3, changed),
            "it was made with other data or tiles (fingerprint " + fingerprintText(shipped) +
                ", these files give " + fingerprintText(changed) + ")");

  // The header's own words for a file that is no recording, or a newer one.
  EXPECT_EQ(parseRecording("PK\x03\x04 zip\n").problem, "this is not a Duskwarren recording");
  std::string future = "dwrec 3 game=9 rules=1 seed=- data=0000000000000000";
  future += " " + fingerprintText(chainChecksum(recordingChainStart, future)).substr(8) + "\n";
  EXPECT_EQ(parseRecording(future).problem,
            "the recording is in format 3, which this game does not read (it reads formats 1 to "
            "2)");

  // A recording made before the rules had a number reads as rules 1, and
  // its header reads back in its own words.
  std::string old = "dwrec 1 game=0.9 seed=7 data=0000000000000001";
  old += " " + fingerprintText(chainChecksum(recordingChainStart, old)).substr(8) + "\n";
  RecordingRead oldRead = parseRecording(old);
  ASSERT_TRUE(oldRead.header) << oldRead.problem;
  EXPECT_EQ(oldRead.header->format, 1);
  EXPECT_EQ(oldRead.header->rules, 1);
  EXPECT_EQ(oldRead.header->seed, 7);
  EXPECT_EQ(recordingMismatch(*oldRead.header, 1, 1), "");
}

}  // namespace
}  // namespace dw

// The browser build writes clock readings without std::to_chars; its text
// must be the desktop's to the byte, or a recording made in the page would
// not read back (the reader takes each entry only in the writer's form).
TEST(RecordingNumbers, TheBrowsersTextOfAClockReadingIsTheDesktops) {
  std::mt19937_64 random(26);
  std::vector<double> values = {0.0,
                                43200.5,
                                1e-05,
                                100000.0,
                                0.0001,
                                1e21,
                                -2.5,
                                86399.999,
                                5e-324,
                                1.7976931348623157e308,
                                123456789012345678.0};
  std::uniform_real_distribution<double> day(0.0, 86400.0);
  for (int i = 0; i < 100000; ++i) values.push_back(std::floor(day(random) * 1000.0) / 1000.0);
  for (int i = 0; i < 100000; ++i) values.push_back(day(random));
  for (int i = 0; i < 100000; ++i) {
    std::uint64_t bits = random();
    double value = 0.0;
    std::memcpy(&value, &bits, sizeof value);
    if (std::isfinite(value)) values.push_back(value);
  }
  for (double value : values) {
    char text[64];
    auto written = std::to_chars(text, text + sizeof text, value);
    ASSERT_EQ(dw::shortestNumberText(value), std::string(text, written.ptr));
  }
}
