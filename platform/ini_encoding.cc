#include "platform/ini_encoding.h"

#include <cstdint>

#include "platform/utf8_text.h"

namespace vigilo::ini {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

char32_t decodeSequence(std::string_view sequence) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(sequence[i]); };
  switch (sequence.size()) {
    case 1:
      return byte(0);
    case 2:
      return (char32_t{byte(0)} & 0x1F) << 6 | (byte(1) & 0x3F);
    case 3:
      return (char32_t{byte(0)} & 0x0F) << 12 | (byte(1) & 0x3F) << 6 | (byte(2) & 0x3F);
    default:
      return (char32_t{byte(0)} & 0x07) << 18 | (byte(1) & 0x3F) << 12 | (byte(2) & 0x3F) << 6 |
             (byte(3) & 0x3F);
  }
}

void appendUtf8(char32_t c, std::string& out) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void appendUnit(char16_t unit, std::string& out) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>(unit >> 8);
}

bool isHighSurrogate(char32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool isLowSurrogate(char32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// Decodes whole units; an unpaired surrogate goes through `lone`.
template <typename LoneSurrogate>
std::string decodeUnits(std::string_view units, LoneSurrogate lone) {
  std::string text;
  text.reserve(units.size() / 2 + units.size() / 8);
  const size_t count = units.size() / 2;
  const auto unitAt = [&](size_t i) -> char32_t {
    return static_cast<unsigned char>(units[2 * i]) | static_cast<unsigned char>(units[2 * i + 1])
                                                          << 8;
  };
  for (size_t i = 0; i < count; ++i) {
    const char32_t unit = unitAt(i);
    if (isHighSurrogate(unit) && i + 1 < count && isLowSurrogate(unitAt(i + 1))) {
      appendUtf8(0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00), text);
      ++i;
    } else if (isHighSurrogate(unit) || isLowSurrogate(unit)) {
      lone(unit, text);
    } else {
      appendUtf8(unit, text);
    }
  }
  return text;
}

}  // namespace

IniEncoding encodingOf(std::string_view fileBytes) {
  return fileBytes.starts_with(kUtf16LeMark) ? IniEncoding::kUtf16Le : IniEncoding::kBytes;
}

std::string decodeUtf16Le(std::string_view units, std::string* oddByte) {
  *oddByte = units.size() % 2 ? std::string(units.substr(units.size() - 1)) : std::string();
  return decodeUnits(units, [](char32_t unit, std::string& out) { appendUtf8(unit, out); });
}

std::string decodeUtf16LeForReading(std::string_view units) {
  std::string text =
      decodeUnits(units, [](char32_t, std::string& out) { appendUtf8(kReplacement, out); });
  if (units.size() % 2) appendUtf8(kReplacement, text);
  return text;
}

std::string encodeUtf16Le(std::string_view text) {
  std::string units;
  units.reserve(text.size() * 2);
  while (!text.empty()) {
    const size_t length = utf8SequenceLength(text, /*allowSurrogates=*/true);
    const char32_t c = length ? decodeSequence(text.substr(0, length)) : kReplacement;
    text.remove_prefix(length ? length : 1);
    if (c >= 0x10000) {
      appendUnit(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)), units);
      appendUnit(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)), units);
    } else {
      appendUnit(static_cast<char16_t>(c), units);
    }
  }
  return units;
}

std::string_view firstCharacters(std::string_view text, size_t maxCharacters) {
  size_t end = 0;
  for (size_t count = 0; count < maxCharacters && end < text.size(); ++count) {
    const size_t length = utf8SequenceLength(text.substr(end));
    end += length ? length : 1;
  }
  return text.substr(0, end);
}

}  // namespace vigilo::ini
