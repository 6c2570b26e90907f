#include "platform/linux/gtk/gtk_icon_picture.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/linux/gtk/ico_file.h"
#include "testing/scoped_temp_dir.h"

namespace vigilo {
namespace {

using Rgba = std::array<uint8_t, 4>;

void put16(std::string& s, unsigned v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8 & 0xFF);
}
void put32(std::string& s, uint32_t v) {
  put16(s, v & 0xFFFF);
  put16(s, v >> 16);
}

// A DIB icon picture of `side` x `side` pixels at `bitCount` bits, with a
// palette of `palette` (for 8 bits and less) and `colorAt(x, y)` giving the
// palette index or, for 24 and 32 bits, the colour (y counts from the top).
std::string dibEntry(int side, int bitCount, const std::vector<Rgba>& palette,
                     const std::function<uint32_t(int, int)>& colorAt,
                     const std::function<bool(int, int)>& transparentAt) {
  std::string d;
  put32(d, 40);
  put32(d, side);
  put32(d, side * 2);
  put16(d, 1);
  put16(d, bitCount);
  put32(d, 0);  // BI_RGB
  put32(d, 0);
  put32(d, 0);
  put32(d, 0);
  put32(d, static_cast<uint32_t>(palette.size()));
  put32(d, 0);
  for (const Rgba& c : palette)
    d += {static_cast<char>(c[2]), static_cast<char>(c[1]), static_cast<char>(c[0]), 0};
  const size_t stride = (static_cast<size_t>(side) * bitCount + 31) / 32 * 4;
  for (int y = side - 1; y >= 0; --y) {
    std::string row(stride, '\0');
    for (int x = 0; x < side; ++x) {
      const uint32_t v = colorAt(x, y);
      if (bitCount <= 8) {
        const int bit = x * bitCount;
        row[bit / 8] = static_cast<char>(row[bit / 8] | v << (8 - bitCount - bit % 8));
      } else {
        for (int i = 0; i < bitCount / 8; ++i)
          row[x * bitCount / 8 + i] = static_cast<char>(v >> (8 * i));
      }
    }
    d += row;
  }
  const size_t maskStride = (static_cast<size_t>(side) + 31) / 32 * 4;
  for (int y = side - 1; y >= 0; --y) {
    std::string row(maskStride, '\0');
    for (int x = 0; x < side; ++x)
      if (transparentAt(x, y)) row[x / 8] = static_cast<char>(row[x / 8] | 0x80 >> (x % 8));
    d += row;
  }
  return d;
}

// An icon file of the given pictures, its directory as writers fill it.
std::string icoFile(const std::vector<std::string>& pictures) {
  std::string f;
  put16(f, 0);
  put16(f, 1);
  put16(f, static_cast<unsigned>(pictures.size()));
  uint32_t offset = 6 + 16 * static_cast<uint32_t>(pictures.size());
  for (const std::string& p : pictures) {
    f += std::string(8, '\0');  // size and colours: readers must not trust them
    f.replace(f.size() - 4, 2, "\x01\x00", 2);
    put32(f, static_cast<uint32_t>(p.size()));
    put32(f, offset);
    offset += static_cast<uint32_t>(p.size());
  }
  for (const std::string& p : pictures) f += p;
  return f;
}

// A PNG picture of one colour, as gdk-pixbuf writes it.
std::string pngPicture(int side, Rgba colour) {
  GObjectPtr<GdkPixbuf> pixbuf(gdk_pixbuf_new(GDK_COLORSPACE_RGB, TRUE, 8, side, side));
  gdk_pixbuf_fill(pixbuf.get(), static_cast<guint32>(colour[0]) << 24 | colour[1] << 16 |
                                    colour[2] << 8 | colour[3]);
  gchar* buffer = nullptr;
  gsize size = 0;
  EXPECT_TRUE(gdk_pixbuf_save_to_buffer(pixbuf.get(), &buffer, &size, "png", nullptr, nullptr));
  std::string png(buffer, size);
  g_free(buffer);
  return png;
}

Rgba pixelAt(GdkPixbuf* pixbuf, int x, int y) {
  const guchar* p = gdk_pixbuf_get_pixels(pixbuf) + y * gdk_pixbuf_get_rowstride(pixbuf) +
                    x * gdk_pixbuf_get_n_channels(pixbuf);
  return {p[0], p[1], p[2], gdk_pixbuf_get_has_alpha(pixbuf) ? p[3] : uint8_t{255}};
}

Rgba pixelAt(const RgbaImage& image, int x, int y) {
  const uint8_t* p = &image.pixels[(static_cast<size_t>(y) * image.width + x) * 4];
  return {p[0], p[1], p[2], p[3]};
}

constexpr Rgba kRed{255, 0, 0, 255};
constexpr Rgba kGreen{0, 192, 0, 255};
constexpr Rgba kBlue{0, 0, 255, 255};
constexpr Rgba kWhite{255, 255, 255, 255};

class IconPictureTest : public ::testing::Test {
 protected:
  std::string write(const std::string& name, const std::string& bytes) {
    const std::string path = dir_ / name;
    testing::writeFile(path, bytes);
    return path;
  }
  testing::ScopedTempDir dir_;
};

// Every DIB depth icons use decodes to the same picture: the top-left
// quarter red, the rest white, the top row's last pixel transparent (rows
// are stored bottom up, so a flipped picture shows).
TEST_F(IconPictureTest, DecodesEveryDibDepthRightSideUp) {
  const auto topLeft = [](int x, int y) { return x < 8 && y < 8; };
  const auto transparent = [](int x, int y) { return x == 15 && y == 0; };
  const std::vector<Rgba> palette{kWhite, kRed};
  struct Case {
    int bitCount;
    std::vector<Rgba> palette;
    std::function<uint32_t(int, int)> colour;
    std::function<bool(int, int)> mask;
  };
  const auto indexed = [&](int x, int y) -> uint32_t { return topLeft(x, y) ? 1 : 0; };
  const auto direct = [&](int alpha) {
    return [&, alpha](int x, int y) -> uint32_t {
      const uint32_t a = transparent(x, y) ? 0 : static_cast<uint32_t>(alpha);
      return (topLeft(x, y) ? 0xFF0000u : 0xFFFFFFu) | a << 24;
    };
  };
  const auto noMask = [](int, int) { return false; };
  const std::vector<Case> cases{
      {1, palette, indexed, transparent}, {4, palette, indexed, transparent},
      {8, palette, indexed, transparent}, {24, {}, direct(0), transparent},
      {32, {}, direct(255), noMask},     // transparency from the alpha channel
      {32, {}, direct(0), transparent},  // all alpha zero: the AND mask counts
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("bits: " + std::to_string(c.bitCount));
    const std::string file = icoFile({dibEntry(16, c.bitCount, c.palette, c.colour, c.mask)});
    const auto entries = readIcoDirectory(file);
    ASSERT_TRUE(entries && entries->size() == 1);
    EXPECT_EQ(entries->front().width, 16);
    EXPECT_EQ(entries->front().bitCount, c.bitCount);
    const auto image = decodeDibEntry(file, entries->front());
    ASSERT_TRUE(image);
    EXPECT_EQ(pixelAt(*image, 0, 0), kRed);
    EXPECT_EQ(pixelAt(*image, 7, 7), kRed);
    EXPECT_EQ(pixelAt(*image, 8, 0), kWhite);
    EXPECT_EQ(pixelAt(*image, 0, 15), kWhite);
    EXPECT_EQ(pixelAt(*image, 15, 0)[3], 0);
  }
}

TEST_F(IconPictureTest, PicksTheLargeIconSizeFromDibAndPngEntries) {
  const auto plain = [](Rgba c) {
    return [c](int, int) -> uint32_t { return 0xFF000000u | c[0] << 16 | c[1] << 8 | c[2]; };
  };
  const auto opaque = [](int, int) { return false; };
  const std::string small = dibEntry(16, 32, {}, plain(kRed), opaque);
  const std::string large = dibEntry(32, 32, {}, plain(kGreen), opaque);
  const std::string png = pngPicture(256, kBlue);

  struct Case {
    const char* what;
    std::vector<std::string> pictures;
    Rgba expected;
  };
  const std::vector<Case> cases{
      {"the 32-pixel DIB among others", {small, png, large}, kGreen},
      {"a PNG entry only, scaled down", {png}, kBlue},
      {"the PNG entry rather than a smaller DIB", {small, png}, kBlue},
      {"a smaller DIB scaled up when nothing else", {small}, kRed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto picture = loadIconPicture(write("icon.ico", icoFile(c.pictures)), 32);
    ASSERT_TRUE(picture);
    EXPECT_EQ(gdk_pixbuf_get_width(picture.get()), 32);
    EXPECT_EQ(gdk_pixbuf_get_height(picture.get()), 32);
    EXPECT_EQ(pixelAt(picture.get(), 16, 16), c.expected);
  }
}

// Icons written by ImageMagick: a 1-bit and a 32-bit DIB and a 256-pixel PNG
// entry (which gdk-pixbuf's own icon loader turns into noise).
TEST_F(IconPictureTest, LoadsIconsOfOtherWriters) {
  const std::string testdata = std::string(VIGILO_SOURCE_DIR) + "/platform/linux/gtk/testdata/";
  const auto mixed = loadIconPicture(testdata + "bmp_and_png.ico", 32);
  ASSERT_TRUE(mixed);
  EXPECT_EQ(pixelAt(mixed.get(), 0, 0)[3], 0);  // the transparent top-left corner
  EXPECT_EQ(pixelAt(mixed.get(), 20, 20), kGreen);
  const auto pngOnly = loadIconPicture(testdata + "png_only.ico", 32);
  ASSERT_TRUE(pngOnly);
  EXPECT_EQ(pixelAt(pngOnly.get(), 31, 31), kBlue);
  const auto sixteen = loadIconPicture(testdata + "bmp_and_png.ico", 16);
  ASSERT_TRUE(sixteen);
  EXPECT_EQ(pixelAt(sixteen.get(), 8, 8), kRed);
  // The demo installation's icon: rounded corners on an opaque face.
  const auto demo = loadIconPicture(std::string(VIGILO_SOURCE_DIR) + "/demo/BrivantRB.ico", 32);
  ASSERT_TRUE(demo);
  EXPECT_EQ(pixelAt(demo.get(), 0, 0)[3], 0);
  EXPECT_EQ(pixelAt(demo.get(), 16, 28)[3], 255);
}

TEST_F(IconPictureTest, FilesThatAreNoUsableIconGiveNoPicture) {
  const auto opaque = [](int, int) { return false; };
  const std::string good = icoFile({dibEntry(
      32, 24, {}, [](int, int) -> uint32_t { return 0xFF; }, opaque)});
  std::string cursor = good;
  cursor[2] = 2;
  std::string pointsOutside = good;
  pointsOutside[21] = '\x7F';  // the entry's offset far beyond the end
  std::string brokenPng = icoFile({pngPicture(32, kBlue)});
  brokenPng.resize(brokenPng.size() - 40);
  const std::string unusedDepth = icoFile({dibEntry(
      16, 2, {kRed, kRed, kRed, kRed}, [](int, int) -> uint32_t { return 0; }, opaque)});

  struct Case {
    const char* what;
    std::string bytes;
  };
  const std::vector<Case> cases{
      {"empty", ""},
      {"a PNG file", pngPicture(32, kBlue)},
      {"text", "[System]\nMusicPath=x\n"},
      {"a cursor file", cursor},
      {"cut in the directory", good.substr(0, 12)},
      {"cut in the picture", good.substr(0, good.size() - 200)},
      {"an entry pointing outside", pointsOutside},
      {"a damaged PNG entry", brokenPng},
      {"a depth icons do not use", unusedDepth},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_FALSE(loadIconPicture(write("bad.ico", c.bytes), 32));
  }
  EXPECT_FALSE(loadIconPicture(dir_ / "missing.ico", 32));
  EXPECT_TRUE(loadIconPicture(write("good.ico", good), 32));
}

}  // namespace
}  // namespace vigilo
