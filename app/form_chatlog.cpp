// The main window's chat log and keyword alert: the two switches, the
// keyword add, the chat capture and Timer2's tick that runs it.
#include <algorithm>

#include "app/main_window.h"
#include "chatlog/capture.h"
#include "platform/files.h"
#include "settings/settings.h"

namespace tamiru::app {

namespace {
constexpr std::string_view kAlertSoundName = "call.wav";
}  // namespace

std::string TForm1::AlertSoundPath() const { return settings::PathInFolder(program_folder(), kAlertSoundName); }

void TForm1::CaptureChat() {
  const chatlog::CaptureState state{LastChatSource, NextChatLine, ChatEndIndex};
  const chatlog::CaptureSettings capture_settings{Settings.SaveChatLog, Settings.ChatLogFormat, Settings.Keyword};
  // The log files lie in the process's current directory.
  const chatlog::CaptureContext context{services_.windows, services_.loop, services_.sound, KeywordList,
                                        AlertSoundPath(), {}};
  chatlog::CaptureChat(state, capture_settings, context);
}

// One tick: the chat capture when the log or the alert is on and a client
// window is open, then the keep-alive step.
void TForm1::Timer2Timer() {
  const game::SpectateContext spectate{services_.windows, services_.loop, ConnectAttemptTick};
  game::Timer2Timer(Settings, KeepAlive, *Label6, spectate, [this] { CaptureChat(); });
}

// "ログ保存"
void TForm1::Button3Click() {
  Settings.SaveChatLog = Settings.SaveChatLog == 0 ? 1 : 0;
  Button3->SetCaption(SwitchCaption(Settings.SaveChatLog));
  game::ApplyTimer2Rule(Settings, *Timer2, *Label6);
}

// "キーワード"
void TForm1::Button18Click() {
  Settings.Keyword = Settings.Keyword == 0 ? 1 : 0;
  Button18->SetCaption(SwitchCaption(Settings.Keyword));
  game::ApplyTimer2Rule(Settings, *Timer2, *Label6);
}

// "↓追加": with Edit2 empty, the keyword file opens in its program; else the
// text becomes a keyword unless it is one already, and the file is rewritten.
void TForm1::Button25Click() {
  const std::string keyword = Edit2->Text();
  if (keyword.empty()) {
    services_.shell.ShellExecute(services_.host.Handle(), std::string("open"), Settings.File5,
                                 std::string("c:\\Windows"), platform::kSwShow);
    return;
  }
  Edit2->SetText("");
  if (std::find(KeywordList.begin(), KeywordList.end(), keyword) != KeywordList.end()) return;
  std::vector<std::string> updated = KeywordList;
  updated.push_back(keyword);
  // The list changes only once the file holds it: a failed write leaves both
  // as they were and goes to the general error display.
  platform::WriteListFile(Settings.File5, updated);
  KeywordList = std::move(updated);
}

}  // namespace tamiru::app
