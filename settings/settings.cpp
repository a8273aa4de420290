#include "settings/settings.h"

#include <optional>
#include <vector>

#include "platform/files.h"
#include "settings/profile.h"
#include "text/error.h"
#include "text/number.h"
#include "text/path.h"
#include "text/sjis.h"

namespace tamiru::settings {

namespace {

struct TextKey {
  const char* name;
  std::string TSettings::*field;
  const char* default_file;  // in the program folder; nullptr: the empty text
  bool in_dialog;
};

struct IntegerKey {
  const char* name;
  std::int32_t TSettings::*field;
  bool in_dialog;
};

// The order of reading and of writing.
constexpr TextKey kTextKeys[] = {
    {"UserName1", &TSettings::UserName1, nullptr, true},
    {"UserName2", &TSettings::UserName2, nullptr, true},
    {"UserName3", &TSettings::UserName3, nullptr, true},
    {"File1", &TSettings::File1, "friendlist.txt", true},
    {"File2", &TSettings::File2, "ignorelist.txt", true},
    {"File3", &TSettings::File3, "chatlist.txt", true},
    {"File4", &TSettings::File4, nullptr, true},
    {"File5", &TSettings::File5, "keyword.txt", true},
    {"File6", &TSettings::File6, "macro.txt", true},
};

constexpr IntegerKey kIntegerKeys[] = {
    {"AutoConnectTimeInterval", &TSettings::AutoConnectTimeInterval, true},
    {"AutoWatch", &TSettings::AutoWatch, false},
    {"AutoWatchTimeInterval", &TSettings::AutoWatchTimeInterval, true},
    {"SaveChatLog", &TSettings::SaveChatLog, false},
    {"SaveChatLogTimeInterval", &TSettings::SaveChatLogTimeInterval, true},
    {"ChatLogFormat", &TSettings::ChatLogFormat, true},
    {"AutoNameImageFile", &TSettings::AutoNameImageFile, true},
    {"ImageFileFormat", &TSettings::ImageFileFormat, true},
    {"TonpuImageNumber", &TSettings::TonpuImageNumber, false},
    {"TableType", &TSettings::TableType, true},
    {"Keyword", &TSettings::Keyword, false},
    {"Macro", &TSettings::Macro, true},
};

struct SwitchKey {
  const char* name;
  std::int32_t TamiruSwitches::*field;
};

constexpr SwitchKey kSwitchKeys[] = {
    {"TrayIcon", &TamiruSwitches::TrayIcon},
    {"Notify", &TamiruSwitches::Notify},
    {"FriendNotice", &TamiruSwitches::FriendNotice},
    {"MinimizeToTray", &TamiruSwitches::MinimizeToTray},
};

constexpr const char* kDefaultScoreFile = "C:\\Program Files\\MjTonpu\\mjscore.txt";

}  // namespace

TSettings DefaultSettings(const std::string& program_folder) {
  TSettings settings;
  for (const TextKey& key : kTextKeys) {
    if (key.default_file) settings.*key.field = text::JoinPath(program_folder, key.default_file);
  }
  settings.File4 = kDefaultScoreFile;
  return settings;
}

std::string IniPathFor(const std::string& exe_path) {
  const std::size_t separator = text::FindLastCharOf(exe_path, "\\:");
  const std::size_t name_start = separator == text::npos ? 0 : separator + 1;
  const std::size_t dot = text::FindLastCharOf(std::string_view(exe_path).substr(name_start), ".");
  const std::string stem = dot == text::npos ? exe_path : exe_path.substr(0, name_start + dot);
  return stem + ".INI";
}

std::string ProgramFolder(const std::string& exe_path) { return std::string(text::FolderOf(exe_path)); }

TSettings LoadSettings(const std::string& ini_path, const std::string& program_folder) {
  TSettings settings = DefaultSettings(program_folder);
  const std::string bytes = platform::ReadWholeFile(ini_path).value_or(std::string());

  std::vector<std::string_view> names;
  for (const TextKey& key : kTextKeys) names.push_back(key.name);
  for (const IntegerKey& key : kIntegerKeys) names.push_back(key.name);
  std::vector<std::optional<std::string>> values = ReadProfileValues(bytes, kSettingSection, names);

  std::size_t i = 0;
  for (const TextKey& key : kTextKeys) {
    if (values[i]) settings.*key.field = std::move(*values[i]);
    ++i;
  }
  for (const IntegerKey& key : kIntegerKeys) {
    settings.*key.field = text::ParseIniInteger(values[i].value_or(""), settings.*key.field);
    ++i;
  }
  std::vector<std::string_view> switch_names;
  for (const SwitchKey& key : kSwitchKeys) switch_names.push_back(key.name);
  const std::vector<std::optional<std::string>> switches = ReadProfileValues(bytes, kTamiruSection, switch_names);
  for (std::size_t k = 0; k < std::size(kSwitchKeys); ++k) {
    std::int32_t& field = settings.Tamiru.*kSwitchKeys[k].field;
    field = text::ParseIniInteger(switches[k].value_or(""), field);
  }
  return settings;
}

void SaveSettings(const TSettings& settings, const std::string& ini_path, SaveScope scope) {
  std::optional<std::string> bytes = ReadProfileFileForWrite(ini_path);
  if (!bytes) throw WriteRefusedError(ini_path);

  const auto write = [&](const char* name, const std::string& value, std::string_view section = kSettingSection) {
    std::optional<std::string> written = WriteProfileValue(*bytes, section, name, value);
    if (!written) return;  // the file already holds this value
    if (!platform::ReplaceFileContents(ini_path, *written)) throw WriteRefusedError(ini_path);
    bytes = std::move(written);
  };
  const bool all = scope == SaveScope::kAll;
  for (const TextKey& key : kTextKeys) {
    if (all || key.in_dialog) write(key.name, settings.*key.field);
  }
  for (const IntegerKey& key : kIntegerKeys) {
    if (all || key.in_dialog) write(key.name, text::DecimalText(settings.*key.field));
  }
  if (!all) return;
  for (const SwitchKey& key : kSwitchKeys) write(key.name, text::DecimalText(settings.Tamiru.*key.field), kTamiruSection);
}

}  // namespace tamiru::settings
