#include "platform/reg_file.h"

#include <algorithm>

namespace vigilo {
namespace {

constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// Byte lists are continued before a line would pass this width, as the
// registry editor does.
constexpr size_t kLineWidth = 78;

char foldChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string fold(std::string_view name) {
  std::string folded(name);
  std::transform(folded.begin(), folded.end(), folded.begin(), foldChar);
  return folded;
}

bool equalFolded(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return foldChar(x) == foldChar(y);
         });
}

// The key path without the one trailing backslash it may have.
std::string_view withoutTrailingSlash(std::string_view keyPath) {
  if (!keyPath.empty() && keyPath.back() == '\\') keyPath.remove_suffix(1);
  return keyPath;
}

std::string foldKey(std::string_view keyPath) { return fold(withoutTrailingSlash(keyPath)); }

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view trimLeft(std::string_view s) {
  while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
  return s;
}

std::string_view trimRight(std::string_view s) {
  while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
  return s;
}

std::string_view trim(std::string_view s) { return trimRight(trimLeft(s)); }

bool isBlankLine(std::string_view line) {
  return trim(line).find_first_not_of('\n') == std::string_view::npos;
}

bool startsWithFolded(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && equalFolded(s.substr(0, prefix.size()), prefix);
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// 1 to `maxDigits` hexadecimal digits, the whole of `s`.
std::optional<uint32_t> parseHexNumber(std::string_view s, size_t maxDigits) {
  if (s.empty() || s.size() > maxDigits) return std::nullopt;
  uint32_t n = 0;
  for (char c : s) {
    const int d = hexDigit(c);
    if (d < 0) return std::nullopt;
    n = n << 4 | static_cast<uint32_t>(d);
  }
  return n;
}

// "01,02,ff": bytes of one or two hex digits between commas; white space
// around them and one comma at the end are allowed.
std::optional<std::vector<uint8_t>> parseByteList(std::string_view s) {
  std::vector<uint8_t> bytes;
  s = trim(s);
  if (s.empty()) return bytes;
  if (s.back() == ',') s.remove_suffix(1);
  for (;;) {
    const size_t comma = s.find(',');
    const auto byte = parseHexNumber(trim(s.substr(0, comma)), 2);
    if (!byte) return std::nullopt;
    bytes.push_back(static_cast<uint8_t>(*byte));
    if (comma == std::string_view::npos) return bytes;
    s.remove_prefix(comma + 1);
  }
}

// A quoted text at the start of `s`, with \\ and \" read as escapes (a
// backslash before anything else stands for itself, as hand-written files
// have it); advances `s` past the closing quote.
std::optional<std::string> parseQuoted(std::string_view& s) {
  if (s.empty() || s.front() != '"') return std::nullopt;
  std::string text;
  for (size_t i = 1; i < s.size(); ++i) {
    const char c = s[i];
    if (c == '"') {
      s.remove_prefix(i + 1);
      return text;
    }
    if (c == '\\' && i + 1 < s.size() && (s[i + 1] == '\\' || s[i + 1] == '"')) ++i;
    text += s[i];
  }
  return std::nullopt;
}

std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') out += '\\';
    out += c;
  }
  out += '"';
  return out;
}

// The name of a value line ("name" or @ for the default value) and what
// follows its equals sign.
struct ValueStart {
  std::string name;
  std::string_view data;
};

std::optional<ValueStart> parseValueStart(std::string_view line) {
  line = trimLeft(line);
  ValueStart start;
  if (!line.empty() && line.front() == '@') {
    line.remove_prefix(1);
  } else if (auto name = parseQuoted(line)) {
    start.name = std::move(*name);
  } else {
    return std::nullopt;
  }
  line = trimLeft(line);
  if (line.empty() || line.front() != '=') return std::nullopt;
  start.data = trimLeft(line.substr(1));
  return start;
}

bool startsEntry(std::string_view line) {
  return !line.empty() && (line.front() == '"' || line.front() == '@' || line.front() == '[');
}

bool isByteListData(std::string_view data) { return startsWithFolded(data, "hex"); }

