// Fuzzes the chat log's line matcher and the Shift_JIS searcher under it on
// arbitrary bytes: every match starts on a character boundary and matches,
// and the block matcher finds the lines that the line-by-line rule finds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "chatlog/log_search.h"
#include "text/sjis.h"
#include "text/sjis_search.h"

namespace {

bool StartsCharacter(std::string_view text, std::size_t pos) {
  std::size_t at = 0;
  while (at < pos) at += tamiru::text::CharWidthAt(text, at);
  return at == pos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // First byte: needle length and case switch; second: speaker length.
  const bool fold = (data[0] & 0x80) != 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data) + 2, size - 2);
  const std::size_t needle_size = std::min<std::size_t>(data[0] % 8, bytes.size());
  const std::size_t speaker_size = std::min<std::size_t>(data[1] % 8, bytes.size() - needle_size);
  const std::string_view needle = bytes.substr(0, needle_size);
  const std::string_view speaker = bytes.substr(needle_size, speaker_size);
  const std::string_view text = bytes.substr(needle_size + speaker_size);

  const tamiru::text::SjisSearcher searcher(needle, fold);
  for (std::size_t from = 0, found; (found = searcher.Find(text, from)) != tamiru::text::npos; from = found + 1) {
    if (!StartsCharacter(text, found)) __builtin_trap();
    const std::string_view piece = text.substr(found, needle.size());
    if (fold ? !tamiru::text::EqualIgnoringCase(piece, needle) : piece != needle) __builtin_trap();
    if (needle.empty()) break;
    // The next search must start on a character boundary again.
    found += tamiru::text::CharWidthAt(text, found) - 1;
  }

  const tamiru::chatlog::LineMatcher matcher({std::string(needle), std::string(speaker), fold});
  std::vector<tamiru::chatlog::LogHit> hits;
  matcher.FindIn(text, 0, 0, hits);
  std::vector<std::uint64_t> expected;
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find_first_of(std::string_view("\n\0", 2), start);
    if (end == std::string_view::npos) end = text.size();
    if (matcher.Matches(text.substr(start, end - start))) expected.push_back(start);
    start = end + 1;
  }
  if (hits.size() != expected.size()) __builtin_trap();
  for (std::size_t i = 0; i < hits.size(); ++i) {
    if (hits[i].offset != expected[i]) __builtin_trap();
    const tamiru::chatlog::LogLineParts parts = tamiru::chatlog::SplitLogLine(text.substr(hits[i].offset, hits[i].length));
    if (!speaker.empty() && speaker.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos &&
        parts.speaker != speaker) {
      __builtin_trap();
    }
  }
  return 0;
}
