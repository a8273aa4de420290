// The client check window, reached from the main window's system menu.
#include "app/client_check.h"
#include "app/client_check_window.h"
#include "app/main_window.h"

namespace tamiru::app {

// An open window keeps its rows until "再確認"; a new one checks afresh.
void TForm1::ClientCheckMenuClick() {
  const ClientCheckOwner owner{services_.dialogs, services_.shell,
                               [this] { return RunClientCheck({services_, Settings, paths_}); },
                               [this] { return ClientCheckTitle(services_.loop.Now()); }};
  Windows.ClientCheck.Open(services_.forms, services_.host.Handle(), owner);
}

}  // namespace tamiru::app
