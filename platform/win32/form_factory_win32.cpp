#include "platform/win32/form_factory_win32.h"

namespace tamiru::platform::win32 {

namespace {

std::unique_ptr<Win32Form> OwnedForm(const FormOptions& base, WindowHandle owner, const WindowOptions& options,
                                     const std::function<void(WindowHandle, const std::string&)>& error_sink) {
  FormOptions form_options = base;
  static_cast<WindowOptions&>(form_options) = options;
  form_options.owner = owner;
  auto form = std::make_unique<Win32Form>(form_options);
  Win32Form* window = form.get();
  form->SetErrorSink([error_sink, window](const std::string& message) { error_sink(window->Handle(), message); });
  return form;
}

}  // namespace

std::unique_ptr<ModalFormHost> Win32FormFactory::CreateModalForm(WindowHandle owner, const WindowOptions& options) {
  return OwnedForm(base_, owner, options, error_sink_);
}

std::unique_ptr<FormHost> Win32FormFactory::CreateOwnedForm(WindowHandle owner, const WindowOptions& options) {
  auto form = OwnedForm(base_, owner, options, error_sink_);
  form->SetCloseOnEscape(true);
  return form;
}

}  // namespace tamiru::platform::win32
