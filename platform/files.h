#pragma once
// Whole-file operations on Shift_JIS paths (the system code page on Windows).
#include <optional>
#include <string>
#include <string_view>

namespace tamiru::platform {

// The file's bytes, or nullopt when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const std::string& path);

// Replaces the file's contents atomically: writes a temporary file beside it,
// flushes it, then renames it over the target. False when any step fails;
// the old file is then untouched and the temporary file removed.
bool ReplaceFileContents(const std::string& path, std::string_view bytes);

// Appends bytes to the file in binary mode, creating it when missing.
bool AppendToFile(const std::string& path, std::string_view bytes);

// Test hook: while set, ReplaceFileContents fails after writing this many
// bytes of the temporary file, as a full disk would. Negative: no failure.
void InjectWriteFailureAfter(long long bytes);

}  // namespace tamiru::platform
