#include "platform/linux/registered_components.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "platform/component_registration.h"
#include "platform/linux/component_loader.h"
#include "platform/platform.h"
#include "platform/registry_store.h"
#include "testing/memory_registry_store.h"
#include "testing/scoped_temp_dir.h"

namespace vigilo {
namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;

constexpr char kTestClassId[] = "{6F1D3A52-0C4B-4E8A-9B1E-7A2C5D9E0F11}";
constexpr char kOtherClassId[] = "{6F1D3A52-0C4B-4E8A-9B1E-7A2C5D9E0F22}";

ComponentClass testClass(const char* progId, const char* classId) {
  return {progId, classId, "Test component"};
}

// A registry with nothing in it, installed as the platform's.
class RegisteredComponentsTest : public ::testing::Test {
 protected:
  RegisteredComponentsTest() : installed_(services()) {}

  Platform services() {
    Platform p;
    p.registry = &registry_;
    return p;
  }

  void registerClass(RegistrationScope scope, const std::string& library, const char* progId,
                     const char* classId) {
    registerComponentClasses(registry_, scope, library, {testClass(progId, classId)});
  }

  // The error that creating `name` raises; fails the test when none does.
  Error creationError(const std::string& name) {
    try {
      components_.createObject(name);
    } catch (const Error& e) {
      return e;
    }
    ADD_FAILURE() << "no error creating " << name;
    return Error(0, "", "");
  }

  testing::MemoryRegistryStore registry_;
  RegisteredComponents components_;

 private:
  ScopedPlatform installed_;
};

TEST_F(RegisteredComponentsTest, CreatesByProgIdAndByClassIdAndBindsMembersByName) {
  registerClass(RegistrationScope::Machine, VIGILO_TEST_COMPONENT, "Vigilo.TestComponent",
                kTestClassId);

  ObjectRef byProgId = components_.createObject("vigilo.testcomponent");
  ObjectRef byClassId = components_.createObject("{6f1d3a52-0c4b-4e8a-9b1e-7a2c5d9e0f11}");

  EXPECT_EQ(byProgId->get("ClassName"), Variant("Vigilo.TestComponent"));
  EXPECT_EQ(byClassId->get("classname"), Variant("Vigilo.TestComponent"));
  // Separate objects, each with its own state; values keep their exact type.
  byProgId->set("Value", int16_t{1});
  EXPECT_EQ(byProgId->get("Value"), Variant(int16_t{1}));
  EXPECT_TRUE(byClassId->get("Value").isEmpty());
  EXPECT_EQ(byProgId->call("Twice", {int32_t{21}}), Variant(int32_t{42}));
}

TEST_F(RegisteredComponentsTest, ErrorsOfTheLibraryAndUnknownMembersReachTheCaller) {
  registerClass(RegistrationScope::Machine, VIGILO_TEST_COMPONENT, "Vigilo.TestComponent",
                kTestClassId);
  ObjectRef object = components_.createObject("Vigilo.TestComponent");

  try {
    object->call("Fail", {});
    FAIL() << "no error";
  } catch (const Error& e) {
    // The library's Error is the program's Error: one copy of the type.
    EXPECT_EQ(e.number(), 1001);
    EXPECT_EQ(e.source(), "Vigilo.TestComponent");
  }
  for (auto access :
       {+[](Object& o) { o.get("Missing"); }, +[](Object& o) { o.set("Missing", int32_t{1}); },
        +[](Object& o) { o.call("Missing", {}); }}) {
    try {
      access(*object);
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), errc::kMemberNotFound);
      EXPECT_THAT(e.description(), HasSubstr("Missing"));
    }
  }
}

TEST_F(RegisteredComponentsTest, AUsersRegistrationComesBeforeTheMachines) {
  registerClass(RegistrationScope::Machine, VIGILO_TEST_COMPONENT, "Vigilo.Shared", kTestClassId);
  EXPECT_EQ(components_.createObject("Vigilo.Shared")->get("ClassName"),
            Variant("Vigilo.TestComponent"));

  registerClass(RegistrationScope::User, VIGILO_TEST_COMPONENT, "Vigilo.Shared", kOtherClassId);
  EXPECT_EQ(components_.createObject("Vigilo.Shared")->get("ClassName"),
            Variant("Vigilo.OtherTestComponent"));
  // The machine's class stays reachable by its class id.
  EXPECT_EQ(components_.createObject(kTestClassId)->get("ClassName"),
            Variant("Vigilo.TestComponent"));
}

