#include "app/main_window.h"
#include "app/client_check_window.h"
#include "app/history_window.h"
#include "app/log_search_window.h"

#include <exception>

#include "app/general_error.h"
#include "game/auto_connect.h"
#include "game/chat_send.h"
#include "lists/list_drag.h"
#include "macro/macro_file.h"
#include "platform/files.h"
#include "text/path.h"
#include "text/sjis.h"

namespace tamiru::app {

namespace {

using platform::ControlEvent;
using platform::ControlSpec;
using platform::FontSpec;
using platform::PlaceControl;

const FontSpec kListFont{std::string(kListFontFace), 15};
const FontSpec kComboFont{std::string(kListFontFace), 12};
constexpr int kListItemHeight = 15;
constexpr int kSwShowNormal = 1;

ControlSpec Button(std::string name, std::string caption, int left, int top, int width = 50, int height = 30) {
  return PlaceControl(std::move(name), std::move(caption), left, top, width, height);
}

ControlSpec NameEdit(std::string name, int left, int top) {
  ControlSpec layout = PlaceControl(std::move(name), "", left, top, 102, 23);
  layout.font = kListFont;
  layout.max_length = kNameMaxBytes;
  return layout;
}

ControlSpec NameList(std::string name, int left, int top) {
  ControlSpec layout = PlaceControl(std::move(name), "", left, top, 114, 155);
  layout.font = kListFont;
  layout.item_height = kListItemHeight;
  return layout;
}

std::unique_ptr<platform::Timer> StoppedTimer(platform::FormHost& host, const char* name, std::uint32_t period_ms) {
  auto timer = host.CreateTimer(name);
  timer->SetInterval(period_ms);
  return timer;
}

}  // namespace

std::string SwitchCaption(std::int32_t value) { return value != 0 ? "ON" : "OFF"; }

TForm1::TForm1(const FormServices& services)
    : services_(services), boundary_(services_.host, services_.dialogs) {
  const std::string exe_path = services_.shell.ExecutablePath();
  paths_.ini = settings::IniPathFor(exe_path);
  paths_.folder = settings::ProgramFolder(exe_path);

  CreateControls();
  WireHandlers();
  TablePlayers = {};
  Settings = settings::LoadSettings(paths_.ini, paths_.folder);
  ReloadLists();
  macro::LoadMacroFile(Settings.File6, Macros.MacroList);
  ApplySettings();
  AutoConnect = {};
  Capture = {};
  Lists.PhraseInsertIndex = -1;
  KeepAlive.KeepAliveStartSec = 0;
  Lists.Drag = lists::DragState{0, 0, 0};
}

// The icon goes with the window: a program that has ended leaves none behind.
TForm1::~TForm1() { services_.tray.RemoveIcon(); }

// The control table of the window: places are left, top, width x height in
// client pixels; a label without a size is as large as its caption.
void TForm1::CreateControls() {
  platform::FormHost& host = services_.host;
  // A button of this window, made with its click handler.
  const auto ClickButton = [this](const ControlSpec& layout, void (TForm1::*handler)()) {
    return boundary_.Clicking(services_.host.CreateButton(layout), *this, handler);
  };
  Label1 = host.CreateLabel(PlaceControl("Label1", "自動接続", 8, 8));
  Button1 = ClickButton(Button("Button1", "OFF", 64, 8), &TForm1::Button1Click);
  Label5 = host.CreateLabel(PlaceControl("Label5", "", 8, 24, 45, 12));
  Label2 = host.CreateLabel(PlaceControl("Label2", "落ち防止", 8, 48));
  Button2 = ClickButton(Button("Button2", "OFF", 64, 48), &TForm1::Button2Click);
  Label6 = host.CreateLabel(PlaceControl("Label6", "", 8, 64, 45, 12));
  Label3 = host.CreateLabel(PlaceControl("Label3", "ログ保存", 8, 88));
  Button3 = ClickButton(Button("Button3", "OFF", 64, 88), &TForm1::Button3Click);
  Label8 = host.CreateLabel(PlaceControl("Label8", "キーワード", 4, 128));
  Button18 = ClickButton(Button("Button18", "OFF", 64, 128), &TForm1::Button18Click);
  Button25 = ClickButton(Button("Button25", "↓追加", 8, 142, 50, 17), &TForm1::Button25Click);
  Edit2 = host.CreateEdit(NameEdit("Edit2", 8, 172));
  Button15 = ClickButton(Button("Button15", "/i 追加", 8, 208), &TForm1::Button15Click);
  Button16 = ClickButton(Button("Button16", "all /i", 64, 208), &TForm1::Button16Click);
  ListBox1 = host.CreateListBox(NameList("ListBox1", 120, 8));
  Edit1 = host.CreateEdit(NameEdit("Edit1", 120, 172));
  Button9 = ClickButton(Button("Button9", "追加", 120, 208), &TForm1::Button9Click);
  Button10 = ClickButton(Button("Button10", "削除", 176, 208), &TForm1::Button10Click);
  ListBox2 = host.CreateListBox(NameList("ListBox2", 240, 8));
  Button11 = ClickButton(Button("Button11", "all", 240, 168), &TForm1::Button11Click);
  Button12 = ClickButton(Button("Button12", "clear", 296, 168), &TForm1::Button12Click);
  Button13 = ClickButton(Button("Button13", "/w", 240, 208), &TForm1::Button13Click);
  Button14 = ClickButton(Button("Button14", "/r", 296, 208), &TForm1::Button14Click);
  Button23 = ClickButton(Button("Button23", "設定", 360, 8), &TForm1::Button23Click);
  Button24 = ClickButton(Button("Button24", "ヘルプ", 416, 8), &TForm1::Button24Click);
  Button22 = ClickButton(Button("Button22", "対戦成績", 360, 48), &TForm1::Button22Click);
  Button21 = ClickButton(Button("Button21", "対/w,/r", 416, 48), &TForm1::Button21Click);
  Button5 = ClickButton(Button("Button5", "/chaton", 360, 88), &TForm1::Button5Click);
  Button6 = ClickButton(Button("Button6", "/chatoff", 416, 88), &TForm1::Button6Click);
  Button7 = ClickButton(Button("Button7", "/l", 360, 128), &TForm1::Button7Click);
  Button8 = ClickButton(Button("Button8", "/h", 416, 128), &TForm1::Button8Click);
  Button17 = ClickButton(Button("Button17", "瞬間観戦", 360, 168), &TForm1::Button17Click);
  Button20 = ClickButton(Button("Button20", "画像保存", 416, 168), &TForm1::Button20Click);
  Button26 = ClickButton(Button("Button26", "追加", 360, 208), &TForm1::Button26Click);
  Button4 = ClickButton(Button("Button4", "削除", 416, 208), &TForm1::Button4Click);
  Label7 = host.CreateLabel(PlaceControl("Label7", "青", 2, 240));
  CheckBox1 = boundary_.Clicking(host.CreateCheckBox(PlaceControl("CheckBox1", "", 2, 256, 10, 10)), *this,
                                 &TForm1::CheckBox1Click);
  ControlSpec chat_line = PlaceControl("ComboBox1", "", 16, 248, 406, 20);
  chat_line.font = kComboFont;
  chat_line.max_length = kChatLineMaxBytes;
  ComboBox1 = boundary_.Clicking(host.CreateComboBox(chat_line), *this, &TForm1::ComboBox1Click);
  ControlSpec send = Button("Button19", "送信", 426, 248, 40, 25);
  send.default_button = true;
  Button19 = ClickButton(send, &TForm1::Button19Click);

  // All four timers stand stopped with their design periods; the settings
  // start Timer2 and Timer4 and give Timer2 its period.
  Timer1 = StoppedTimer(host, "Timer1", game::kTimer1IntervalMs);
  Timer2 = StoppedTimer(host, "Timer2", 10 * 1000);
  Timer3 = StoppedTimer(host, "Timer3", kTimer3PeriodMs);
  Timer4 = StoppedTimer(host, "Timer4", kTimer4PeriodMs);
}

// The events of this window besides the clicks, which its controls get as
// they are made: the timers, the lists' mouse and drag, the window's own
// events and the history menu.
void TForm1::WireHandlers() {
  const auto on_timer = [this](platform::Timer& timer, void (TForm1::*handler)()) {
    boundary_.Connect(timer, [this, handler] { (this->*handler)(); });
  };
  on_timer(*Timer1, &TForm1::Timer1Timer);
  on_timer(*Timer2, &TForm1::Timer2Timer);
  on_timer(*Timer3, &TForm1::Timer3Timer);
  on_timer(*Timer4, &TForm1::Timer4Timer);
  // Timer2's ticks go on inside the waits of a spectate it started, and a
  // held macro combination fires again inside a long action's wait.
  Timer2->SetNestedTicks(true);
  Timer4->SetNestedTicks(true);
  boundary_.Connect(*ListBox1, ControlEvent::kDblClick, *this, &TForm1::ListBox1DblClick);
  boundary_.Connect(*ListBox2, ControlEvent::kDblClick, *this, &TForm1::ListBox2DblClick);
  boundary_.Connect(*ListBox1, ControlEvent::kMouseDown, *this, &TForm1::ListBox1MouseDown);
  boundary_.Connect(*ListBox2, ControlEvent::kMouseDown, *this, &TForm1::ListBox2MouseDown);
  platform::FormHost& host = services_.host;
  using platform::ClientPoint;
  // A drag-over that fails refuses the drop.
  const auto over = [this](bool (TForm1::*handler)(int, int)) {
    return [this, handler](ClientPoint point) {
      bool accepted = false;
      boundary_.Run([&] { accepted = (this->*handler)(point.x, point.y); });
      return accepted;
    };
  };
  const auto drop = [this](void (TForm1::*handler)(int, int)) {
    return [this, handler](ClientPoint point) { boundary_.Run([&] { (this->*handler)(point.x, point.y); }); };
  };
  host.ConnectDragOver(*ListBox1, over(&TForm1::ListBox1DragOver));
  host.ConnectDragOver(*ListBox2, over(&TForm1::ListBox2DragOver));
  host.ConnectDragDrop(*ListBox1, drop(&TForm1::ListBox1DragDrop));
  host.ConnectDragDrop(*ListBox2, drop(&TForm1::ListBox2DragDrop));
  host.Connect(platform::FormEvent::kDblClick, [this] { boundary_.Run([this] { FormDblClick(); }); });
  host.SetCloseQuery([this] { return FormCloseQuery(); });
  host.AddSystemMenuItem(kHistoryMenuId, std::string(kHistoryMenuCaption),
                         [this] { boundary_.Run([this] { HistoryMenuClick(); }); });
  host.AddSystemMenuItem(kLogSearchMenuId, std::string(kLogSearchMenuCaption),
                         [this] { boundary_.Run([this] { LogSearchMenuClick(); }); });
  ConnectNotificationArea(*this);
  host.AddSystemMenuItem(kClientCheckMenuId, std::string(kClientCheckMenuCaption),
                         [this] { boundary_.Run([this] { ClientCheckMenuClick(); }); });
}

void TForm1::ReloadLists() {
  ListBox1->SetItems(platform::ReadListFile(Settings.File1));
  // Refilling the phrase list empties the chat line's edit part; the line
  // the user is writing stays.
  const std::string chat_line = ComboBox1->Text();
  ComboBox1->SetItems(platform::ReadListFile(Settings.File3));
  ComboBox1->SetText(chat_line);
  KeywordList = platform::ReadListFile(Settings.File5);
}

void TForm1::ApplySettings() {
  Button1->SetCaption("OFF");
  Button2->SetCaption(SwitchCaption(Settings.AutoWatch));
  Button3->SetCaption(SwitchCaption(Settings.SaveChatLog));
  Button18->SetCaption(SwitchCaption(Settings.Keyword));
  ApplyTimer2Rule();
  ApplyTimerSettings();
  ApplyTamiruSwitches(*this);
}

void TForm1::ApplyTimerSettings() {
  Timer4->SetEnabled(Settings.Macro != 0);
  // A negative or huge interval from the file wraps like the original's
  // unsigned period; 0 means the timer never fires.
  Timer2->SetInterval(static_cast<std::uint32_t>(Settings.SaveChatLogTimeInterval) * 1000u);
}

void TForm1::ApplyTimer2Rule() {
  const bool runs =
      game::Timer2Runs(Settings.AutoWatch, Settings.SaveChatLog, Settings.Keyword, Settings.Tamiru.FriendNotice);
  if (!runs) Label6->SetCaption("");
  Timer2->SetEnabled(runs);
}

platform::WindowOptions SecondWindowOptions(std::string_view class_name, std::string_view caption, int left, int top,
                                            platform::ClientPoint size, platform::ClientPoint least) {
  platform::WindowOptions options;
  options.class_name = std::string(class_name);
  options.caption = std::string(caption);
  options.left = left;
  options.top = top;
  options.client_width = size.x;
  options.client_height = size.y;
  options.font = {std::string(kWindowFontFace), kWindowFontHeight};
  options.resizable = true;
  options.min_client_width = least.x;
  options.min_client_height = least.y;
  return options;
}

std::string ProgramPaths::HelpPage() const { return text::JoinPath(folder, kHelpFileName); }

// Closing never asks and is never refused: a refused settings write is shown,
// and the window closes all the same (the user asked to leave).
bool TForm1::FormCloseQuery() {
  try {
    settings::SaveSettings(Settings, paths_.ini, settings::SaveScope::kAll);
  } catch (const std::exception& error) {
    boundary_.ShowError(error.what());
  }
  KeywordList.clear();
  KeywordList.shrink_to_fit();
  Macros.MacroList.clear();
  Macros.MacroList.shrink_to_fit();
  return true;
}

void TForm1::FormDblClick() {
  Lists.PhraseInsertIndex = -1;
  ListBox1->SetSelectedIndex(-1);
  ListBox2->SetSelectedIndex(-1);
}

// The help page opens with the default action in a normal window: a page
// asked for by the user and then opened hidden would never be seen.
void TForm1::Button24Click() {
  services_.shell.ShellExecute(platform::kNoWindow, std::nullopt, paths_.HelpPage(), std::nullopt, kSwShowNormal);
}

void TForm1::Button5Click() { SendSimpleCommand(game::chat_command::kChatOn); }
void TForm1::Button6Click() { SendSimpleCommand(game::chat_command::kChatOff); }
void TForm1::Button7Click() { SendSimpleCommand(game::chat_command::kList); }
void TForm1::Button8Click() { SendSimpleCommand(game::chat_command::kHide); }

void TForm1::Button19Click() {
  if (ComboBox1->Text().empty()) return;
  if (CheckBox1->IsChecked()) {
    SendNameCommand(game::chat_command::kTellSelected);
  } else {
    SendSimpleCommand(game::chat_command::kChatLine);
  }
  ComboBox1->SetText("");
}

// Tell mode leaves room for "/t ", a name and a space in the client's line.
// The cut to 48 bytes never leaves half a double-byte character behind.
void TForm1::CheckBox1Click() {
  if (CheckBox1->IsChecked()) {
    ComboBox1->SetMaxLength(kTellModeChatLineMaxBytes);
    const std::string line = ComboBox1->Text();
    if (line.size() > static_cast<std::size_t>(kTellModeChatLineMaxBytes)) {
      ComboBox1->SetText(std::string(text::CutAtCharBoundary(line, kTellModeChatLineMaxBytes)));
    }
  } else {
    ComboBox1->SetMaxLength(kChatLineMaxBytes);
  }
}

void TForm1::SendNameCommand(const game::ChatCommand& command) {
  const game::NameSources sources{*ListBox1, *ListBox2, *Edit2, *ComboBox1, Settings.File2};
  game::SendNameCommand({services_.windows, services_.loop}, sources, command);
}

void TForm1::SendSimpleCommand(const game::ChatCommand& command) {
  game::SendSimpleCommand(services_.windows, command, ComboBox1->Text());
}


}  // namespace tamiru::app
