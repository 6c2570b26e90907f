#pragma once

#include <gtk/gtk.h>

#include "components/common/property_object.h"

namespace vigilo::components {

// The stand-in splash screen, "RXSplash.cRXSplash": mShow shows the picture
// named by pGraphicFile (PNG, GIF, animated GIF, ...) centred on the screen
// in a window without frame, and returns at once. The window goes when the
// last reference to the object does. A picture that is missing or cannot be
// read shows nothing and is no error: a splash is never worth a failed start.
class cRXSplash : public PropertyObject {
 public:
  static constexpr char kProgId[] = "RXSplash.cRXSplash";
  static constexpr char kClassId[] = "{ADE8647F-EAF4-4905-AA95-C981FE08CD92}";

  cRXSplash();
  ~cRXSplash() override;

  Variant call(std::string_view member, const std::vector<Variant>& args) override;

 private:
  void show();
  void close();

  GtkWidget* window_ = nullptr;
};

}  // namespace vigilo::components
