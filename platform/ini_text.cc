#include "platform/ini_text.h"

#include <algorithm>

#include "platform/ini_encoding.h"

namespace vigilo::ini {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\v'; }
bool isLineBreak(char c) { return c == '\r' || c == '\n'; }

std::string_view trimBlanks(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

// The caller's section and key names lose only their outer spaces.
std::string_view trimSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool sameName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  return true;
}

bool holdsLineBreak(std::string_view s) { return s.find_first_of(kLineEnd) != s.npos; }

// One line of the text: its content is [begin, end), its line end [end, next).
struct Line {
  size_t begin = 0;
  size_t end = 0;
  size_t next = 0;

  bool terminated() const { return next > end; }
};

// The next place of one byte in a text, searched with memchr and remembered,
// so that a long line is scanned once and at memory speed.
class NextByte {
 public:
  explicit NextByte(char byte) : byte_(byte) {}

  size_t from(std::string_view text, size_t at) {
    if (!known_ || (next_ != text.npos && next_ < at)) {
      next_ = text.find(byte_, at);
      known_ = true;
    }
    return next_;
  }

 private:
  char byte_;
  bool known_ = false;
  size_t next_ = 0;
};

class LineReader {
 public:
  LineReader(std::string_view text, size_t from, size_t to)
      : text_(text.substr(0, to)), at_(from) {}

  bool read(Line* line) {
    if (at_ >= text_.size()) return false;
    line->begin = at_;
    const size_t end = std::min({cr_.from(text_, at_), lf_.from(text_, at_), text_.size()});
    line->end = end;
    size_t next = end;
    if (end < text_.size())
      next += text_[end] == '\r' && end + 1 < text_.size() && text_[end + 1] == '\n' ? 2 : 1;
    line->next = at_ = next;
    return true;
  }

 private:
  std::string_view text_;
  size_t at_;
  NextByte cr_{'\r'};
  NextByte lf_{'\n'};
};

// The section name of a header line, or nothing for any other line.
std::optional<std::string_view> headerName(std::string_view line) {
  const std::string_view content = trimBlanks(line);
  if (content.empty() || content.front() != '[') return std::nullopt;
  std::string_view name = content.substr(1);
  name = name.substr(0, name.find(']'));
  return trimBlanks(name);
}

// A key line: the key's name, and where its value starts (its leading blanks
// skipped) within the line.
struct KeyLine {
  std::string_view name;
  size_t valueBegin = 0;
};

// The key of a line inside a section, or nothing for a comment or a line
// without "=". Header lines are the caller's business.
std::optional<KeyLine> keyLine(std::string_view line) {
  size_t first = 0;
  while (first < line.size() && isBlank(line[first])) ++first;
  if (first == line.size() || line[first] == ';') return std::nullopt;
  const size_t equals = line.find('=', first);
  if (equals == line.npos) return std::nullopt;
  size_t valueBegin = equals + 1;
  while (valueBegin < line.size() && isBlank(line[valueBegin])) ++valueBegin;
  return KeyLine{trimBlanks(line.substr(first, equals - first)), valueBegin};
}

// The first section named `name`: its header line, and where its body (the
// lines up to the next header or the end of the text) ends.
struct Section {
  Line header;
  size_t bodyEnd = 0;
};

std::optional<Section> findSection(std::string_view text, std::string_view name) {
  LineReader lines(text, 0, text.size());
  Line line;
  std::optional<Section> found;
  while (lines.read(&line)) {
    const auto header = headerName(text.substr(line.begin, line.end - line.begin));
    if (!header) continue;
    if (found) {
      found->bodyEnd = line.begin;
      return found;
    }
    if (sameName(*header, name)) found = Section{line, text.size()};
  }
  return found;
}

// The first line of `section`'s body that holds `key`.
struct FoundKey {
  Line line;
  KeyLine key;
};

// Walks the key lines of a section's body, stopping at the one named `key`
// (when there is one). `lastKeyLine` gets the last key line passed.
std::optional<FoundKey> findKey(std::string_view text, const Section& section, std::string_view key,
                                std::optional<Line>* lastKeyLine) {
  LineReader lines(text, section.header.next, section.bodyEnd);
  Line line;
  while (lines.read(&line)) {
    const auto parsed = keyLine(text.substr(line.begin, line.end - line.begin));
    if (!parsed) continue;
    if (sameName(parsed->name, key)) return FoundKey{line, *parsed};
    if (lastKeyLine) *lastKeyLine = line;
  }
  return std::nullopt;
}

std::string_view unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front())
    return value.substr(1, value.size() - 2);
  return value;
}

