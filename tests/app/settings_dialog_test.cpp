// The settings dialog on in-memory controls: filling from the settings with
// the ranges and the format bits, OK writing the dialog's keys and putting
// the lists and timers to work, Cancel and browsing, the failures, and the
// dialog opened modally from the main window.
#include "app/settings_dialog.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "tests/app/form_fixture.h"

namespace tamiru {
namespace {

using platform::fake::FakeFormHost;

// The open dialog answers with the queued paths (nullopt: the user cancels)
// and records what it was asked.
class BrowsingDialogs : public testing_support::RecordingDialogs {
 public:
  std::optional<FileDialogResult> ShowOpenDialog(platform::WindowHandle owner, const FileDialogRequest& request) override {
    requests.push_back(request);
    owners.push_back(owner);
    if (answers.empty()) return std::nullopt;
    const std::optional<std::string> answer = answers.front();
    answers.erase(answers.begin());
    if (!answer) return std::nullopt;
    return FileDialogResult{*answer, 1};
  }
  std::vector<std::optional<std::string>> answers;
  std::vector<FileDialogRequest> requests;
  std::vector<platform::WindowHandle> owners;
};

class SettingsDialogTest : public testing_support::FormTest {
 protected:
  // The main window on `extra_ini`, then the dialog on its own in-memory window.
  void Open(const std::string& extra_ini = {}) {
    Start(extra_ini);
    dialog = std::make_unique<app::TForm2>(app::SettingsDialogOwnerOf(*form), dialog_host);
  }
  std::string Ini() const { return folder.Read("tamiru.INI"); }
  static bool Holds(const std::string& ini, const std::string& line) {
    return ini.find(line + "\r\n") != std::string::npos;
  }

