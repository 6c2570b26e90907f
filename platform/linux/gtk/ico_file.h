#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace vigilo {

// One picture of an icon (.ico) file, as its directory describes it and its
// data confirms it.
struct IcoEntry {
  int width = 0;
  int height = 0;
  int bitCount = 0;     // colour depth; PNG pictures count as 32
  bool png = false;     // stored PNG-compressed rather than as a DIB
  uint32_t offset = 0;  // of the picture's data in the file
  uint32_t size = 0;
};

// A decoded picture: rows top down, four bytes a pixel (red, green, blue,
// alpha), alpha not premultiplied.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;
};

// The pictures of an icon file; nothing when `file` is not an icon file or its
// directory points outside the data. Entries whose data is unreadable are left
// out, so a file may give an empty list.
std::optional<std::vector<IcoEntry>> readIcoDirectory(std::string_view file);

// The entry that shows best at `size` x `size` pixels: the exact size with the
// most colours, else the nearest larger one (scaling down looks better than
// scaling up), else the largest. Nothing when `entries` is empty.
std::optional<IcoEntry> pickIcoEntry(const std::vector<IcoEntry>& entries, int size);

// Decodes an entry stored as a DIB (1, 4, 8, 16, 24 or 32 bits a pixel, with
// its AND mask as transparency); nothing when its data is damaged or of a kind
// that icons do not use.
std::optional<RgbaImage> decodeDibEntry(std::string_view file, const IcoEntry& entry);

}  // namespace vigilo
