#pragma once
// Saving a picture of the whole screen with the game client's window in
// front, as a BMP or JPEG file named automatically or chosen in the save
// dialog. Started by Button20 ("画像保存") and by the macro action of the
// same name.
#include <string>
#include <string_view>

#include "platform/event_loop.h"
#include "platform/system.h"
#include "platform/window_system.h"

namespace tamiru::capture {

enum class ImageFormat { kBmp, kJpeg };

inline constexpr std::string_view kImageFileFilter = "ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)|*.bmp|JPG(*.jpg)|*.jpg";
inline constexpr int kBmpFilterIndex = 1;
inline constexpr int kJpegFilterIndex = 2;
inline constexpr std::string_view kDefaultImageExtension = "bmp";
// How long the target window has to come to the front and redraw.
inline constexpr std::uint32_t kForegroundSettleMs = 500;

// "Tonpu" + number + ".bmp" or ".jpg", in the current directory.
std::string AutomaticImageFileName(int number, ImageFormat format);

struct ImageSavePlatform {
  platform::WindowSystem& windows;
  platform::EventLoop& loop;
  platform::Screen& screen;
  platform::Dialogs& dialogs;
  platform::WindowHandle owner = platform::kNoWindow;  // owner of the save dialog
};

// The three settings are TSettings' AutoNameImageFile, ImageFileFormat and
// TonpuImageNumber; only the number is changed (increased by one for each
// automatic name, before the picture is taken). Does nothing when neither
// the game main window nor the waiting room exists, or when the dialog is
// cancelled. Throws TamiruError "ファイル %s を作成できません" when the
// file cannot be written.
void SaveGameImage(const int& auto_name_image_file, const int& image_file_format, int& tonpu_image_number,
                   const ImageSavePlatform& platform);

}  // namespace tamiru::capture
