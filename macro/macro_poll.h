#pragma once
// The macro key poll: on each Timer4 tick, the lines of the macro list whose
// key combination is down, while the game client's window found on the
// desktop or this program's main window is in front. Its state lives from
// tick to tick; the actions themselves are the caller's.
#include <functional>
#include <string>
#include <vector>

#include "macro/macro_file.h"
#include "platform/system.h"
#include "platform/window_system.h"

namespace tamiru::macro {

// A counter that is one higher for the life of the scope.
class DepthScope {
 public:
  explicit DepthScope(int& depth) : depth_(depth) { ++depth_; }
  ~DepthScope() { --depth_; }
  DepthScope(const DepthScope&) = delete;
  DepthScope& operator=(const DepthScope&) = delete;

 private:
  int& depth_;
};

class MacroPoll {
 public:
  // One tick. `this_program` is this program's main window. `run` gets the
  // entry of each line whose combination is down, as a copy: the action may
  // wait, turning the message loop, and the list may change meanwhile, so it
  // is asked again before each line and the keys are read afresh after an
  // action. A tick nested inside actions' waits more than a few deep reads
  // nothing.
  void Tick(platform::WindowSystem& windows, platform::Input& input, platform::WindowHandle this_program,
            const std::function<void(const TMacroEntry&)>& run);

  std::vector<std::string> MacroList;
  // "/Talk" list actions running, nested ones included.
  int talk_depth = 0;

 private:
  int tick_depth_ = 0;
  // The last window found in front and its class: a window's class never
  // changes, so it is asked again only when another comes in front.
  platform::WindowHandle front_ = platform::kNoWindow;
  std::string front_class_;
};

}  // namespace tamiru::macro
