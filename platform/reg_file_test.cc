#include "platform/reg_file.h"

#include <gtest/gtest.h>

#include <sstream>

namespace vigilo {
namespace {

using Data = std::vector<uint8_t>;

RegistryData sz(std::string_view text) {
  RegistryData data{kRegSz, Data(text.begin(), text.end())};
  data.bytes.push_back(0);
  return data;
}

const std::string kKey = "HKEY_CURRENT_USER\\Software\\Brivant";

std::string fileWith(const std::string& lines) {
  return "Windows Registry Editor Version 5.00\n\n[" + kKey + "]\n" + lines + "\n";
}

// Every way the format writes a value, as read into type and bytes.
TEST(RegFileTest, ReadsEveryValueForm) {
  struct Case {
    const char* line;
    const char* name;
    RegistryData expected;
  };
  const Case cases[] = {
      {R"("v"="text")", "v", sz("text")},
      {R"(@="default")", "", sz("default")},
      {R"("@"="at sign")", "@", sz("at sign")},
      {R"("v"="")", "v", sz("")},
      {R"("v"="C:\\dir \"quoted\"")", "v", sz("C:\\dir \"quoted\"")},
      {R"("v"="C:\temp")", "v", sz("C:\\temp")},  // a lone backslash stands for itself
      {"\"v\"=\"gr\xC3\xBC\xC3\x9F\"", "v", sz("gr\xC3\xBC\xC3\x9F")},
      {R"("a\"b\\c"="named")", "a\"b\\c", sz("named")},
      {R"(  "v" = "spaced"  )", "v", sz("spaced")},
      {R"("v"=dword:0000000a)", "v", {kRegDword, {10, 0, 0, 0}}},
      {R"("v"=DWORD:FFFFFFFE)", "v", {kRegDword, {0xFE, 0xFF, 0xFF, 0xFF}}},
      {R"("v"=dword:1)", "v", {kRegDword, {1, 0, 0, 0}}},
      {R"("v"=hex:01,02,ff)", "v", {kRegBinary, {1, 2, 0xFF}}},
      {R"("v"=hex:)", "v", {kRegBinary, {}}},
      {R"("v"=hex: 0a , B )", "v", {kRegBinary, {0x0A, 0x0B}}},
      {R"("v"=hex(0):)", "v", {kRegNone, {}}},
      {R"("v"=hex(1):41,00,42,00)", "v", {kRegSz, {'A', 0, 'B', 0}}},
      {R"("v"=hex(1):)", "v", {kRegSz, {}}},
      {R"("v"=hex(2):25,00)", "v", {kRegExpandSz, {'%', 0}}},
      {R"("v"=hex(7):61,00,00)", "v", {kRegMultiSz, {'a', 0, 0}}},
      {R"("v"=hex(b):01,00,00,00,00,00,00,00)", "v", {0xB, {1, 0, 0, 0, 0, 0, 0, 0}}},
      {"\"v\"=hex:01,02,\\\n  03,04", "v", {kRegBinary, {1, 2, 3, 4}}},
      {"\"v\"=hex(2):41,\\\r\n\t42,00", "v", {kRegExpandSz, {'A', 'B', 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const std::string text = fileWith(c.line);
    const RegFile file = RegFile::parse(text);
    EXPECT_EQ(file.value(kKey, c.name), c.expected);
    EXPECT_EQ(file.text(), text);
  }
}

// What a file can hold is written so that it reads back as the same type and
// bytes, in every form the writer has.
TEST(RegFileTest, WrittenValuesReadBackExactly) {
  Data many(300);
  for (size_t i = 0; i < many.size(); ++i) many[i] = static_cast<uint8_t>(i);
  const RegistryData values[] = {
      sz("plain"),
      sz(""),
      sz("back\\slash \"quote\" ; [not a key]"),
      sz("gr\xC3\xBC\xC3\x9F"),
      {kRegSz, {}},                   // size 0
      {kRegSz, {'a', 0, 'b', 0}},     // NUL inside
      {kRegSz, {'a', 'b'}},           // no closing NUL
      {kRegSz, {'a', '\n', 'b', 0}},  // a line break
      {kRegSz, {0xFF, 0xFE, 0}},      // not UTF-8
      {kRegDword, {1, 2, 3, 4}},
      {kRegDword, {1, 2}},  // not 4 bytes
      {kRegBinary, {}},
      {kRegBinary, many},
      {kRegExpandSz, {'%', 'A', '%', 0}},
      {kRegMultiSz, {'a', 0, 'b', 0, 0}},
      {kRegNone, {}},
      {0x12345678, {9}},
  };
  for (const char* name : {"v", "", "long name with \\ and \" in it"}) {
    RegFile file = RegFile::parse("");
    for (size_t i = 0; i < std::size(values); ++i)
      ASSERT_TRUE(file.setValue(kKey + "\\" + std::to_string(i), name, values[i]));
    const std::string text = file.text();
    const RegFile reread = RegFile::parse(text);
    for (size_t i = 0; i < std::size(values); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(reread.value(kKey + "\\" + std::to_string(i), name), values[i]);
    }
    EXPECT_EQ(reread.text(), text);
    // Long byte lists are continued on further lines, as the registry
    // editor writes them.
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 80u) << line;
  }
}

TEST(RegFileTest, WritesTheRegistryEditorsForm) {
  RegFile file = RegFile::parse("");
  file.setValue(kKey, "Starter", sz("/opt/vigilo/vigilo"));
  file.setValue(kKey, "", sz("C:\\x"));
  file.setValue(kKey, "Count", {kRegDword, {10, 0, 0, 0}});
  file.setValue(kKey, "Data", {kRegBinary, {1, 0xAB}});
  file.setValue(kKey, "Path", {kRegExpandSz, {'%', 0}});
  file.setValue(kKey, "Empty", {kRegSz, {}});
  file.setValue(kKey + "\\Sub", "x", sz("y"));
  EXPECT_EQ(file.text(),
            "Windows Registry Editor Version 5.00\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Brivant]\n"
            "\"Starter\"=\"/opt/vigilo/vigilo\"\n"
            "@=\"C:\\\\x\"\n"
            "\"Count\"=dword:0000000a\n"
            "\"Data\"=hex:01,ab\n"
            "\"Path\"=hex(2):25,00\n"
            "\"Empty\"=hex(1):\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Brivant\\Sub]\n"
            "\"x\"=\"y\"\n"
            "\n");
}

// Lines the reader does not understand stay in the file as they were and
// are never taken for values, also when other values are written.
TEST(RegFileTest, KeepsLinesItCannotReadVerbatim) {
  const std::string damaged[] = {
      R"("v"="unterminated)",
      R"("v"=dword:123456789)",
      R"("v"=dword:)",
      R"("v"=dword:0000000g)",
      R"("v"=hex:1g)",
      R"("v"=hex:123)",
      R"("v"=hex(zz):00)",
      R"("v"=hex(2:00)",
      R"("v"="text" trailing)",
      R"("v"=-)",
      R"(v="no quotes")",
      R"("v")",
      "\"v\"=hex:01,\\",  // continued past the end of the file
      "\"v\"=hex:01,\\\n\"w\"=\"a value, not a continuation\"",
      "; a comment",
      "garbage \x01\xFF\xFE",
  };
  for (const std::string& line : damaged) {
    SCOPED_TRACE(line);
    for (const char* lineEnd : {"\n", "\r\n", ""}) {
      const std::string text =
          "Windows Registry Editor Version 5.00\n\n[" + kKey + "]\n" + line + lineEnd;
      RegFile file = RegFile::parse(text);
      EXPECT_EQ(file.value(kKey, "v"), std::nullopt);
      EXPECT_EQ(file.text(), text);
      ASSERT_TRUE(file.setValue(kKey, "other", sz("x")));
      ASSERT_TRUE(file.setValue(kKey + "\\New", "v", sz("y")));
      const std::string written = file.text();
      EXPECT_NE(written.find(line + (*lineEnd ? lineEnd : "\n")), std::string::npos) << written;
      const RegFile reread = RegFile::parse(written);
      EXPECT_EQ(reread.value(kKey, "other"), sz("x"));
      EXPECT_EQ(reread.value(kKey + "\\New", "v"), sz("y"));
    }
  }
}

