// A component library for the tests of the component layer: two classes
// that tell who they are, keep a value and raise errors on request.

#include <string.h>
#include <strings.h>

#include "platform/component_library.h"
#include "platform/error.h"

namespace {

constexpr vigilo::ComponentClass kClasses[] = {
    {"Vigilo.TestComponent", "{6F1D3A52-0C4B-4E8A-9B1E-7A2C5D9E0F11}", "Test component"},
    {"Vigilo.OtherTestComponent", "{6F1D3A52-0C4B-4E8A-9B1E-7A2C5D9E0F22}", "Other test component"},
};

class TestObject : public vigilo::Object {
 public:
  explicit TestObject(std::string className) : className_(std::move(className)) {}

  vigilo::Variant get(std::string_view member) override {
    if (is(member, "ClassName")) return className_;
    if (is(member, "Value")) return value_;
    unknownMember(member);
  }
  void set(std::string_view member, const vigilo::Variant& value) override {
    if (!is(member, "Value")) unknownMember(member);
    value_ = value;
  }
  vigilo::Variant call(std::string_view member, const std::vector<vigilo::Variant>& args) override {
    if (is(member, "Twice")) return int32_t{args.at(0).toLong() * 2};
    if (is(member, "Fail")) throw vigilo::Error(1001, sourceName(), "Failed on request");
    unknownMember(member);
  }

 protected:
  std::string sourceName() const override { return className_; }

 private:
  static bool is(std::string_view member, const char* name) {
    return member.size() == strlen(name) && strncasecmp(member.data(), name, member.size()) == 0;
  }

  std::string className_;
  vigilo::Variant value_;
};

}  // namespace

extern "C" const vigilo::ComponentClass* vigiloComponentClasses(size_t* count) {
  *count = std::size(kClasses);
  return kClasses;
}

extern "C" void vigiloCreateObject(const char* classId, vigilo::ObjectRef* object) {
  for (const vigilo::ComponentClass& c : kClasses)
    if (strcasecmp(classId, c.classId) == 0) *object = std::make_shared<TestObject>(c.progId);
}
