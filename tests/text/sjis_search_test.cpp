#include "text/sjis_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "text/sjis.h"

namespace tamiru::text {
namespace {

// Straight from the rules: every character start in turn, compared exactly
// or with EqualIgnoringCase.
std::size_t ReferenceFind(std::string_view text, std::string_view needle, bool fold, std::size_t from) {
  for (std::size_t pos = from; pos + needle.size() <= text.size(); pos += CharWidthAt(text, pos)) {
    const std::string_view piece = text.substr(pos, needle.size());
    if (fold ? EqualIgnoringCase(piece, needle) : piece == needle) return pos;
    if (pos == text.size()) break;
  }
  return npos;
}

TEST(SjisSearcher, CasesAndCharacterBoundaries) {
  struct Case {
    std::string text, needle;
    bool fold;
    std::size_t found;
  };
  const Case cases[] = {
      {"Hello World", "world", true, 6},
      {"Hello World", "world", false, npos},
      {"\x83\x41" "A", "A", false, 2},           // "ア" then "A": not the trail byte
      {"\x83\x41", "\x83\x61", true, npos},       // a trail letter is never folded
      {"\x83\x61" "a", "A", true, 2},
      {"\x88\x91\xD2\x8D\x87\x8E\xBA", "待合室", false, npos},  // shifted behind a lead byte
      {"x待合室", "待合室", false, 1},
      {std::string(40, '\x81') + "\x81\x81", "\x81\x81", false, 0},
      {std::string(41, '\x81') + "ab", "\x81" "a", false, 40},  // 41 lead bytes: the last stands alone before "a"
      {"abc", "", false, 0},
      {"ab", "abc", false, npos},
      {std::string(33, 'z') + "needle", "NEEDLE", true, 33},  // past the sixteen-byte steps
  };
  for (const Case& c : cases) {
    EXPECT_EQ(SjisSearcher(c.needle, c.fold).Find(c.text), c.found) << c.text << " / " << c.needle;
    EXPECT_EQ(ReferenceFind(c.text, c.needle, c.fold, 0), c.found) << c.text << " / " << c.needle;
  }
}

// Generated texts of few bytes, so that lead bytes, trail letters and
// matches crowd together, and starts after every line end.
TEST(SjisSearcher, AgreesWithTheReferenceOnGeneratedTexts) {
  const std::string alphabet = "aAbB\x82\x83\xA0\xE0\x5C\n ";
  std::mt19937 random(29);
  const auto make = [&](std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i) text += alphabet[random() % alphabet.size()];
    return text;
  };
  for (int round = 0; round < 3000; ++round) {
    const std::string text = make(random() % 80);
    const std::string needle = make(1 + random() % 4);
    const bool fold = round % 2 == 0;
    const SjisSearcher searcher(needle, fold);
    std::size_t from = 0;
    while (true) {
      const std::size_t found = searcher.Find(text, from);
      ASSERT_EQ(found, ReferenceFind(text, needle, fold, from)) << round;
      if (found == npos) break;
      const std::size_t feed = text.find('\n', found);
      if (feed == std::string::npos) break;
      from = feed + 1;
    }
  }
}

}  // namespace
}  // namespace tamiru::text
