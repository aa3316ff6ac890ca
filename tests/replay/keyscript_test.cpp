#include "KeyScript.h"

#include <gtest/gtest.h>

namespace dw {
namespace {

TEST(KeyScript, EscapesBecomeTheirKeyBytes) {
  std::string error;
  auto keys = parseKeyScript("@42\\r \\e\\b\\\\x\\x41\\xfF\\x00~", error);
  ASSERT_TRUE(keys.has_value()) << error;
  EXPECT_EQ(*keys, std::string("@42\r \x1b\b\\xA\xFF\0~", 13));
  EXPECT_EQ(parseKeyScript("", error), "");
  EXPECT_EQ(parseKeyScript("\\\\\\\\", error), "\\\\");
}

TEST(KeyScript, MalformedEscapesAreRefusedWithAReason) {
  const char* bad[] = {"abc\\", "\\x4", "\\x", "\\xg1", "\\x4g", "\\q", "\\X41", "\\n"};
  for (const char* text : bad) {
    std::string error;
    EXPECT_FALSE(parseKeyScript(text, error).has_value()) << text;
    EXPECT_FALSE(error.empty()) << text;
  }
  std::string error;
  (void)parseKeyScript("ok\\q", error);
  EXPECT_NE(error.find("\\q"), std::string::npos) << error;
  (void)parseKeyScript("abc\\", error);
  EXPECT_NE(error.find("backslash"), std::string::npos) << error;
  (void)parseKeyScript("ab\\xZ1", error);
  EXPECT_NE(error.find("\\x"), std::string::npos) << error;
}

}  // namespace
}  // namespace dw
