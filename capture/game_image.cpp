#include "capture/game_image.h"

#include <cstdint>
#include <optional>

#include "capture/image_files.h"
#include "game/discovery.h"
#include "platform/files.h"
#include "text/error.h"

namespace tamiru::capture {

namespace {

// The game main window if it exists, else the waiting room, else none.
platform::WindowHandle FindImageTarget(platform::WindowSystem& windows) {
  const platform::WindowHandle main = game::FindGameMainWindow(windows);
  if (main != platform::kNoWindow) return main;
  return game::FindWaitingRoom(windows);
}

struct ImageFileChoice {
  std::string path;
  ImageFormat format = ImageFormat::kBmp;
};

std::optional<ImageFileChoice> AskForImageFile(const int& image_file_format, const ImageSavePlatform& platform) {
  platform::Dialogs::FileDialogRequest request;
  request.filter = std::string(kImageFileFilter);
  request.filter_index = image_file_format == 0 ? kBmpFilterIndex : kJpegFilterIndex;
  request.default_extension = std::string(kDefaultImageExtension);
  const auto result = platform.dialogs.ShowSaveDialog(platform.owner, request);
  if (!result) return std::nullopt;
  // The filter decides the format, whatever extension the name has.
  return ImageFileChoice{result->path,
                         result->filter_index == kBmpFilterIndex ? ImageFormat::kBmp : ImageFormat::kJpeg};
}

ImageFileChoice TakeAutomaticName(const int& image_file_format, int& tonpu_image_number) {
  // The name and the data follow the same setting, so a .bmp name always
  // holds BMP data.
  const ImageFormat format = image_file_format == 0 ? ImageFormat::kBmp : ImageFormat::kJpeg;
  ImageFileChoice choice{AutomaticImageFileName(tonpu_image_number, format), format};
  // Wraps like the 32-bit counter it is instead of overflowing.
  tonpu_image_number = static_cast<int>(static_cast<std::uint32_t>(tonpu_image_number) + 1u);
  return choice;
}

// A game window the user minimised is shown again: the picture is of it.
void BringToFront(platform::WindowSystem& windows, platform::EventLoop& loop, platform::WindowHandle target) {
  windows.RestoreToForeground(target);
  if (windows.GetForegroundWindow() != target) loop.ProcessPendingMessages();
}

}  // namespace

std::string AutomaticImageFileName(int number, ImageFormat format) {
  return "Tonpu" + std::to_string(number) + (format == ImageFormat::kBmp ? ".bmp" : ".jpg");
}

void SaveGameImage(const int& auto_name_image_file, const int& image_file_format, int& tonpu_image_number,
                   const ImageSavePlatform& platform) {
  if (FindImageTarget(platform.windows) == platform::kNoWindow) return;

  std::optional<ImageFileChoice> choice;
  if (auto_name_image_file == 0) {
    choice = AskForImageFile(image_file_format, platform);
    if (!choice) return;
  } else {
    choice = TakeAutomaticName(image_file_format, tonpu_image_number);
  }

  // Looked up again: the dialog may have been open for any time, and the
  // window found before it may be gone (or the game may have started).
  const platform::WindowHandle target = FindImageTarget(platform.windows);
  if (target != platform::kNoWindow) BringToFront(platform.windows, platform.loop, target);
  platform.loop.WaitWithMessages(kForegroundSettleMs);

  const platform::Image image = platform.screen.GrabWholeScreen();
  const std::optional<std::string> bytes =
      choice->format == ImageFormat::kBmp ? EncodeBmp(image) : EncodeJpeg(image, kJpegQuality);
  // A screen that could not be read leaves nothing to write: reported as
  // the file not being made, never as a saved picture.
  if (!bytes || !platform::ReplaceFileContents(choice->path, *bytes)) throw FileCreateError(choice->path);
}

}  // namespace tamiru::capture
