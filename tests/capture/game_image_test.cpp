// SaveGameImage on the simulated desktop: which window comes to the front,
// when the screen is read, which file gets which format, and the failures.
#include "capture/game_image.h"

#include "capture/image_files.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_event_loop.h"
#include "platform/files.h"
#include "text/error.h"

namespace tamiru::capture {
namespace {

namespace fs = std::filesystem;
using platform::Dialogs;
using platform::Image;
using platform::WindowHandle;
using platform::fake::FakeDesktop;
using platform::fake::FakeEventLoop;

// Notes when the screen was read, which window was in front then and
// whether it was shown or an icon.
class RecordingScreen : public platform::Screen {
 public:
  RecordingScreen(FakeEventLoop& loop, FakeDesktop& desktop) : loop_(loop), desktop_(desktop) {}
  Image GrabWholeScreen() override {
    const WindowHandle front = desktop_.GetForegroundWindow();
    grabs.push_back({loop_.TickCount(), front, desktop_.IsMinimised(front)});
    return image;
  }
  struct Grab {
    std::uint32_t tick;
    WindowHandle foreground;
    bool minimised;
  };
  std::vector<Grab> grabs;
  Image image{4, 2, {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF, 0, 0x808080, 0x123456, 0xABCDEF}};

 private:
  FakeEventLoop& loop_;
  FakeDesktop& desktop_;
};

class ScriptedDialogs : public Dialogs {
 public:
  void ShowError(WindowHandle, const std::string&, const std::string&) override { ADD_FAILURE() << "error box"; }
  void ShowWideWarning(WindowHandle, const std::u16string&, const std::u16string&) override { ADD_FAILURE() << "warning"; }
  std::optional<FileDialogResult> ShowOpenDialog(WindowHandle, const FileDialogRequest&) override {
    ADD_FAILURE() << "open dialog";
    return std::nullopt;
  }
  std::optional<FileDialogResult> ShowSaveDialog(WindowHandle owner, const FileDialogRequest& request) override {
    owners.push_back(owner);
    requests.push_back(request);
    if (while_open) while_open();
    return answer;
  }
  std::vector<WindowHandle> owners;
  std::vector<FileDialogRequest> requests;
  std::optional<FileDialogResult> answer;
  std::function<void()> while_open;
};

class SaveGameImageTest : public testing::Test {
 protected:
  void SetUp() override {
    previous_dir_ = fs::current_path();
    dir_ = fs::temp_directory_path() / ("tamiru_capture_" + std::to_string(::getpid()) + "_" +
                                        testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    fs::current_path(dir_);
  }
  void TearDown() override {
    fs::current_path(previous_dir_);
    fs::remove_all(dir_);
  }

  void Save() { SaveGameImage(auto_name_, format_, number_, {desktop_, loop_, screen_, dialogs_, kOwner}); }
  static std::string Read(const std::string& path) { return platform::ReadWholeFile(path).value_or("<none>"); }
  static bool IsBmp(const std::string& bytes) { return bytes.substr(0, 2) == "BM"; }
  static bool IsJpeg(const std::string& bytes) { return bytes.substr(0, 3) == "\xFF\xD8\xFF"; }

  static constexpr WindowHandle kOwner = 0x777;
  FakeEventLoop loop_;
  FakeDesktop desktop_{loop_};
  RecordingScreen screen_{loop_, desktop_};
  ScriptedDialogs dialogs_;
  int auto_name_ = 1;
  int format_ = 0;
  int number_ = 7;
  fs::path dir_;
  fs::path previous_dir_;
};

TEST_F(SaveGameImageTest, AutomaticNamesTakeTheNumberThenIncreaseIt) {
  desktop_.CreateGameMainWindow();
  ASSERT_TRUE(platform::ReplaceFileContents("Tonpu7.bmp", "old picture"));
  Save();
  EXPECT_EQ(Read("Tonpu7.bmp"), *EncodeBmp(screen_.image));  // overwritten without a question
  EXPECT_EQ(number_, 8);
  EXPECT_TRUE(dialogs_.requests.empty());

  format_ = 1;
  Save();
  EXPECT_TRUE(IsJpeg(Read("Tonpu8.jpg")));
  EXPECT_FALSE(fs::exists("Tonpu8.bmp"));
  EXPECT_EQ(number_, 9);
  EXPECT_EQ(format_, 1);
}

TEST_F(SaveGameImageTest, AutomaticNameWithUnusualSettings) {
  desktop_.CreateGameMainWindow();
  // A switch value other than 1 (a hand-edited settings file) still gives
  // a .bmp name for format 0, so the data is BMP too.
  auto_name_ = 2;
  number_ = INT_MAX;
  Save();
  EXPECT_TRUE(IsBmp(Read("Tonpu2147483647.bmp")));
  EXPECT_EQ(number_, INT_MIN);  // wraps as a 32-bit counter, no overflow
}

TEST_F(SaveGameImageTest, DialogPreselectsTheFilterOfTheSettingAndTheChosenFilterDecidesTheFormat) {
  desktop_.CreateGameMainWindow();
  auto_name_ = 0;
  format_ = 1;
  dialogs_.answer = Dialogs::FileDialogResult{(dir_ / "picture.jpg").string(), 1};
  Save();
  ASSERT_EQ(dialogs_.requests.size(), 1u);
  const auto& request = dialogs_.requests[0];
  EXPECT_EQ(request.filter, "ﾋﾞｯﾄﾏｯﾌﾟ(*.bmp)|*.bmp|JPG(*.jpg)|*.jpg");
  EXPECT_EQ(request.filter_index, 2);
  EXPECT_EQ(request.default_extension, "bmp");
  EXPECT_EQ(dialogs_.owners[0], kOwner);
  EXPECT_TRUE(IsBmp(Read("picture.jpg")));  // BMP data under a .jpg name
  EXPECT_EQ(format_, 1);                    // the choice is not stored back
  EXPECT_EQ(number_, 7);                    // only automatic names use numbers

  format_ = 0;
  dialogs_.answer = Dialogs::FileDialogResult{(dir_ / "other.bmp").string(), 2};
  Save();
  EXPECT_EQ(dialogs_.requests[1].filter_index, 1);
  EXPECT_TRUE(IsJpeg(Read("other.bmp")));
  EXPECT_EQ(format_, 0);
}

TEST_F(SaveGameImageTest, CancelledDialogDoesNothing) {
  const auto game = desktop_.CreateGameMainWindow();
  auto_name_ = 0;
  const std::uint32_t start = loop_.TickCount();
  Save();
  EXPECT_EQ(dialogs_.requests.size(), 1u);
  EXPECT_TRUE(screen_.grabs.empty());
  EXPECT_NE(desktop_.GetForegroundWindow(), game.window);
  EXPECT_EQ(loop_.TickCount(), start);
  EXPECT_TRUE(fs::is_empty(dir_));
  EXPECT_EQ(number_, 7);
}

TEST_F(SaveGameImageTest, WithoutAGameWindowNothingHappens) {
  desktop_.CreateTopLevel("#32770", "待合");  // not the waiting room
  Save();
  auto_name_ = 0;
  Save();
  EXPECT_TRUE(dialogs_.requests.empty());
  EXPECT_TRUE(screen_.grabs.empty());
  EXPECT_EQ(number_, 7);
  EXPECT_TRUE(fs::is_empty(dir_));
}

TEST_F(SaveGameImageTest, GameMainWindowComesToTheFrontBeforeTheWaitingRoom) {
  const auto room = desktop_.CreateWaitingRoom();
  const auto game = desktop_.CreateGameMainWindow();
  desktop_.SetForeground(room.window);
  const std::uint32_t start = loop_.TickCount();
  std::uint32_t timer_at = 0;
  loop_.ScheduleAfter(300, [&] { timer_at = loop_.TickCount(); });
  Save();
  ASSERT_EQ(screen_.grabs.size(), 1u);
  EXPECT_EQ(screen_.grabs[0].foreground, game.window);
  EXPECT_GE(screen_.grabs[0].tick - start, 500u);
  EXPECT_EQ(timer_at, start + 300);  // the wait turns the message loop
  EXPECT_TRUE(fs::exists("Tonpu7.bmp"));
}

TEST_F(SaveGameImageTest, OnlyTheWaitingRoomOpenItIsSaved) {
  const auto room = desktop_.CreateWaitingRoom();
  desktop_.Minimise(room.window);  // an icon would leave nothing of it to see
  const std::uint32_t start = loop_.TickCount();
  Save();
  ASSERT_EQ(screen_.grabs.size(), 1u);
  EXPECT_EQ(screen_.grabs[0].foreground, room.window);
  EXPECT_FALSE(screen_.grabs[0].minimised);
  EXPECT_GE(screen_.grabs[0].tick - start, 500u);
  EXPECT_TRUE(IsBmp(Read("Tonpu7.bmp")));
}

TEST_F(SaveGameImageTest, WindowIsLookedUpAgainAfterTheDialog) {
  const auto room = desktop_.CreateWaitingRoom();
  const auto game = desktop_.CreateGameMainWindow();
  auto_name_ = 0;
  dialogs_.answer = Dialogs::FileDialogResult{"table.bmp", 1};
  dialogs_.while_open = [&] { desktop_.Destroy(game.window); };  // the table closed meanwhile
  Save();
  ASSERT_EQ(screen_.grabs.size(), 1u);
  EXPECT_EQ(screen_.grabs[0].foreground, room.window);
  EXPECT_TRUE(IsBmp(Read("table.bmp")));
}

TEST_F(SaveGameImageTest, FileThatCannotBeCreatedReportsItsPath) {
  desktop_.CreateGameMainWindow();
  auto_name_ = 0;
  const std::string path = (dir_ / "no such folder" / "x.bmp").string();
  dialogs_.answer = Dialogs::FileDialogResult{path, 1};
  try {
    Save();
    FAIL() << "no error";
  } catch (const TamiruError& error) {
    EXPECT_EQ(std::string(error.what()), "ファイル " + path + " を作成できません");
  }

  // An automatic name whose place is taken by a folder: the number is used
  // up all the same.
  auto_name_ = 1;
  fs::create_directory("Tonpu7.bmp");
  EXPECT_THROW(Save(), TamiruError);
  EXPECT_EQ(number_, 8);
  EXPECT_TRUE(fs::is_directory("Tonpu7.bmp"));
}

TEST_F(SaveGameImageTest, UnreadableScreenIsAnErrorNotAnEmptyFile) {
  desktop_.CreateGameMainWindow();
  screen_.image = Image{};
  ASSERT_TRUE(platform::ReplaceFileContents("Tonpu7.bmp", "older picture"));
  try {
    Save();
    FAIL() << "no error";
  } catch (const TamiruError& error) {
    EXPECT_EQ(std::string(error.what()), "ファイル Tonpu7.bmp を作成できません");
  }
  EXPECT_EQ(Read("Tonpu7.bmp"), "older picture");
}

}  // namespace
}  // namespace tamiru::capture
