#include "text/sjis.h"

#include <algorithm>

namespace tamiru::text {

std::size_t FindBytes(std::string_view haystack, std::string_view needle, std::size_t from) {
  return haystack.find(needle, from);
}

bool ContainsBytes(std::string_view haystack, std::string_view needle) {
  return haystack.find(needle) != npos;
}

std::size_t FindSjis(std::string_view haystack, std::string_view needle) {
  if (needle.size() > haystack.size()) return npos;
  const std::size_t last_start = haystack.size() - needle.size();
  std::size_t pos = 0;
  while (pos <= last_start) {
    if (haystack.compare(pos, needle.size(), needle) == 0) return pos;
    pos += IsLeadByte(static_cast<unsigned char>(haystack[pos])) ? 2 : 1;
  }
  return npos;
}

bool ContainsSjis(std::string_view haystack, std::string_view needle) {
  return FindSjis(haystack, needle) != npos;
}

std::string_view CutAtCharBoundary(std::string_view text, std::size_t max_bytes) {
  if (text.size() <= max_bytes) return text;
  std::size_t pos = 0;
  while (pos < max_bytes) {
    const std::size_t width = IsLeadByte(static_cast<unsigned char>(text[pos])) ? 2 : 1;
    if (pos + width > max_bytes) break;
    pos += width;
  }
  return text.substr(0, pos);
}

std::string_view AsBuffered(std::string_view text, std::size_t buffer_bytes) {
  if (buffer_bytes == 0) return {};
  const std::size_t nul = text.find('\0');
  if (nul != npos) text = text.substr(0, nul);
  return text.substr(0, std::min(text.size(), buffer_bytes - 1));
}

std::size_t CharWidthAt(std::string_view text, std::size_t pos) {
  return IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

std::size_t ByteIndexOfChar(std::string_view text, std::size_t chars) {
  std::size_t pos = 0;
  for (std::size_t n = 0; n < chars && pos < text.size(); ++n) pos += CharWidthAt(text, pos);
  return std::min(pos, text.size());
}

std::size_t CharsBefore(std::string_view text, std::size_t byte_index) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < byte_index && pos < text.size(); ++count) pos += CharWidthAt(text, pos);
  return count;
}

std::size_t FindLastCharOf(std::string_view text, std::string_view bytes) {
  std::size_t found = npos;
  for (std::size_t pos = 0; pos < text.size(); pos += CharWidthAt(text, pos)) {
    if (bytes.find(text[pos]) != npos) found = pos;
  }
  return found;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  for (std::size_t pos = 0; pos < a.size();) {
    const std::size_t width = CharWidthAt(a, pos);
    if (width == 2) {
      if (a.compare(pos, 2, b.substr(pos, 2)) != 0) return false;
    } else if (fold(a[pos]) != fold(b[pos])) {
      return false;
    }
    pos += width;
  }
  return true;
}

}  // namespace tamiru::text