TEST_F(RegisteredComponentsTest, WhatCannotBeCreatedRaises429NamingItAndTheReason) {
  testing::ScopedTempDir temp;
  const std::string garbage = temp.path() + "/garbage.so";
  testing::writeFile(garbage, "this is not a shared library");
  const std::string missing = temp.path() + "/missing.so";
  registerClass(RegistrationScope::Machine, missing, "Vigilo.Missing", kTestClassId);
  registerClass(RegistrationScope::User, garbage, "Vigilo.Garbage",
                "{00000000-0000-0000-0000-000000000001}");
  registerClass(RegistrationScope::User, VIGILO_NOT_A_COMPONENT, "Vigilo.NotAComponent",
                "{00000000-0000-0000-0000-000000000002}");
  registerClass(RegistrationScope::User, VIGILO_TEST_COMPONENT, "Vigilo.WrongClass",
                "{00000000-0000-0000-0000-000000000003}");
  // A ProgID whose class has no library registered.
  registry_.setValue(kHkeyCurrentUser, "Software\\Classes\\Vigilo.Dangling\\CLSID", "",
                     {kRegSz, {'{', '1', '}', 0}});

  const struct {
    std::string name;
    std::vector<std::string> reason;
  } cases[] = {
      {"Vigilo.NotRegistered", {"not registered"}},
      {"{12345678-1234-1234-1234-123456789ABC}", {"not registered"}},
      {"Vigilo.Dangling", {"class {1} is not registered"}},
      {"Bad\\Name", {"not a ProgID"}},
      {"", {"not a ProgID"}},
      {"Vigilo.Missing", {missing, "No such file"}},
      {"Vigilo.Garbage", {garbage}},
      {"Vigilo.NotAComponent", {"not a component library"}},
      {"Vigilo.WrongClass", {"does not provide class {00000000-0000-0000-0000-000000000003}"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Error e = creationError(c.name);
    EXPECT_EQ(e.number(), errc::kCannotCreateObject);
    EXPECT_THAT(e.description(), HasSubstr("can't create object: '" + c.name + "'"));
    for (const std::string& part : c.reason) EXPECT_THAT(e.description(), HasSubstr(part));
  }
}

TEST_F(RegisteredComponentsTest, UnregisteringRemovesTheClassButNotAProgIdTakenByAnother) {
  const ComponentClass test = testClass("Vigilo.TestComponent", kTestClassId);
  const ComponentClass other = testClass("Vigilo.OtherTestComponent", kOtherClassId);
  registerComponentClasses(registry_, RegistrationScope::Machine, VIGILO_TEST_COMPONENT,
                           {test, other});
  // Another library's class has since taken over the second ProgID.
  registerClass(RegistrationScope::Machine, VIGILO_TEST_COMPONENT, "Vigilo.OtherTestComponent",
                kTestClassId);

  unregisterComponentClasses(registry_, RegistrationScope::Machine, {test, other});

  EXPECT_FALSE(registry_.keyExists(kHkeyLocalMachine, "Software\\Classes\\Vigilo.TestComponent"));
  EXPECT_FALSE(registry_.keyExists(kHkeyLocalMachine,
                                   std::string("Software\\Classes\\CLSID\\") + kTestClassId));
  EXPECT_TRUE(registry_.keyExists(kHkeyLocalMachine,
                                  "Software\\Classes\\Vigilo.OtherTestComponent\\CLSID"));
  EXPECT_EQ(creationError("Vigilo.TestComponent").number(), errc::kCannotCreateObject);
}

TEST_F(RegisteredComponentsTest, ARefusedRegistrationRaisesNamingTheKey) {
  registry_.refuseWrites = true;
  try {
    registerClass(RegistrationScope::Machine, VIGILO_TEST_COMPONENT, "Vigilo.TestComponent",
                  kTestClassId);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_EQ(e.number(), errc::kPermissionDenied);
    EXPECT_THAT(e.description(),
                AllOf(HasSubstr("HKEY_LOCAL_MACHINE\\Software\\Classes\\Vigilo.TestComponent")));
  }
}

TEST(ComponentLoaderTest, ListsTheClassesOfALibrary) {
  std::string whyNot;
  const ComponentLibrary* library = loadComponentLibrary(VIGILO_TEST_COMPONENT, &whyNot);
  ASSERT_NE(library, nullptr) << whyNot;
  const auto classes = library->classList();
  ASSERT_EQ(classes.size(), 2u);
  EXPECT_STREQ(classes[0].progId, "Vigilo.TestComponent");
  EXPECT_STREQ(classes[1].classId, kOtherClassId);
  EXPECT_EQ(loadComponentLibrary(VIGILO_TEST_COMPONENT, &whyNot), library);
}

}  // namespace
}  // namespace vigilo
