#pragma once
// What the main window's second windows see of it: each gets the few things
// it works with, not the whole main window.
#include <functional>
#include <string>
#include <vector>

#include "platform/system.h"
#include "settings/settings.h"

namespace tamiru::app {

// The settings dialog: the settings it edits, the macro lines its macro
// page works on directly, where OK saves, what OK sets going, and the
// score file that a File4 leads to (where the client really keeps it).
struct SettingsDialogOwner {
  settings::TSettings& Settings;
  std::vector<std::string>& MacroList;
  std::string ini_path;
  platform::Dialogs& dialogs;
  std::function<void()> reload_lists;  // may throw FileOpenError
  std::function<void()> apply_timer_settings;
  std::function<std::string(const std::string& file4)> score_file_for;
};

// The match history window: the settings it reads (the user's handles and
// the kind of table), the score file as it is read, and the one-line report
// of a player into the main window's chat line.
struct HistoryOwner {
  const settings::TSettings& Settings;
  platform::Dialogs& dialogs;
  std::function<std::string()> score_file_path;
  std::function<void(const std::string& target)> report_scores_for;
};

// The chat log search window: the clipboard, the folder the chat log is
// written to (empty: the current directory), and the main window's chat
// line, which a line found is put into.
struct LogSearchOwner {
  platform::Shell& shell;
  platform::Dialogs& dialogs;
  std::string log_folder;
  std::function<void(const std::string& text)> put_chat_line;
};

// The client check window: the check itself, run afresh at each call (the
// main window's services, settings and paths), the report's first line at
// that moment, the clipboard for the report, and the error display.
struct CheckRow;
struct ClientCheckOwner {
  platform::Dialogs& dialogs;
  platform::Shell& shell;
  std::function<std::vector<CheckRow>()> run_check;
  std::function<std::string()> report_title;
};

}  // namespace tamiru::app
