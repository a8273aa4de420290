#include "chatlog/keywords.h"

#include "text/sjis.h"

namespace tamiru::chatlog {
namespace {

// 0-based index of byte 16: the first byte after the name column.
constexpr std::size_t kMessageTextStart = 15;

// The message text after the name column. The start is found by walking
// characters from the line's first byte, so that a double-byte character
// across the column boundary (a long name, or the waiting room's first
// character) never lends its trail byte as a search start.
std::string_view SearchedText(std::string_view message) {
  if (!message.empty() && message.back() == '\n') message.remove_suffix(1);
  if (!message.empty() && message.back() == '\r') message.remove_suffix(1);
  std::size_t pos = 0;
  while (pos < kMessageTextStart && pos < message.size()) {
    pos += text::CharWidthAt(message, pos);
  }
  if (pos >= message.size()) return {};
  return message.substr(pos);
}

}  // namespace

int CountKeywordHits(std::string_view aligned_message, const std::vector<std::string>& keyword_list) {
  const std::string_view searched = SearchedText(aligned_message);
  int hits = 0;
  for (const auto& keyword : keyword_list) {
    if (!keyword.empty() && text::ContainsSjis(searched, keyword)) ++hits;
  }
  return hits;
}

}  // namespace tamiru::chatlog
