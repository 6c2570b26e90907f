#include "platform/linux/gtk/gtk_icon_picture.h"

#include <cstring>

#include "platform/linux/gtk/ico_file.h"
#include "platform/linux/safe_write.h"

namespace vigilo {
namespace {

// gdk-pixbuf's own icon loader takes PNG-compressed entries for DIBs and
// returns noise without an error; only its PNG loader is used here, on the
// entry's bytes alone.
GObjectPtr<GdkPixbuf> decodePngEntry(std::string_view data) {
  GObjectPtr<GdkPixbufLoader> loader(gdk_pixbuf_loader_new_with_type("png", nullptr));
  if (!loader) return {};
  const bool written = gdk_pixbuf_loader_write(
      loader.get(), reinterpret_cast<const guchar*>(data.data()), data.size(), nullptr);
  const bool closed = gdk_pixbuf_loader_close(loader.get(), nullptr);
  if (!written || !closed) return {};
  return GObjectPtr<GdkPixbuf>::share(gdk_pixbuf_loader_get_pixbuf(loader.get()));
}

GObjectPtr<GdkPixbuf> pixbufFromRgba(const RgbaImage& image) {
  GObjectPtr<GdkPixbuf> pixbuf(
      gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, image.width, image.height));
  if (!pixbuf) return {};
  guchar* pixels = gdk_pixbuf_get_pixels(pixbuf.get());
  const int stride = gdk_pixbuf_get_rowstride(pixbuf.get());
  const size_t rowSize = static_cast<size_t>(image.width) * 4;
  for (int y = 0; y < image.height; ++y)
    std::memcpy(pixels + static_cast<size_t>(y) * stride, &image.pixels[y * rowSize], rowSize);
  return pixbuf;
}

}  // namespace

GObjectPtr<GdkPixbuf> loadIconPicture(const std::string& path, int size) {
  const auto file = readWholeFile(path);
  if (!file) return {};
  const auto entries = readIcoDirectory(*file);
  if (!entries) return {};
  const auto entry = pickIcoEntry(*entries, size);
  if (!entry) return {};

  GObjectPtr<GdkPixbuf> picture;
  if (entry->png) {
    picture = decodePngEntry(std::string_view(*file).substr(entry->offset, entry->size));
  } else if (const auto image = decodeDibEntry(*file, *entry)) {
    picture = pixbufFromRgba(*image);
  }
  if (!picture) return {};
  if (gdk_pixbuf_get_width(picture.get()) == size && gdk_pixbuf_get_height(picture.get()) == size)
    return picture;
  return GObjectPtr<GdkPixbuf>(
      gdk_pixbuf_scale_simple(picture.get(), size, size, GDK_INTERP_HYPER));
}

}  // namespace vigilo
