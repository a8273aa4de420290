#pragma once
// The program's icon in the notification area of the taskbar: a tooltip,
// balloons that say something, a double click and a menu of commands. The
// icon stays until it is removed, and comes back by itself when the taskbar
// is made anew (Explorer restarted). The Win32 icon and the recording one
// for tests implement it; the program's logic sees only this.
#include <functional>
#include <string>
#include <vector>

namespace tamiru::platform {

// An item of the icon's menu; id 0 is a separator.
struct TrayMenuItem {
  int id = 0;
  std::string caption;
  bool checkable = false;
  bool checked = false;
};

struct TrayHandlers {
  std::function<void()> activate;                   // the icon double-clicked
  std::function<std::vector<TrayMenuItem>()> menu;  // the items, asked when the menu opens
  std::function<void(int id)> command;              // an item of the menu chosen
};

class NotificationArea {
 public:
  virtual ~NotificationArea() = default;
  virtual void SetHandlers(TrayHandlers handlers) = 0;
  // Puts the icon there with `tooltip` (an icon already there only changes
  // its tooltip); false when the shell refused it, the icon then counted
  // as wanted, so that a taskbar made later gets it.
  virtual bool AddIcon(const std::string& tooltip) = 0;
  virtual void RemoveIcon() = 0;
  // Whether the icon is wanted there (added and not removed since).
  virtual bool HasIcon() const = 0;
  // A balloon from the icon, Shift_JIS title and text; false without the
  // icon or when the shell refused it.
  virtual bool ShowBalloon(const std::string& title, const std::string& text) = 0;
};

}  // namespace tamiru::platform
