#pragma once
// A notification area in memory: it records the icon's adds, removals and
// balloons, and plays the user's double click and menu choices.
#include <string>
#include <vector>

#include "platform/notification_area.h"

namespace tamiru::platform::fake {

class FakeNotificationArea : public NotificationArea {
 public:
  struct Balloon {
    std::string title;
    std::string text;
  };

  void SetHandlers(TrayHandlers handlers) override { handlers_ = std::move(handlers); }
  bool AddIcon(const std::string& tooltip) override {
    wanted_ = true;
    adds.push_back(tooltip);
    return !refuse;
  }
  void RemoveIcon() override {
    if (wanted_) ++removes;
    wanted_ = false;
  }
  bool HasIcon() const override { return wanted_; }
  bool ShowBalloon(const std::string& title, const std::string& text) override {
    if (!wanted_ || refuse) return false;
    balloons.push_back({title, text});
    return true;
  }

  // The user's part.
  void DoubleClick() const {
    if (wanted_ && handlers_.activate) handlers_.activate();
  }
  std::vector<TrayMenuItem> OpenMenu() const {
    return wanted_ && handlers_.menu ? handlers_.menu() : std::vector<TrayMenuItem>{};
  }
  // Opens the menu and picks the item `id`; false when the menu has none.
  bool Choose(int id) const {
    for (const TrayMenuItem& item : OpenMenu()) {
      if (item.id != 0 && item.id == id) {
        if (handlers_.command) handlers_.command(id);
        return true;
      }
    }
    return false;
  }
  // Explorer restarted: a new taskbar, which gets the wanted icon again.
  void TaskbarRestarts() {
    if (wanted_) adds.push_back(adds.empty() ? std::string() : adds.back());
  }

  bool refuse = false;             // the shell takes no icon and shows no balloon
  std::vector<std::string> adds;   // the tooltip of each add
  int removes = 0;
  std::vector<Balloon> balloons;

 private:
  TrayHandlers handlers_;
  bool wanted_ = false;
};

}  // namespace tamiru::platform::fake
