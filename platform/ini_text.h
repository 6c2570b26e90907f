#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vigilo::ini {

// The INI text format of the Windows profile functions:
//
// - CRLF, LF and CR each end a line.
// - A line whose first character other than a blank (space, TAB, VT) is "["
//   is a section header. The name runs to the first "]" (or the line's end)
//   and loses its outer blanks; anything after the "]" is ignored. Lines
//   before the first header belong to no section.
// - Only the first section of a name is ever searched or written.
// - In a section, a line whose first non-blank character is ";" is a comment;
//   any other line with a "=" is a key line, split at its first "=", with the
//   outer blanks dropped from both sides. The first of duplicate keys wins.
// - Names compare without regard to (ASCII) case. Of the caller's section and
//   key names only outer spaces are dropped.
// - A value loses its outer blanks and then one pair of matching outer quotes
//   (" or ').

// The value of `key` in `section` of the INI text `text`, or nothing when the
// section or the key is not there. Points into `text`.
std::optional<std::string_view> findValue(std::string_view text, std::string_view section,
                                          std::string_view key);

// What GetPrivateProfileString gives for an INI file with the bytes
// `fileBytes` (nothing: no readable file): the value found, else the default
// without its trailing spaces, cut to at most `size` - 1 characters, never
// inside a multi-byte character. Size 0 gives "".
std::string readProfileString(std::optional<std::string_view> fileBytes, std::string_view section,
                              std::string_view key, std::string_view defaultValue, size_t size);

// Whether a write of these names and value may go to a file. A CR or LF would
// start new lines in the file and so store another key or section than the
// one named: such a write must write nothing.
bool isWritable(std::string_view section, std::string_view key,
                std::optional<std::string_view> value);

// The INI text `text` after storing `value` under `key` in `section` (no value
// deletes the key's line), or nothing when the text stays as it is:
// - An existing key keeps its line up to its value; the value and the line's
//   end become `value` and CRLF.
// - A new key goes right after the section's last key line (after the header
//   when it has none), as "key=value" CRLF.
// - A new section goes at the end, after a CRLF when the last line has no line
//   end, as "[section]" CRLF "key=value" CRLF.
// - Every other byte stays as it was.
std::optional<std::string> editText(std::string_view text, std::string_view section,
                                    std::string_view key, std::optional<std::string_view> value);

// The same edit on the bytes of an INI file (nothing: there is no file yet),
// in the file's own encoding. Nothing when the file stays as it is.
std::optional<std::string> editFile(const std::optional<std::string>& fileBytes,
                                    std::string_view section, std::string_view key,
                                    std::optional<std::string_view> value);

}  // namespace vigilo::ini