std::optional<RegistryData> parseValueData(std::string_view data) {
  data = trim(data);
  RegistryData value;
  if (!data.empty() && data.front() == '"') {
    auto text = parseQuoted(data);
    if (!text || !trim(data).empty()) return std::nullopt;
    value.type = kRegSz;
    value.bytes.assign(text->begin(), text->end());
    value.bytes.push_back(0);
    return value;
  }
  if (startsWithFolded(data, "dword:")) {
    const auto number = parseHexNumber(data.substr(6), 8);
    if (!number) return std::nullopt;
    value.type = kRegDword;
    for (int i = 0; i < 4; ++i) value.bytes.push_back(static_cast<uint8_t>(*number >> (8 * i)));
    return value;
  }
  if (startsWithFolded(data, "hex:")) {
    value.type = kRegBinary;
    data.remove_prefix(4);
  } else if (startsWithFolded(data, "hex(")) {
    const size_t close = data.find("):");
    if (close == std::string_view::npos) return std::nullopt;
    const auto type = parseHexNumber(data.substr(4, close - 4), 8);
    if (!type) return std::nullopt;
    value.type = *type;
    data.remove_prefix(close + 2);
  } else {
    return std::nullopt;
  }
  auto bytes = parseByteList(data);
  if (!bytes) return std::nullopt;
  value.bytes = std::move(*bytes);
  return value;
}

// A key header "[path]": the path, or nothing for a deletion "[-path]" or a
// header that names no valid key.
std::optional<std::string> parseKeyHeader(std::string_view line) {
  line = trim(line);
  const size_t close = line.rfind(']');
  if (line.empty() || line.front() != '[' || close != line.size() - 1) return std::nullopt;
  std::string_view path = line.substr(1, close - 1);
  if (!path.empty() && path.front() == '-') return std::nullopt;
  if (!RegFile::isValidKeyPath(path)) return std::nullopt;
  return std::string(path);
}

bool isValidUtf8(const std::vector<uint8_t>& bytes, size_t size) {
  for (size_t i = 0; i < size;) {
    const uint8_t c = bytes[i];
    size_t length = 0;
    uint32_t code = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if ((c & 0xE0) == 0xC0) {
      length = 2, code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      length = 3, code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      length = 4, code = c & 0x07;
    } else {
      return false;
    }
    if (i + length > size) return false;
    for (size_t k = 1; k < length; ++k) {
      if ((bytes[i + k] & 0xC0) != 0x80) return false;
      code = code << 6 | (bytes[i + k] & 0x3F);
    }
    constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      return false;
    i += length;
  }
  return true;
}

// Text data that reads back the same when written between quotes: one
// closing NUL and no other, no line break, valid UTF-8.
bool isQuotableText(const RegistryData& data) {
  const auto& b = data.bytes;
  if (b.empty() || b.back() != 0) return false;
  const size_t size = b.size() - 1;
  for (size_t i = 0; i < size; ++i)
    if (b[i] == 0 || b[i] == '\n' || b[i] == '\r') return false;
  return isValidUtf8(b, size);
}

std::string hexText(uint32_t n, int digits) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), kDigits[n & 0xF]);
    n >>= 4;
  } while (n != 0 || static_cast<int>(text.size()) < digits);
  return text;
}

}  // namespace