  FakeFormHost dialog_host{loop, 0x7200};
  std::unique_ptr<app::TForm2> dialog;
};

TEST_F(SettingsDialogTest, FillsFromTheSettingsAndOkStoresTheControls) {
  Open("UserName1=東風太郎\r\nChatLogFormat=3\r\nAutoNameImageFile=5\r\nImageFileFormat=0\r\nTableType=1\r\n");
  EXPECT_EQ(dialog->Edit10->Text(), "東風太郎");
  EXPECT_EQ(dialog->Edit4->Text(), folder.File("friendlist.txt"));
  EXPECT_EQ(dialog->Edit9->Text(), folder.File("mjscore.txt"));
  EXPECT_TRUE(dialog->CheckBox1->IsChecked());
  EXPECT_TRUE(dialog->CheckBox2->IsChecked());
  EXPECT_TRUE(dialog->CheckBox3->IsChecked());
  EXPECT_TRUE(dialog->RadioButton1->IsChecked());
  EXPECT_FALSE(dialog->RadioButton2->IsChecked());
  EXPECT_EQ(dialog->RadioGroup2->ItemIndex(), 1);

  // Clearing CheckBox1 leaves the date bit; the JPEG button clears the BMP one.
  dialog_host.Click("CheckBox1");
  dialog_host.Click("RadioButton2");
  EXPECT_FALSE(dialog->RadioButton1->IsChecked());
  dialog->Edit11->SetText("南家");
  dialog->Edit7->SetText(folder.File("keyword.txt"));
  dialog_host.Click("Button1");

  EXPECT_FALSE(dialog_host.IsModal());
  EXPECT_EQ(form->Settings.ChatLogFormat, 2);
  EXPECT_EQ(form->Settings.ImageFileFormat, 1);
  EXPECT_EQ(form->Settings.AutoNameImageFile, 1);
  EXPECT_EQ(form->Settings.UserName2, "南家");
  const std::string ini = Ini();
  EXPECT_TRUE(Holds(ini, "ChatLogFormat=2"));
  EXPECT_TRUE(Holds(ini, "ImageFileFormat=1"));
  EXPECT_TRUE(Holds(ini, "AutoNameImageFile=1"));
  EXPECT_TRUE(Holds(ini, "UserName2=南家"));
}

TEST_F(SettingsDialogTest, ValuesOutsideTheRangesComeToTheirEnds) {
  Open("AutoConnectTimeInterval=1\r\nAutoWatchTimeInterval=45\r\nSaveChatLogTimeInterval=60\r\n"
       "ChatLogFormat=-1\r\nTableType=7\r\n");
  EXPECT_EQ(dialog->Edit1->Text(), "5");
  EXPECT_EQ(dialog->Edit2->Text(), "30");
  EXPECT_EQ(dialog->Edit3->Text(), "60");
  // A negative format checks neither box.
  EXPECT_FALSE(dialog->CheckBox1->IsChecked());
  EXPECT_FALSE(dialog->CheckBox2->IsChecked());
  EXPECT_EQ(dialog->RadioGroup2->ItemIndex(), 2);

  // No wrap-around at the ends.
  dialog_host.Spin("UpDown3", +1);
  dialog_host.Spin("UpDown1", -1);
  dialog_host.Spin("UpDown2", -1);
  EXPECT_EQ(dialog->Edit3->Text(), "60");
  EXPECT_EQ(dialog->Edit1->Text(), "5");
  EXPECT_EQ(dialog->Edit2->Text(), "29");

  dialog_host.Click("Button1");
  const std::string ini = Ini();
  EXPECT_TRUE(Holds(ini, "AutoConnectTimeInterval=5"));
  EXPECT_TRUE(Holds(ini, "AutoWatchTimeInterval=29"));
  EXPECT_TRUE(Holds(ini, "SaveChatLogTimeInterval=60"));
  EXPECT_TRUE(Holds(ini, "ChatLogFormat=0"));
  EXPECT_TRUE(Holds(ini, "TableType=2"));
  EXPECT_EQ(form->Timer2->Interval(), 60'000u);
}

TEST_F(SettingsDialogTest, TableTypeBelowMinusOneSelectsNoItemAndStoresMinusOne) {
  Open("TableType=-5\r\n");
  EXPECT_EQ(dialog->RadioGroup2->ItemIndex(), -1);
  dialog_host.Click("Button1");
  EXPECT_EQ(form->Settings.TableType, -1);
  EXPECT_TRUE(Holds(Ini(), "TableType=-1"));
}

TEST_F(SettingsDialogTest, OkWithoutChangeWritesTheDialogKeysAndReloadsTheLists) {
  WriteIni("AutoWatch=1\r\nKeyword=1\r\n");
  WriteLists("aaa\r\n", "よろしく\r\n", "ron\r\n", "70 0 1 0 /Hide \r\n");
  Build();
  // Edited outside since the start.
  folder.Write("friendlist.txt", "aaa\r\nbbb\r\n");
  folder.Write("chatlist.txt", "おつかれ\r\n");
  folder.Write("keyword.txt", "tsumo\r\n");
  folder.Write("macro.txt", "");
  // The switches changed on the main window reach the file only at close.
  form->Settings.AutoWatch = 0;
  form->Settings.TonpuImageNumber = 9;
  form->ComboBox1->SetText("書きかけ");
  dialog = std::make_unique<app::TForm2>(app::SettingsDialogOwnerOf(*form), dialog_host);
  dialog_host.Click("Button1");

  const std::string ini = Ini();
  for (const char* key : {"UserName1=", "UserName2=", "UserName3=", "File1=", "File2=", "File3=", "File4=", "File5=",
                          "File6=", "AutoConnectTimeInterval=15", "AutoWatchTimeInterval=15",
                          "SaveChatLogTimeInterval=10", "ChatLogFormat=0", "AutoNameImageFile=0", "ImageFileFormat=0",
                          "TableType=0", "Macro=0"}) {
    EXPECT_NE(ini.find(std::string("\r\n") + key), std::string::npos) << key;
  }
  EXPECT_TRUE(Holds(ini, "AutoWatch=1"));
  EXPECT_TRUE(Holds(ini, "Keyword=1"));
  EXPECT_EQ(ini.find("TonpuImageNumber"), std::string::npos);

  EXPECT_EQ(form->ListBox1->Items(), (std::vector<std::string>{"aaa", "bbb"}));
  EXPECT_EQ(form->ComboBox1->Items(), (std::vector<std::string>{"おつかれ"}));
  EXPECT_EQ(form->ComboBox1->Text(), "書きかけ");  // the chat line being written stays
  EXPECT_EQ(form->KeywordList, (std::vector<std::string>{"tsumo"}));
  // MacroList goes on with its entries.
  EXPECT_EQ(form->Macros.MacroList, (std::vector<std::string>{"70 0 1 0 /Hide "}));
}

TEST_F(SettingsDialogTest, MacroSwitchStartsAndStopsTheKeyPollAtOnce) {
  Open("Macro=1\r\n");
  ASSERT_TRUE(form->Timer4->IsEnabled());
  EXPECT_TRUE(dialog->CheckBox7->IsChecked());
  dialog_host.Click("CheckBox7");
  dialog_host.Click("Button1");
  EXPECT_FALSE(form->Timer4->IsEnabled());
  EXPECT_TRUE(Holds(Ini(), "Macro=0"));

  FakeFormHost again_host{loop, 0x7201};
  app::TForm2 again(app::SettingsDialogOwnerOf(*form), again_host);
  again_host.Click("CheckBox7");
  again_host.Click("Button1");
  EXPECT_TRUE(form->Timer4->IsEnabled());
  EXPECT_TRUE(Holds(Ini(), "Macro=1"));
}

TEST_F(SettingsDialogTest, CancelAfterBrowsingTakesNothingOver) {
  WriteIni();
  WriteLists("aaa\r\n");
  BrowsingDialogs browsing;
  form = std::make_unique<app::TForm1>(
      app::FormServices{desktop, loop, input, shell, sound, browsing, host, still_screen, forms});
  const std::string ini_before = Ini();
  dialog = std::make_unique<app::TForm2>(app::SettingsDialogOwnerOf(*form), dialog_host);

  // 表 ends in the byte of a backslash: the split is at the real one.
  const std::string chosen = "C:\\表\\other.txt";
  browsing.answers = {chosen, std::nullopt};
  dialog_host.Click("Button3");
  EXPECT_EQ(dialog->Edit4->Text(), chosen);
  // A cancelled choice leaves the row as it was; the chooser starts where
  // its previous use ended.
  dialog_host.Click("Button8");
  EXPECT_EQ(dialog->Edit9->Text(), folder.File("mjscore.txt"));
  ASSERT_EQ(browsing.requests.size(), 2u);
  EXPECT_EQ(browsing.requests[0].filter, "ﾃｷｽﾄ(*.txt)|*.txt|iniファイル(*.ini)|*.ini|すべて|*.*");
  EXPECT_EQ(browsing.requests[0].filter_index, 1);
  EXPECT_EQ(browsing.requests[0].file_name, "");
  EXPECT_FALSE(browsing.requests[0].file_must_exist) << "a list file may be named before it exists";
  EXPECT_EQ(browsing.requests[1].file_name, "other.txt");
  EXPECT_EQ(browsing.requests[1].initial_dir, "C:\\表");
  EXPECT_EQ(browsing.owners[0], dialog_host.Handle());

  dialog_host.Click("Button2");
  EXPECT_FALSE(dialog_host.IsModal());
  EXPECT_EQ(form->Settings.File1, folder.File("friendlist.txt"));
  EXPECT_EQ(form->ListBox1->Items(), (std::vector<std::string>{"aaa"}));
  EXPECT_EQ(Ini(), ini_before);
}

// Under the score file's path, the file really read, or that none is found;
// a path chosen with 参照 shows its own.
TEST_F(SettingsDialogTest, FilePageShowsTheScoreFileReallyRead) {
  WriteIni();
  WriteLists();
  BrowsingDialogs browsing;
  form = std::make_unique<app::TForm1>(
      app::FormServices{desktop, loop, input, shell, sound, browsing, host, still_screen, forms});
  dialog = std::make_unique<app::TForm2>(app::SettingsDialogOwnerOf(*form), dialog_host);
  EXPECT_EQ(dialog->Label17->Caption(), "読むファイル: 見つかりません");
  folder.Write("scores.txt", "");
  const std::string installed = folder.File("scores.txt");
  shell.installed[folder.File("mjscore.txt")] = installed;  // where Windows put the client
  browsing.answers = {folder.File("mjscore.txt")};
  dialog_host.Click("Button8");
  EXPECT_EQ(dialog->Label17->Caption(), "読むファイル: " + installed);
  EXPECT_EQ(dialog->Edit9->Text(), folder.File("mjscore.txt"));
}

TEST_F(SettingsDialogTest, ListThatCannotBeOpenedStopsOkWithTheDialogOpen) {
  Open("Macro=1\r\n");
  dialog_host.ShowModal();
  const std::string missing = folder.File("nothere.txt");
  dialog->Edit6->SetText(missing);  // the phrase list
  dialog->Edit7->SetText(folder.File("keyword2.txt"));
  folder.Write("keyword2.txt", "agari\r\n");
  folder.Write("chatlist.txt", "よろしく\r\n");
  form->ComboBox1->SetItems({"old"});
  dialog_host.Click("CheckBox7");
  dialog_host.Click("Button1");

  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0].message, "ファイル " + missing + " は開けません.");
  EXPECT_EQ(dialogs.errors[0].owner, dialog_host.Handle());
  EXPECT_TRUE(dialog_host.IsModal());
  // The settings are in memory and on disk; the failed list keeps its old
  // content, the keyword list after it is not reloaded, the timers untouched.
  EXPECT_EQ(form->Settings.File3, missing);
  EXPECT_TRUE(Holds(Ini(), "File3=" + missing));
  EXPECT_EQ(form->ComboBox1->Items(), (std::vector<std::string>{"old"}));
  EXPECT_TRUE(form->KeywordList.empty());
  EXPECT_TRUE(form->Timer4->IsEnabled());

