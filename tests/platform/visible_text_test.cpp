#include <gtest/gtest.h>

#include "platform/VisibleText.h"

namespace dw {
namespace {

TEST(VisibleText, ControlsShowAndTextStays) {
  // Orders to a terminal: a title, mouse reporting, a bell, an 8-bit CSI.
  EXPECT_EQ(visibleText("a\x1b]2;T\a\x1b[?1000h\r\n\t\x7f"), "a^[]2;T^G^[[?1000h^M^J^I^?");
  EXPECT_EQ(visibleText(std::string("\0z", 2)), "^@z");
  EXPECT_EQ(visibleText("\xc2\x9b"
                        "31m"),
            "\\u009b31m");
  // Bytes that are no UTF-8: stray, overlong, a surrogate, cut short.
  EXPECT_EQ(visibleText("\x9b\xc0\xaf\xed\xa0\x80\xe2\x82"),
            "\\x9b\\xc0\\xaf\\xed\\xa0\\x80\\xe2\\x82");
  // Plain text and UTF-8 of every length are kept.
  const std::string text = "Caf\xc3\xa9 \xe2\x86\x90 \xf0\x9f\x97\x9d ~/runs/2026-12-08.dwrec";
  EXPECT_EQ(visibleText(text), text);
  // Shown twice, the same.
  std::string once = visibleText("\x1b\xff\xc2\x85");
  EXPECT_EQ(visibleText(once), once);
}

}  // namespace
}  // namespace dw
