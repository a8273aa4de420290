#pragma once
// A Shift_JIS-aware search for one needle over long texts (the chat log
// search reads megabytes with it): a match never starts on the second byte
// of a double-byte character, and ASCII letters may match regardless of
// case while a double-byte character always compares exactly (the second
// byte of "ア" is the letter "A"). Candidates are found by the needle's first
// and last bytes at once, sixteen positions at a time where the processor
// has SSE2; each candidate's character boundary is told by the run of
// possible lead bytes in front of it, so a search costs a pass over the text
// however its characters fall.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tamiru::text {

class SjisSearcher {
 public:
  SjisSearcher(std::string_view needle, bool ignore_ascii_case);

  // The first match in `text` at or after `from`, or npos. `from` must be
  // a character start (the text's start, or the byte after an LF or NUL:
  // neither is ever the first byte of a double-byte character). An empty
  // needle is found at `from`.
  std::size_t Find(std::string_view text, std::size_t from = 0) const;
  std::size_t size() const { return needle_.size(); }

 private:
  bool MatchesAt(const char* at) const;

  std::string needle_;      // letters to fold in lower case
  std::vector<bool> fold_;  // per byte: a single-byte letter, matched in either case
  bool any_fold_ = false;
};

}  // namespace tamiru::text
