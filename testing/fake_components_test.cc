#include "testing/fake_components.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace vigilo::testing {
namespace {

using ::testing::ElementsAre;

TEST(FakeComponentsTest, LogsMembersOfObjectAndSubObjectsInOneOrderWithTypes) {
  auto app = std::make_shared<RecordingObject>();
  auto application = app->addChild("cApplication");
  FakeComponents components;
  components.add("Lib.Class", app);

  ObjectRef made = components.createObject("lib.CLASS");
  ObjectRef sub = made->get("cApplication").toObject();
  sub->set("pAppID", int32_t{2});
  sub->set("pWindowID", int16_t{1});
  sub->set("pAppTitle", "Vigilo");
  made->set("pMaximizeOnStartUp", true);
  made->call("Show", {});
  EXPECT_EQ(sub->get("PAPPID"), Variant(int32_t{2}));

  EXPECT_THAT(app->log()->lines, ElementsAre("get cApplication", "set cApplication.pAppID = Long 2",
                                             "set cApplication.pWindowID = Integer 1",
                                             "set cApplication.pAppTitle = String \"Vigilo\"",
                                             "set pMaximizeOnStartUp = Boolean True", "call Show()",
                                             "get cApplication.PAPPID"));
  EXPECT_THAT(components.requested, ElementsAre("lib.CLASS"));
}

TEST(FakeComponentsTest, FailuresAreLoggedThenRaised) {
  auto object = std::make_shared<RecordingObject>("cUser");
  object->failMember("Id", Error(5, "test", "refused"));
  object->onlyDeclaredMembers();
  object->setProperty("UserName", "x");

  try {
    object->set("Id", int16_t{1});
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), 5);
  }
  try {
    object->call("Unknown", {int32_t{7}});
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), errc::kMemberNotFound);
    EXPECT_THAT(e.description(), ::testing::HasSubstr("Unknown"));
  }
  EXPECT_EQ(object->get("UserName"), Variant("x"));
  EXPECT_THAT(
      object->log()->lines,
      ElementsAre("set cUser.Id = Integer 1", "call cUser.Unknown(Long 7)", "get cUser.UserName"));
}

TEST(FakeComponentsTest, UnregisteredAndFailingNamesRaise429) {
  FakeComponents components;
  components.fail("Broken.Class", cannotCreateObject("Broken.Class", "cannot load"));
  for (const char* name : {"Missing.Class", "Broken.Class"}) {
    try {
      components.createObject(name);
      FAIL() << name;
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), errc::kCannotCreateObject);
      EXPECT_THAT(e.description(), ::testing::HasSubstr(name));
    }
  }
}

TEST(FakeComponentsTest, ReleaseIsLoggedWhenAsked) {
  auto log = std::make_shared<CallLog>();
  {
    auto object = std::make_shared<RecordingObject>("splash", log);
    object->logRelease();
  }
  EXPECT_THAT(log->lines, ElementsAre("release splash"));
}

}  // namespace
}  // namespace vigilo::testing
