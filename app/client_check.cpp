#include "app/client_check.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <set>

#include "chatlog/capture.h"
#include "chatlog/chat_lines.h"
#include "game/auto_connect.h"
#include "game/discovery.h"
#include "macro/macro_file.h"
#include "platform/files.h"
#include "stats/score_history.h"
#include "stats/score_records.h"
#include "text/error.h"
#include "text/path.h"

namespace tamiru::app {

namespace {

using platform::WindowHandle;
namespace msg = platform::msg;
using game::ClientWindow;
using game::ControlRole;

// Titles and class names are read as the discovery reads them.
constexpr std::size_t kNameBytes = 256;
// The refused macro lines named one by one, at most.
constexpr std::size_t kListedMacroLines = 20;

CheckRow Row(std::string item, CheckResult result, std::string detail) {
  return {std::move(item), result, std::move(detail)};
}

std::string Bits(bool is_64bit) { return is_64bit ? "64 ビット" : "32 ビット"; }

// "中 (0x2000)"; "不明" for a level that could not be read.
std::string LevelText(std::uint32_t level) {
  namespace integrity = platform::integrity;
  if (level == integrity::kUnknown) return "不明";
  const char* name = level >= integrity::kSystem   ? "システム"
                     : level >= integrity::kHigh   ? "高"
                     : level > integrity::kMedium  ? "中+"
                     : level == integrity::kMedium ? "中"
                     : level >= integrity::kLow    ? "低"
                                                   : "信頼なし";
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%04X", static_cast<unsigned>(level));
  return std::string(name) + " (" + hex + ")";
}

std::string AwarenessText(platform::DpiAwareness awareness) {
  switch (awareness) {
    case platform::DpiAwareness::kUnaware: return "DPI 非対応";
    case platform::DpiAwareness::kSystem: return "システム DPI 対応";
    case platform::DpiAwareness::kPerMonitor: return "モニターごとの DPI 対応";
    case platform::DpiAwareness::kPerMonitorV2: return "モニターごとの DPI 対応 (v2)";
    case platform::DpiAwareness::kUnknown: break;
  }
  return "DPI 対応は不明";
}

// "6.1.7601" is older than Windows 7 when its major.minor is below 6.1.
bool OlderThanWindows7(const std::string& version) {
  int major = 0, minor = 0;
  if (std::sscanf(version.c_str(), "%d.%d", &major, &minor) != 2) return false;
  return major < 6 || (major == 6 && minor < 1);
}

void AddSystemRows(const ClientCheckInputs& in, const platform::SystemFacts& facts, std::vector<CheckRow>& rows) {
  std::string windows = (facts.windows_version.empty() ? std::string("版は不明") : facts.windows_version) + ", " +
                        Bits(facts.windows_64bit);
  if (!facts.wine_version.empty()) windows += ", Wine " + facts.wine_version + " の上";
  const bool old = OlderThanWindows7(facts.windows_version);
  rows.push_back(Row("Windows", old ? CheckResult::kCaution : CheckResult::kOk,
                     old ? windows + ": Windows 7 より古い" : windows));
  const std::string caption(kMainWindowCaption);
  const std::string version = caption.substr(std::min(caption.find(' ') + 1, caption.size()));
  rows.push_back(Row("Tamiru", CheckResult::kOk,
                     version + ", " + Bits(facts.program_64bit) + ", " + in.services.shell.ExecutablePath()));
  if (facts.code_page == 932) {
    rows.push_back(Row("コードページ", CheckResult::kOk, "932 (日本語)"));
  } else {
    rows.push_back(Row("コードページ", CheckResult::kFailed,
                       std::to_string(facts.code_page) +
                           ": 日本語 (932) ではないので文字が化け、クライアントのウィンドウも見つからない"));
  }
  std::string dpi = std::to_string(facts.dpi) + " (" + std::to_string(facts.dpi * 100 / 96) + "%), " +
                    AwarenessText(facts.awareness);
  const bool unaware = facts.awareness == platform::DpiAwareness::kUnaware;
  rows.push_back(Row("DPI", unaware ? CheckResult::kCaution : CheckResult::kOk,
                     unaware ? dpi + ": 画面の画像が縮小される" : dpi));
  if (facts.integrity_level == platform::integrity::kUnknown) {
    rows.push_back(Row("整合性レベル", CheckResult::kNotChecked, "読めない"));
  } else {
    const bool elevated = facts.integrity_level >= platform::integrity::kHigh;
    rows.push_back(Row("整合性レベル", CheckResult::kOk,
                       LevelText(facts.integrity_level) + (elevated ? ", 管理者として実行" : "")));
  }
}

// ---------------------------------------------------------------- files

enum class Use { kRead, kReadWrite };

// Missing: how bad, and what it means.
struct WhenMissing {
  CheckResult result;
  std::string_view meaning;
};

// A file's row: there, readable, writable when Tamiru writes it; under
// Program Files (where Tamiru, never redirected, cannot write unless run as
// administrator) and a VirtualStore copy (an older program's writes, which
// Tamiru does not read) are said.
CheckRow FileRow(const ClientCheckInputs& in, std::string item, const std::string& path, Use use,
                 const WhenMissing& missing) {
  if (path.empty()) return Row(std::move(item), CheckResult::kFailed, "パスが空");
  const platform::FileAccess access = platform::AccessOf(path);
  CheckRow row = Row(std::move(item), CheckResult::kOk, path);
  if (!access.exists) {
    row.result = missing.result;
    row.detail += ": " + std::string(missing.meaning);
  } else if (!access.readable) {
    row.result = CheckResult::kFailed;
    row.detail += ": 読めない";
  } else if (use == Use::kReadWrite && !access.writable) {
    row.result = CheckResult::kFailed;
    row.detail += ": 書き込めない (読み取り専用か、ほかのプログラムが使っている)";
  } else {
    row.detail += " (" + std::to_string(platform::StampOf(path).size) + " バイト)";
  }
  if (const auto copy = in.services.shell.VirtualStoreCopyOf(path)) {
    if (row.result == CheckResult::kOk) row.result = CheckResult::kCaution;
    row.detail += ", Program Files の下";
    if (platform::FileExists(*copy)) row.detail += ", VirtualStore に別の写しがある (Tamiru は使わない): " + *copy;
  }
  return row;
}

void AddFileRows(const ClientCheckInputs& in, std::vector<CheckRow>& rows) {
  const settings::TSettings& s = in.settings;
  const std::string ini_folder(text::FolderOf(in.paths.ini));
  const bool ini_can_be_made = platform::FolderWritable(ini_folder);
  rows.push_back(FileRow(in, "設定ファイル", in.paths.ini, Use::kReadWrite,
                         ini_can_be_made ? WhenMissing{CheckResult::kOk, "まだない: 終了のときに作られる"}
                                         : WhenMissing{CheckResult::kFailed, "なく、フォルダに書き込めない"}));
  const WhenMissing start_needs{CheckResult::kFailed, "ない: 次の起動が止まる"};
  rows.push_back(FileRow(in, "友達リスト (File1)", s.File1, Use::kReadWrite, start_needs));
  rows.push_back(FileRow(in, "無視リスト (File2)", s.File2, Use::kReadWrite,
                         {CheckResult::kCaution, "ない: 「all /i」で開けない"}));
  rows.push_back(FileRow(in, "チャットリスト (File3)", s.File3, Use::kReadWrite, start_needs));
  rows.push_back(FileRow(in, "キーワード (File5)", s.File5, Use::kReadWrite, start_needs));
  rows.push_back(FileRow(in, "マクロファイル (File6)", s.File6, Use::kReadWrite, start_needs));
  rows.push_back(FileRow(in, "call.wav", in.paths.AlertSound(), Use::kRead,
                         {CheckResult::kCaution, "ない: キーワードと友達の接続で音が鳴らない"}));
  rows.push_back(FileRow(in, "ヘルプ", in.paths.HelpPage(), Use::kRead,
                         {CheckResult::kCaution, "ない: 「ヘルプ」で開けない"}));

  const std::string folder = platform::CurrentFolder();
  CheckRow logs = Row("ログと画像の保存先", CheckResult::kOk, folder);
  if (folder.empty()) {
    logs = Row(logs.item, CheckResult::kNotChecked, "カレントフォルダが分からない");
  } else if (!platform::FolderWritable(folder)) {
    logs.result = CheckResult::kFailed;
    logs.detail += ": 書き込めない: チャットログと画像を保存できない";
  } else if (in.services.shell.VirtualStoreCopyOf(text::JoinPath(folder, "LOG.txt"))) {
    logs.result = CheckResult::kCaution;
    logs.detail += ", Program Files の下";
  }
  rows.push_back(std::move(logs));
}

// ---------------------------------------------------------------- client

std::string_view WindowName(ClientWindow window) {
  switch (window) {
    case ClientWindow::kGameMain: return "卓のウィンドウ";
    case ClientWindow::kWaitingRoom: return "待合室";
    case ClientWindow::kConnectDialog: return "接続ダイアログ";
    case ClientWindow::kErrorDialog: return "エラーダイアログ";
    case ClientWindow::kSpectateFailure: return "観戦失敗ダイアログ";
  }
  return {};
}

// Why a window of the client that is not there may well be missing.
std::string_view WhyMissing(ClientWindow window) {
  switch (window) {
    case ClientWindow::kGameMain: return "ない (卓で対局か観戦をしているときだけある)";
    case ClientWindow::kWaitingRoom: return "ない (待合室が開いていない)";
    case ClientWindow::kConnectDialog: return "ない (接続しているか、クライアントが起動していない)";
    case ClientWindow::kErrorDialog:
    case ClientWindow::kSpectateFailure: return "ない (出たときだけある)";
  }
  return {};
}

bool ClassHolds(const std::string& class_name, std::string_view part) {
  std::string lower = class_name;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
  return lower.find(part) != std::string::npos;
}

// The row of one control, and whether it answered at all.
struct ControlCheck {
  CheckRow row;
  bool answered = true;
};

ControlCheck NoAnswer(std::string item, const std::string& class_name) {
  return {Row(std::move(item), CheckResult::kFailed, "応答なし (" + class_name + ")"), false};
}

// Whether the control at a child number answers as its kind does: a
// multi-line text gives its line count and has ES_MULTILINE, a single-line
// text gives a line count and its length without it, a combo box or a
// list box is of such a class and gives its count (one that holds items
// gives it whatever its class), a button is of a button class, and any
// window gives its text.
ControlCheck CheckControl(platform::WindowSystem& windows, WindowHandle control, ControlRole role, std::string item) {
  const std::string class_name = windows.GetClassName(control, kNameBytes);
  const auto ask = [&](unsigned message) { return windows.SendMessageAnswered(control, message, 0, 0); };
  const auto ok = [&](std::string detail) { return ControlCheck{Row(item, CheckResult::kOk, class_name + ", " + detail)}; };
  const auto wrong = [&](std::string detail) {
    return ControlCheck{Row(item, CheckResult::kFailed, class_name + ": " + detail)};
  };
  switch (role) {
    case ControlRole::kMultiLineText:
    case ControlRole::kSingleLineText: {
      const auto lines = ask(msg::kEditGetLineCount);
      if (!lines) return NoAnswer(std::move(item), class_name);
      const bool multi = (windows.WindowStyle(control).value_or(0) & platform::kEditMultiLineStyle) != 0;
      if (*lines < 1) return wrong("テキストの欄ではない (EM_GETLINECOUNT 0)");
      if (role == ControlRole::kMultiLineText) {
        if (!multi) return wrong("1 行のテキスト (ES_MULTILINE がない)");
        return ok("複数行のテキスト, " + std::to_string(*lines) + " 行");
      }
      if (multi) return wrong("複数行のテキスト (ES_MULTILINE)");
      const auto length = ask(msg::kEditLineLength);
      if (!length) return NoAnswer(std::move(item), class_name);
      return ok("1 行のテキスト, EM_LINELENGTH " + std::to_string(*length));
    }
    case ControlRole::kComboBox:
    case ControlRole::kListBox: {
      const bool combo = role == ControlRole::kComboBox;
      const auto count = ask(combo ? msg::kComboGetCount : msg::kListGetCount);
      if (!count) return NoAnswer(std::move(item), class_name);
      const std::string kind = combo ? "コンボボックス" : "リストボックス";
      const bool of_class = ClassHolds(class_name, combo ? "combobox" : "listbox");
      if ((of_class && *count >= 0) || *count > 0) return ok(kind + ", 項目 " + std::to_string(*count));
      return wrong(kind + "ではない");
    }
    case ControlRole::kButton:
      if (ClassHolds(class_name, "button")) return ok("ボタン");
      return wrong("ボタンのクラスではない");
    case ControlRole::kAnyText: {
      std::string buffer(kNameBytes, '\0');
      const std::size_t bytes = windows.SendGetTextInto(control, buffer);
      if (buffer.empty()) return NoAnswer(std::move(item), class_name);
      return ok("テキスト " + std::to_string(bytes) + " バイト");
    }
  }
  return wrong("");
}

int DescendantCount(platform::WindowSystem& windows, WindowHandle window) {
  int count = 0;
  windows.EnumChildWindows(window, [&](WindowHandle) {
    ++count;
    return true;
  });
  return count;
}

struct FoundWindow {
  WindowHandle handle = platform::kNoWindow;
  bool answers = false;
};

// One window of the client: its own row, the count of its descendants and a
// row for every child number Tamiru uses in it. The client's windows answer
// on its one thread: once one of them has not answered within the bound
// (`client_answers` false), the others are not asked either, so that a hung
// client holds the check for one bound, not one for each window.
FoundWindow CheckWindow(platform::WindowSystem& windows, ClientWindow which, std::uint32_t own_level,
                        bool& client_answers, std::vector<CheckRow>& rows) {
  const std::string name(WindowName(which));
  FoundWindow found{game::FindClientWindow(windows, which), false};
  if (found.handle == platform::kNoWindow) {
    rows.push_back(Row(name, CheckResult::kNotChecked, std::string(WhyMissing(which))));
    return found;
  }
  const std::string program = windows.ProgramPathOf(found.handle);
  const std::uint32_t level = windows.IntegrityLevelOf(found.handle);
  std::string detail = "クラス " + windows.GetClassName(found.handle, kNameBytes) + ", タイトル「" +
                       windows.GetWindowText(found.handle, kNameBytes) + "」, " +
                       (program.empty() ? std::string("プログラムは不明") : program) + ", 整合性 " + LevelText(level);
  if (client_answers) {
    std::string probe(kNameBytes, '\0');
    windows.SendGetTextInto(found.handle, probe);
    found.answers = !probe.empty();
  }
  if (level > own_level) {
    rows.push_back(Row(name, CheckResult::kFailed,
                       detail + ": Tamiru (" + LevelText(own_level) +
                           ") より高い: メッセージが届かない。Tamiru も管理者として実行する"));
  } else if (!client_answers) {
    rows.push_back(
        Row(name, CheckResult::kFailed, "応答を待たない (クライアントがほかのウィンドウで応答しなかった): " + detail));
  } else if (!found.answers) {
    rows.push_back(Row(name, CheckResult::kFailed, "応答なし: " + detail));
  } else {
    rows.push_back(Row(name, level == platform::integrity::kUnknown ? CheckResult::kCaution : CheckResult::kOk,
                       detail));
  }

  int needed = 0;
  for (const game::ClientControl& control : game::kClientControls) {
    if (control.window == which) needed = std::max(needed, control.child + 1);
  }
  const int count = DescendantCount(windows, found.handle);
  rows.push_back(Row(name + " の子ウィンドウ", count >= needed ? CheckResult::kOk : CheckResult::kFailed,
                     std::to_string(count) + " 個" +
                         (count >= needed ? "" : ": 子 " + std::to_string(needed - 1) + " まで使う")));

  bool answering = found.answers;
  for (const game::ClientControl& control : game::kClientControls) {
    if (control.window != which) continue;
    std::string item = name + " 子 " + std::to_string(control.child) + " " + std::string(control.use);
    if (!answering) {
      rows.push_back(Row(std::move(item), CheckResult::kNotChecked, "ウィンドウが応答しない"));
      continue;
    }
    const WindowHandle child = game::FindChildWindow(windows, found.handle, control.child);
    if (child == platform::kNoWindow) {
      rows.push_back(Row(std::move(item), CheckResult::kFailed, "ない (子は " + std::to_string(count) + " 個)"));
      continue;
    }
    ControlCheck checked = CheckControl(windows, child, control.role, std::move(item));
    // The client's controls answer on its window's thread: one that did not
    // answer within the bound leaves the rest unasked.
    answering = checked.answered;
    rows.push_back(std::move(checked.row));
  }
  found.answers = answering;
  client_answers = client_answers && answering;
  return found;
}

// The chat view that the capture reads (the table's before the room's),
// read as the capture reads it: only its size goes into the row.
CheckRow ChatReadRow(platform::WindowSystem& windows, const FoundWindow& table, const FoundWindow& room) {
  const std::string item = "チャットの読み取り";
  const bool at_table = table.handle != platform::kNoWindow;
  const FoundWindow& source = at_table ? table : room;
  if (source.handle == platform::kNoWindow) return Row(item, CheckResult::kNotChecked, "卓も待合室も開いていない");
  const std::string where = at_table ? "卓" : "待合室";
  if (!source.answers) return Row(item, CheckResult::kNotChecked, where + "のウィンドウが応答しない");
  const WindowHandle view =
      game::FindChildWindow(windows, source.handle, at_table ? game::child::kGameChatView : game::child::kRoomChatView);
  if (view == platform::kNoWindow) return Row(item, CheckResult::kFailed, where + "にチャット表示がない");
  std::string buffer;
  const std::optional<std::size_t> read = chatlog::ReadChatText(windows, view, buffer);
  if (!read) return Row(item, CheckResult::kFailed, "応答なし (" + where + "のチャット表示)");
  const std::size_t lines = *read == 0 ? 0 : chatlog::ScanChatLines(std::string_view(buffer.data(), *read), 0).count;
  return Row(item, CheckResult::kOk,
             where + "のチャット表示から " + std::to_string(*read) + " バイト, " + std::to_string(lines) + " 行");
}

void AddClientRows(const ClientCheckInputs& in, std::uint32_t own_level, std::vector<CheckRow>& rows) {
  platform::WindowSystem& windows = in.services.windows;
  const std::size_t client_row = rows.size();
  rows.push_back({});
  FoundWindow table, room, connect;
  bool client_answers = true;
  for (const ClientWindow which : game::kClientWindows) {
    const FoundWindow found = CheckWindow(windows, which, own_level, client_answers, rows);
    if (which == ClientWindow::kGameMain) table = found;
    if (which == ClientWindow::kWaitingRoom) room = found;
    if (which == ClientWindow::kConnectDialog) connect = found;
  }
  std::string program;
  for (const FoundWindow* found : {&table, &room, &connect}) {
    if (found->handle != platform::kNoWindow && program.empty()) program = windows.ProgramPathOf(found->handle);
  }
  const bool running = table.handle != platform::kNoWindow || room.handle != platform::kNoWindow ||
                       connect.handle != platform::kNoWindow;
  rows[client_row] = running ? Row("ゲームクライアント", CheckResult::kOk,
                                   "起動している" + (program.empty() ? std::string() : ": " + program))
                             : Row("ゲームクライアント", CheckResult::kFailed,
                                   "見つからない: 卓も待合室も接続ダイアログもない");
  rows.push_back(ChatReadRow(windows, table, room));
}

// ---------------------------------------------------------------- score file

std::string_view SourceText(ScoreFileSource source) {
  switch (source) {
    case ScoreFileSource::kSetting: return "設定の File4";
    case ScoreFileSource::kProgramFilesX86: return "Program Files (x86)";
    case ScoreFileSource::kClientFolder: return "クライアントのフォルダ";
    case ScoreFileSource::kNotFound: break;
  }
  return "見つからない";
}

// The games of each kind that the user's own report counts.
CheckRow ScoreRecordsRow(const settings::TSettings& s, std::string_view bytes) {
  const stats::UserNames names{s.UserName1, s.UserName2, s.UserName3};
  std::string handles;
  for (const std::string& name : names) {
    if (!name.empty()) handles += (handles.empty() ? "" : ", ") + name;
  }
  if (handles.empty()) return Row("成績ファイルの記録", CheckResult::kCaution, "UserName1〜3 が空: 数える試合がない");
  const stats::ScoreHistory history = stats::HistoryFromBytes(bytes, names);
  std::string counts;
  long long total = 0;
  for (int kind = 0; kind < stats::table_type::kCount; ++kind) {
    const long long games = history.kinds[static_cast<std::size_t>(kind)].games;
    total += games;
    counts += (kind > 0 ? ", " : "") + std::string(stats::KindName(kind)) + " " + std::to_string(games);
  }
  counts += " (" + handles + " の試合)";
  return Row("成績ファイルの記録", total > 0 ? CheckResult::kOk : CheckResult::kCaution,
             total > 0 ? counts : counts + ": ハンドルの試合がない");
}

// The score file's rows, and MJ.exe beside it, which auto-connect starts.
void AddScoreFileRows(const ClientCheckInputs& in, std::vector<CheckRow>& rows) {
  const settings::TSettings& s = in.settings;
  const ScoreFileLocation found = LocateClientScoreFile(in.services, s.File4);
  const std::string read_path = in.services.shell.FileToRead(found.path);
  const std::optional<std::string> bytes =
      found.source == ScoreFileSource::kNotFound ? std::nullopt : platform::ReadWholeFile(read_path);
  if (!bytes) {
    const std::string why = found.source == ScoreFileSource::kNotFound ? "見つからない" : "読めない";
    rows.push_back(Row("成績ファイル", CheckResult::kFailed, why + ": File4 = " + s.File4));
    rows.push_back(Row("成績ファイルの記録", CheckResult::kNotChecked, "成績ファイルがない"));
    rows.push_back(Row("最新の試合", CheckResult::kNotChecked, "成績ファイルがない"));
  } else {
    std::string source(SourceText(found.source));
    if (read_path != found.path) source += " の VirtualStore の写し";
    rows.push_back(Row("成績ファイル", CheckResult::kOk,
                       read_path + " (" + source + "), " + std::to_string(bytes->size()) + " バイト, 更新 " +
                           platform::LocalWriteTimeText(read_path)));
    rows.push_back(ScoreRecordsRow(s, *bytes));
    const std::string newest = stats::NewestGameHeader(*bytes);
    rows.push_back(newest.empty() ? Row("最新の試合", CheckResult::kNotChecked, "試合の記録がない")
                                  : Row("最新の試合", CheckResult::kOk, newest));
  }
  const std::string exe = game::ClientCommandLine(found.path);
  rows.push_back(platform::FileExists(exe)
                     ? Row("MJ.exe (自動接続)", CheckResult::kOk, exe)
                     : Row("MJ.exe (自動接続)", CheckResult::kFailed,
                           exe + ": ない: 自動接続でクライアントを起動できない"));
}

// ---------------------------------------------------------------- macros

void AddMacroRows(const ClientCheckInputs& in, std::vector<CheckRow>& rows) {
  const bool on = in.settings.Macro != 0;
  rows.push_back(Row("マクロ (Macro)", CheckResult::kOk, on ? "1: 使う" : "0: 使わない"));
  std::vector<std::string> lines;
  try {
    lines = platform::ReadListFile(in.settings.File6);
  } catch (const TamiruError&) {
    rows.push_back(Row("マクロの行", CheckResult::kFailed, "マクロファイルを読めない"));
    return;
  }
  std::vector<std::size_t> refused;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!macro::ParseMacroLine(lines[i])) refused.push_back(i + 1);
  }
  std::string detail = std::to_string(lines.size()) + " 行";
  if (!refused.empty()) {
    detail += ", 読めない行 " + std::to_string(refused.size()) + ": ";
    for (std::size_t i = 0; i < refused.size() && i < kListedMacroLines; ++i) {
      detail += (i > 0 ? ", " : "") + std::to_string(refused[i]);
    }
    if (refused.size() > kListedMacroLines) detail += ", …";
  }
  rows.push_back(Row("マクロの行", refused.empty() || !on ? CheckResult::kOk : CheckResult::kCaution, detail));
}

}  // namespace

