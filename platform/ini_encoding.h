#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vigilo::ini {

// How the bytes of an INI file hold its text. Only a UTF-16LE byte order mark
// changes the reading: a file without one is plain 8-bit text, passed through
// as it stands (UTF-8 included; a UTF-8 or UTF-16BE mark is just bytes).
enum class IniEncoding { kBytes, kUtf16Le };

inline constexpr std::string_view kUtf16LeMark = "\xFF\xFE";

IniEncoding encodingOf(std::string_view fileBytes);

// The text of a UTF-16LE file (without its mark) as 8-bit text. Lossless:
// unpaired surrogates become their own 3-byte sequences, and an odd last byte
// goes to `oddByte` (empty when there is none), so that encodeUtf16Le gives
// back the very same bytes.
std::string decodeUtf16Le(std::string_view units, std::string* oddByte);

// The same text for showing to a reader: unpaired surrogates and an odd last
// byte become U+FFFD, so that only well-formed UTF-8 comes out.
std::string decodeUtf16LeForReading(std::string_view units);

// The units of `text` as UTF-16LE, the inverse of decodeUtf16Le. A byte that
// does not start a sequence (from the caller's own arguments) becomes U+FFFD.
std::string encodeUtf16Le(std::string_view text);

// The first `maxCharacters` characters of `text`, where a well-formed UTF-8
// sequence is one character and any other byte is one character, so a cut
// never falls inside a multi-byte character.
std::string_view firstCharacters(std::string_view text, size_t maxCharacters);

}  // namespace vigilo::ini
