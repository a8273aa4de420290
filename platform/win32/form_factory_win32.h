#pragma once
// The program's second windows on the real desktop (the settings dialog):
// Win32Forms owned by a window, with the main window's font fallbacks and
// the same error display for what escapes their handlers.
#include <functional>
#include <memory>
#include <string>

#include "platform/form_host.h"
#include "platform/win32/form_win32.h"

namespace tamiru::platform::win32 {

class Win32FormFactory : public FormFactory {
 public:
  // `base` gives the font fallbacks; `error_sink` shows an error over the
  // window it escaped from.
  Win32FormFactory(FormOptions base, std::function<void(WindowHandle, const std::string&)> error_sink)
      : base_(std::move(base)), error_sink_(std::move(error_sink)) {}
  std::unique_ptr<ModalFormHost> CreateModalForm(WindowHandle owner, const WindowOptions& options) override;
  std::unique_ptr<FormHost> CreateOwnedForm(WindowHandle owner, const WindowOptions& options) override;

 private:
  FormOptions base_;
  std::function<void(WindowHandle, const std::string&)> error_sink_;
};

}  // namespace tamiru::platform::win32
