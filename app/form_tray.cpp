// The main window's icon in the notification area: its menu, the balloons of
// the chat capture's notices, minimising there, and the four switches of
// [Tamiru] in the system menu and the icon's menu.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/history_window.h"
#include "app/main_window.h"

namespace tamiru::app {

namespace {

constexpr std::string_view kTooltip = "Tamiru";
constexpr int kShowMenuId = 0x0101;
constexpr int kExitMenuId = 0x0102;
// Often enough that a gathered balloon follows the showing one closely; the
// timer runs only while notices wait.
constexpr std::uint32_t kBalloonCheckMs = 500;

struct SwitchItem {
  int id;
  std::string_view caption;
  std::int32_t settings::TamiruSwitches::*value;
};

constexpr SwitchItem kSwitchItems[] = {
    {0x0130, "通知領域にアイコン", &settings::TamiruSwitches::TrayIcon},
    {0x0140, "通知を表示", &settings::TamiruSwitches::Notify},
    {0x0150, "友達の接続を知らせる", &settings::TamiruSwitches::FriendNotice},
    {0x0160, "最小化で通知領域へ", &settings::TamiruSwitches::MinimizeToTray},
};

const SwitchItem* SwitchOf(int id) {
  for (const SwitchItem& item : kSwitchItems) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

bool IsOn(const settings::TSettings& settings, const SwitchItem& item) { return settings.Tamiru.*item.value == 1; }

std::vector<platform::TrayMenuItem> TrayMenu(const settings::TSettings& settings) {
  std::vector<platform::TrayMenuItem> items{{kShowMenuId, "表示(&S)"},
                                            {kHistoryMenuId, std::string(kHistoryMenuCaption)},
                                            {}};
  for (const SwitchItem& item : kSwitchItems) {
    items.push_back({item.id, std::string(item.caption), true, IsOn(settings, item)});
  }
  items.push_back({});
  items.push_back({kExitMenuId, "終了(&X)"});
  return items;
}

std::string_view TitleOf(chatlog::NoticeKind kind) {
  return kind == chatlog::NoticeKind::kFriend ? chatlog::kFriendBalloonTitle : chatlog::kKeywordBalloonTitle;
}

}  // namespace

platform::NotificationArea& NoNotificationArea() {
  class None : public platform::NotificationArea {
   public:
    void SetHandlers(platform::TrayHandlers) override {}
    bool AddIcon(const std::string&) override { return false; }
    void RemoveIcon() override {}
    bool HasIcon() const override { return false; }
    bool ShowBalloon(const std::string&, const std::string&) override { return false; }
  };
  static None none;
  return none;
}

void ConnectNotificationArea(TForm1& form) {
  platform::FormHost& host = form.services().host;
  const EventBoundary& boundary = form.boundary();
  for (const SwitchItem& item : kSwitchItems) {
    const int id = item.id;
    host.AddSystemMenuItem(id, std::string(item.caption), [&form, &boundary, id] {
      boundary.Run([&form, id] { form.TamiruSwitchClick(id); });
    }, id != kSwitchItems[0].id);
  }
  form.Windows.Balloons.DueTimer = host.CreateTimer("BalloonTimer");
  form.Windows.Balloons.DueTimer->SetInterval(kBalloonCheckMs);
  boundary.Connect(*form.Windows.Balloons.DueTimer, [&form] { form.BalloonTimerTimer(); });
  host.Connect(platform::FormEvent::kMinimize, [&form, &boundary] { boundary.Run([&form] { form.FormMinimize(); }); });
  form.services().tray.SetHandlers(
      {[&form, &boundary] { boundary.Run([&form] { form.TrayIconDblClick(); }); },
       [&form] { return TrayMenu(form.Settings); },
       [&form, &boundary](int id) { boundary.Run([&form, id] { form.TrayMenuCommand(id); }); }});
}

void ApplyTamiruSwitches(TForm1& form) {
  for (const SwitchItem& item : kSwitchItems) {
    form.services().host.CheckSystemMenuItem(item.id, IsOn(form.Settings, item));
  }
  platform::NotificationArea& tray = form.services().tray;
  if (form.Settings.Tamiru.TrayIcon == 1) {
    if (!tray.HasIcon()) tray.AddIcon(std::string(kTooltip));
  } else if (tray.HasIcon()) {
    tray.RemoveIcon();
  }
}

void TForm1::TrayIconDblClick() { services_.host.BringToFront(); }

void TForm1::TrayMenuCommand(int id) {
  if (id == kShowMenuId) {
    services_.host.BringToFront();
  } else if (id == kHistoryMenuId) {
    HistoryMenuClick();
  } else if (id == kExitMenuId) {
    // The close box's way, with FormCloseQuery's saving.
    services_.host.CloseWindow();
  } else if (SwitchOf(id) != nullptr) {
    TamiruSwitchClick(id);
  }
}

// Hidden only while the icon is there to bring the window back.
void TForm1::FormMinimize() {
  if (Settings.Tamiru.MinimizeToTray == 1 && services_.tray.HasIcon()) services_.host.HideWindow();
}

void TForm1::TamiruSwitchClick(int id) {
  const SwitchItem* item = SwitchOf(id);
  if (item == nullptr) return;
  std::int32_t& value = Settings.Tamiru.*item->value;
  value = value == 1 ? 0 : 1;
  // A window hidden in the notification area comes back with its icon gone.
  if (item->value == &settings::TamiruSwitches::TrayIcon && value == 0) services_.host.BringToFront();
  ApplyTamiruSwitches(*this);
  ApplyTimer2Rule();
}

void TForm1::TellNotice(const chatlog::ChatNotice& notice) {
  BalloonState& balloons = Windows.Balloons;
  balloons.LatestKind = notice.kind;
  const std::optional<std::string> now = balloons.Gate.Offer(notice.text, services_.loop.TickCount());
  if (now) services_.tray.ShowBalloon(std::string(TitleOf(notice.kind)), *now);
  // Gathered: the timer sends the gathered balloon once it is due.
  balloons.DueTimer->SetEnabled(!now);
}

void TForm1::BalloonTimerTimer() {
  BalloonState& balloons = Windows.Balloons;
  const std::optional<std::string> due = balloons.Gate.Due(services_.loop.TickCount());
  if (!due) return;
  balloons.DueTimer->SetEnabled(false);
  services_.tray.ShowBalloon(std::string(TitleOf(balloons.LatestKind)), *due);
}

}  // namespace tamiru::app
