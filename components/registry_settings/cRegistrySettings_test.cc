#include "components/registry_settings/cRegistrySettings.h"

#include <gtest/gtest.h>

#include "platform/error.h"
#include "platform/platform.h"
#include "platform/registry_store.h"
#include "testing/memory_registry_store.h"

namespace vigilo {
namespace {

constexpr int32_t kCurrentUser = static_cast<int32_t>(kHkeyCurrentUser);
constexpr int32_t kLocalMachine = static_cast<int32_t>(kHkeyLocalMachine);
constexpr const char* kNewtideKey = "SOFTWARE\\Fennick Data AS\\Melodex Index\\Newtide";

class RegistrySettingsTest : public ::testing::Test {
 protected:
  RegistrySettingsTest() : installed_(services()) {
    settings.set("BaseKey", "SOFTWARE");
    settings.set("Company", "Fennick Data AS");
    select(kCurrentUser, "Melodex Index", "Newtide");
  }

  Platform services() {
    Platform p;
    p.registry = &registry;
    return p;
  }

  void select(int32_t root, const char* application, const char* section) {
    settings.set("RootKey", root);
    settings.set("Application", application);
    settings.set("Section", section);
  }

  Variant call(const char* member, Variant name, Variant value) {
    return settings.call(member, {std::move(name), std::move(value)});
  }

  void store(uint32_t root, const char* key, const char* name, RegistryData data) {
    ASSERT_TRUE(registry.setValue(root, key, name, data));
  }

  static RegistryData text(const std::string& s) {
    RegistryData data{kRegSz, {s.begin(), s.end()}};
    data.bytes.push_back(0);
    return data;
  }

  static RegistryData dword(uint32_t v) {
    return {kRegDword, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}};
  }

  testing::MemoryRegistryStore registry;
  cRegistrySettings settings;

 private:
  ScopedPlatform installed_;
};

TEST_F(RegistrySettingsTest, KeyPathJoinsTheSetPartsAndLeavesOutEmptyOnes) {
  call("WriteString", "LastRun", "01.02.2026");
  EXPECT_EQ(registry.queryValue(kHkeyCurrentUser, kNewtideKey, "LastRun"), text("01.02.2026"));

  select(kLocalMachine, "CommonFiles", "");
  call("WriteString", "Path", "/opt/Brivant");
  EXPECT_EQ(
      registry.queryValue(kHkeyLocalMachine, "SOFTWARE\\Fennick Data AS\\CommonFiles", "Path"),
      text("/opt/Brivant"));
  EXPECT_FALSE(registry.keyExists(kHkeyCurrentUser, "SOFTWARE\\Fennick Data AS\\CommonFiles"));
}

TEST_F(RegistrySettingsTest, PropertiesKeepTheirValueUntilSetAgain) {
  settings.set("section", "Other");  // member names ignore case
  EXPECT_EQ(settings.get("Section"), Variant("Other"));
  EXPECT_EQ(settings.get("BaseKey"), Variant("SOFTWARE"));
  EXPECT_EQ(settings.get("Company"), Variant("Fennick Data AS"));
  EXPECT_EQ(settings.get("Application"), Variant("Melodex Index"));
  EXPECT_EQ(settings.get("RootKey"), Variant(kCurrentUser));
}

TEST_F(RegistrySettingsTest, AbsentValuesReadAsTheDefaultOfTheAskedType) {
  EXPECT_EQ(call("ReadBool", "Enabled", true), Variant(true));
  EXPECT_EQ(call("ReadBool", "Enabled", false), Variant(false));
  EXPECT_EQ(call("ReadLong", "Interval", int32_t{0}), Variant(int32_t{0}));
  EXPECT_EQ(call("ReadLong", "Interval", int16_t{7}), Variant(int32_t{7}));
  EXPECT_EQ(call("ReadString", "LastRun", ""), Variant(""));
  EXPECT_EQ(registry.writes, 0);
}

TEST_F(RegistrySettingsTest, WriteBoolReadsBackAsTextOfTheSameTruthValue) {
  for (bool value : {true, false}) {
    call("WriteBool", "Enabled", value);
    const std::string asText = call("ReadString", "Enabled", "").toString();
    EXPECT_FALSE(asText.empty());
    EXPECT_EQ(Variant(asText).toBool(), value) << asText;
    EXPECT_EQ(call("ReadBool", "Enabled", !value), Variant(value));
  }
}

TEST_F(RegistrySettingsTest, LongsRoundTripAndReadAsText) {
  for (int32_t value : {14, 0, -3, INT32_MAX, INT32_MIN}) {
    call("WriteLong", "Interval", value);
    EXPECT_EQ(call("ReadLong", "Interval", int32_t{99}), Variant(value));
    EXPECT_EQ(call("ReadString", "Interval", ""), Variant(std::to_string(value)));
  }
}

TEST_F(RegistrySettingsTest, ValuesStoredByOthersConvertOrFailWithTypeMismatch) {
  struct Case {
    RegistryData data;
    const char* reader;
    std::optional<Variant> expected;  // nothing: error 13
  };
  const Case cases[] = {
      {text("True"), "ReadBool", Variant(true)},
      {text("fALSE"), "ReadBool", Variant(false)},
      {text("0"), "ReadBool", Variant(false)},
      {text("-1"), "ReadBool", Variant(true)},
      {text("yes"), "ReadBool", std::nullopt},
      {text(""), "ReadBool", Variant(true)},  // empty: the default
      {dword(0), "ReadBool", Variant(false)},
      {text("14"), "ReadLong", Variant(int32_t{14})},
      {text(" 7 "), "ReadLong", Variant(int32_t{7})},
      {text("seven"), "ReadLong", std::nullopt},
      {text(""), "ReadLong", Variant(int32_t{5})},
      {RegistryData{kRegBinary, {1, 2}}, "ReadLong", std::nullopt},
      {RegistryData{kRegDword, {1, 2}}, "ReadString", std::nullopt},
      {RegistryData{kRegBinary, {1, 2}}, "ReadString", std::nullopt},
      {RegistryData{kRegExpandSz, {'a', 'b', 0, 'c'}}, "ReadString", Variant("ab")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.reader) + " of type " + std::to_string(c.data.type));
    store(kHkeyCurrentUser, kNewtideKey, "Value", c.data);
    const Variant defaultValue = std::string(c.reader) == "ReadBool"   ? Variant(true)
                                 : std::string(c.reader) == "ReadLong" ? Variant(int32_t{5})
                                                                       : Variant("");
    if (c.expected) {
      EXPECT_EQ(call(c.reader, "Value", defaultValue), *c.expected);
    } else {
      try {
        call(c.reader, "Value", defaultValue);
        ADD_FAILURE() << "no failure";
      } catch (const Error& e) {
        EXPECT_EQ(e.number(), errc::kTypeMismatch);
        EXPECT_EQ(e.source(), "cRegistrySettings");
        EXPECT_NE(
            e.description().find("\"Value\" under HKEY_CURRENT_USER\\" + std::string(kNewtideKey)),
            std::string::npos)
            << e.description();
      }
    }
  }
}

