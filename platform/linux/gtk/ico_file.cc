#include "platform/linux/gtk/ico_file.h"

#include <algorithm>
#include <cstdlib>
#include <tuple>

namespace vigilo {
namespace {

// Icons larger than this are not icons the program can use; the limit also
// keeps every size computation below far from overflow.
constexpr int kMaxIconSide = 1024;
constexpr std::string_view kPngSignature("\x89PNG\r\n\x1a\n", 8);
constexpr uint32_t kBiRgb = 0;
constexpr uint32_t kBiBitfields = 3;

uint16_t le16(std::string_view d, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(d[at]) | static_cast<uint8_t>(d[at + 1]) << 8);
}
uint32_t le32(std::string_view d, size_t at) {
  return static_cast<uint32_t>(le16(d, at)) | static_cast<uint32_t>(le16(d, at + 2)) << 16;
}
uint32_t be32(std::string_view d, size_t at) {
  uint32_t v = 0;
  for (size_t i = 0; i < 4; ++i) v = v << 8 | static_cast<uint8_t>(d[at + i]);
  return v;
}

// The header fields of a DIB picture that decoding needs.
struct DibHeader {
  uint32_t headerSize = 0;
  int width = 0;
  int height = 0;  // of the picture: the stored height counts the AND mask too
  int bitCount = 0;
  uint32_t compression = 0;
  uint32_t colorsUsed = 0;
};

std::optional<DibHeader> readDibHeader(std::string_view data) {
  if (data.size() < 40) return std::nullopt;
  DibHeader h;
  h.headerSize = le32(data, 0);
  if (h.headerSize < 40 || h.headerSize > data.size()) return std::nullopt;
  const auto width = static_cast<int32_t>(le32(data, 4));
  const auto storedHeight = static_cast<int32_t>(le32(data, 8));
  h.bitCount = le16(data, 14);
  h.compression = le32(data, 16);
  h.colorsUsed = le32(data, 32);
  if (width <= 0 || width > kMaxIconSide || storedHeight <= 0 || storedHeight > 2 * kMaxIconSide)
    return std::nullopt;
  h.width = width;
  h.height = storedHeight / 2;
  if (h.height == 0) return std::nullopt;
  switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
    case 24:
      if (h.compression != kBiRgb) return std::nullopt;
      break;
    case 16:
    case 32:
      if (h.compression != kBiRgb && h.compression != kBiBitfields) return std::nullopt;
      break;
    default:
      return std::nullopt;
  }
  return h;
}

// PNG pictures declare their size in the IHDR chunk that follows the signature.
bool readPngSize(std::string_view data, int* width, int* height) {
  if (data.size() < 24 || data.substr(12, 4) != "IHDR") return false;
  const uint32_t w = be32(data, 16), h = be32(data, 20);
  if (w == 0 || h == 0 || w > kMaxIconSide || h > kMaxIconSide) return false;
  *width = static_cast<int>(w);
  *height = static_cast<int>(h);
  return true;
}

size_t rowBytes(int width, int bitCount) {
  return (static_cast<size_t>(width) * bitCount + 31) / 32 * 4;
}

}  // namespace

std::optional<std::vector<IcoEntry>> readIcoDirectory(std::string_view file) {
  constexpr size_t kHeaderSize = 6, kEntrySize = 16;
  if (file.size() < kHeaderSize || le16(file, 0) != 0 || le16(file, 2) != 1) return std::nullopt;
  const size_t count = le16(file, 4);
  if (count == 0 || file.size() < kHeaderSize + count * kEntrySize) return std::nullopt;

  std::vector<IcoEntry> entries;
  for (size_t i = 0; i < count; ++i) {
    const size_t at = kHeaderSize + i * kEntrySize;
    IcoEntry e;
    e.size = le32(file, at + 8);
    e.offset = le32(file, at + 12);
    if (e.offset > file.size() || e.size > file.size() - e.offset) return std::nullopt;
    const std::string_view data = file.substr(e.offset, e.size);
    if (data.substr(0, kPngSignature.size()) == kPngSignature) {
      if (!readPngSize(data, &e.width, &e.height)) continue;
      e.png = true;
      e.bitCount = 32;
    } else {
      const auto header = readDibHeader(data);
      if (!header) continue;
      e.width = header->width;
      e.height = header->height;
      e.bitCount = header->bitCount;
    }
    entries.push_back(e);
  }
  return entries;
}

std::optional<IcoEntry> pickIcoEntry(const std::vector<IcoEntry>& entries, int size) {
  if (entries.empty()) return std::nullopt;
  // Ranks an entry: exact size first, then larger sides nearest to `size`,
  // then smaller sides nearest to it; within a size, more colours first.
  const auto rank = [size](const IcoEntry& e) {
    const int side = std::max(e.width, e.height);
    const int group = side == size ? 0 : side > size ? 1 : 2;
    return std::make_tuple(group, std::abs(side - size), -e.bitCount);
  };
  return *std::min_element(entries.begin(), entries.end(),
                           [&](const IcoEntry& a, const IcoEntry& b) { return rank(a) < rank(b); });
}

