#include "platform/linux/x11_text.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "platform/utf8_text.h"

namespace vigilo {
namespace {

// Text properties may hold several strings separated by NUL bytes.
std::string_view firstString(std::string_view bytes) { return bytes.substr(0, bytes.find('\0')); }

}  // namespace

X11TextDecoder::~X11TextDecoder() {
  if (display_) XCloseDisplay(display_);
}

std::string X11TextDecoder::text(const X11Property& property, const X11Atoms& atoms) {
  if (property.format != 8) return {};
  if (property.type == atoms.utf8String && property.type != XCB_ATOM_NONE) {
    return validUtf8(firstString(property.bytes));
  }
  if (property.type == XCB_ATOM_STRING) return latin1ToUtf8(firstString(property.bytes));
  if (property.type == atoms.compoundText && property.type != XCB_ATOM_NONE) {
    return compoundText(property.bytes, property.type);
  }
  return {};
}

std::string X11TextDecoder::className(const X11Property& property, const X11Atoms& atoms) {
  const std::string_view bytes = property.bytes;
  const size_t end = bytes.find('\0');
  if (end == std::string_view::npos) return {};
  X11Property classPart = property;
  classPart.bytes = std::string(bytes.substr(end + 1));
  return text(classPart, atoms);
}

std::string X11TextDecoder::compoundText(std::string_view bytes, xcb_atom_t encoding) {
  if (!displayTried_) {
    displayTried_ = true;
    display_ = XOpenDisplay(displayName_.c_str());
  }
  if (display_) {
    XTextProperty property;
    property.value = reinterpret_cast<unsigned char*>(const_cast<char*>(bytes.data()));
    property.encoding = encoding;  // atoms are the same on every connection
    property.format = 8;
    property.nitems = bytes.size();
    char** list = nullptr;
    int count = 0;
    // A positive result counts characters that had no UTF-8 form; the rest
    // of the text is still good.
    if (Xutf8TextPropertyToTextList(display_, &property, &list, &count) >= 0) {
      std::string decoded = count > 0 && list[0] ? validUtf8(list[0]) : std::string();
      if (list) XFreeStringList(list);
      return decoded;
    }
  }
  // Without Xlib's converters the text reads as what compound text is in the
  // plain case: ISO 8859-1.
  return latin1ToUtf8(firstString(bytes));
}

}  // namespace vigilo
