#include <gtest/gtest.h>

#include "platform/reg_file.h"

namespace vigilo {
namespace {

TEST(RegFileDeleteTest, RemovesTheKeyAndEverythingBelowAndLeavesTheRestAsItWas) {
  const std::string before =
      "Windows Registry Editor Version 5.00\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{X}\\InprocServer32]\r\n@=\"/a.so\"\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Classes\\Keep]\r\n; a comment\r\n@=\"k\"\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\software\\classes\\clsid\\{x}]\r\n@=\"X\"\r\n\r\n"
      "[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{X}Other]\r\n@=\"O\"\r\n\r\n";
  RegFile file = RegFile::parse(before);

  EXPECT_TRUE(file.deleteKey("HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{X}\\"));

  EXPECT_EQ(file.text(),
            "Windows Registry Editor Version 5.00\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Classes\\Keep]\r\n; a comment\r\n@=\"k\"\r\n\r\n"
            "[HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{X}Other]\r\n@=\"O\"\r\n\r\n");
  EXPECT_FALSE(file.hasKey("HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{X}"));
  EXPECT_TRUE(file.hasKey("HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID"));
  EXPECT_FALSE(file.deleteKey("HKEY_LOCAL_MACHINE\\Software\\Classes\\CLSID\\{X}"));
  EXPECT_FALSE(file.deleteKey(""));
}

}  // namespace
}  // namespace vigilo
