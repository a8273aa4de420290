// The main window's chat log and keyword alert: the two switches, the
// keyword add, the chat capture and Timer2's tick that runs it.
#include <algorithm>

#include "app/main_window.h"
#include "chatlog/capture.h"
#include "game/keep_alive.h"
#include "lists/name_lists.h"
#include "platform/files.h"
#include "settings/settings.h"
#include "text/path.h"

namespace tamiru::app {

namespace {
constexpr std::string_view kAlertSoundName = "call.wav";
}  // namespace

std::string ProgramPaths::AlertSound() const { return text::JoinPath(folder, kAlertSoundName); }

void TForm1::CaptureChat() {
  const chatlog::CaptureSettings capture_settings{Settings.SaveChatLog, Settings.ChatLogFormat, Settings.Keyword,
                                                  Settings.Tamiru.Notify, Settings.Tamiru.FriendNotice};
  // The friend list as it stands in ListBox1, read only when it is asked.
  std::vector<std::string> friends;
  if (Settings.Tamiru.FriendNotice == 1) friends = ListBox1->Items();
  // The log files lie in the process's current directory.
  const chatlog::CaptureContext context{services_.windows, services_.loop, services_.sound, KeywordList,
                                        paths_.AlertSound(), {}, &friends,
                                        [this](const chatlog::ChatNotice& notice) { TellNotice(notice); }};
  chatlog::CaptureChat(Capture, capture_settings, context);
}

// One tick: the chat capture when the log or the alert is on and a client
// window is open, then the keep-alive step. Ticks also run inside the waits
// of a spectate this tick started: they capture, and leave the interval to
// the running spectate.
void TForm1::Timer2Timer() {
  const game::Timer2Settings timer2{Settings.AutoWatch, Settings.AutoWatchTimeInterval, Settings.SaveChatLog,
                                    Settings.Keyword, Settings.Tamiru.FriendNotice};
  if (game::ChatCaptureDue(timer2, services_.windows)) CaptureChat();
  const game::KeepAliveCountdown countdown = game::CountDownKeepAlive(
      timer2, KeepAlive, services_.windows, platform::SecondsSinceStart(services_.loop.TickCount()));
  if (countdown.Label6) Label6->SetCaption(*countdown.Label6);
  if (countdown.spectate_due) SpectateAndRestartInterval();
}

// "ログ保存"
void TForm1::Button3Click() {
  Settings.SaveChatLog = Settings.SaveChatLog == 0 ? 1 : 0;
  Button3->SetCaption(SwitchCaption(Settings.SaveChatLog));
  ApplyTimer2Rule();
}

// "キーワード"
void TForm1::Button18Click() {
  Settings.Keyword = Settings.Keyword == 0 ? 1 : 0;
  Button18->SetCaption(SwitchCaption(Settings.Keyword));
  ApplyTimer2Rule();
}

// "↓追加": with Edit2 empty, the keyword file opens in its program; else the
// text becomes a keyword unless it is one already, and the file is rewritten.
void TForm1::Button25Click() {
  const std::string keyword = Edit2->Text();
  if (keyword.empty()) {
    lists::OpenListFileForUser(services_.shell, services_.host.Handle(), Settings.File5);
    return;
  }
  Edit2->SetText("");
  if (!lists::AppendOnce(KeywordList, keyword)) return;
  // A failed write goes to the general error display; the keyword stays in
  // the list for this run, as the other lists keep their change.
  platform::WriteListFile(Settings.File5, KeywordList);
}

}  // namespace tamiru::app
