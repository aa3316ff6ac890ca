#include "platform/terminal/KeyDecoder.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

#include "platform/Platform.h"
#include "terminal/TerminalKeys.h"

namespace dw {
namespace {

std::vector<std::string> decode(KeyDecoder& decoder, std::string_view bytes) {
  std::vector<std::string> keys;
  decoder.feed(bytes, keys);
  return keys;
}

std::vector<std::string> decode(std::string_view bytes) {
  KeyDecoder decoder;
  return decode(decoder, bytes);
}

std::string ext(char code) {
  return std::string{'\0', code};
}

using Keys = std::vector<std::string>;

TEST(KeyDecoder, CharactersEnterAndBackspaceAreTheWindowsKeys) {
  EXPECT_EQ(decode("aZ9+-~@ \r\n\x7f\x08\t"),
            (Keys{"a", "Z", "9", "+", "-", "~", "@", " ", "\r", "\r", "\b", "\b", "\t"}));
  // UTF-8 letters become their code-page-437 byte, also when split between reads.
  KeyDecoder decoder;
  EXPECT_EQ(decode(decoder, "\xc3"), Keys{});
  EXPECT_EQ(decode(decoder, "\xa9\xe2\x96\x91"), (Keys{"\x82", "\xb0"}));
  // A terminal that is not UTF-8 sends Latin-1.
  KeyDecoder latin1(false);
  EXPECT_EQ(decode(latin1, "\xe9"), Keys{"\x82"});
  // Control characters other than Ctrl+C and Ctrl+Z are nobody's key.
  EXPECT_EQ(decode("\x01\x03\x1a\x1f"), (Keys{"\x03", "\x1a"}));
  // Alt with a key gives the key alone, never an Escape.
  EXPECT_EQ(decode("\x1bx"), Keys{"x"});
}

TEST(KeyDecoder, ApplicationKeypadGivesDigitsAndSigns) {
  EXPECT_EQ(decode("\x1bOp\x1bOq\x1bOr\x1bOs\x1bOt\x1bOu\x1bOv\x1bOw\x1bOx\x1bOy"),
            (Keys{"0", "1", "2", "3", "4", "5", "6", "7", "8", "9"}));
  EXPECT_EQ(decode("\x1bOk\x1bOm\x1bOM\x1bOE\x1b[E"), (Keys{"+", "-", "\r", "5", "5"}));
}

TEST(KeyDecoder, KeysWithoutACharacterNeverEqualACommand) {
  Keys keys = decode(
      "\x1b[A\x1b[B\x1b[C\x1b[D\x1bOA\x1b[H\x1b[F\x1b[5~\x1b[6~\x1b[2~\x1b[3~\x1bOP\x1b[15~"
      "\x1b[24~\x1b[1;5C\x1b[[A");
  EXPECT_EQ(keys, (Keys{ext(extendedKey::up), ext(extendedKey::down), ext(extendedKey::right),
                        ext(extendedKey::left), ext(extendedKey::up), ext(extendedKey::home),
                        ext(extendedKey::end), ext(extendedKey::pageUp), ext(extendedKey::pageDown),
                        ext(extendedKey::insert), ext(extendedKey::del), ext(extendedKey::f1),
                        ext(59 + 4), ext(extendedKey::f12), ext(extendedKey::right),
                        ext(extendedKey::f1)}));
  // Sequences nobody knows (a focus report, shift+tab) are dropped whole.
  EXPECT_EQ(decode("\x1b[I\x1b[Z\x1b[200~a"), Keys{"a"});
}

TEST(KeyDecoder, EveryKeyOfTheTerminalsTableCanBeTyped) {
  // What a terminal sends for each function key (xterm's, then the Linux
  // console's and VT220's) and every single byte: the terminal's table may
  // name only keys among them, or its help would list a key that does nothing.
  std::vector<std::string> sent = {"\x1bOP", "\x1bOQ", "\x1bOR", "\x1bOS"};
  for (int n : {11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 23, 24})
    sent.push_back("\x1b[" + std::to_string(n) + "~");
  for (int c = 1; c < 0x7F; ++c) sent.emplace_back(1, static_cast<char>(c));
  std::set<std::string> named;
  for (const std::string& bytes : sent) {
    for (const std::string& key : decode(bytes)) named.insert(nameOfKey(key));
  }
  for (const FrontKey& row : terminalKeys()) {
    for (const std::string& name : row.keys) EXPECT_TRUE(named.count(name)) << name;
  }
  for (int f = 1; f <= 12; ++f) EXPECT_TRUE(named.count("F" + std::to_string(f))) << f;
}

TEST(KeyDecoder, LoneEscapeWaitsForTheTimeoutAndSequencesMayArriveInPieces) {
  KeyDecoder decoder;
  EXPECT_EQ(decode(decoder, "\x1b"), Keys{});
  EXPECT_TRUE(decoder.pending());
  Keys keys;
  decoder.flush(keys);
  EXPECT_EQ(keys, Keys{"\x1b"});
  EXPECT_FALSE(decoder.pending());

  EXPECT_EQ(decode(decoder, "\x1b["), Keys{});
  EXPECT_EQ(decode(decoder, "1;2"), Keys{});
  EXPECT_EQ(decode(decoder, "D"), Keys{ext(extendedKey::left)});
  EXPECT_EQ(decode(decoder, "\x1bO"), Keys{});
  EXPECT_EQ(decode(decoder, "q"), Keys{"1"});

  // Two Escapes: the first is surely alone, the second may start a key.
  EXPECT_EQ(decode(decoder, "\x1b\x1b"), Keys{"\x1b"});
  keys.clear();
  decoder.flush(keys);
  EXPECT_EQ(keys, Keys{"\x1b"});
  // Escape and "[" typed apart are both keys once the wait is over.
  EXPECT_EQ(decode(decoder, "\x1b["), Keys{});
  keys.clear();
  decoder.flush(keys);
  EXPECT_EQ(keys, (Keys{"\x1b", "["}));
}

TEST(KeyDecoder, AnyBytesGiveOnlyWellFormedKeys) {
  // A sequence without an end is dropped, and what follows still counts.
  EXPECT_EQ(decode("\x1b[" + std::string(40, '1') + "~a"), Keys{"a"});
  KeyDecoder decoder;
  EXPECT_EQ(decode(decoder, "\x1b[" + std::string(40, '1')), Keys{});
  EXPECT_FALSE(decoder.pending());
  EXPECT_EQ(decode(decoder, "222~b"), Keys{"b"});
  EXPECT_EQ(decode("\xff\xc3(b"), (Keys{"(", "b"}));
  std::mt19937 random(20);
  for (int round = 0; round < 2000; ++round) {
    KeyDecoder decoder(round % 2 == 0);
    Keys keys;
    for (int piece = 0; piece < 4; ++piece) {
      std::string bytes(random() % 12, '\0');
      for (char& c : bytes) c = static_cast<char>(random() % 4 == 0 ? 27 : random() % 256);
      decoder.feed(bytes, keys);
    }
    decoder.flush(keys);
    EXPECT_FALSE(decoder.pending());
    for (const auto& key : keys) {
      ASSERT_FALSE(key.empty());
      if (key[0] == '\0') {
        ASSERT_EQ(key.size(), 2u);
      } else {
        ASSERT_EQ(key.size(), 1u);
      }
    }
  }
}

}  // namespace
}  // namespace dw
