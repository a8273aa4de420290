#pragma once
// List files: plain Shift_JIS text, one entry per line. Used by the friend,
// ignore, phrase, keyword and macro files.
#include <string>
#include <string_view>
#include <vector>

namespace tamiru::text {

// Splits a file's bytes into lines: CR LF, a lone LF or a lone CR ends a
// line; a last line without a line end counts; a NUL byte ends the text.
std::vector<std::string> SplitLines(std::string_view bytes);

// Joins entries with CR LF after every one (also after the last).
std::string JoinLines(const std::vector<std::string>& lines);

// Reads a list file whole. Throws FileOpenError("ファイル %s は開けません")
// when the file cannot be opened.
std::vector<std::string> ReadListFile(const std::string& path);

// Writes a list file whole without ever losing the old one: the lines go to a
// temporary file beside the target, which then replaces the target in one
// step. Throws FileCreateError("ファイル %s を作成できません") when any step
// fails; the old file is then left as it was.
void WriteListFile(const std::string& path, const std::vector<std::string>& lines);

}  // namespace tamiru::text