  // Mended, OK goes through.
  dialog->Edit6->SetText(folder.File("chatlist.txt"));
  dialog_host.Click("Button1");
  EXPECT_FALSE(dialog_host.IsModal());
  EXPECT_EQ(form->KeywordList, (std::vector<std::string>{"agari"}));
  EXPECT_FALSE(form->Timer4->IsEnabled());
}

TEST_F(SettingsDialogTest, CloseBoxIsCancel) {
  Open("AutoConnectTimeInterval=20\r\n");
  const std::string ini_before = Ini();
  dialog_host.ShowModal();
  dialog_host.Spin("UpDown1", +1);
  EXPECT_TRUE(dialog_host.Close());
  EXPECT_FALSE(dialog_host.IsModal());
  EXPECT_EQ(form->Settings.AutoConnectTimeInterval, 20);
  EXPECT_EQ(Ini(), ini_before);
}

TEST_F(SettingsDialogTest, PagesShowTheirOwnControlsTheFirstOnOpening) {
  Open();
  EXPECT_TRUE(dialog_host.Shown("Edit1"));
  EXPECT_FALSE(dialog_host.Shown("Edit10"));
  EXPECT_FALSE(dialog_host.Shown("CheckBox7"));
  EXPECT_TRUE(dialog_host.Shown("Button1"));
  dialog_host.ShowPage(3);
  EXPECT_TRUE(dialog_host.Shown("CheckBox7"));
  EXPECT_TRUE(dialog_host.Shown("Edit13"));
  EXPECT_FALSE(dialog_host.Shown("Edit1"));
  EXPECT_TRUE(dialog_host.Shown("Button2"));
  EXPECT_EQ(dialog_host.Spec("Edit10")->max_length, 12);
  EXPECT_EQ(dialog_host.Spec("Edit4")->max_length, 0);
  // Enter and Esc press neither button.
  EXPECT_FALSE(dialog_host.Spec("Button1")->default_button);
  EXPECT_FALSE(dialog_host.Spec("Button2")->default_button);
}

// Button23 opens a new dialog owned by the main window, modally, each time
// with fresh values from the settings.
TEST_F(SettingsDialogTest, Button23ShowsAFreshDialogModallyOverTheMainWindow) {
  Start("AutoConnectTimeInterval=20\r\n");
  std::vector<std::string> shown_intervals;
  forms.on_show_modal = [&](FakeFormHost& shown) {
    EXPECT_TRUE(shown.IsModal());
    shown_intervals.push_back(shown.Find<platform::Edit>("Edit1")->Text());
    shown.Spin("UpDown1", +1);
    shown.Click(shown_intervals.size() == 1 ? "Button1" : "Button2");
  };
  ASSERT_TRUE(host.Click("Button23"));
  ASSERT_TRUE(host.Click("Button23"));
  ASSERT_EQ(forms.created.size(), 2u);
  EXPECT_EQ(forms.owners[0], host.Handle());
  EXPECT_EQ(forms.created[0].class_name, "TForm2");
  EXPECT_EQ(forms.created[0].caption, "各種設定");
  EXPECT_EQ(forms.created[0].client_width, 345);
  EXPECT_EQ(forms.created[0].client_height, 370);
  EXPECT_EQ(forms.created[0].left, 273);
  EXPECT_EQ(forms.created[0].top, 130);
  EXPECT_EQ(shown_intervals, (std::vector<std::string>{"20", "21"}));
  EXPECT_EQ(form->Settings.AutoConnectTimeInterval, 21);
  EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(SettingsDialogTest, MissingPhraseListShowsTheMessageAndNoDialog) {
  Start();
  const std::string missing = folder.File("chatlist.txt");
  std::remove(missing.c_str());
  bool shown = false;
  forms.on_show_modal = [&](FakeFormHost&) { shown = true; };
  host.Click("Button23");
  EXPECT_FALSE(shown);
  ASSERT_EQ(dialogs.errors.size(), 1u);
  EXPECT_EQ(dialogs.errors[0].message, "ファイル " + missing + " は開けません.");
}

TEST_F(SettingsDialogTest, MacroPageEventsReachTheEditor) {
  Start();
  form->Settings.Macro = 1;
  forms.on_show_modal = [&](FakeFormHost& shown) {
    shown.ShowPage(3);
    // ALT+F1: the key alone is captured; ALT comes from its check box.
    ASSERT_TRUE(shown.KeyDown("Edit13", 0x12));
    ASSERT_TRUE(shown.KeyDown("Edit13", 0x70));
    auto* action = shown.Find<platform::ComboBox>("ComboBox1");
    ASSERT_NE(action, nullptr);
    action->SetSelectedIndex(0);  // "/Where"
    shown.Click("ComboBox1");
    auto* argument = shown.Find<platform::ComboBox>("ComboBox2");
    ASSERT_NE(argument, nullptr);
    argument->SetSelectedIndex(0);  // "<all>"
    shown.Click("Button9");
    shown.Click("Button2");
  };
  host.Click("Button23");
  EXPECT_EQ(form->Macros.MacroList, (std::vector<std::string>{"70 0 1 0 /Where <all> "}));
  EXPECT_EQ(folder.Read("macro.txt"), "70 0 1 0 /Where <all> \r\n");
}

}  // namespace
}  // namespace tamiru
