#pragma once
// The chat log search: every monthly log file the capture wrote, searched
// for a text (Shift_JIS-aware, ASCII letters optionally in either case)
// and a speaker, newest line first. The search runs in steps of a bounded
// number of bytes, so a window can run it on a timer and show the lines as
// they are found; it keeps, for each line found, only where it stands, and
// reads the line again when it is shown.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "text/sjis_search.h"

namespace tamiru::chatlog {

// A month's log file, "LOGyymm.txt"; the year is 20yy.
struct LogMonth {
  int year = 0;
  int month = 0;
  std::string name;
  bool operator==(const LogMonth&) const = default;
};

// The log files among `names` (a folder's file names), oldest first. The
// name's letters may be in either case, as Windows finds them.
std::vector<LogMonth> LogMonths(const std::vector<std::string>& names);

// "2001/12", as the month is shown for lines without their own stamp.
std::string MonthText(const LogMonth& month);

// A log line (without its line end) in its parts. The stamp is the date and
// time the log may put in front ("2001/12/08(土)13:05 "); the chat line
// follows. A chat message's speaker is the part before its ">" without the
// spaces the alignment put there, its text the part after it without those
// the alignment put there; a notice line has no speaker and is all text.
struct LogLineParts {
  std::string_view stamp;  // without its closing space; empty when none
  std::string_view chat;   // the line after the stamp
  std::string_view speaker;
  std::string_view text;
  bool message = false;
};
LogLineParts SplitLogLine(std::string_view line);

// The length of the stamp at the start of `line`, its closing space
// included: four digits, a separator, two digits, a separator, two digits,
// a weekday in parentheses, two digits, a separator, two digits and a
// space, the separators being any one or two non-digit bytes (the system's)
// and the weekday up to eight bytes; 0 when the line has none.
std::size_t StampLength(std::string_view line);

struct LogQuery {
  std::string text;     // looked for in the chat line; empty: every line
  std::string speaker;  // exact; empty: any line
  bool ignore_case = false;
};

// Where a line found stands: the file (an index into the months
// searched), the line's first byte and its length without the line end.
struct LogHit {
  std::uint32_t file = 0;
  std::uint32_t length = 0;
  std::uint64_t offset = 0;
};

// The lines of one block of a log file that `query` finds, in file order.
// The block starts at a line start; lines end at LF or NUL (the zeros a
// crash leaves in a file end a line too), a CR before the LF is not part
// of the line, and empty lines are never found. `base` is the block's
// offset in its file.
class LineMatcher {
 public:
  explicit LineMatcher(const LogQuery& query);
  void FindIn(std::string_view block, std::uint64_t base, std::uint32_t file, std::vector<LogHit>& hits) const;
  // The same rule for one line, for the tests' and the fuzzer's reference.
  bool Matches(std::string_view line) const;

 private:
  bool Accepts(std::string_view line) const;
  LogQuery query_;
  text::SjisSearcher searcher_;  // the text, or the speaker when there is no text
  bool by_text_;
};

// The lines looked up around a line found: up to ten before and ten after.
inline constexpr int kContextLines = 10;
struct LogContext {
  std::vector<std::string> lines;
  int found = -1;  // the index of the line found in `lines`
};

// A search over the months `files` of `folder` (empty: the current
// directory; else ending in its separator, as the capture's), newest file first and each file from its end, so that the
// lines come in the order they are shown and the first ones are the
// newest. A file is read up to the size it had when its turn came: lines
// the capture appends meanwhile belong to the next search.
class LogSearch {
 public:
  static constexpr std::size_t kBlockBytes = 1 << 20;
  static constexpr std::size_t kMaxLineBytes = 8 << 20;
  // The most lines kept: the newest ones; the search stops there.
  static constexpr std::size_t kMaxHits = 1000000;

  LogSearch(std::string folder, std::vector<LogMonth> files, const LogQuery& query,
            std::size_t block_bytes = kBlockBytes);

  // Reads on for about `budget` bytes (at least one block); true once the
  // search is over.
  bool Step(std::size_t budget);
  bool Done() const { return next_file_ < 0 || capped_; }

  const std::vector<LogHit>& hits() const { return hits_; }
  const std::vector<LogMonth>& files() const { return files_; }
  const std::string& folder() const { return folder_; }
  std::size_t files_read() const { return files_read_; }
  const std::vector<std::string>& unreadable() const { return unreadable_; }
  bool capped() const { return capped_; }

  std::string PathOf(std::uint32_t file) const;
  // The line found, read again (at most `max_bytes` of it); empty when the
  // file no longer holds it.
  std::string ReadLine(const LogHit& hit, std::size_t max_bytes) const;
  // The line with the lines around it, each cut to `max_bytes`.
  LogContext ReadContext(const LogHit& hit, std::size_t max_bytes) const;

 private:
  void NextFile();
  std::string folder_;
  std::vector<LogMonth> files_;
  LineMatcher matcher_;
  std::vector<LogHit> hits_;
  std::vector<LogHit> block_hits_;
  std::string block_;
  std::size_t block_bytes_;
  int next_file_;
  long long end_ = -1;  // the end of the part of the current file still to read; -1 before it is opened
  std::size_t files_read_ = 0;
  std::vector<std::string> unreadable_;
  bool capped_ = false;
};

// A line found as the result list shows it: the line's own stamp, else its
// file's month; the speaker; the text (cut to `max_bytes`).
struct LogRow {
  std::string when;
  std::string speaker;
  std::string text;
};
LogRow RowOf(const LogSearch& search, const LogHit& hit, std::size_t max_bytes);

// "N 件 (M ファイル)", M the files read through; while the search runs,
// " 検索中..." behind; the files that could not be read named; and a note
// when the search stopped at the most lines it keeps.
std::string SearchSummary(const LogSearch& search);

}  // namespace tamiru::chatlog
