#pragma once
// The settings record and its INI file: section "Setting" with its 21 keys,
// each field named exactly like its key, and section "Tamiru" with the
// switches of the notification area, which a file shared with an older
// version keeps apart from those 21.
#include <cstdint>
#include <string>
#include <string_view>

namespace tamiru::settings {

inline constexpr std::string_view kSettingSection = "Setting";
inline constexpr std::string_view kTamiruSection = "Tamiru";

// Section "Tamiru": 1 = on. The icon is on by default, the rest off.
struct TamiruSwitches {
  std::int32_t TrayIcon = 1;        // "通知領域にアイコン"
  std::int32_t Notify = 0;          // "通知を表示": balloons for keyword hits
  std::int32_t FriendNotice = 0;    // "友達の接続を知らせる"
  std::int32_t MinimizeToTray = 0;  // "最小化で通知領域へ"

  bool operator==(const TamiruSwitches&) const = default;
};

struct TSettings {
  std::string UserName1;
  std::string UserName2;
  std::string UserName3;
  std::string File1;  // friend list
  std::string File2;  // ignore list
  std::string File3;  // chat phrase list
  std::string File4;  // the client's score file; its folder holds the client
  std::string File5;  // keyword list
  std::string File6;  // macro file
  std::int32_t AutoConnectTimeInterval = 15;  // seconds
  std::int32_t AutoWatch = 0;
  std::int32_t AutoWatchTimeInterval = 15;  // minutes
  std::int32_t SaveChatLog = 0;
  std::int32_t SaveChatLogTimeInterval = 10;  // seconds, the period of Timer2
  std::int32_t ChatLogFormat = 0;
  std::int32_t AutoNameImageFile = 0;
  std::int32_t ImageFileFormat = 0;
  std::int32_t TonpuImageNumber = 1;
  std::int32_t TableType = 0;
  std::int32_t Keyword = 0;
  std::int32_t Macro = 0;
  TamiruSwitches Tamiru;  // section "Tamiru"

  bool operator==(const TSettings&) const = default;
};

// Which keys SaveSettings writes: all 21 (at close), or the 17 that the
// settings dialog shows (at its OK): not AutoWatch, SaveChatLog,
// TonpuImageNumber and Keyword, which only the main window changes.
enum class SaveScope { kAll, kDialog };

// The record as it is when the INI file holds no key at all; the default
// list files lie in `program_folder`.
TSettings DefaultSettings(const std::string& program_folder);

// The executable's path with its extension (the text from the last "." after
// the last "\" or ":") replaced by ".INI"; ".INI" appended when there is none.
std::string IniPathFor(const std::string& exe_path);

// The executable's folder without a trailing backslash, except that a drive
// root keeps it ("C:\"): text::FolderOf.
std::string ProgramFolder(const std::string& exe_path);

// Reads every key from the INI file; a missing file or key gives the default,
// a key present with an empty value gives "" for a text and the default for
// an integer, as does an integer key that holds no number.
TSettings LoadSettings(const std::string& ini_path, const std::string& program_folder);

// Writes the keys of `scope` into section "Setting", one key at a time and in
// the order of the record, each through an atomic replace of the file; at
// kAll then the four switches into section "Tamiru" the same way.
// Throws WriteRefusedError ("%s に書き込めません", the INI path) at the first
// write that fails; the keys after it are not written.
void SaveSettings(const TSettings& settings, const std::string& ini_path, SaveScope scope);

}  // namespace tamiru::settings
