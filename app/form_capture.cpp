// The game window image save: Button20 ("画像保存") and the macro action of
// the same name save the screen, with the game client's window in front,
// under this window's image settings.
#include "app/main_window.h"
#include "capture/game_image.h"

namespace tamiru::app {

platform::Screen& NoScreen() {
  class EmptyScreen : public platform::Screen {
   public:
    platform::Image GrabWholeScreen() override { return {}; }
  };
  static EmptyScreen screen;
  return screen;
}

void TForm1::SaveGameImage() {
  capture::SaveGameImage(Settings.AutoNameImageFile, Settings.ImageFileFormat, Settings.TonpuImageNumber,
                         {services_.windows, services_.loop, services_.screen, services_.dialogs,
                          services_.host.Handle()});
}

void TForm1::Button20Click() { SaveGameImage(); }

}  // namespace tamiru::app
