// The client check window, reached from the main window's system menu.
#include <memory>

#include "app/client_check.h"
#include "app/client_check_window.h"
#include "app/main_window.h"

namespace tamiru::app {

// One window at a time: an open one comes to the front (its rows stay as
// they were until "再確認"); a closed one is replaced by a new window that
// checks afresh.
void TForm1::ClientCheckMenuClick() {
  auto& ClientCheck = Windows.ClientCheck;
  if (ClientCheck.IsOpen()) {
    ClientCheck.Window->BringToFront();
    return;
  }
  ClientCheck.Form.reset();
  ClientCheck.Window = services_.forms.CreateOwnedForm(services_.host.Handle(), TForm5::WindowOptions());
  if (!ClientCheck.Window) return;
  const ClientCheckOwner owner{services_.dialogs, services_.shell,
                               [this] { return RunClientCheck({services_, Settings, paths_}); },
                               [this] { return ClientCheckTitle(services_.loop.Now()); }};
  ClientCheck.Form = std::make_unique<TForm5>(owner, *ClientCheck.Window);
  ClientCheck.Window->BringToFront();
}

}  // namespace tamiru::app