// Values that belong to no key (before the first key, after a deletion or a
// damaged key header) are kept, but are not values of the key before them.
TEST(RegFileTest, ValuesOutsideAKeyBelongToNone) {
  const std::string text =
      "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n"
      "\"loose\"=\"x\"\r\n"
      "\r\n"
      "[" +
      kKey +
      "]\r\n"
      "\"v\"=\"kept\"\r\n"
      "\r\n"
      "[-" +
      kKey +
      "]\r\n"
      "\"v\"=\"deleted key\"\r\n"
      "[" +
      kKey +
      "\r\n"
      "\"v\"=\"damaged header\"\r\n"
      "[" +
      kKey +
      "\\\\Twice]\r\n"
      "\"v\"=\"empty key name\"\r\n";
  RegFile file = RegFile::parse(text);
  EXPECT_EQ(file.text(), text);
  EXPECT_EQ(file.value(kKey, "v"), sz("kept"));
  EXPECT_EQ(file.value("", "loose"), std::nullopt);
  EXPECT_FALSE(file.hasKey(kKey + "\\\\Twice"));

  ASSERT_TRUE(file.setValue(kKey, "w", sz("new")));
  // New lines take the file's line ending; the rest is as it was.
  const std::string expected = [&] {
    std::string t = text;
    const std::string after = "\"v\"=\"kept\"\r\n";
    t.insert(t.find(after) + after.size(), "\"w\"=\"new\"\r\n");
    return t;
  }();
  EXPECT_EQ(file.text(), expected);
}

