#include "text/sjis_search.h"

#include <cstring>

#include "text/sjis.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tamiru::text {
namespace {

constexpr bool IsAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Whether `pos` starts a character, given that `boundary` (<= pos) does.
// The bytes before `pos` that could be lead bytes are walked back: the one
// before them cannot be a lead byte, so a character starts right after it,
// and from there every possible lead byte is one, taking the next byte with
// it. `boundary` moves up to `pos` (or the byte after it), so the searches
// of one call walk each byte back at most once.
bool StartsCharacter(const unsigned char* text, std::size_t& boundary, std::size_t pos) {
  std::size_t start = pos;
  while (start > boundary && IsLeadByte(text[start - 1])) --start;
  const bool starts = (pos - start) % 2 == 0;
  boundary = starts ? pos : pos + 1;
  return starts;
}

}  // namespace

SjisSearcher::SjisSearcher(std::string_view needle, bool ignore_ascii_case)
    : needle_(needle), fold_(needle.size(), false) {
  if (!ignore_ascii_case) return;
  for (std::size_t pos = 0; pos < needle_.size(); pos += CharWidthAt(needle_, pos)) {
    const auto byte = static_cast<unsigned char>(needle_[pos]);
    if (CharWidthAt(needle_, pos) == 1 && IsAsciiLetter(byte)) {
      needle_[pos] = static_cast<char>(byte | 0x20);
      fold_[pos] = true;
      any_fold_ = true;
    }
  }
}

// A folded position takes either case of its letter: only 'A' and 'a' give
// 'a' when 0x20 is set.
bool SjisSearcher::MatchesAt(const char* at) const {
  if (!any_fold_) return std::memcmp(at, needle_.data(), needle_.size()) == 0;
  for (std::size_t i = 0; i < needle_.size(); ++i) {
    const char byte = fold_[i] ? static_cast<char>(at[i] | 0x20) : at[i];
    if (byte != needle_[i]) return false;
  }
  return true;
}

std::size_t SjisSearcher::Find(std::string_view text, std::size_t from) const {
  const std::size_t m = needle_.size();
  if (m == 0) return from <= text.size() ? from : npos;
  if (text.size() < m || from > text.size() - m) return npos;
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t last = text.size() - m;  // the last possible start
  std::size_t boundary = from;
  const auto first_byte = static_cast<unsigned char>(needle_[0]);
  const auto last_byte = static_cast<unsigned char>(needle_[m - 1]);
  const auto candidate = [&](std::size_t pos) {
    return MatchesAt(text.data() + pos) && StartsCharacter(bytes, boundary, pos);
  };
  std::size_t pos = from;
#if defined(__SSE2__)
  const __m128i first = _mm_set1_epi8(static_cast<char>(first_byte));
  const __m128i final = _mm_set1_epi8(static_cast<char>(last_byte));
  const __m128i fold_first = _mm_set1_epi8(fold_[0] ? 0x20 : 0);
  const __m128i fold_last = _mm_set1_epi8(fold_[m - 1] ? 0x20 : 0);
  for (; last - pos >= 16 && pos <= last; pos += 16) {
    __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + pos));
    __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + pos + m - 1));
    head = _mm_or_si128(head, fold_first);
    tail = _mm_or_si128(tail, fold_last);
    auto mask = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(head, first), _mm_cmpeq_epi8(tail, final))));
    while (mask != 0) {
      const std::size_t at = pos + static_cast<std::size_t>(__builtin_ctz(mask));
      if (candidate(at)) return at;
      mask &= mask - 1;
    }
  }
#endif
  const unsigned char first_fold = fold_[0] ? 0x20 : 0;
  for (; pos <= last; ++pos) {
    if ((bytes[pos] | first_fold) == first_byte && candidate(pos)) return pos;
  }
  return npos;
}

}  // namespace tamiru::text
