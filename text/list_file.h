#pragma once
// List files: plain Shift_JIS text, one entry per line. Used by the friend,
// ignore, phrase, keyword and macro files; platform/files.h reads and writes
// them on disk.
#include <string>
#include <string_view>
#include <vector>

namespace tamiru::text {

// Splits a file's bytes into lines: CR LF, a lone LF or a lone CR ends a
// line; a last line without a line end counts; a NUL byte ends the text.
std::vector<std::string> SplitLines(std::string_view bytes);

// Joins entries with CR LF after every one (also after the last).
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace tamiru::text
