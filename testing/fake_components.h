#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/object.h"

namespace vigilo::testing {

// The type and value of a Variant as a test reads them: `Long 2`, `Integer 1`,
// `String "C:\x.ini"`, `Boolean True`, `Double 1.5`, `Date 45000.5`, `Empty`,
// `Null`, `Object`, `Bytes 3`, `Array 2x4`.
std::string describe(const Variant& value);

// Every member access of a family of recording objects, in the order made.
// Lines read "get cApplication.pAppID", "set cUser.Id = Integer 1",
// "call Show()", "call mAdd(Long 1, String \"a\")", "release cUser".
struct CallLog {
  std::vector<std::string> lines;
  void clear() { lines.clear(); }
};

// An Object that records each get, set and call by member name with the
// Variant's type and value. Set properties read back what was set; a test can
// give a property a value first (also a sub-object), give a method a result or
// an action, and make any member fail with a given error. By default every
// member exists; after onlyDeclaredMembers() a member that was neither given a
// value, nor declared as a method, nor set raises 438 as a real component does.
class RecordingObject : public Object, public std::enable_shared_from_this<RecordingObject> {
 public:
  // `name` prefixes the members in the log ("cApplication" gives
  // "set cApplication.pAppID = ..."); the empty name logs bare member names.
  explicit RecordingObject(std::string name = "",
                           std::shared_ptr<CallLog> log = std::make_shared<CallLog>());
  ~RecordingObject() override;

  Variant get(std::string_view member) override;
  void set(std::string_view member, const Variant& value) override;
  Variant call(std::string_view member, const std::vector<Variant>& args) override;

  // A property's value, as get returns it.
  void setProperty(const std::string& member, Variant value);
  // A sub-object sharing this object's log, named after the member; get
  // returns it.
  std::shared_ptr<RecordingObject> addChild(const std::string& member);
  // A method: call runs `action` (when given) and returns its result.
  using Method = std::function<Variant(const std::vector<Variant>&)>;
  void addMethod(const std::string& member, Method action = {});
  // Every access of `member` (get, set or call) is logged, then raises `error`.
  void failMember(const std::string& member, Error error);
  void failMember(const std::string& member);  // 438-like error from this object
  void onlyDeclaredMembers() { onlyDeclared_ = true; }
  // Logs "release <name>" when the last reference goes.
  void logRelease() { logRelease_ = true; }

  // What get would return now (no logging); nothing when never given or set.
  std::optional<Variant> property(const std::string& member) const;
  const std::shared_ptr<CallLog>& log() const { return log_; }
  const std::string& name() const { return name_; }

 protected:
  std::string sourceName() const override;

 private:
  std::string path(std::string_view member) const;
  void raiseIfFailing(const std::string& key) const;
  bool declared(const std::string& key) const;

  std::string name_;
  std::shared_ptr<CallLog> log_;
  // Members are kept lower-cased: late binding ignores case.
  std::map<std::string, Variant> properties_;
  std::map<std::string, Method> methods_;
  std::map<std::string, Error> failures_;
  bool onlyDeclared_ = false;
  bool logRelease_ = false;
};

// Components made by factories that a test registers by ProgID or class id
// (matched without regard to case). An unregistered name raises 429 as the
// real component layer does.
class FakeComponents : public Components {
 public:
  using Factory = std::function<ObjectRef()>;

  ObjectRef createObject(const std::string& progIdOrClassId) override;

  void add(const std::string& progIdOrClassId, Factory factory);
  // Every creation returns the same object.
  void add(const std::string& progIdOrClassId, ObjectRef object);
  // Creating `progIdOrClassId` raises `error` (e.g. a library that fails to load).
  void fail(const std::string& progIdOrClassId, Error error);

  // The names asked for, in order, registered or not.
  std::vector<std::string> requested;

 private:
  std::map<std::string, Factory> factories_;
};

}  // namespace vigilo::testing
