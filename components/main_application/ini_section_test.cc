#include "components/main_application/ini_section.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "testing/scoped_temp_dir.h"

namespace vigilo::components {
namespace {

using ::testing::ElementsAre;
using Lines = std::vector<std::string>;

TEST(IniSectionTest, GivesTheSectionsLinesAsTheFileHoldsThem) {
  const struct {
    const char* content;
    Lines lines;
  } cases[] = {
      {"[System]\r\nA=1\r\n[FILES]\r\nHymns = C:\\x\r\n;note\r\n\r\n[Next]\r\nB=2\r\n",
       {"Hymns = C:\\x", ";note"}},
      {"  [ files ]  \nk=v", {"k=v"}},  // no line end at the end
      {"[FILES]\na=1\n[Other]\nb=2\n[Files]\nc=3\n", {"a=1", "c=3"}},
      {"[System]\nFILES=1\n", {}},
      {"", {}},
  };
  testing::ScopedTempDir temp;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.content);
    testing::writeFile(temp / "x.ini", c.content);
    const auto lines = readIniSectionLines(temp / "x.ini", "FILES");
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(*lines, c.lines);
  }
  EXPECT_FALSE(readIniSectionLines(temp / "missing.ini", "FILES").has_value());
}

}  // namespace
}  // namespace vigilo::components