bool RegFile::isValidKeyPath(std::string_view keyPath) {
  keyPath = withoutTrailingSlash(keyPath);
  if (keyPath.empty() || keyPath.front() == '\\' || keyPath.back() == '\\') return false;
  if (keyPath.find("\\\\") != std::string_view::npos) return false;
  return keyPath.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

bool RegFile::isValidValueName(std::string_view valueName) {
  return valueName.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

std::string formatRegValue(std::string_view valueName, const RegistryData& data,
                           std::string_view lineEnd) {
  std::string line = valueName.empty() ? "@=" : quoted(valueName) + "=";
  if (data.type == kRegSz && isQuotableText(data)) {
    const auto& b = data.bytes;
    line += quoted(std::string_view(reinterpret_cast<const char*>(b.data()), b.size() - 1));
    return line.append(lineEnd);
  }
  if (data.type == kRegDword && data.bytes.size() == 4) {
    const auto& b = data.bytes;
    const uint32_t n = b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24;
    return line.append("dword:").append(hexText(n, 8)).append(lineEnd);
  }
  line += data.type == kRegBinary ? "hex:" : "hex(" + hexText(data.type, 1) + "):";
  std::string text;
  bool lineHasBytes = false;
  for (size_t i = 0; i < data.bytes.size(); ++i) {
    std::string item = hexText(data.bytes[i], 2);
    if (i + 1 < data.bytes.size()) item += ',';
    if (lineHasBytes && line.size() + item.size() > kLineWidth) {
      text.append(line).append("\\").append(lineEnd);
      line = "  ";
    }
    line += item;
    lineHasBytes = true;
  }
  return text.append(line).append(lineEnd);
}

RegFile RegFile::parse(std::string_view text) {
  RegFile file;
  file.sections_.emplace_back();  // what comes before the first key
  const size_t firstBreak = text.find('\n');
  if (firstBreak != std::string_view::npos && firstBreak > 0 && text[firstBreak - 1] == '\r')
    file.lineEnd_ = "\r\n";

  // The file's physical lines, each with its line ending.
  std::vector<std::string_view> lines;
  for (size_t start = 0; start < text.size();) {
    const size_t end = text.find('\n', start);
    const size_t next = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back(text.substr(start, next - start));
    start = next;
  }
  auto content = [&](size_t i) {
    std::string_view line = lines[i];
    if (i == 0 && line.substr(0, kUtf8Bom.size()) == kUtf8Bom) line.remove_prefix(kUtf8Bom.size());
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    return trimRight(line);
  };

  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = trimLeft(content(i));
    if (!line.empty() && line.front() == '[') {
      Section section;
      section.keyPath = parseKeyHeader(line);
      section.entries.push_back({std::string(lines[i])});
      file.sections_.push_back(std::move(section));
      file.index(file.sections_.size() - 1);
      continue;
    }
    Section& section = file.sections_.back();
    Entry entry{std::string(lines[i])};
    if (section.keyPath) {
      if (auto start = parseValueStart(line)) {
        // A byte list may go on over further lines, each but the last
        // ending with a backslash; a line that starts a value or a key is
        // never a continuation.
        std::string data(start->data);
        size_t last = i;
        if (isByteListData(data)) {
          while (!data.empty() && data.back() == '\\' && last + 1 < lines.size() &&
                 !startsEntry(trimLeft(content(last + 1)))) {
            data.pop_back();
            data += trimLeft(content(++last));
          }
        }
        if (auto value = parseValueData(data)) {
          for (size_t k = i + 1; k <= last; ++k) entry.text += lines[k];
          entry.isValue = true;
          entry.name = std::move(start->name);
          entry.data = std::move(*value);
          i = last;
        }
        // A value that cannot be read is kept as it stands, one line at a
        // time, so that a damaged line does not swallow the lines after it.
      }
    }
    section.entries.push_back(std::move(entry));
  }
  return file;
}

std::string RegFile::text() const {
  std::string text;
  for (const Section& section : sections_)
    for (const Entry& entry : section.entries) text += entry.text;
  return text;
}

void RegFile::index(size_t section) {
  const std::optional<std::string>& path = sections_[section].keyPath;
  if (!path) return;
  const std::string_view spelt = withoutTrailingSlash(*path);
  const std::string folded = fold(spelt);
  keySections_[folded].push_back(section);
  for (size_t i = 0; i <= folded.size(); ++i)
    if (i == folded.size() || folded[i] == '\\')
      knownKeys_.emplace(folded.substr(0, i), spelt.substr(0, i));
}

bool RegFile::hasKey(std::string_view keyPath) const {
  return knownKeys_.count(foldKey(keyPath)) > 0;
}

const RegFile::Entry* RegFile::findValue(std::string_view keyPath, std::string_view valueName,
                                         size_t* section) const {
  const auto found = keySections_.find(foldKey(keyPath));
  if (found == keySections_.end()) return nullptr;
  for (auto s = found->second.rbegin(); s != found->second.rend(); ++s) {
    const auto& entries = sections_[*s].entries;
    for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
      if (e->isValue && equalFolded(e->name, valueName)) {
        if (section) *section = *s;
        return &*e;
      }
    }
  }
  return nullptr;
}

std::optional<RegistryData> RegFile::value(std::string_view keyPath,
                                           std::string_view valueName) const {
  const Entry* entry = findValue(keyPath, valueName, nullptr);
  if (!entry) return std::nullopt;
  return entry->data;
}