std::optional<RgbaImage> decodeDibEntry(std::string_view file, const IcoEntry& entry) {
  if (entry.png || entry.offset > file.size() || entry.size > file.size() - entry.offset)
    return std::nullopt;
  const std::string_view data = file.substr(entry.offset, entry.size);
  const auto h = readDibHeader(data);
  if (!h) return std::nullopt;

  size_t paletteSize = 0;
  if (h->bitCount <= 8) {
    paletteSize = h->colorsUsed ? h->colorsUsed : size_t{1} << h->bitCount;
    if (paletteSize > 256) return std::nullopt;
  }
  // Bit fields (three masks) follow a 40-byte header; icons use the standard
  // layouts, so the masks themselves are not needed.
  const size_t masks = h->compression == kBiBitfields && h->headerSize == 40 ? 12 : 0;
  const size_t paletteAt = h->headerSize + masks;
  const size_t pixelsAt = paletteAt + paletteSize * 4;
  const size_t colourStride = rowBytes(h->width, h->bitCount);
  const size_t maskStride = rowBytes(h->width, 1);
  const size_t maskAt = pixelsAt + colourStride * h->height;
  if (maskAt > data.size()) return std::nullopt;
  // A 32-bit picture carries its transparency in its alpha channel; some
  // writers leave its AND mask out. Every other kind needs the mask.
  const bool hasMask = maskAt + maskStride * h->height <= data.size();
  if (!hasMask && h->bitCount != 32) return std::nullopt;

  RgbaImage image;
  image.width = h->width;
  image.height = h->height;
  image.pixels.resize(static_cast<size_t>(h->width) * h->height * 4);
  bool anyAlpha = false;
  for (int y = 0; y < h->height; ++y) {
    // Rows are stored bottom up.
    const size_t row = pixelsAt + colourStride * (h->height - 1 - y);
    uint8_t* out = &image.pixels[static_cast<size_t>(y) * h->width * 4];
    for (int x = 0; x < h->width; ++x, out += 4) {
      uint8_t r = 0, g = 0, b = 0, a = 255;
      if (h->bitCount <= 8) {
        const size_t bit = static_cast<size_t>(x) * h->bitCount;
        const uint8_t byte = static_cast<uint8_t>(data[row + bit / 8]);
        const unsigned index = (byte >> (8 - h->bitCount - bit % 8)) & ((1u << h->bitCount) - 1);
        if (index < paletteSize) {
          b = static_cast<uint8_t>(data[paletteAt + index * 4]);
          g = static_cast<uint8_t>(data[paletteAt + index * 4 + 1]);
          r = static_cast<uint8_t>(data[paletteAt + index * 4 + 2]);
        }
      } else if (h->bitCount == 16) {
        // 5-5-5: the layout of plain and of standard bit-field pictures alike.
        const uint16_t v = le16(data, row + x * 2);
        r = static_cast<uint8_t>((v >> 10 & 31) * 255 / 31);
        g = static_cast<uint8_t>((v >> 5 & 31) * 255 / 31);
        b = static_cast<uint8_t>((v & 31) * 255 / 31);
      } else {
        const size_t at = row + static_cast<size_t>(x) * (h->bitCount / 8);
        b = static_cast<uint8_t>(data[at]);
        g = static_cast<uint8_t>(data[at + 1]);
        r = static_cast<uint8_t>(data[at + 2]);
        if (h->bitCount == 32) {
          a = static_cast<uint8_t>(data[at + 3]);
          anyAlpha = anyAlpha || a != 0;
        }
      }
      out[0] = r, out[1] = g, out[2] = b, out[3] = a;
    }
  }

  // A 32-bit picture whose alpha is all zero was written for the old
  // systems: its AND mask says what is transparent, as for every other depth.
  if (hasMask && (h->bitCount != 32 || !anyAlpha)) {
    for (int y = 0; y < h->height; ++y) {
      const size_t row = maskAt + maskStride * (h->height - 1 - y);
      for (int x = 0; x < h->width; ++x) {
        const bool transparent = static_cast<uint8_t>(data[row + x / 8]) >> (7 - x % 8) & 1;
        image.pixels[(static_cast<size_t>(y) * h->width + x) * 4 + 3] = transparent ? 0 : 255;
      }
    }
  } else if (!hasMask && !anyAlpha) {
    // No transparency anywhere: the picture is opaque.
    for (size_t i = 3; i < image.pixels.size(); i += 4) image.pixels[i] = 255;
  }
  return image;
}

}  // namespace vigilo
