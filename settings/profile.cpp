#include "settings/profile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/files.h"
#include "text/sjis.h"

namespace tamiru::settings {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kNewLine = "\r\n";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\x1A'; }
bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

// Blanks are all below 0x40, so they are never the trail byte of a
// double-byte character and can be trimmed byte by byte.
std::string_view TrimLeft(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  return s;
}
std::string_view TrimRight(std::string_view s) {
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}
std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

std::string_view UpToNul(std::string_view s) { return s.substr(0, s.find('\0')); }

struct Line {
  std::size_t begin = 0;  // content: [begin, end)
  std::size_t end = 0;
  std::size_t next = 0;  // after the line end
};

class LineCursor {
 public:
  explicit LineCursor(std::string_view bytes)
      : bytes_(bytes), pos_(bytes.substr(0, kUtf8Mark.size()) == kUtf8Mark ? kUtf8Mark.size() : 0) {}

  std::size_t start() const { return pos_; }

  bool Next(Line& line) {
    if (pos_ >= bytes_.size()) return false;
    line.begin = pos_;
    std::size_t end = std::min(NextOf('\r', next_cr_), NextOf('\n', next_lf_));
    line.end = end;
    if (end < bytes_.size()) {
      end += (bytes_[end] == '\r' && end + 1 < bytes_.size() && bytes_[end + 1] == '\n') ? 2 : 1;
    }
    line.next = pos_ = end;
    return true;
  }

 private:
  // The next `c` at or after the cursor. The last position found is kept, so
  // a file of LF lines is not searched to its end for a CR at every line.
  std::size_t NextOf(char c, std::size_t& cached) {
    if (cached == text::npos || cached < pos_) {
      const void* found = std::memchr(bytes_.data() + pos_, c, bytes_.size() - pos_);
      cached = found ? static_cast<std::size_t>(static_cast<const char*>(found) - bytes_.data())
                     : bytes_.size();
    }
    return cached;
  }

  std::string_view bytes_;
  std::size_t pos_;
  std::size_t next_cr_ = text::npos;
  std::size_t next_lf_ = text::npos;
};

struct Entry {
  enum Kind { kBlank, kSection, kKey } kind = kBlank;
  std::string_view name;
  bool has_value = false;
  std::string_view value;  // trimmed, quotes kept
};

Entry ParseLine(std::string_view content) {
  Entry entry;
  const std::string_view line = Trim(content);
  if (line.empty()) return entry;
  if (line.front() == '[') {
    const std::size_t close = text::FindLastCharOf(line, "]");
    if (close != text::npos) {
      entry.kind = Entry::kSection;
      entry.name = Trim(line.substr(1, close - 1));
      return entry;
    }
  }
  entry.kind = Entry::kKey;
  const std::size_t equals = line.find('=');  // 0x3D is never a trail byte
  if (equals == text::npos) {
    entry.name = line;
  } else {
    entry.name = TrimRight(line.substr(0, equals));
    entry.has_value = true;
    entry.value = TrimLeft(line.substr(equals + 1));
  }
  return entry;
}

// Walks the lines of the first section named `section`, calling
// on_line(line, entry) for each of them (header excluded); stops early when
// on_line returns false. Returns whether the section exists. The nameless
// section "" always exists: the lines before the first header.
template <typename OnLine>
bool ForEachLineOfSection(std::string_view bytes, std::string_view section, OnLine on_line,
                          Line* header = nullptr) {
  LineCursor cursor(bytes);
  bool inside = text::EqualIgnoringCase(section, "");
  bool found = inside;
  if (header) *header = Line{cursor.start(), cursor.start(), cursor.start()};
  Line line;
  while (cursor.Next(line)) {
    const Entry entry = ParseLine(std::string_view(bytes).substr(line.begin, line.end - line.begin));
    if (entry.kind == Entry::kSection) {
      if (inside) return true;  // a later section of the same name is never read
      if (text::EqualIgnoringCase(UpToNul(entry.name), section)) {
        inside = found = true;
        if (header) *header = line;
      }
      continue;
    }
    if (inside && !on_line(line, entry)) return true;
  }
  return found;
}

std::string ValueAsRead(std::string_view raw, std::size_t buffer_bytes) {
  std::string_view value = UpToNul(raw);
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  if (buffer_bytes == 0) return {};
  return std::string(text::CutAtCharBoundary(value, buffer_bytes - 1));
}

}  // namespace