RegFile::Entry* RegFile::firstEntry() {
  for (Section& section : sections_)
    if (!section.entries.empty()) return &section.entries.front();
  return nullptr;
}

bool RegFile::hasHeader() {
  const Entry* first = firstEntry();
  if (!first) return false;
  std::string_view line = first->text;
  if (line.starts_with(kUtf8Bom)) line.remove_prefix(kUtf8Bom.size());
  line = trim(line.substr(0, line.find('\n')));
  return line == kHeader || line == kOldHeader;
}

void RegFile::endLastLine() {
  for (auto s = sections_.rbegin(); s != sections_.rend(); ++s) {
    if (s->entries.empty()) continue;
    std::string& last = s->entries.back().text;
    if (!last.empty() && last.back() != '\n') last += lineEnd_;
    return;
  }
}

size_t RegFile::appendSection(std::string_view keyPath) {
  // A file without the header gets one, so that the registry editor can
  // import it; whatever the file held stays below it.
  if (!hasHeader()) {
    std::string bom;
    if (Entry* first = firstEntry(); first && first->text.starts_with(kUtf8Bom)) {
      bom = kUtf8Bom;
      first->text.erase(0, kUtf8Bom.size());
    }
    auto& preamble = sections_.front().entries;
    preamble.insert(preamble.begin(), {{bom + std::string(kHeader) + lineEnd_}, {lineEnd_}});
  }

  // Keys above the new one keep the spelling the file has for them.
  std::string path(withoutTrailingSlash(keyPath));
  const std::string folded = fold(path);
  for (size_t i = folded.size(); i > 0; --i) {
    if (i < folded.size() && folded[i] != '\\') continue;
    const auto known = knownKeys_.find(folded.substr(0, i));
    if (known != knownKeys_.end()) {
      path.replace(0, i, known->second);
      break;
    }
  }

  // One blank line between keys, as the registry editor writes them.
  endLastLine();
  Section& last = sections_.back();
  if (!last.entries.empty() && !isBlankLine(last.entries.back().text))
    last.entries.push_back({lineEnd_});

  Section section;
  section.keyPath = path;
  section.entries.push_back({"[" + path + "]" + lineEnd_});
  section.entries.push_back({lineEnd_});
  sections_.push_back(std::move(section));
  index(sections_.size() - 1);
  return sections_.size() - 1;
}

void RegFile::appendEntry(size_t section, Entry entry) {
  // After the key's last value, before the blank lines that end the key.
  auto& entries = sections_[section].entries;
  size_t at = entries.size();
  while (at > 1 && isBlankLine(entries[at - 1].text)) --at;
  std::string& before = entries[at - 1].text;
  if (before.back() != '\n') before += lineEnd_;
  entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
}

bool RegFile::addKey(std::string_view keyPath) {
  if (!isValidKeyPath(keyPath) || hasKey(keyPath)) return false;
  appendSection(keyPath);
  return true;
}

bool RegFile::deleteKey(std::string_view keyPath) {
  const std::string key = foldKey(keyPath);
  if (key.empty() || !knownKeys_.count(key)) return false;
  const auto below = [&](const Section& section) {
    if (!section.keyPath) return false;
    const std::string path = foldKey(*section.keyPath);
    return path == key || path.starts_with(key + "\\");
  };
  std::erase_if(sections_, below);
  keySections_.clear();
  knownKeys_.clear();
  for (size_t i = 0; i < sections_.size(); ++i) index(i);
  return true;
}

bool RegFile::setValue(std::string_view keyPath, std::string_view valueName,
                       const RegistryData& data) {
  if (!isValidKeyPath(keyPath) || !isValidValueName(valueName)) return false;
  size_t section = 0;
  if (auto* entry = const_cast<Entry*>(findValue(keyPath, valueName, &section))) {
    if (entry->data == data) return false;
    entry->data = data;
    entry->text = formatRegValue(entry->name, data, lineEnd_);
    return true;
  }
  const auto sections = keySections_.find(foldKey(keyPath));
  section = sections != keySections_.end() ? sections->second.back() : appendSection(keyPath);
  appendEntry(section,
              Entry(formatRegValue(valueName, data, lineEnd_), std::string(valueName), data));
  return true;
}

}  // namespace vigilo
