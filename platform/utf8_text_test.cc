#include "platform/utf8_text.h"

#include <gtest/gtest.h>

#include <string>

namespace vigilo {
namespace {

const std::string kBad = "\xEF\xBF\xBD";  // U+FFFD

TEST(Utf8TextTest, ValidTextStaysAndEveryFaultyByteBecomesOneReplacement) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"", ""},
      {"Grüß Gott – 日本 😀", "Grüß Gott – 日本 😀"},
      {"A\xFF"
       "B",
       "A" + kBad + "B"},
      {"\xC3", kBad},  // cut short at the end
      {"\xC3"
       "A",
       kBad + "A"},  // cut short by the next character
      {"\xE6\x97"
       "A",
       kBad + kBad + "A"},
      {"\xC0\xAF", kBad + kBad},                        // overlong '/'
      {"\xE0\x80\xAF", kBad + kBad + kBad},             // overlong, three bytes
      {"\xED\xA0\x80", kBad + kBad + kBad},             // a surrogate half
      {"\xF4\x90\x80\x80", kBad + kBad + kBad + kBad},  // above U+10FFFF
      {"\x80\xBF", kBad + kBad},                        // continuation bytes alone
      {std::string("a\0b", 3), std::string("a\0b", 3)},
  };
  for (const Case& c : cases) EXPECT_EQ(validUtf8(c.in), c.out) << c.in;
}

TEST(Utf8TextTest, Latin1BecomesUtf8) {
  EXPECT_EQ(latin1ToUtf8("Gr\xFC\xDF \xA9 \xFF"), "Grüß © ÿ");
  EXPECT_EQ(latin1ToUtf8("plain"), "plain");
}

TEST(Utf8TextTest, LimitsCountCharactersAndNeverCutOne) {
  EXPECT_EQ(leadingCharacters("äöü", 2), "äö");
  EXPECT_EQ(leadingCharacters("a😀b", 2), "a😀");
  EXPECT_EQ(leadingCharacters("ab", 5), "ab");
  EXPECT_EQ(fitToBuffer("abcdef", 4), "abc");
  EXPECT_EQ(fitToBuffer("日本語", 3), "日本");
  EXPECT_EQ(fitToBuffer("abc", 1), "");
  EXPECT_EQ(fitToBuffer("abc", 0), "");
  EXPECT_EQ(fitToBuffer("abc", -5), "");
  EXPECT_EQ(fitToBuffer(std::string(300, 'x'), 256), std::string(255, 'x'));
}

}  // namespace
}  // namespace vigilo