TEST(RegFileTest, NamesMatchWithoutRegardToCaseAndKeepTheirSpelling) {
  RegFile file = RegFile::parse(fileWith("\"Starter\"=\"old\""));
  EXPECT_EQ(file.value("hkey_current_user\\SOFTWARE\\brivant", "STARTER"), sz("old"));
  EXPECT_EQ(file.value(kKey + "\\", "starter"), sz("old"));
  EXPECT_TRUE(file.hasKey("HKEY_CURRENT_USER\\software"));
  EXPECT_TRUE(file.hasKey("HKEY_CURRENT_USER"));
  EXPECT_FALSE(file.hasKey("HKEY_CURRENT_USER\\Soft"));

  ASSERT_TRUE(file.setValue("HKEY_CURRENT_USER\\SOFTWARE\\BRIVANT", "STARTER", sz("new")));
  ASSERT_TRUE(file.setValue("hkey_current_user\\software\\brivant\\Vigilo", "Value", sz("x")));
  EXPECT_EQ(file.text(),
            "Windows Registry Editor Version 5.00\n\n"
            "[HKEY_CURRENT_USER\\Software\\Brivant]\n"
            "\"Starter\"=\"new\"\n"
            "\n"
            "[HKEY_CURRENT_USER\\Software\\Brivant\\Vigilo]\n"
            "\"Value\"=\"x\"\n"
            "\n");
}

TEST(RegFileTest, AChangeThatChangesNothingLeavesTheTextAlone) {
  const std::string text = fileWith("\"Count\"=dword:A\n\"Text\"=hex(1):41,00");
  RegFile file = RegFile::parse(text);
  EXPECT_FALSE(file.setValue(kKey, "count", {kRegDword, {10, 0, 0, 0}}));
  EXPECT_FALSE(file.setValue(kKey, "TEXT", sz("A")));
  EXPECT_FALSE(file.addKey(kKey));
  EXPECT_FALSE(file.addKey("HKEY_CURRENT_USER\\Software"));
  EXPECT_EQ(file.text(), text);
  EXPECT_TRUE(file.setValue(kKey, "Count", {kRegDword, {11, 0, 0, 0}}));
  EXPECT_EQ(file.text(), fileWith("\"Count\"=dword:0000000b\n\"Text\"=hex(1):41,00"));
}

// When the file lists a key or a value twice, the later one counts (as an
// import would leave it), and a write changes that one.
TEST(RegFileTest, TheLaterOfTwoListingsCounts) {
  const std::string text = fileWith("\"v\"=\"first\"\n\"v\"=\"second\"\n\n[" + kKey +
                                    "]\n\"w\"=\"third\"\n\"v\"=\"fourth\"");
  RegFile file = RegFile::parse(text);
  EXPECT_EQ(file.value(kKey, "v"), sz("fourth"));
  ASSERT_TRUE(file.setValue(kKey, "v", sz("fifth")));
  ASSERT_TRUE(file.setValue(kKey, "new", sz("sixth")));
  EXPECT_EQ(file.text(), fileWith("\"v\"=\"first\"\n\"v\"=\"second\"\n\n[" + kKey +
                                  "]\n\"w\"=\"third\"\n\"v\"=\"fifth\"\n\"new\"=\"sixth\""));
}

TEST(RegFileTest, FilesWithoutHeaderOrFinalLineEnd) {
  struct Case {
    std::string before;
    std::string after;
  };
  const Case cases[] = {
      {"", "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"x\"\n\n"},
      {"junk",
       "Windows Registry Editor Version 5.00\n\njunk\n\n[HKEY_CURRENT_USER\\A]\n\"v\"=\"x\"\n\n"},
      {"\xEF\xBB\xBF[HKEY_CURRENT_USER\\B]",
       "\xEF\xBB\xBFWindows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\B]\n\n"
       "[HKEY_CURRENT_USER\\A]\n\"v\"=\"x\"\n\n"},
      {"REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"w\"=\"y\"",
       "REGEDIT4\n\n[HKEY_CURRENT_USER\\A]\n\"w\"=\"y\"\n\"v\"=\"x\"\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    RegFile file = RegFile::parse(c.before);
    ASSERT_TRUE(file.setValue("HKEY_CURRENT_USER\\A", "v", sz("x")));
    EXPECT_EQ(file.text(), c.after);
  }
}

TEST(RegFileTest, RefusesNamesTheFormatCannotHold) {
  for (const char* path : {"", "\\HKEY_CURRENT_USER", "HKEY_CURRENT_USER\\\\A",
                           "HKEY_CURRENT_USER\\A\\\\", "HKEY_CURRENT_USER\\A\nB"}) {
    SCOPED_TRACE(path);
    RegFile file = RegFile::parse("");
    EXPECT_FALSE(file.addKey(path));
    EXPECT_FALSE(file.setValue(path, "v", sz("x")));
    EXPECT_EQ(file.text(), "");
  }
  RegFile file = RegFile::parse("");
  EXPECT_FALSE(file.setValue(kKey, "a\nb", sz("x")));
  EXPECT_FALSE(file.setValue(kKey, std::string("a\0b", 3), sz("x")));
  EXPECT_EQ(file.text(), "");
}

}  // namespace
}  // namespace vigilo
