// The main window's auto-connect switch and its step, the keep-alive switch
// and the one-click spectate.
#include "app/main_window.h"
#include "game/auto_connect.h"
#include "game/keep_alive.h"

namespace tamiru::app {

namespace {

// Button1, Timer1 and Label5 as auto-connect's switch or step left them.
void ShowAutoConnect(TForm1& form, const game::AutoConnectView& view) {
  form.Button1->SetCaption(view.on ? "ON" : "OFF");
  form.Timer1->SetEnabled(view.on);
  if (view.Label5) form.Label5->SetCaption(*view.Label5);
}

}  // namespace

// Switching on may start the client, and WinExec holds the message loop
// until the client is ready for input: "ON" is painted before it.
void TForm1::Button1Click() {
  const auto show_on = [this] {
    Button1->SetCaption("ON");
    Button1->Repaint();
  };
  // The client is started from the folder where its score file was found.
  const std::string score_file = ClientScoreFile(services_, Settings.File4);
  ShowAutoConnect(*this, game::Button1Click(AutoConnect, score_file, services_.windows, services_.shell, show_on));
}

void TForm1::Timer1Timer() {
  ShowAutoConnect(*this,
                  game::Timer1Timer(AutoConnect, Settings.AutoConnectTimeInterval, services_.windows, services_.loop));
}

// What a spectate needs from this window: the client's windows, the wait,
// and ConnectAttemptTick, which dismissing "観戦失敗" clears.
game::SpectateContext TForm1::SpectateContext() {
  return game::SpectateContext{services_.windows, services_.loop, AutoConnect.ConnectAttemptTick};
}

void TForm1::SpectateAndRestartInterval() { game::SpectateAndRestartInterval(KeepAlive, SpectateContext()); }

// "落ち防止": off also ends the running interval.
void TForm1::Button2Click() {
  Settings.AutoWatch = Settings.AutoWatch == 0 ? 1 : 0;
  Button2->SetCaption(SwitchCaption(Settings.AutoWatch));
  if (Settings.AutoWatch == 0) {
    Label6->SetCaption("");
    KeepAlive.KeepAliveStartSec = 0;
  }
  ApplyTimer2Rule();
}

// "瞬間観戦": the chat up to now is logged before the spectate takes the
// client to a table, then the keep-alive interval starts again.
void TForm1::Button17Click() {
  if (Settings.SaveChatLog == 1) CaptureChat();
  SpectateAndRestartInterval();
}

}  // namespace tamiru::app
