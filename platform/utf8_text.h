#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vigilo {

// The length of the well-formed UTF-8 character at the start of `s`, 0 when
// there is none (overlong forms, surrogates and values above U+10FFFF are
// faults). With `allowSurrogates` the 3-byte forms of U+D800..U+DFFF count,
// as text converted from faulty UTF-16 holds them.
size_t utf8SequenceLength(std::string_view s, bool allowSurrogates = false);

// The text as valid UTF-8: every byte that does not belong to a well-formed
// character stands as U+FFFD, so a faulty title can still be searched.
std::string validUtf8(std::string_view bytes);

// ISO 8859-1 text in UTF-8.
std::string latin1ToUtf8(std::string_view latin1);

// The leading characters of valid UTF-8 text, at most `maxCharacters` of them;
// a multi-byte character is kept whole or not at all.
std::string leadingCharacters(std::string_view utf8, size_t maxCharacters);

// The text of a bounded text buffer: a buffer of maxCount characters keeps at
// most maxCount - 1 of them (none for a count below 1).
std::string fitToBuffer(std::string_view utf8, int maxCount);

}  // namespace vigilo
