#include "stats/line_piece.h"

#include <cstring>

#include "text/sjis.h"

namespace tamiru::stats {

PieceStatus PieceAt(std::string_view data, std::size_t begin, bool at_end, Piece& out) {
  if (begin >= data.size()) return at_end ? PieceStatus::kEndOfData : PieceStatus::kNeedMore;
  const char* base = data.data() + begin;
  const std::size_t available = data.size() - begin;
  // 257 bytes settle a piece: 255 text bytes and whether a line break
  // (LF, or CR LF) follows them.
  const std::size_t window = available < kPieceBytes + 2 ? available : kPieceBytes + 2;
  if (const void* lf = std::memchr(base, '\n', window)) {
    const std::size_t lf_at = static_cast<std::size_t>(static_cast<const char*>(lf) - base);
    std::size_t content = lf_at;
    if (content > 0 && base[content - 1] == '\r') --content;
    if (content >= kPieceBytes) {
      out = {begin, begin + kPieceBytes, {base, kPieceBytes}, content == kPieceBytes};
    } else {
      out = {begin, begin + lf_at + 1, {base, content}, true};
    }
  } else if (available > kPieceBytes && (available >= kPieceBytes + 2 || at_end)) {
    out = {begin, begin + kPieceBytes, {base, kPieceBytes}, false};
  } else if (at_end) {
    out = {begin, data.size(), {base, available}, true};
  } else {
    return PieceStatus::kNeedMore;
  }
  const std::string_view raw = out.text;
  out.text = text::AsBuffered(raw, raw.size() + 1);
  if (out.text.size() < raw.size()) out.ends_line = true;
  return PieceStatus::kFound;
}

std::size_t FindLastByte(std::string_view data, char byte, std::size_t from, std::size_t to) {
  if (to <= from) return std::string_view::npos;
#if defined(__GLIBC__)
  const void* hit = ::memrchr(data.data() + from, byte, to - from);
  return hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data.data()) : std::string_view::npos;
#else
  for (std::size_t i = to; i > from; --i) {
    if (data[i - 1] == byte) return i - 1;
  }
  return std::string_view::npos;
#endif
}

std::size_t PieceStartOf(std::string_view data, std::size_t from, std::size_t p) {
  const std::size_t lf = FindLastByte(data, '\n', from, p);
  const std::size_t line = lf == std::string_view::npos ? from : lf + 1;
  return line + (p - line) / kPieceBytes * kPieceBytes;
}

std::size_t LastSettledPieceStart(std::string_view data, std::size_t from) {
  const std::size_t size = data.size();
  if (size <= from) return from;
  const std::size_t lf = FindLastByte(data, '\n', from, size);
  const std::size_t line = lf == std::string_view::npos ? from : lf + 1;
  std::size_t start = line + (size - line) / kPieceBytes * kPieceBytes;
  // A CR just before the end may pair with a line feed still unread, which
  // would make the piece before it one byte longer.
  if (start == size && start > line && data[start - 1] == '\r') start -= kPieceBytes;
  return start;
}

namespace {

// Result fields are 20 bytes: a plain loop beats the calls there.
constexpr std::size_t kShortText = 32;

bool SameBytes(const char* a, const char* b, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    if (a[i] != b[i]) return false;
  }
  return true;
}

}  // namespace

std::size_t FindInLine(std::string_view text, std::string_view needle) {
  if (needle.size() > text.size()) return std::string_view::npos;
  if (needle.empty()) return 0;
  // Most patterns begin with a space, of which lines and fields are full:
  // the byte after it is looked for instead.
  const std::size_t anchor = needle.size() > 1 && needle[0] == ' ' ? 1 : 0;
  const char wanted = needle[anchor];
  const std::size_t last = text.size() - needle.size();  // the last possible start
  if (text.size() <= kShortText) {
    for (std::size_t start = 0; start <= last; ++start) {
      if (text[start + anchor] == wanted && SameBytes(text.data() + start, needle.data(), needle.size())) return start;
    }
    return std::string_view::npos;
  }
  std::size_t from = anchor;
  while (from <= last + anchor) {
    const void* hit = std::memchr(text.data() + from, wanted, last + anchor + 1 - from);
    if (hit == nullptr) return std::string_view::npos;
    const std::size_t start = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data()) - anchor;
    if (std::memcmp(text.data() + start, needle.data(), needle.size()) == 0) return start;
    from = start + anchor + 1;
  }
  return std::string_view::npos;
}

bool HoldsPlain(std::string_view text, std::string_view needle) {
  return FindInLine(text, needle) != std::string_view::npos;
}

bool HoldsSjis(std::string_view text, std::string_view needle) {
  const std::size_t at = FindInLine(text, needle);
  if (at == std::string_view::npos) return false;
  // A byte that cannot lead a double-byte character ends a character, so
  // the match after it starts on a character.
  if (at == 0 || !text::IsLeadByte(static_cast<unsigned char>(text[at - 1]))) return true;
  return text::ContainsSjis(text, needle);
}

}  // namespace tamiru::stats