std::string_view CheckResultText(CheckResult result) {
  switch (result) {
    case CheckResult::kOk: return "OK";
    case CheckResult::kCaution: return "注意";
    case CheckResult::kFailed: return "NG";
    case CheckResult::kNotChecked: break;
  }
  return "—";
}

std::vector<CheckRow> RunClientCheck(const ClientCheckInputs& inputs) {
  std::vector<CheckRow> rows;
  const platform::SystemFacts facts = inputs.services.shell.DescribeSystem();
  AddSystemRows(inputs, facts, rows);
  AddFileRows(inputs, rows);
  const std::uint32_t own_level =
      facts.integrity_level != platform::integrity::kUnknown ? facts.integrity_level : platform::integrity::kMedium;
  AddClientRows(inputs, own_level, rows);
  AddScoreFileRows(inputs, rows);
  AddMacroRows(inputs, rows);
  return rows;
}

std::string ClientCheckTitle(const platform::LocalTime& now) {
  char time[32];
  std::snprintf(time, sizeof time, "%04d/%02d/%02d %02d:%02d", now.year, now.month, now.day, now.hour, now.minute);
  return std::string(kMainWindowCaption) + " クライアント診断 " + time;
}

std::string ClientCheckReportText(std::string_view title, const std::vector<CheckRow>& rows) {
  std::string text = std::string(title) + "\r\n";
  for (const CheckRow& row : rows) {
    text.append("[").append(CheckResultText(row.result)).append("] ");
    text.append(row.item).append(": ").append(row.detail).append("\r\n");
  }
  return text;
}

}  // namespace tamiru::app
