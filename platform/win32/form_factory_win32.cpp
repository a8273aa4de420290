#include "platform/win32/form_factory_win32.h"

namespace tamiru::platform::win32 {

std::unique_ptr<ModalFormHost> Win32FormFactory::CreateModalForm(WindowHandle owner, const WindowOptions& options) {
  FormOptions form_options = base_;
  static_cast<WindowOptions&>(form_options) = options;
  form_options.owner = owner;
  auto form = std::make_unique<Win32Form>(form_options);
  Win32Form* window = form.get();
  form->SetErrorSink([this, window](const std::string& message) { error_sink_(window->Handle(), message); });
  return form;
}

}  // namespace tamiru::platform::win32
