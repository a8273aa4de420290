#include "text/sjis.h"

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

}  // namespace tamiru::text
