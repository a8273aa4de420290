// The main window's auto-connect switch and its step, the keep-alive switch
// and the one-click spectate.
#include "app/main_window.h"
#include "game/auto_connect.h"
#include "game/keep_alive.h"

namespace tamiru::app {

namespace {

// Auto-connect works on a copy of the window's two members and writes it
// back: neither the switch nor a step waits for the client, so no other
// handler can run in between and see the members half changed.
class AutoConnectMembers {
 public:
  AutoConnectMembers(std::int32_t& on, std::uint32_t& tick)
      : on_(on), tick_(tick), state_{on != 0, tick} {}
  ~AutoConnectMembers() {
    on_ = state_.AutoConnectOn ? 1 : 0;
    tick_ = state_.ConnectAttemptTick;
  }
  AutoConnectMembers(const AutoConnectMembers&) = delete;
  AutoConnectMembers& operator=(const AutoConnectMembers&) = delete;
  game::AutoConnectState& state() { return state_; }

 private:
  std::int32_t& on_;
  std::uint32_t& tick_;
  game::AutoConnectState state_;
};

}  // namespace

void TForm1::Button1Click() {
  AutoConnectMembers members(AutoConnectOn, ConnectAttemptTick);
  game::Button1Click(members.state(), {*Button1, *Label5, *Timer1}, Settings.File4, services_.windows,
                     services_.shell);
}

void TForm1::Timer1Timer() {
  AutoConnectMembers members(AutoConnectOn, ConnectAttemptTick);
  game::Timer1Timer(members.state(), {*Button1, *Label5, *Timer1}, Settings.AutoConnectTimeInterval,
                    services_.windows, services_.loop);
}

game::SpectateContext TForm1::KeepAliveContext() {
  return game::SpectateContext{services_.windows, services_.loop, ConnectAttemptTick};
}

game::SpectateOutcome TForm1::SpectateOnce() { return game::SpectateOnce(KeepAlive, KeepAliveContext()); }

void TForm1::Button2Click() { game::Button2Click(Settings, KeepAlive, *Button2, *Label6, *Timer2); }

// "瞬間観戦": the chat up to now is logged before the spectate takes the
// client to a table, then the keep-alive interval starts again.
void TForm1::Button17Click() {
  game::Button17Click(Settings, KeepAlive, KeepAliveContext(), [this] { CaptureChat(); });
}

}  // namespace tamiru::app