std::string joined(std::initializer_list<std::string_view> parts) {
  size_t size = 0;
  for (const auto part : parts) size += part.size();
  std::string out;
  out.reserve(size);
  for (const auto part : parts) out += part;
  return out;
}

}  // namespace

std::optional<std::string_view> findValue(std::string_view text, std::string_view section,
                                          std::string_view key) {
  const auto found = findSection(text, trimSpaces(section));
  if (!found) return std::nullopt;
  const auto line = findKey(text, *found, trimSpaces(key), nullptr);
  if (!line) return std::nullopt;
  const size_t valueBegin = line->line.begin + line->key.valueBegin;
  return unquote(trimBlanks(text.substr(valueBegin, line->line.end - valueBegin)));
}

std::string readProfileString(std::optional<std::string_view> fileBytes, std::string_view section,
                              std::string_view key, std::string_view defaultValue, size_t size) {
  if (size == 0) return std::string();
  std::string decoded;
  std::optional<std::string_view> value;
  if (fileBytes) {
    std::string_view text = *fileBytes;
    if (encodingOf(text) == IniEncoding::kUtf16Le) {
      decoded = decodeUtf16LeForReading(text.substr(kUtf16LeMark.size()));
      text = decoded;
    }
    value = findValue(text, section, key);
  }
  if (!value) {
    while (!defaultValue.empty() && defaultValue.back() == ' ') defaultValue.remove_suffix(1);
    value = defaultValue;
  }
  return std::string(firstCharacters(*value, size - 1));
}

bool isWritable(std::string_view section, std::string_view key,
                std::optional<std::string_view> value) {
  return !holdsLineBreak(section) && !holdsLineBreak(key) && !(value && holdsLineBreak(*value));
}

std::optional<std::string> editText(std::string_view text, std::string_view section,
                                    std::string_view key, std::optional<std::string_view> value) {
  if (!isWritable(section, key, value)) return std::nullopt;
  section = trimSpaces(section);
  key = trimSpaces(key);

  const auto found = findSection(text, section);
  if (!found) {
    if (!value) return std::nullopt;
    const bool needsLineEnd = !text.empty() && !isLineBreak(text.back());
    return joined({text, needsLineEnd ? kLineEnd : "", "[", section, "]", kLineEnd, key, "=",
                   *value, kLineEnd});
  }

  std::optional<Line> lastKeyLine;
  const auto existing = findKey(text, *found, key, &lastKeyLine);
  if (existing) {
    const Line& line = existing->line;
    if (!value) return joined({text.substr(0, line.begin), text.substr(line.next)});
    const size_t valueBegin = line.begin + existing->key.valueBegin;
    // The same value again changes nothing, whatever the line's end.
    if (text.substr(valueBegin, line.end - valueBegin) == *value) return std::nullopt;
    return joined({text.substr(0, valueBegin), *value, kLineEnd, text.substr(line.next)});
  }
  if (!value) return std::nullopt;
  const Line& after = lastKeyLine ? *lastKeyLine : found->header;
  return joined({text.substr(0, after.next), after.terminated() ? "" : kLineEnd, key, "=", *value,
                 kLineEnd, text.substr(after.next)});
}

std::optional<std::string> editFile(const std::optional<std::string>& fileBytes,
                                    std::string_view section, std::string_view key,
                                    std::optional<std::string_view> value) {
  if (!fileBytes) return editText("", section, key, value);
  if (encodingOf(*fileBytes) == IniEncoding::kBytes)
    return editText(*fileBytes, section, key, value);

  const std::string_view units = std::string_view(*fileBytes).substr(kUtf16LeMark.size());
  std::string oddByte;
  const std::string text = decodeUtf16Le(units, &oddByte);
  const auto edited = editText(text, section, key, value);
  if (!edited) return std::nullopt;
  return joined({kUtf16LeMark, encodeUtf16Le(*edited), oddByte});
}

}  // namespace vigilo::ini
