#pragma once

// What the tests of the update check share: a temporary machine whose
// registry settings component is the real class over an in-memory registry
// that logs every value read, and a process launcher that records starts.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "components/registry_settings/cRegistrySettings.h"
#include "platform/ole_date.h"
#include "platform/registry_store.h"
#include "testing/fake_components.h"
#include "testing/fake_process_launcher.h"
#include "testing/test_platform.h"

namespace vigilo::testing {

inline constexpr const char* kRegistrySettingsClassId = "{98EC6CC4-22CB-40F8-A274-7D7E2C162760}";
inline constexpr const char* kMelodexKey = "SOFTWARE\\Fennick Data AS\\Melodex Index\\Newtide";
inline constexpr const char* kCommonFilesKey = "SOFTWARE\\Fennick Data AS\\CommonFiles";

// The registry, with a log of the value names read ("HKCU LastRun").
class ReadLoggingRegistry : public RegistryStore {
 public:
  explicit ReadLoggingRegistry(RegistryStore& inner) : inner_(inner) {}
  bool keyExists(uint32_t root, const std::string& keyPath) override {
    return inner_.keyExists(root, keyPath);
  }
  std::optional<RegistryData> queryValue(uint32_t root, const std::string& keyPath,
                                         const std::string& valueName) override {
    reads.push_back((root == kHkeyCurrentUser ? "HKCU " : "HKLM ") + valueName);
    return inner_.queryValue(root, keyPath, valueName);
  }
  bool createKey(uint32_t root, const std::string& keyPath) override {
    return inner_.createKey(root, keyPath);
  }
  bool setValue(uint32_t root, const std::string& keyPath, const std::string& valueName,
                const RegistryData& data) override {
    return inner_.setValue(root, keyPath, valueName, data);
  }

  std::vector<std::string> reads;

 private:
  RegistryStore& inner_;
};

inline RegistryData textData(const std::string& text) {
  RegistryData data{kRegSz, {text.begin(), text.end()}};
  data.bytes.push_back(0);
  return data;
}

inline RegistryData dwordData(int32_t value) {
  const auto v = static_cast<uint32_t>(value);
  return {kRegDword, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}};
}

inline double day(int year, int month, int dayOfMonth, int hour = 0, int minute = 0) {
  return oleDateFromCivil({year, month, dayOfMonth, hour, minute});
}

class UpdateTest : public ::testing::Test {
 protected:
  UpdateTest() : installed_(services()) { machine.clock.current = day(2026, 3, 10, 12, 0); }

  Platform services() {
    components.add(kRegistrySettingsClassId,
                   []() -> ObjectRef { return std::make_shared<cRegistrySettings>(); });
    Platform p = platform();
    p.components = &components;
    p.processes = &launcher;
    p.registry = &registry;
    return p;
  }

  // Forgets every registry value.
  void resetRegistry() { machine.registry = MemoryRegistryStore(); }

  // Values of the product "Melodex Index" and of the maker's shared folder.
  void setUser(const char* name, const RegistryData& data) {
    ASSERT_TRUE(machine.registry.setValue(kHkeyCurrentUser, kMelodexKey, name, data));
  }
  void setMachine(const char* name, const RegistryData& data) {
    ASSERT_TRUE(machine.registry.setValue(kHkeyLocalMachine, kMelodexKey, name, data));
  }
  void setSharedFolder(const std::string& path) {
    ASSERT_TRUE(
        machine.registry.setValue(kHkeyLocalMachine, kCommonFilesKey, "Path", textData(path)));
  }
  std::optional<RegistryData> user(const char* name) {
    return machine.registry.queryValue(kHkeyCurrentUser, kMelodexKey, name);
  }
  // The user's value as the settings component reads it as text ("" when absent).
  std::string userText(const char* name) {
    auto settings = std::make_shared<cRegistrySettings>();
    settings->set("BaseKey", "SOFTWARE");
    settings->set("Company", "Fennick Data AS");
    settings->set("Application", "Melodex Index");
    settings->set("Section", "Newtide");
    return settings->call("ReadString", {name, ""}).toString();
  }

  TestPlatform machine;
  ReadLoggingRegistry registry{machine.registry};
  FakeComponents components;
  FakeProcessLauncher launcher;

 private:
  ScopedPlatform installed_;
};

}  // namespace vigilo::testing
