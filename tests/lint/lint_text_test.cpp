// How the checker reads data files: line endings, lines and keys, numbers,
// and how it reports.
#include <gtest/gtest.h>

#include "DataText.h"
#include "Report.h"
#include "core/KeyValue.h"
#include "core/NumberText.h"

namespace dw::lint {
namespace {

std::vector<std::string> formatted(Report& report) {
  report.finish();
  std::vector<std::string> lines;
  for (const Finding& finding : report.findings()) lines.push_back(formatFinding(finding));
  return lines;
}

std::vector<std::string> lineEndingFindings(std::string_view bytes) {
  Report report;
  checkLineEndings("f.dat", bytes, report);
  return formatted(report);
}

TEST(LineEndings, CrLfFilesPassAndOthersSayWhatTheGameSees) {
  EXPECT_TRUE(lineEndingFindings("a=1\r\nb=2\r\nlast=3").empty());

  auto lf = lineEndingFindings("; remark\na=1\nb=2\n");
  ASSERT_EQ(lf.size(), 1u);
  EXPECT_NE(lf[0].find("f.dat: error: lines end in LF, not CR LF: the game reads this file as one "
                       "line, so it finds only the key '; remark\\x0Aa'"),
            std::string::npos)
      << lf[0];
  EXPECT_NE(lf[0].find("--fix-line-endings"), std::string::npos);

  auto cr = lineEndingFindings("a\rb\r");
  ASSERT_EQ(cr.size(), 1u);
  EXPECT_NE(cr[0].find("lines end in CR, not CR LF"), std::string::npos);
  EXPECT_NE(cr[0].find("holds no \"=\""), std::string::npos);

  auto mixed = lineEndingFindings("a=1\r\nb=2\nc=3\r\nd=4\r\r\n");
  ASSERT_EQ(mixed.size(), 2u);
  EXPECT_EQ(mixed[0].rfind("f.dat:2: error: this line ends in LF, not CR LF: the game reads it and "
                           "line 3 as one line",
                           0),
            0u);
  EXPECT_EQ(mixed[1].rfind("f.dat:4: warning: a CR without LF", 0), 0u);
}

TEST(LineEndings, ManyLfLinesAreListedFiveTimesThenCounted) {
  std::string bytes = "x=0\r\n";
  for (int i = 1; i <= 9; ++i) bytes += "k" + std::to_string(i) + "=1\n";
  auto lines = lineEndingFindings(bytes);
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[4].rfind("f.dat:6: error", 0), 0u);
  EXPECT_EQ(lines[5],
            "f.dat:7: error: this line and 3 more end in LF, not CR LF; the game joins "
            "each with the line after it");
}

TEST(LineEndings, FixTurnsLoneLfAndCrIntoCrLfAndKeepsEveryOtherByte) {
  using namespace std::string_literals;
  EXPECT_EQ(withCrLf("a\nb\r\nc\rd\0=\xFF\n"s), "a\r\nb\r\nc\r\nd\0=\xFF\r\n"s);
  EXPECT_FALSE(hasForeignLineEndings("a\r\nb"));
  EXPECT_TRUE(hasForeignLineEndings("a\r\nb\n"));
}

TEST(DataLines, EntriesAreReadAsTheGameReadsThem) {
  const std::string bytes =
      "; a remark\r\n\r\nKEY=Value\r\na=b=c\r\n=empty key\r\n other =blank\r\nkey=second\r\n"
      "Hp: 40\r\n; x=y\r\nlast=no line end";
  Report report;
  DataFile file = parseDataFile("f.dat", bytes, report);
  KeyValueTable table;
  appendKeyValueText(bytes, table);
  for (std::string key : {"key", "KEY", "a", "", "other", " other ", "last", "missing", "; x"}) {
    if (key == "; x") continue;  // a remark to the checker, an entry to the game
    EXPECT_EQ(file.lookup(key), lookupValue(key, table)) << key;
  }
  EXPECT_EQ(file.find("key")->line, 3);
  EXPECT_EQ(file.findWithBlanks("key")->line, 3);
  EXPECT_EQ(file.findWithBlanks("KEY")->key, "KEY");
  EXPECT_EQ(blankKeyHint(file, "other"),
            " (line 6 has it as ' other ': blanks around a key are part of it, and the game does "
            "not trim them)");
  EXPECT_EQ(blankKeyHint(file, "key"), "");

  auto lines = formatted(report);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0],
            "f.dat:7: warning: the key 'key' appears again: the game uses the first one, "
            "on line 3");
  EXPECT_EQ(lines[1].rfind("f.dat:8: warning: no \"=\" on this line", 0), 0u);
  EXPECT_EQ(lines[2].rfind("f.dat:9: warning: this remark holds \"=\"", 0), 0u);
}

TEST(DataNumbers, ReadLikeTheGameAndFlagWhatItWouldNotReadAsWritten) {
  struct Case {
    const char* text;
    bool isNumber;
    bool exact;
  };
  for (Case c : {Case{"12", true, true},
                 {"  12", true, true},
                 {"12 ", true, true},
                 {"-1", true, true},
                 {"+5", true, true},
                 {"1e2", true, true},
                 {"5.", true, true},
                 {"12abc", true, false},
                 {"2.5", true, false},
                 {"3.5", true, false},
                 {"abc", false, true},
                 {"%%", false, true},
                 {"-", false, true},
                 {".", false, true},
                 {"", false, true},
                 {"99999999999", true, false}}) {
    NumberReading reading = readDataNumber(c.text);
    EXPECT_EQ(reading.isNumber, c.isNumber) << c.text;
    EXPECT_EQ(reading.value, readNumber(c.text)) << c.text;
    if (c.isNumber) {
      EXPECT_EQ(reading.exact, c.exact) << c.text;
    }
  }
}

TEST(Report, OrdersByFileAndLineAndCutsAFloodShort) {
  Report report;
  report.noteFile("first");
  report.warning("second", 3, "b");
  report.error("first", 9, "a");
  report.warning("first", 0, "whole file");
  for (std::size_t i = 0; i < Report::keptPerFile + 5; ++i) report.error("flood", 1, "x");
  auto lines = formatted(report);
  EXPECT_EQ(lines[0], "first: warning: whole file");
  EXPECT_EQ(lines[1], "first:9: error: a");
  EXPECT_EQ(lines[2], "second:3: warning: b");
  ASSERT_EQ(lines.size(), 3 + Report::keptPerFile + 1);
  EXPECT_EQ(lines.back(),
            "flood: error: 5 more findings in this file are not shown (5 errors, 0 "
            "warnings)");
  EXPECT_EQ(report.errorCount(), Report::keptPerFile + 6);
  EXPECT_EQ(report.warningCount(), 2u);
}

TEST(Report, ShowsAnyBytesOnOneShortLine) {
  using namespace std::string_literals;
  EXPECT_EQ(shown("plain text"), "'plain text'");
  EXPECT_EQ(shown("a\r\n\0\xE9\\"s), "'a\\x0D\\x0A\\x00\\xE9\\\\'");
  EXPECT_EQ(shown(std::string(500, 'k')), "'" + std::string(48, 'k') + "...'");
}

}  // namespace
}  // namespace dw::lint
