#pragma once
// The settings dialog, TForm2: four pages of controls filled from the main
// window's settings when it is made, copied back, saved and put to work by
// OK, dropped by Cancel. The fourth page carries the macro editor, which
// works on the main window's MacroList directly. The dialog is made anew
// for each opening and lives only while it is shown.
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "app/general_error.h"
#include "app/macro_editor.h"
#include "app/owner_views.h"
#include "platform/controls.h"
#include "platform/form_host.h"

namespace tamiru::app {

inline constexpr std::string_view kSettingsDialogClass = "TForm2";
inline constexpr std::string_view kSettingsDialogCaption = "各種設定";
// The line under the score file's path.
inline constexpr std::string_view kScoreFileReadPrefix = "読むファイル: ";
inline constexpr std::string_view kScoreFileMissing = "読むファイル: 見つかりません";
inline constexpr std::string_view kBrowseFilter = "ﾃｷｽﾄ(*.txt)|*.txt|iniファイル(*.ini)|*.ini|すべて|*.*";

// The spin ranges.
inline constexpr int kAutoConnectMin = 5, kAutoConnectMax = 60;
inline constexpr int kAutoWatchMin = 3, kAutoWatchMax = 30;
inline constexpr int kSaveChatLogMin = 3, kSaveChatLogMax = 60;

class TForm2 {
 public:
  // The dialog's window: place, size, caption and font.
  static platform::WindowOptions WindowOptions();

  // Creates the controls on `host` and fills them from `owner`'s settings.
  // Throws FileOpenError when the phrase list file cannot be read: the
  // dialog is then not to be shown.
  TForm2(const SettingsDialogOwner& owner, platform::ModalFormHost& host);
  TForm2(const TForm2&) = delete;
  TForm2& operator=(const TForm2&) = delete;

  void Button1Click();  // OK
  void Button2Click();  // Cancel (also the close box)
  // Browse for the path of the row: Edit4 to Edit9.
  void Button3Click();
  void Button4Click();
  void Button5Click();
  void Button6Click();
  void Button7Click();
  void Button8Click();

  // ---- Controls, by designer name ----
  std::unique_ptr<platform::PageControl> PageControl1;
  std::unique_ptr<platform::Button> Button1, Button2;
  // Page 1, "設定".
  std::unique_ptr<platform::Label> GroupBox1, GroupBox2, GroupBox3;
  std::unique_ptr<platform::Label> Label1, Label2, Label3, Label4, Label5, Label6;
  std::unique_ptr<platform::Edit> Edit1, Edit2, Edit3;
  std::unique_ptr<platform::UpDown> UpDown1, UpDown2, UpDown3;
  std::unique_ptr<platform::CheckBox> CheckBox1, CheckBox2, CheckBox3;
  std::unique_ptr<platform::CheckBox> RadioButton1, RadioButton2;
  std::unique_ptr<platform::RadioGroup> RadioGroup2;
  // Page 2, "ユーザ".
  std::unique_ptr<platform::Label> GroupBox5;
  std::unique_ptr<platform::Edit> Edit10, Edit11, Edit12;
  // Page 3, "ファイル".
  std::unique_ptr<platform::Label> GroupBox4;
  std::unique_ptr<platform::Label> Label7, Label8, Label9, Label10, Label11, Label12;
  std::unique_ptr<platform::Edit> Edit4, Edit5, Edit6, Edit7, Edit8, Edit9;
  std::unique_ptr<platform::Button> Button3, Button4, Button5, Button6, Button7, Button8;
  std::unique_ptr<platform::Label> Label17;  // the score file really read for Edit9
  // Page 4, "マクロキー".
  std::unique_ptr<platform::CheckBox> CheckBox7;
  std::unique_ptr<platform::Label> GroupBox6, Label13, Label14, Label15, Label16;
  std::unique_ptr<platform::Button> Button9, Button10, Button11, Button12;
  std::unique_ptr<platform::Edit> Edit13;
  std::unique_ptr<platform::CheckBox> CheckBox4, CheckBox5, CheckBox6;
  std::unique_ptr<platform::ComboBox> ComboBox1, ComboBox2, ComboBox3;

  // The macro page's logic, on the controls above.
  std::unique_ptr<MacroEditor> MacroPage;

 private:
  void ShowScoreFileRead();
  // OpenDialog1: the chooser shared by the six browse buttons; it starts
  // where its previous use within this dialog ended.
  struct OpenDialogState {
    std::string initial_dir;
    std::string file_name;
  };

  void CreateControls();

  void CreateSettingsPage(platform::FormHost& host);

  void CreateUserPage(platform::FormHost& host);

  void CreateFilePage(platform::FormHost& host);

  void CreateMacroPage(platform::FormHost& host);
  void WireHandlers();
  void FillControls();
  void Browse(platform::Edit& edit);
  // Runs a handler at the event boundary; an error goes to the general
  // error display over this dialog.
  void RunHandler(const std::function<void()>& handler);
  void ShowError(const std::string& message);

  SettingsDialogOwner owner_;
  platform::ModalFormHost& host_;
  EventBoundary boundary_;
  OpenDialogState OpenDialog1;
};

}  // namespace tamiru::app
