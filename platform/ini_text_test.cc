#include "platform/ini_text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/ini_encoding.h"

namespace vigilo::ini {
namespace {

using namespace std::string_literals;

// At most the first 60 bytes of `text`, for naming a case.
std::string shortened(const std::string& text) {
  return text.size() <= 60 ? text : text.substr(0, 60) + "...";
}

// UTF-16LE bytes of `text`, made without the code under test.
std::string utf16le(std::u16string_view text, bool mark = true) {
  std::string bytes = mark ? "\xFF\xFE" : "";
  for (const char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

struct LookUp {
  std::string text;
  std::string section;
  std::string key;
  std::optional<std::string> expected;  // nothing: not found
};

void PrintTo(const LookUp& c, std::ostream* out) {
  *out << "[" << shortened(c.section) << "] " << shortened(c.key) << " in \"" << shortened(c.text)
       << "\"";
}

class FindValueTest : public ::testing::TestWithParam<LookUp> {};

TEST_P(FindValueTest, FindsWhatTheProfileFunctionsFind) {
  const LookUp& c = GetParam();
  const auto found = findValue(c.text, c.section, c.key);
  EXPECT_EQ(found ? std::optional<std::string>(*found) : std::nullopt, c.expected);
}

const LookUp kSectionHeaders[] = {
    {"[S]\r\nk=v", "S", "k", "v"},
    {"[S]\nk=v", "S", "k", "v"},
    {"[S]\rk=v", "S", "k", "v"},
    {" \t\v[S]\r\nk=v", "S", "k", "v"},
    {"S]\r\nk=v", "S", "k", std::nullopt},
    {"[ x ]\r\nk=v", "x", "k", "v"},
    {"[Name   \r\nk=v", "Name", "k", "v"},
    {"[[sec]\r\nk=v", "[sec", "k", "v"},
    {"[a]b]\r\nk=v", "a", "k", "v"},
    {"[S]key=value\r\nk=v", "S", "key", std::nullopt},
    {"[S]key=value\r\nk=v", "S", "k", "v"},
    {"[]\r\nk=v", "", "k", "v"},
    // Lines before the first header belong to no section.
    {"k=v\r\n[S]\r\n", "", "k", std::nullopt},
    {"k=v\r\n[S]\r\n", " ", "k", std::nullopt},
    // Only the first section of a name is searched.
    {"[S]\r\nk=1\r\n[T]\r\n[s]\r\nk=2\r\nj=3", "S", "k", "1"},
    {"[S]\r\nk=1\r\n[T]\r\n[s]\r\nk=2\r\nj=3", "S", "j", std::nullopt},
    // A section ends at the next header.
    {"[S]\r\n[T]\r\nk=v", "S", "k", std::nullopt},
};
INSTANTIATE_TEST_SUITE_P(SectionHeaders, FindValueTest, ::testing::ValuesIn(kSectionHeaders));

const LookUp kKeyLines[] = {
    {"[S]\r\n \t k \t = \t v \t ", "S", "k", "v"},
    {"[S]\r\n=v", "S", "", "v"},
    {"[S]\r\n;k=v", "S", ";k", std::nullopt},
    {"[S]\r\n ;k=v", "S", " ;k", std::nullopt},
    {"[S]\r\nk=;x", "S", "k", ";x"},
    {"[S]\r\na ;b=v", "S", "a ;b", "v"},
    {"[;s]\r\nk=v", ";s", "k", "v"},
    {"[S]\r\n#k=v", "S", "#k", "v"},
    {"[S]\r\nk=v ;c", "S", "k", "v ;c"},
    {"[S]\r\nk\r\n", "S", "k", std::nullopt},
    {"[S]\r\nk=1\r\nK=2", "S", "k", "1"},
    {"[S]\r\na=b=c", "S", "a", "b=c"},
    {"[S]\r\nk=", "S", "k", ""},
    {"[S]\r\nk=\t \v", "S", "k", ""},
};
INSTANTIATE_TEST_SUITE_P(KeyLines, FindValueTest, ::testing::ValuesIn(kKeyLines));

const LookUp kNameMatching[] = {
    {"[Sec]\r\nKey=Val", "sEC", "kEY", "Val"},
    {"[Sec]\r\nKey=Val", " Sec ", "  Key  ", "Val"},
    // Only spaces leave the caller's names.
    {"[Sec]\r\nKey=Val", "\tSec", "Key", std::nullopt},
    {"[Sec]\r\nKey=Val", "Sec", "Key\t", std::nullopt},
    {"[Sec]\r\nKey=Val", "Sec", "Key\v", std::nullopt},
    {"[S]\r\n\"K\"=v", "S", "K", std::nullopt},
    {"[S]\r\n\"K\"=v", "S", "\"K\"", "v"},
    // Case folding is ASCII only: other bytes compare as they are.
    {"[S]\r\n\xC3\x89t\xC3\xA9=v", "S", "\xC3\xA9t\xC3\xA9", std::nullopt},
    {"[S]\r\n\xC3\x89t\xC3\xA9=v", "S", "\xC3\x89T\xC3\xA9", "v"},
    {"[S]\r\n" + std::string(1 << 20, 'k') + "=v", "S", std::string(1 << 20, 'K'), "v"},
};
INSTANTIATE_TEST_SUITE_P(NameMatching, FindValueTest, ::testing::ValuesIn(kNameMatching));

const LookUp kValues[] = {
    {"[S]\r\nk=  \"  v  \"  ", "S", "k", "  v  "},
    {"[S]\r\nk='\"v\"'", "S", "k", "\"v\""},
    {"[S]\r\nk=\"v'", "S", "k", "\"v'"},
    {"[S]\r\nk='\"v'\"", "S", "k", "'\"v'\""},
    {"[S]\r\nk=\"", "S", "k", "\""},
    {"[S]\r\nk=''", "S", "k", ""},
    {"[S]\r\nk=w\xC3\xB6rd", "S", "k", "w\xC3\xB6rd"},
    {"[S]\r\nk=a\0b"s, "S", "k", "a\0b"s},
    // Foreign bytes, even NULs, before the first header.
    {"\0\xFF\r\n[S]\r\nk=v"s, "S", "k", "v"},
};
INSTANTIATE_TEST_SUITE_P(Values, FindValueTest, ::testing::ValuesIn(kValues));

const LookUp kEncodings[] = {
    // A UTF-8 mark is three bytes of line 1: its header is not seen.
    {"\xEF\xBB\xBF[S]\r\nk=v\r\n[T]\r\nk=w", "S", "k", std::nullopt},
    {"\xEF\xBB\xBF[S]\r\nk=v\r\n[T]\r\nk=w", "T", "k", "w"},
    {"\xEF\xBB\xBF\r\n[S]\r\nk=v", "S", "k", "v"},
};
INSTANTIATE_TEST_SUITE_P(Encodings, FindValueTest, ::testing::ValuesIn(kEncodings));

std::string read(std::optional<std::string> file, const std::string& section,
                 const std::string& key, const std::string& defaultValue = "", size_t size = 255) {
  return readProfileString(file ? std::optional<std::string_view>(*file) : std::nullopt, section,
                           key, defaultValue, size);
}

TEST(ReadProfileStringTest, DefaultOnlyWhenSectionOrKeyIsMissing) {
  const std::string file = "[S]\r\nempty=\r\nk=v\r\n";
  EXPECT_EQ(read(std::nullopt, "S", "k", "d"), "d");
  EXPECT_EQ(read("", "S", "k", "d"), "d");
  EXPECT_EQ(read(file, "T", "k", "d"), "d");
  EXPECT_EQ(read(file, "S", "j", "d"), "d");
  EXPECT_EQ(read(file, "S", "empty", "d"), "");
  EXPECT_EQ(read(file, "S", "k", "d"), "v");
}

TEST(ReadProfileStringTest, DefaultLosesOnlyTrailingSpaces) {
  EXPECT_EQ(read(std::nullopt, "S", "k", "  d  "), "  d");
  EXPECT_EQ(read(std::nullopt, "S", "k", "\td\t\v\r\n"), "\td\t\v\r\n");
}

TEST(ReadProfileStringTest, BufferSizeLimitsTheCharacters) {
  const std::string a254(254, 'a');
  const std::string file = "[S]\r\nk254=" + a254 + "\r\nk255=" + a254 + "b\r\n";
  EXPECT_EQ(read(file, "S", "k254"), a254);
  EXPECT_EQ(read(file, "S", "k255"), a254);
  EXPECT_EQ(read(file, "S", "k254", "", 0), "");
  EXPECT_EQ(read(file, "S", "k254", "", 1), "");
  EXPECT_EQ(read(file, "S", "k254", "", 4), "aaa");
  EXPECT_EQ(read(std::nullopt, "S", "k", a254 + "cut"), a254);
}

TEST(ReadProfileStringTest, CutNeverSplitsAMultiByteCharacter) {
  // Each character counts once, whatever its length in bytes.
  const std::string e = "\xC3\xA9", euro = "\xE2\x82\xAC", clef = "\xF0\x9D\x84\x9E";
  std::string mixed;
  for (int i = 0; i < 100; ++i) mixed += e + euro + clef;  // 300 characters, 900 bytes
  std::string first254;
  for (int i = 0; i < 254; ++i) first254 += (i % 3 == 0 ? e : i % 3 == 1 ? euro : clef);
  EXPECT_EQ(read("[S]\r\nk=" + mixed, "S", "k"), first254);
  EXPECT_EQ(read("[S]\r\nk=" + std::string(253, 'a') + e, "S", "k"), std::string(253, 'a') + e);
  EXPECT_EQ(read("[S]\r\nk=" + std::string(253, 'a') + euro + "x", "S", "k"),
            std::string(253, 'a') + euro);
  // Bytes that form no character count one each.
  EXPECT_EQ(read("[S]\r\nk=" + std::string(300, '\xFF'), "S", "k"), std::string(254, '\xFF'));
  EXPECT_EQ(read("[S]\r\nk=" + std::string(253, 'a') + "\xE2\x82", "S", "k"),
            std::string(253, 'a') + "\xE2");
}

TEST(ReadProfileStringTest, LongValuesReadWholeWithABigBuffer) {
  // No wrap at 65536 characters.
  for (size_t n : {65535u, 65536u, 65537u}) {
    const std::string value(n, 'v');
    EXPECT_EQ(read("[S]\r\nk=" + value, "S", "k", "", n + 1), value) << n;
  }
}

TEST(ReadProfileStringTest, Utf16LeFileIsReadAsText) {
  const std::string file = utf16le(u"[S]\r\nk=w\u00F6rd \U0001D11E\r\n[T]\r\nj='q'");
  EXPECT_EQ(read(file, "S", "k"), "w\xC3\xB6rd \xF0\x9D\x84\x9E");
  EXPECT_EQ(read(file, "t", "J"), "q");
  // Unpaired surrogates and an odd last byte read as U+FFFD.
  EXPECT_EQ(read(utf16le(u"[S]\r\nk=a") + utf16le(u"\xD800", false) + "x", "S", "k"),
            "a\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(ReadProfileStringTest, Utf16BeFileHasNothing) {
  const std::string file = "\xFE\xFF"s + "\0[\0S\0]\0\r\0\n\0k\0=\0v"s;
  EXPECT_EQ(read(file, "S", "k", "d"), "d");
}

struct Edit {
  std::string before;
  std::string section;
  std::string key;
  std::optional<std::string> value;  // nothing: delete
  std::optional<std::string> after;  // nothing: the text stays as it is
};

void PrintTo(const Edit& c, std::ostream* out) {
  *out << "[" << c.section << "] " << c.key << "=" << (c.value ? *c.value : "(delete)") << " in \""
       << c.before << "\"";
}

class EditTextTest : public ::testing::TestWithParam<Edit> {};

TEST_P(EditTextTest, ChangesOnlyWhatTheWriteNames) {
  const Edit& c = GetParam();
  const auto value = c.value ? std::optional<std::string_view>(*c.value) : std::nullopt;
  EXPECT_EQ(editText(c.before, c.section, c.key, value), c.after);
}

const Edit kNewFile[] = {
    {"", "S", "k", "v", "[S]\r\nk=v\r\n"},
    {"", " S ", "  k ", " v ", "[S]\r\nk= v \r\n"},
    {"", "", "k", "v", "[]\r\nk=v\r\n"},
    {"", "S", "k", std::nullopt, std::nullopt},
    {"\xEF\xBB\xBF", "S", "k", "v", "\xEF\xBB\xBF\r\n[S]\r\nk=v\r\n"},
};
INSTANTIATE_TEST_SUITE_P(NewFile, EditTextTest, ::testing::ValuesIn(kNewFile));

const Edit kExistingKey[] = {
    {"[S]\r\nk=old\r\nj=2\r\n", "S", "k", "new", "[S]\r\nk=new\r\nj=2\r\n"},
    // The file keeps its spelling of the section and the key.
    {"[s]\r\nK=old\r\n", "S", "k", "new", "[s]\r\nK=new\r\n"},
    {"[S]\r\n\tk = old \r\n", "S", "k", "new", "[S]\r\n\tk = new\r\n"},
    {"[S]\r\nk=old", "S", "k", "new", "[S]\r\nk=new\r\n"},
    {"[S]\nk=old\nj=1\n", "S", "k", "new", "[S]\nk=new\r\nj=1\n"},
    {"[S]\rk=old\rj=1\r", "S", "k", "", "[S]\rk=\r\nj=1\r"},
    {"[S]\r\nk=1\r\nk=2\r\n", "S", "k", "3", "[S]\r\nk=3\r\nk=2\r\n"},
    {"[S]\r\nk=v\r\n", "S", "k", "v ", "[S]\r\nk=v \r\n"},
    // The same value again changes nothing, whatever the line's end.
    {"[S]\r\nk=v\r\n", "S", "k", "v", std::nullopt},
    {"[S]\nk=v", "S", "K", "v", std::nullopt},
};
INSTANTIATE_TEST_SUITE_P(ExistingKey, EditTextTest, ::testing::ValuesIn(kExistingKey));

const Edit kNewKey[] = {
    // After the section's last key line: comments and blank lines stay below.
    {"[S]\r\na=1\r\n;c\r\n\r\n[T]\r\n", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n;c\r\n\r\n[T]\r\n"},
    {"[S]\r\n;c\r\n[T]\r\n", "S", "b", "2", "[S]\r\nb=2\r\n;c\r\n[T]\r\n"},
    {"[S]", "S", "b", "2", "[S]\r\nb=2\r\n"},
    {"[S]\r\na=1", "S", "b", "2", "[S]\r\na=1\r\nb=2\r\n"},
    {"[S]\r\n\r\n  a  =  1  \n\n", "S", "b", "2", "[S]\r\n\r\n  a  =  1  \nb=2\r\n\n"},
    // Into the first of two sections of the name.
    {"[S]\r\na=1\r\n[T]\r\n[S]\r\nb=1\r\n", "s", "c", "3",
     "[S]\r\na=1\r\nc=3\r\n[T]\r\n[S]\r\nb=1\r\n"},
    // A key starting with ";" is a comment, never matched: each write adds one.
    {"[S]\r\na=1\r\n;k=old\r\n", "S", ";k", "new", "[S]\r\na=1\r\n;k=new\r\n;k=old\r\n"},
    // Names and values are written as given.
    {"[S]\r\n", "S", "\"k\"", "'v'", "[S]\r\n\"k\"='v'\r\n"},
};
INSTANTIATE_TEST_SUITE_P(NewKey, EditTextTest, ::testing::ValuesIn(kNewKey));

const Edit kNewSection[] = {
    {"[S]\r\na=1\r\n", "T", "b", "2", "[S]\r\na=1\r\n[T]\r\nb=2\r\n"},
    {"[S]\r\na=1", "T", "b", "2", "[S]\r\na=1\r\n[T]\r\nb=2\r\n"},
    {"[S]\na=1\n", "T", "b", "2", "[S]\na=1\n[T]\r\nb=2\r\n"},
    {"[S]\ra=1\r", "T", "b", "2", "[S]\ra=1\r[T]\r\nb=2\r\n"},
    // Comments and foreign bytes before the first header stay.
    {";top\r\n\0\0\r\n"s, "S", "k", "v", ";top\r\n\0\0\r\n[S]\r\nk=v\r\n"s},
    // A UTF-16BE mark is not recognised: 8-bit text goes after it.
    {"\xFE\xFF\0[\0S\0]\0\r\0\n"s, "S", "k", "v", "\xFE\xFF\0[\0S\0]\0\r\0\n[S]\r\nk=v\r\n"s},
};
INSTANTIATE_TEST_SUITE_P(NewSection, EditTextTest, ::testing::ValuesIn(kNewSection));

const Edit kDelete[] = {
    {"[S]\r\na=1\r\nk=2\r\nb=3\r\n", "S", "K", std::nullopt, "[S]\r\na=1\r\nb=3\r\n"},
    {"[S]\r\nk=2\r\n[T]\r\n", "S", "k", std::nullopt, "[S]\r\n[T]\r\n"},
    {"[S]\r\na=1\r\nk=2", "S", "k", std::nullopt, "[S]\r\na=1\r\n"},
    {"[S]\r\nk=1\r\nk=2\r\n", "S", "k", std::nullopt, "[S]\r\nk=2\r\n"},
    {"[S]\r\na=1\r\n", "S", "k", std::nullopt, std::nullopt},
    {"[S]\r\nk=1\r\n", "T", "k", std::nullopt, std::nullopt},
    {"[S]\r\n;k=1\r\n", "S", ";k", std::nullopt, std::nullopt},
};
INSTANTIATE_TEST_SUITE_P(Delete, EditTextTest, ::testing::ValuesIn(kDelete));

// On Windows a line break in a name or value writes lines of its own (section
// "a]\r\nk=v" stores key k in section a); here such a write writes nothing.
const Edit kLineBreaksWriteNothing[] = {
    {"[a]\r\n", "a]\r\nk=v", "x", "y", std::nullopt},
    {"", "S\r", "k", "v", std::nullopt},
    {"[S]\r\nk=1\r\n", "S", "k\nj", "v", std::nullopt},
    {"[S]\r\nk=1\r\n", "S", "k", "v\r\n[T]", std::nullopt},
    {"[S]\r\nk=1\r\n", "S", "k", "\n", std::nullopt},
    {"[S]\r\nk=1\r\n", "S", "k\r", std::nullopt, std::nullopt},
};
INSTANTIATE_TEST_SUITE_P(LineBreaksWriteNothing, EditTextTest,
                         ::testing::ValuesIn(kLineBreaksWriteNothing));

TEST(IsWritableTest, RefusesLineBreaksAnywhere) {
  EXPECT_TRUE(isWritable("S", "k", "v"));
  EXPECT_TRUE(isWritable("S\t]", "=k;", std::nullopt));
  EXPECT_FALSE(isWritable("S\n", "k", "v"));
  EXPECT_FALSE(isWritable("S", "\rk", std::nullopt));
  EXPECT_FALSE(isWritable("S", "k", "a\r\nb"));
}

TEST(EditRoundTripTest, WrittenValuesReadBackAsTheProfileFunctionsGiveThem) {
  const std::string_view values[] = {"plain",
                                     "  spaced  ",
                                     "\"  quoted  \"",
                                     "'\"v\"'",
                                     "",
                                     "a=b;c",
                                     std::string_view("nul\0inside", 10)};
  const std::string_view expected[] = {
      "plain", "spaced", "  quoted  ", "\"v\"", "", "a=b;c", std::string_view("nul\0inside", 10)};
  std::string text = ";head\r\n[Other]\r\nk=x\r\n";
  for (size_t i = 0; i < std::size(values); ++i) {
    const std::string key = "k" + std::to_string(i);
    if (auto edited = editText(text, "S", key, values[i])) text = *edited;
    ASSERT_EQ(findValue(text, "S", key), expected[i]) << text;
    EXPECT_EQ(findValue(text, "Other", "k"), "x");
  }
}

TEST(EditFileTest, NoFileGetsTheNewSection) {
  EXPECT_EQ(editFile(std::nullopt, "S", "k", "v"), "[S]\r\nk=v\r\n");
  EXPECT_EQ(editFile(std::nullopt, "S", "k", std::nullopt), std::nullopt);
}

TEST(EditFileTest, Utf16LeFileStaysUtf16Le) {
  EXPECT_EQ(editFile(utf16le(u"[S]\r\nk=old\r\n;\u00E9\r\n"), "S", "k", "n\xC3\xABw"),
            utf16le(u"[S]\r\nk=n\u00EBw\r\n;\u00E9\r\n"));
  EXPECT_EQ(editFile(utf16le(u"[S]\r\nk=v\r\n"), "T", "j", "\xF0\x9D\x84\x9E"),
            utf16le(u"[S]\r\nk=v\r\n[T]\r\nj=\U0001D11E\r\n"));
  EXPECT_EQ(editFile(utf16le(u""), "S", "k", "v"), utf16le(u"[S]\r\nk=v\r\n"));
  EXPECT_EQ(editFile(utf16le(u"[S]\r\nk=v"), "s", "K", "v"), std::nullopt);
}

TEST(EditFileTest, Utf16LeEditKeepsEveryOtherUnitAsItWas) {
  // An unpaired surrogate, a NUL and an odd last byte survive a rewrite.
  const std::string before = utf16le(u"\xDC00\0\r\n[S]\r\nk=1\r\n"s) + "\x01";
  const std::string after = utf16le(u"\xDC00\0\r\n[S]\r\nk=2\r\n"s) + "\x01";
  EXPECT_EQ(editFile(before, "S", "k", "2"), after);
}

TEST(EditFileTest, InvalidUtf8StaysByteForByte) {
  const std::string before = "[S]\r\nbad=\xC3\x28\xFF\r\nk=1\r\n";
  EXPECT_EQ(editFile(before, "S", "k", "\xFE"), "[S]\r\nbad=\xC3\x28\xFF\r\nk=\xFE\r\n");
}

TEST(FirstCharactersTest, CountsCharactersNotBytes) {
  EXPECT_EQ(firstCharacters("abc", 0), "");
  EXPECT_EQ(firstCharacters("abc", 5), "abc");
  EXPECT_EQ(firstCharacters("\xC3\xA9\xC3\xA9", 1), "\xC3\xA9");
  // Overlong forms and encoded surrogates are no characters: one per byte.
  EXPECT_EQ(firstCharacters("\xC0\xAF", 1), "\xC0");
  EXPECT_EQ(firstCharacters("\xED\xA0\x80", 1), "\xED");
  EXPECT_EQ(firstCharacters("\xF4\x90\x80\x80", 2), "\xF4\x90");
}

}  // namespace
}  // namespace vigilo::ini
