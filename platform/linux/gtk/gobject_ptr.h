#pragma once

#include <glib-object.h>

#include <utility>

namespace vigilo {

// Owns one reference to a GObject (a pixbuf, a cursor, ...) and drops it at
// the end of its life.
template <typename T>
class GObjectPtr {
 public:
  GObjectPtr() = default;
  // Takes over a reference the caller owns (a "transfer full" result).
  explicit GObjectPtr(T* owned) : object_(owned) {}
  GObjectPtr(const GObjectPtr& other) : object_(other.object_) {
    if (object_) g_object_ref(object_);
  }
  GObjectPtr(GObjectPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
  GObjectPtr& operator=(GObjectPtr other) noexcept {
    std::swap(object_, other.object_);
    return *this;
  }
  ~GObjectPtr() {
    if (object_) g_object_unref(object_);
  }

  // Adds a reference to an object the caller does not own.
  static GObjectPtr share(T* borrowed) {
    if (borrowed) g_object_ref(borrowed);
    return GObjectPtr(borrowed);
  }

  T* get() const { return object_; }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  T* object_ = nullptr;
};

}  // namespace vigilo
