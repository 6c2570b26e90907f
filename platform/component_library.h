#pragma once

#include <cstddef>

#include "platform/object.h"

// The two entry points of a component library, a shared library that the
// component layer loads by the path registered under the class's
// InprocServer32 key.
//
// A component library is built without the program's own code: the
// program's Variant, Error and platform services are the ones of the
// executable that loads it, so that a value, an error or a platform service
// means the same on both sides. Everything but these two functions should be
// hidden in the library.

namespace vigilo {

// One class a library provides, as the registration tool writes it.
struct ComponentClass {
  const char* progId;       // "Library.Class"
  const char* classId;      // "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}"
  const char* description;  // the default value of both registry keys
};

// The names under which the loader looks the entry points up.
inline constexpr char kComponentClassesSymbol[] = "vigiloComponentClasses";
inline constexpr char kCreateComponentSymbol[] = "vigiloCreateObject";

}  // namespace vigilo

extern "C" {

// The classes of the library; `*count` receives their number.
[[gnu::visibility("default")]] const vigilo::ComponentClass* vigiloComponentClasses(size_t* count);

// Makes a new object of the class `classId` (compared without regard to case)
// into `*object`; leaves it empty when the library has no such class. A
// failure to make it raises vigilo::Error.
[[gnu::visibility("default")]] void vigiloCreateObject(const char* classId,
                                                       vigilo::ObjectRef* object);
}
