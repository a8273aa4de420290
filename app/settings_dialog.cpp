#include "app/settings_dialog.h"

#include <cstdint>
#include <exception>

#include "app/general_error.h"
#include "app/main_window.h"
#include "chatlog/log_format.h"
#include "platform/files.h"
#include "settings/settings.h"
#include "text/path.h"

namespace tamiru::app {

namespace {

using platform::ControlEvent;
using platform::ControlSpec;
using platform::FontSpec;

// The dialog's place and client size, and its font's height.
constexpr int kDialogLeft = 273, kDialogTop = 130, kDialogWidth = 345, kDialogHeight = 370;
constexpr int kFontHeight = 12;
const FontSpec kFixedFont{"ＭＳ ゴシック", 12};

enum Page { kSettingsPage = 0, kUserPage = 1, kFilePage = 2, kMacroPage = 3 };

// A control at `left`, `top` of `page`; a label without a size is as large as
// its caption.
ControlSpec At(int page, std::string name, std::string caption, int left, int top, int width = 0, int height = 0) {
  ControlSpec layout = platform::PlaceControl(std::move(name), std::move(caption), left, top, width, height);
  layout.page = page;
  return layout;
}

ControlSpec ReadOnly(ControlSpec layout) {
  layout.read_only = true;
  return layout;
}

ControlSpec PickOnly(ControlSpec layout) {
  layout.pick_only = true;
  layout.font = kFixedFont;
  return layout;
}

ControlSpec UserNameEdit(std::string name, int top) {
  ControlSpec layout = At(kUserPage, std::move(name), "", 24, top, 96, 20);
  layout.font = kFixedFont;
  layout.max_length = kNameMaxBytes;
  return layout;
}

}  // namespace

platform::WindowOptions TForm2::WindowOptions() {
  return {std::string(kSettingsDialogClass), std::string(kSettingsDialogCaption), kDialogLeft, kDialogTop,
          kDialogWidth, kDialogHeight, {std::string(kWindowFontFace), kFontHeight}};
}

TForm2::TForm2(const SettingsDialogOwner& owner, platform::ModalFormHost& host)
    : owner_(owner), host_(host), boundary_(host, owner.dialogs) {
  CreateControls();
  FillControls();
  // Step 9 of the filling: the macro page reads the phrase list file and
  // throws when it cannot; the dialog is then never shown, and no handler
  // of it runs.
  MacroPage = std::make_unique<MacroEditor>(
      MacroEditorControls{*Label15, *Label16, *Edit13, *CheckBox4, *CheckBox5, *CheckBox6, *ComboBox1, *ComboBox2,
                          *ComboBox3},
      owner_.Settings, owner_.MacroList, [this](const std::string& message) { ShowError(message); });
  WireHandlers();
}

// The control table: places are page-relative (left, top, width x height in
// pixels); the pages stand inside PageControl1.
void TForm2::CreateControls() {
  platform::FormHost& host = host_;
  ControlSpec pages;
  pages.name = "PageControl1";
  pages.left = 8;
  pages.top = 8;
  pages.width = 329;
  pages.height = 321;
  PageControl1 = host.CreatePageControl(pages, {"設定", "ユーザ", "ファイル", "マクロキー"});
  CreateSettingsPage(host);
  CreateUserPage(host);
  CreateFilePage(host);
  CreateMacroPage(host);

  // Below the pages. Neither is the default or the cancel button: Enter
  // and Esc press neither.
  Button1 = boundary_.Clicking(host.CreateButton(At(-1, "Button1", "OK", 176, 337, 75, 25)), *this,
                               &TForm2::Button1Click);
  Button2 = boundary_.Clicking(host.CreateButton(At(-1, "Button2", "キャンセル", 262, 337, 75, 25)), *this,
                               &TForm2::Button2Click);
}

// Page 1: the intervals, the chat log, the image options, the table kind.
void TForm2::CreateSettingsPage(platform::FormHost& host) {
  GroupBox1 = host.CreateGroupBox(At(kSettingsPage, "GroupBox1", "時間設定", 8, 4, 305, 96));
  Label1 = host.CreateLabel(At(kSettingsPage, "Label1", "自動接続の間隔は", 24, 27));
  Edit1 = host.CreateEdit(ReadOnly(At(kSettingsPage, "Edit1", "", 172, 23, 36, 20)));
  UpDown1 = host.CreateUpDown(At(kSettingsPage, "UpDown1", "", 208, 23, 16, 20), *Edit1, kAutoConnectMin,
                              kAutoConnectMax);
  Label2 = host.CreateLabel(At(kSettingsPage, "Label2", "秒", 230, 27));
  Label3 = host.CreateLabel(At(kSettingsPage, "Label3", "落ち防止観戦の間隔は", 24, 52));
  Edit2 = host.CreateEdit(ReadOnly(At(kSettingsPage, "Edit2", "", 172, 48, 36, 20)));
  UpDown2 = host.CreateUpDown(At(kSettingsPage, "UpDown2", "", 208, 48, 16, 20), *Edit2, kAutoWatchMin,
                              kAutoWatchMax);
  Label4 = host.CreateLabel(At(kSettingsPage, "Label4", "分", 230, 52));
  Label5 = host.CreateLabel(At(kSettingsPage, "Label5", "チャットログ保存の間隔は", 24, 77));
  Edit3 = host.CreateEdit(ReadOnly(At(kSettingsPage, "Edit3", "", 172, 73, 36, 20)));
  UpDown3 = host.CreateUpDown(At(kSettingsPage, "UpDown3", "", 208, 73, 16, 20), *Edit3, kSaveChatLogMin,
                              kSaveChatLogMax);
  Label6 = host.CreateLabel(At(kSettingsPage, "Label6", "秒", 230, 77));

  GroupBox2 = host.CreateGroupBox(At(kSettingsPage, "GroupBox2", "チャットログ", 8, 106, 305, 58));
  CheckBox1 = host.CreateCheckBox(At(kSettingsPage, "CheckBox1", "チャットログに/w,/rの結果を含めない", 24, 122, 280, 17));
  CheckBox2 = host.CreateCheckBox(At(kSettingsPage, "CheckBox2", "チャットログに日時も出力する", 24, 141, 280, 17));

  GroupBox3 = host.CreateGroupBox(At(kSettingsPage, "GroupBox3", "画像", 8, 170, 305, 58));
  CheckBox3 = host.CreateCheckBox(At(kSettingsPage, "CheckBox3", "画像ファイルの名前は自動でつける", 24, 186, 280, 17));
  ControlSpec bmp = At(kSettingsPage, "RadioButton1", "ＢＭＰ", 24, 205, 72, 17);
  bmp.group_start = true;
  RadioButton1 = host.CreateRadioButton(bmp);
  RadioButton2 = host.CreateRadioButton(At(kSettingsPage, "RadioButton2", "ＪＰＧ", 104, 205, 72, 17));

  RadioGroup2 = host.CreateRadioGroup(At(kSettingsPage, "RadioGroup2", "対戦成績の卓種類", 8, 234, 305, 44),
                                      {"東風戦", "東南戦", "三人打ち"}, 3);
}

// Page 2: the user's three handles.
void TForm2::CreateUserPage(platform::FormHost& host) {
  GroupBox5 = host.CreateGroupBox(At(kUserPage, "GroupBox5", "ユーザ名", 8, 4, 305, 112));
  Edit10 = host.CreateEdit(UserNameEdit("Edit10", 26));
  Edit11 = host.CreateEdit(UserNameEdit("Edit11", 54));
  Edit12 = host.CreateEdit(UserNameEdit("Edit12", 82));
}

// Page 3: the six paths, each with its browse button.
void TForm2::CreateFilePage(platform::FormHost& host) {
  GroupBox4 = host.CreateGroupBox(At(kFilePage, "GroupBox4", "ディレクトリ", 8, 4, 305, 286));
  struct PathRow {
    std::unique_ptr<platform::Label>* label;
    const char* label_name;
    const char* caption;
    std::unique_ptr<platform::Edit>* edit;
    const char* edit_name;
    std::unique_ptr<platform::Button>* button;
    const char* button_name;
    void (TForm2::*browse)();
  };
  const PathRow rows[] = {
      {&Label7, "Label7", "friendlistの場所", &Edit4, "Edit4", &Button3, "Button3", &TForm2::Button3Click},
      {&Label8, "Label8", "ignorelistの場所", &Edit5, "Edit5", &Button4, "Button4", &TForm2::Button4Click},
      {&Label9, "Label9", "chatlistの場所", &Edit6, "Edit6", &Button5, "Button5", &TForm2::Button5Click},
      {&Label10, "Label10", "keywordの場所", &Edit7, "Edit7", &Button6, "Button6", &TForm2::Button6Click},
      {&Label11, "Label11", "macroの場所", &Edit8, "Edit8", &Button7, "Button7", &TForm2::Button7Click},
      {&Label12, "Label12", "mjscoreの場所", &Edit9, "Edit9", &Button8, "Button8", &TForm2::Button8Click},
  };
  int top = 22;
  for (const PathRow& row : rows) {
    *row.label = host.CreateLabel(At(kFilePage, row.label_name, row.caption, 18, top));
    *row.edit = host.CreateEdit(At(kFilePage, row.edit_name, "", 18, top + 14, 232, 20));
    *row.button = boundary_.Clicking(
        host.CreateButton(At(kFilePage, row.button_name, "参照", 256, top + 13, 46, 22)), *this, row.browse);
    top += 42;
  }
  Label17 = host.CreateLabel(At(kFilePage, "Label17", "", 18, top - 42 + 36, 284, 14));
}

// Under the score file's path, the file that is really read: the client
// may keep it elsewhere than File4 says (Program Files (x86), its
// VirtualStore copy, the running client's folder).
void TForm2::ShowScoreFileRead() {
  const std::string read = owner_.score_file_for(Edit9->Text());
  Label17->SetCaption(platform::FileExists(read) ? std::string(kScoreFileReadPrefix) + read
                                                 : std::string(kScoreFileMissing));
}

// Page 4: the macro key switch and the macro editor.
void TForm2::CreateMacroPage(platform::FormHost& host) {
  CheckBox7 = host.CreateCheckBox(At(kMacroPage, "CheckBox7", "マクロキーを使用する", 12, 6, 200, 17));
  GroupBox6 = host.CreateGroupBox(At(kMacroPage, "GroupBox6", "マクロキー登録", 8, 28, 305, 250));
  Label14 = host.CreateLabel(At(kMacroPage, "Label14", "現在の登録数：", 20, 48));
  Label15 = host.CreateLabel(At(kMacroPage, "Label15", "0", 110, 48, 48, 12));
  Button9 = host.CreateButton(At(kMacroPage, "Button9", "登録", 20, 68, 64, 25));
  Button10 = host.CreateButton(At(kMacroPage, "Button10", "削除", 90, 68, 64, 25));
  Button11 = host.CreateButton(At(kMacroPage, "Button11", "前", 160, 68, 64, 25));
  Button12 = host.CreateButton(At(kMacroPage, "Button12", "次", 230, 68, 64, 25));
  Label16 = host.CreateLabel(At(kMacroPage, "Label16", "新規", 20, 106, 80, 12));
  ControlSpec key = ReadOnly(At(kMacroPage, "Edit13", "", 20, 122, 130, 20));
  key.font = kFixedFont;
  Edit13 = host.CreateEdit(key);
  CheckBox4 = host.CreateCheckBox(At(kMacroPage, "CheckBox4", "SHIFT", 172, 102, 80, 17));
  CheckBox5 = host.CreateCheckBox(At(kMacroPage, "CheckBox5", "ALT", 172, 121, 80, 17));
  CheckBox6 = host.CreateCheckBox(At(kMacroPage, "CheckBox6", "CTRL", 172, 140, 80, 17));
  Label13 = host.CreateLabel(At(kMacroPage, "Label13", "動作", 20, 168));
  ComboBox1 = host.CreateComboBox(PickOnly(At(kMacroPage, "ComboBox1", "", 20, 184, 130, 20)));
  ComboBox2 = host.CreateComboBox(PickOnly(At(kMacroPage, "ComboBox2", "", 158, 184, 144, 20)));
  ComboBox3 = host.CreateComboBox(PickOnly(At(kMacroPage, "ComboBox3", "", 20, 232, 282, 20)));
}

void TForm2::WireHandlers() {
  host_.SetCloseQuery([this] {
    Button2Click();
    return true;
  });

  MacroEditor& editor = *MacroPage;
  const auto on_editor = [this, &editor](const platform::Control& control, void (MacroEditor::*handler)()) {
    boundary_.Connect(control, ControlEvent::kClick, [&editor, handler] { (editor.*handler)(); });
  };
  on_editor(*ComboBox1, &MacroEditor::ComboBox1Click);
  on_editor(*Button9, &MacroEditor::Button9Click);
  on_editor(*Button10, &MacroEditor::Button10Click);
  on_editor(*Button11, &MacroEditor::Button11Click);
  on_editor(*Button12, &MacroEditor::Button12Click);
  host_.ConnectKeyDown(*Edit13, [this, &editor](int virtual_key) {
    RunHandler([&editor, virtual_key] { editor.Edit13KeyDown(virtual_key); });
  });
}

void TForm2::FillControls() {
  const settings::TSettings& s = owner_.Settings;
  Edit10->SetText(s.UserName1);
  Edit11->SetText(s.UserName2);
  Edit12->SetText(s.UserName3);
  Edit4->SetText(s.File1);
  Edit5->SetText(s.File2);
  Edit6->SetText(s.File3);
  Edit7->SetText(s.File5);
  Edit8->SetText(s.File6);
  Edit9->SetText(s.File4);
  ShowScoreFileRead();
  // Values outside a range come to its nearest end.
  UpDown1->SetPosition(s.AutoConnectTimeInterval);
  UpDown2->SetPosition(s.AutoWatchTimeInterval);
  UpDown3->SetPosition(s.SaveChatLogTimeInterval);
  const chatlog::LogFormat format = chatlog::DecodeLogFormat(s.ChatLogFormat);
  CheckBox1->SetChecked(format.omit_replies);
  CheckBox2->SetChecked(format.stamp);
  CheckBox3->SetChecked(s.AutoNameImageFile != 0);
  int table = s.TableType;
  if (table > 2) table = 2;
  if (table < -1) table = -1;
  RadioGroup2->SetItemIndex(table);
  RadioButton1->SetChecked(s.ImageFileFormat == 0);
  RadioButton2->SetChecked(s.ImageFileFormat != 0);
  CheckBox7->SetChecked(s.Macro != 0);
}

// OK: the values into the record, the 17 keys into the INI file, the lists
// from their (possibly new) paths, the timers. A list that cannot be read
// stops it there with the dialog still open; what came before stays done.
void TForm2::Button1Click() {
  settings::TSettings& s = owner_.Settings;
  s.UserName1 = Edit10->Text();
  s.UserName2 = Edit11->Text();
  s.UserName3 = Edit12->Text();
  s.File1 = Edit4->Text();
  s.File2 = Edit5->Text();
  s.File3 = Edit6->Text();
  s.File5 = Edit7->Text();
  s.File6 = Edit8->Text();
  s.File4 = Edit9->Text();
  s.AutoConnectTimeInterval = UpDown1->Position();
  s.AutoWatchTimeInterval = UpDown2->Position();
  s.SaveChatLogTimeInterval = UpDown3->Position();
  s.ChatLogFormat = chatlog::EncodeLogFormat({CheckBox1->IsChecked(), CheckBox2->IsChecked()});
  s.AutoNameImageFile = CheckBox3->IsChecked() ? 1 : 0;
  s.TableType = RadioGroup2->ItemIndex();
  s.ImageFileFormat = RadioButton1->IsChecked() ? 0 : 1;
  s.Macro = CheckBox7->IsChecked() ? 1 : 0;

  settings::SaveSettings(s, owner_.ini_path, settings::SaveScope::kDialog);
  owner_.reload_lists();
  owner_.apply_timer_settings();
  host_.EndModal();
}

// Nothing is taken over; what the macro editor has saved stays saved.
void TForm2::Button2Click() { host_.EndModal(); }

void TForm2::Button3Click() { Browse(*Edit4); }
void TForm2::Button4Click() { Browse(*Edit5); }
void TForm2::Button5Click() { Browse(*Edit6); }
void TForm2::Button6Click() { Browse(*Edit7); }
void TForm2::Button7Click() { Browse(*Edit8); }
void TForm2::Button8Click() {
  Browse(*Edit9);
  ShowScoreFileRead();
}

void TForm2::Browse(platform::Edit& edit) {
  platform::Dialogs::FileDialogRequest request;
  request.filter = std::string(kBrowseFilter);
  request.filter_index = 1;
  request.initial_dir = OpenDialog1.initial_dir;
  request.file_name = OpenDialog1.file_name;
  // A list file may be named before it exists; its folder must exist.
  request.file_must_exist = false;
  const auto chosen = owner_.dialogs.ShowOpenDialog(host_.Handle(), request);
  if (!chosen) return;
  edit.SetText(chosen->path);
  OpenDialog1.initial_dir = text::FolderOf(chosen->path);
  OpenDialog1.file_name = text::FileNameOf(chosen->path);
}

void TForm2::RunHandler(const std::function<void()>& handler) { boundary_.Run(handler); }

void TForm2::ShowError(const std::string& message) { boundary_.ShowError(message); }

}  // namespace tamiru::app