TEST_F(RegistrySettingsTest, RefusedWriteIsAnErrorNamingTheValueAndKey) {
  registry.refuseWrites = true;
  for (const char* writer : {"WriteBool", "WriteLong", "WriteString"}) {
    try {
      call(writer, "Enabled", int32_t{1});
      ADD_FAILURE() << writer << " did not fail";
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), errc::kPermissionDenied);
      EXPECT_EQ(e.source(), "cRegistrySettings");
      EXPECT_NE(
          e.description().find("\"Enabled\" under HKEY_CURRENT_USER\\" + std::string(kNewtideKey)),
          std::string::npos)
          << e.description();
    }
  }
}

TEST_F(RegistrySettingsTest, MisuseIsAnErrorWithTheRuntimesNumber) {
  struct Case {
    std::function<void()> misuse;
    int32_t number;
  };
  const Case cases[] = {
      {[&] { settings.set("RootKey", int32_t{42}); }, errc::kInvalidProcedureCall},
      {[&] { settings.call("ReadLong", {"Interval"}); }, 450},
      {[&] {
         settings.call("WriteString", {"a", "b", "c"});
       },
       450},
      {[&] { settings.call("DeleteValue", {"a"}); }, errc::kMemberNotFound},
      {[&] { settings.get("ReadBool"); }, errc::kMemberNotFound},
      {[&] { call("WriteLong", "Interval", "many"); }, errc::kTypeMismatch},
  };
  for (const Case& c : cases) {
    try {
      c.misuse();
      ADD_FAILURE() << "no failure, expected " << c.number;
    } catch (const Error& e) {
      EXPECT_EQ(e.number(), c.number) << e.description();
    }
  }
  EXPECT_EQ(settings.get("RootKey"), Variant(kCurrentUser));  // a refused root changes nothing
}

}  // namespace
}  // namespace vigilo
