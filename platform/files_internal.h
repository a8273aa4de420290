#pragma once
// The steps of an atomic replace, some of which differ between systems, and
// the seam through which tests make them fail (files_testing.h).
#include <cstdio>
#include <string>
#include <string_view>

namespace tamiru::platform {

// How a rename or a removal ended. kBusy: another program holds the file for
// the moment (on Windows: access denied, a sharing or a lock violation, as
// antivirus, the search indexer or cloud sync cause), so a retry a little
// later may get through.
enum class StepResult { kDone, kBusy, kFailed };

struct FileSteps {
  bool (*write)(std::FILE* file, std::string_view bytes);
  bool (*append)(const std::string& path, std::string_view bytes);
  bool (*flush_to_disk)(std::FILE* file);
  // Gives `temp` the attributes of `target`, when the target exists.
  void (*copy_attributes)(const std::string& target, const std::string& temp);
  StepResult (*rename_over)(const std::string& from, const std::string& to);
  StepResult (*remove)(const std::string& path);
  void (*sleep_ms)(unsigned ms);
};

// Appends in binary mode, creating the file when missing (the same on every
// system).
bool AppendBytes(const std::string& path, std::string_view bytes);

// The system's steps (files_posix.cpp, files_win32.cpp).
const FileSteps& SystemFileSteps();
// The steps the file functions take: the system's, unless a test put others
// in their place.
FileSteps& ActiveFileSteps();

}  // namespace tamiru::platform
