// The image save on the main window: Button20 writes the automatic name in
// the current directory from the form's own settings, the number it used up
// reaches the INI at close, the save dialog belongs to the window, and a
// failed save ends at the general error display.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "capture/image_files.h"
#include "platform/files.h"
#include "tests/app/form_fixture.h"

namespace tamiru::app {
namespace {

namespace fs = std::filesystem;
using platform::Dialogs;

// Runs in the program folder, as tamiru.exe started there does.
class FormCaptureTest : public testing_support::FormTest {
 protected:
  FormCaptureTest() : previous_dir_(fs::current_path()) { fs::current_path(folder.File("")); }
  ~FormCaptureTest() override { fs::current_path(previous_dir_); }

 private:
  fs::path previous_dir_;
};

// Answers the save dialog with a fixed choice and notes what it was asked.
class AnsweringDialogs : public testing_support::RecordingDialogs {
 public:
  std::optional<FileDialogResult> ShowSaveDialog(platform::WindowHandle owner,
                                                 const FileDialogRequest& request) override {
    owner_seen = owner;
    request_seen = request;
    ++shown;
    return answer;
  }
  std::optional<FileDialogResult> answer;
  platform::WindowHandle owner_seen = platform::kNoWindow;
  FileDialogRequest request_seen;
  int shown = 0;
};

TEST_F(FormCaptureTest, AutomaticNamesFollowTheSettingsAndTheUsedNumberIsWrittenAtClose) {
  Start("AutoNameImageFile=1\r\nImageFileFormat=0\r\nTonpuImageNumber=7\r\n");
  desktop.CreateWaitingRoom();

  ASSERT_TRUE(host.Click("Button20"));
  EXPECT_EQ(folder.Read("Tonpu7.bmp"), *capture::EncodeBmp(still_screen.image));
  EXPECT_EQ(form->Settings.TonpuImageNumber, 8);

  // The format switched while running applies to the next name.
  form->Settings.ImageFileFormat = 1;
  ASSERT_TRUE(host.Click("Button20"));
  EXPECT_EQ(folder.Read("Tonpu8.jpg").substr(0, 3), "\xFF\xD8\xFF");
  EXPECT_EQ(form->Settings.TonpuImageNumber, 9);
  EXPECT_EQ(still_screen.grabs, 2);
  EXPECT_TRUE(dialogs.errors.empty());

  ASSERT_TRUE(host.Close());
  const std::string ini = folder.Read("tamiru.INI");
  EXPECT_NE(ini.find("TonpuImageNumber=9\r\n"), std::string::npos) << ini;
  EXPECT_NE(ini.find("ImageFileFormat=1\r\n"), std::string::npos) << ini;
}

TEST_F(FormCaptureTest, WithoutTheClientNothingIsSavedAndTheNumberIsKept) {
  Start("AutoNameImageFile=1\r\nTonpuImageNumber=3\r\n");
  ASSERT_TRUE(host.Click("Button20"));
  EXPECT_FALSE(fs::exists(folder.File("Tonpu3.bmp")));
  EXPECT_EQ(form->Settings.TonpuImageNumber, 3);
  EXPECT_EQ(still_screen.grabs, 0);
  EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(FormCaptureTest, UnwritableFileReachesTheGeneralErrorDisplayAndStillUsesUpTheNumber) {
  Start("AutoNameImageFile=1\r\nTonpuImageNumber=4\r\n");
  desktop.CreateGameMainWindow();
  fs::create_directory(folder.File("Tonpu4.bmp"));  // a folder where the file should go

  ASSERT_TRUE(host.Click("Button20"));
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0].owner, host.Handle());
  EXPECT_EQ(dialogs.errors[0].title, "Tamiru");
  EXPECT_NE(dialogs.errors[0].message.find("ファイル Tonpu4.bmp を作成できません"), std::string::npos)
      << dialogs.errors[0].message;
  EXPECT_EQ(form->Settings.TonpuImageNumber, 5);

  // The window goes on: the next click takes the next number.
  ASSERT_TRUE(host.Click("Button20"));
  EXPECT_TRUE(fs::is_regular_file(folder.File("Tonpu5.bmp")));
  EXPECT_EQ(dialogs.errors.size(), 1u);
}

TEST_F(FormCaptureTest, WindowWithoutAScreenReportsTheSaveAsFailedRatherThanWritingNothing) {
  WriteIni("AutoNameImageFile=1\r\n");
  WriteLists();
  app::FormServices no_screen{desktop, loop, input, shell, sound, dialogs, host};
  form = std::make_unique<app::TForm1>(no_screen);
  desktop.CreateGameMainWindow();

  ASSERT_TRUE(host.Click("Button20"));
  EXPECT_FALSE(fs::exists(folder.File("Tonpu1.bmp")));
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_NE(dialogs.errors[0].message.find("Tonpu1.bmp"), std::string::npos);
}

TEST_F(FormCaptureTest, SaveDialogBelongsToTheWindowAndItsFilterDecidesTheFormat) {
  AnsweringDialogs answering;
  app::FormServices with_dialog{desktop, loop, input, shell, sound, answering, host, still_screen};
  WriteIni("AutoNameImageFile=0\r\nImageFileFormat=1\r\nTonpuImageNumber=2\r\n");
  WriteLists();
  form = std::make_unique<app::TForm1>(with_dialog);
  desktop.CreateWaitingRoom();

  // Cancelled: nothing is taken.
  ASSERT_TRUE(host.Click("Button20"));
  EXPECT_EQ(answering.shown, 1);
  EXPECT_EQ(answering.owner_seen, host.Handle());
  EXPECT_EQ(answering.request_seen.filter, "ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)|*.bmp|JPG(*.jpg)|*.jpg");
  EXPECT_EQ(answering.request_seen.filter_index, 2);
  EXPECT_EQ(still_screen.grabs, 0);

  // The BMP filter with a ".jpg" name: BMP data in that file; neither the
  // number nor the format setting changes.
  answering.answer = Dialogs::FileDialogResult{folder.File("shot.jpg"), 1};
  ASSERT_TRUE(host.Click("Button20"));
  EXPECT_EQ(folder.Read("shot.jpg"), *capture::EncodeBmp(still_screen.image));
  EXPECT_EQ(form->Settings.TonpuImageNumber, 2);
  EXPECT_EQ(form->Settings.ImageFileFormat, 1);
  EXPECT_TRUE(answering.errors.empty());

  // A folder gone by the time the file is written (the dialog itself
  // refuses one that does not exist yet): the error names the whole path.
  const std::string gone = (fs::path(folder.File("gone")) / "shot.bmp").string();
  answering.answer = Dialogs::FileDialogResult{gone, 1};
  ASSERT_TRUE(host.Click("Button20"));
  ASSERT_EQ(answering.errors.size(), 1u);
  EXPECT_EQ(answering.errors[0].message, "ファイル " + gone + " を作成できません.");
}

}  // namespace
}  // namespace tamiru::app
