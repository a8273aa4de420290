#pragma once
// The screen image on the real desktop, read straight from the screen's
// device context into a device-independent bitmap. The clipboard is not
// touched: what the user copied stays there.
#include "platform/system.h"

namespace tamiru::platform::win32 {

class Win32Screen : public Screen {
 public:
  // The whole virtual screen (every monitor), as the Print Screen key takes
  // it; an empty image when the system refuses any step.
  Image GrabWholeScreen() override;
};

}  // namespace tamiru::platform::win32
