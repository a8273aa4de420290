// The settings dialog opened from the main window.
#include <memory>

#include "app/main_window.h"
#include "app/settings_dialog.h"

namespace tamiru::app {

namespace {

class NoFormFactory : public platform::FormFactory {
 public:
  std::unique_ptr<platform::ModalFormHost> CreateModalForm(platform::WindowHandle, const platform::WindowOptions&) override {
    return nullptr;
  }
};

}  // namespace

platform::FormFactory& NoForms() {
  static NoFormFactory none;
  return none;
}

// A new dialog for each opening, destroyed when it closes whatever the
// result: OK has done all there is to do. A phrase list that cannot be read
// ends it here (FileOpenError) before the dialog is shown.
void TForm1::Button23Click() {
  const std::unique_ptr<platform::ModalFormHost> window =
      services_.forms.CreateModalForm(services_.host.Handle(), TForm2::WindowOptions());
  if (!window) return;
  TForm2 dialog(SettingsDialogOwnerOf(*this), *window);
  window->ShowModal();
}

SettingsDialogOwner SettingsDialogOwnerOf(TForm1& form) {
  return {form.Settings, form.Macros.MacroList, form.paths().ini, form.services().dialogs,
          [&form] { form.ReloadLists(); }, [&form] { form.ApplyTimerSettings(); },
          [&services = form.services()](const std::string& file4) { return ScoreFileToRead(services, file4); }};
}

}  // namespace tamiru::app