std::vector<std::optional<std::string>> ReadProfileValues(
    std::string_view bytes, std::string_view section, const std::vector<std::string_view>& keys,
    std::size_t buffer_bytes) {
  std::vector<std::optional<std::string>> values(keys.size());
  std::vector<std::string_view> wanted;
  for (std::string_view key : keys) wanted.push_back(Trim(key));
  std::vector<bool> decided(keys.size(), false);
  std::size_t undecided = keys.size();
  ForEachLineOfSection(bytes, Trim(section), [&](const Line&, const Entry& entry) {
    if (entry.kind != Entry::kKey) return true;
    const std::string_view name = UpToNul(entry.name);
    for (std::size_t i = 0; i < wanted.size(); ++i) {
      if (decided[i] || !text::EqualIgnoringCase(name, wanted[i])) continue;
      decided[i] = true;
      --undecided;
      if (entry.has_value) values[i] = ValueAsRead(entry.value, buffer_bytes);
    }
    return undecided > 0;
  });
  return values;
}

std::optional<std::string> ReadProfileValue(std::string_view bytes, std::string_view section,
                                             std::string_view key, std::size_t buffer_bytes) {
  return std::move(ReadProfileValues(bytes, section, {key}, buffer_bytes).front());
}

std::optional<std::string> WriteProfileValue(std::string_view bytes, std::string_view section,
                                              std::string_view key, std::string_view value) {
  section = Trim(section);
  key = Trim(key);
  value = UpToNul(value);
  while (!value.empty() && (IsBlank(value.front()) || IsLineEnd(value.front()))) value.remove_prefix(1);
  value = value.substr(0, value.find_first_of(kNewLine));

  bool key_found = false;
  Line key_line;
  Entry key_entry;
  Line last_filled;  // the last non-blank line of the section, header included
  const bool section_found = ForEachLineOfSection(
      bytes, section,
      [&](const Line& line, const Entry& entry) {
        if (entry.kind == Entry::kBlank) return true;
        last_filled = line;
        if (text::EqualIgnoringCase(UpToNul(entry.name), key)) {
          key_found = true;
          key_line = line;
          key_entry = entry;
          return false;
        }
        return true;
      },
      &last_filled);

  std::string result;
  if (key_found) {
    if (key_entry.has_value && UpToNul(key_entry.value) == value) return std::nullopt;
    result.reserve(bytes.size() + value.size() + key.size() + 2);
    result.append(bytes.substr(0, key_line.begin));
    result.append(key_entry.name).append("=").append(value);
    result.append(bytes.substr(key_line.end));
    return result;
  }

  std::string new_lines;
  if (!section_found) new_lines.append("[").append(section).append("]").append(kNewLine);
  new_lines.append(key).append("=").append(value).append(kNewLine);

  // Insert after the section's last filled line, or at the end of the file
  // for a new section; a last line without a line end gets one first.
  const std::size_t at = section_found ? last_filled.next : bytes.size();
  const bool needs_line_end = at > LineCursor(bytes).start() && !IsLineEnd(bytes[at - 1]);
  result.reserve(bytes.size() + new_lines.size() + 2);
  result.append(bytes.substr(0, at));
  if (needs_line_end) result.append(kNewLine);
  result.append(new_lines);
  result.append(bytes.substr(at));
  return result;
}

std::optional<std::string> ReadProfileFileForWrite(const std::string& path) {
  errno = 0;
  std::optional<std::string> bytes = platform::ReadWholeFile(path);
  if (bytes) return bytes;
  if (errno == ENOENT) return std::string();
  return std::nullopt;
}

}  // namespace tamiru::settings
