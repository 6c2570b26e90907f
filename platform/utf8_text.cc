#include "platform/utf8_text.h"

namespace vigilo {
namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

size_t utf8SequenceLength(std::string_view s, bool allowSurrogates) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED && !allowSurrogates) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (s.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (!isContinuation(byte(i))) return 0;
  }
  return length;
}

std::string validUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  while (!bytes.empty()) {
    const size_t length = utf8SequenceLength(bytes);
    if (length == 0) {
      text += kReplacementCharacter;
      bytes.remove_prefix(1);
    } else {
      text += bytes.substr(0, length);
      bytes.remove_prefix(length);
    }
  }
  return text;
}

std::string latin1ToUtf8(std::string_view latin1) {
  std::string text;
  text.reserve(latin1.size());
  for (const char c : latin1) {
    const auto code = static_cast<unsigned char>(c);
    if (code < 0x80) {
      text += c;
    } else {
      text += static_cast<char>(0xC0 | (code >> 6));
      text += static_cast<char>(0x80 | (code & 0x3F));
    }
  }
  return text;
}

std::string leadingCharacters(std::string_view utf8, size_t maxCharacters) {
  size_t end = 0;
  for (size_t count = 0; end < utf8.size() && count < maxCharacters; ++count) {
    ++end;
    while (end < utf8.size() && isContinuation(static_cast<unsigned char>(utf8[end]))) ++end;
  }
  return std::string(utf8.substr(0, end));
}

std::string fitToBuffer(std::string_view utf8, int maxCount) {
  if (maxCount < 1) return {};
  return leadingCharacters(utf8, static_cast<size_t>(maxCount) - 1);
}

}  // namespace vigilo
