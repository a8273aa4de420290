#pragma once
// The main window, TForm1: the settings record, the keyword and macro lists,
// the state members, and every control under its designer name. Its
// dependencies come in by reference, so a test builds it on the simulated
// desktop with in-memory controls and calls form.Button19Click() directly.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/general_error.h"
#include "chatlog/capture.h"
#include "chatlog/notices.h"
#include "game/auto_connect.h"
#include "game/chat_send.h"
#include "game/keep_alive.h"
#include "lists/list_drag.h"
#include "macro/macro_poll.h"
#include "platform/controls.h"
#include "platform/event_loop.h"
#include "platform/files.h"
#include "platform/form_host.h"
#include "platform/notification_area.h"
#include "platform/system.h"
#include "platform/window_system.h"
#include "settings/settings.h"

namespace tamiru::macro {
struct TMacroEntry;
}  // namespace tamiru::macro

namespace tamiru::app {

inline constexpr std::string_view kMainWindowClass = "TForm1";
inline constexpr std::string_view kMainWindowCaption = "Tamiru Ver1.52";
inline constexpr int kClientWidth = 472;
inline constexpr int kClientHeight = 277;
inline constexpr int kFirstLeft = 211;
inline constexpr int kFirstTop = 275;
inline constexpr std::string_view kWindowFontFace = "ＭＳ Ｐゴシック";
inline constexpr int kWindowFontHeight = 12;
inline constexpr std::string_view kListFontFace = "ＭＳ ゴシック";

inline constexpr int kNameMaxBytes = 12;              // Edit1, Edit2
inline constexpr int kChatLineMaxBytes = 64;          // ComboBox1
inline constexpr int kTellModeChatLineMaxBytes = 48;  // ComboBox1 in tell mode
inline constexpr std::uint32_t kTimer3PeriodMs = 50;
inline constexpr std::uint32_t kTimer4PeriodMs = 80;

// The help page shipped beside the executable.
inline constexpr std::string_view kHelpFileName = "TamiruHelp.html";

// "ON" for a switch that is not 0, else "OFF".
std::string SwitchCaption(std::int32_t value);

// The screen of a window given none: an empty image, which the image save
// reports as a file it could not make rather than as a saved picture.
platform::Screen& NoScreen();

// The second windows of a window given none: none are made, so the settings
// dialog does not open (form_settings.cpp).
platform::FormFactory& NoForms();

// The notification area of a window given none: it takes no icon, so no
// balloon shows (form_tray.cpp).
platform::NotificationArea& NoNotificationArea();

struct FormServices {
  platform::WindowSystem& windows;
  platform::EventLoop& loop;
  platform::Input& input;
  platform::Shell& shell;
  platform::Sound& sound;
  platform::Dialogs& dialogs;
  platform::FormHost& host;
  platform::Screen& screen = NoScreen();
  platform::FormFactory& forms = NoForms();
  platform::NotificationArea& tray = NoNotificationArea();
};

class TForm3;
class TForm4;
class TForm5;
struct SettingsDialogOwner;

// A window this one owns and shows beside it, one at a time: its host and
// the form on it.
template <class FormType>
struct OwnedWindow {
  std::unique_ptr<platform::FormHost> Window;
  std::unique_ptr<FormType> Form;
  // Whether the window is there (the user has not closed it).
  bool IsOpen() const { return Window && Window->Handle() != platform::kNoWindow; }
  // One window at a time: an open one comes to the front; a closed one is
  // replaced by a new window owned by `owner`, its form made on `view`.
  template <class OwnerView>
  void Open(platform::FormFactory& forms, platform::WindowHandle owner, const OwnerView& view) {
    if (IsOpen()) {
      Window->BringToFront();
      return;
    }
    Form.reset();
    Window = forms.CreateOwnedForm(owner, FormType::WindowOptions());
    if (!Window) return;
    Form = std::make_unique<FormType>(view, *Window);
    Window->BringToFront();
  }
};

// The balloons of the notification-area icon: one at a time, the notices
// that come faster gathered into the next one, which DueTimer sends once the
// showing one has had its time.
struct BalloonState {
  chatlog::BalloonGate Gate;
  chatlog::NoticeKind LatestKind = chatlog::NoticeKind::kKeyword;
  std::unique_ptr<platform::Timer> DueTimer;  // runs only while notices wait
};

// The options of a window beside the main one: at (left, top), resizable
// from `size` down to `least` (client sizes at 96 DPI), in the main window's
// font.
platform::WindowOptions SecondWindowOptions(std::string_view class_name, std::string_view caption, int left, int top,
                                            platform::ClientPoint size, platform::ClientPoint least);

// The lists' state: where the phrase add inserts, and the list drag. A drop
// on the list box the drag did not begin in is refused, as DragSourceIndex
// means nothing there.
struct ListsState {
  std::int32_t PhraseInsertIndex = -1;
  lists::DragState Drag;
};

// Paths worked out from the executable's own path.
struct ProgramPaths {
  std::string ini;     // the settings file
  std::string folder;  // the executable's folder
  std::string HelpPage() const;
  std::string AlertSound() const;  // "call.wav"
};

class TForm1 {
 public:
  // Builds the window in the order of the start-up: controls, settings, the
  // friend and phrase lists, the keyword and macro lists, the switches and
  // timers, the state members. Throws FileOpenError for a list file that
  // cannot be opened.
  explicit TForm1(const FormServices& services);
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // ---- Handlers of this window ----
  bool FormCloseQuery();
  void FormDblClick();
  void Button24Click();
  void Button5Click();
  void Button6Click();
  void Button7Click();
  void Button8Click();
  void Button19Click();
  void CheckBox1Click();
  // Auto-connect and keep-alive spectating (form_connect.cpp).
  void Button1Click();
  void Timer1Timer();
  void Button2Click();
  void Button17Click();
  // The chat log and keyword switches, the keyword add, Timer2's tick
  // (form_chatlog.cpp).
  void Button3Click();
  void Button18Click();
  void Button25Click();
  void Timer2Timer();
  // The friend, selection and ignore lists, the phrase list, and dragging
  // to reorder the list boxes (form_lists.cpp).
  void Button9Click();
  void Button10Click();
  void Button11Click();
  void Button12Click();
  void Button13Click();
  void Button14Click();
  void Button15Click();
  void Button16Click();
  void ListBox1DblClick();
  void ListBox2DblClick();
  void Button26Click();
  void Button4Click();
  void ComboBox1Click();
  void ListBox1MouseDown();
  void ListBox2MouseDown();
  bool ListBox1DragOver(int x, int y);
  bool ListBox2DragOver(int x, int y);
  void ListBox1DragDrop(int x, int y);
  void ListBox2DragDrop(int x, int y);
  void Timer3Timer();
  // The record against a chosen player and the opponent lookup
  // (form_stats.cpp).
  void Button21Click();
  void Button22Click();
  // The game window image save (form_capture.cpp).
  void Button20Click();
  // The settings dialog, shown modally (form_settings.cpp).
  void Button23Click();
  // The match history window from the system menu (form_history.cpp).
  void HistoryMenuClick();
  // The chat log search window from the system menu (form_log_search.cpp).
  void LogSearchMenuClick();
  // The notification-area icon, its menu, the balloons and the four switches
  // of [Tamiru] in the system menu and the icon's menu (form_tray.cpp).
  void TrayIconDblClick();
  void TrayMenuCommand(int id);
  void FormMinimize();
  void TamiruSwitchClick(int id);
  void TellNotice(const chatlog::ChatNotice& notice);
  void BalloonTimerTimer();
  // The client check window from the system menu (form_client_check.cpp).
  void ClientCheckMenuClick();
  // The macro key poll and the actions it runs (form_macro.cpp).
  void Timer4Timer();
  void DispatchMacroAction(const macro::TMacroEntry& entry);

  // ---- Shared operations on this window's controls ----
  void SendNameCommand(const game::ChatCommand& command);
  void SendSimpleCommand(const game::ChatCommand& command);
  // The statistics on this window's settings, lists and chat line (the
  // buttons and the macro actions "対戦成績" and "対/w,/r").
  void ReportScoresFor(const std::string& target);
  void ShowScoreReport();
  void LookUpOpponents();
  // The score file as it is read: File4, or its newer VirtualStore copy.
  std::string ScoreFilePath() const;
  // The screen saved with the game client's window in front, under this
  // window's image settings (the button and the macro action "画像保存").
  void SaveGameImage();
  // One chat capture with this window's capture state, settings and lists.
  void CaptureChat();
  // What a spectate needs from this window: the client's windows, the wait,
  // and ConnectAttemptTick, which dismissing "観戦失敗" clears.
  game::SpectateContext SpectateContext();
  // A spectate, then the keep-alive interval again from its end.
  void SpectateAndRestartInterval();
  // Steps 1 to 5 of applying the settings: switch captions, Timer2, Timer4;
  // then the [Tamiru] switches' check marks and the notification-area icon.
  void ApplySettings();
  // Timer2 runs while AutoWatch, SaveChatLog or Keyword is 1; stopped, its
  // countdown label empties.
  void ApplyTimer2Rule();
  // Timer2's period and Timer4's switch from the settings (the start-up and
  // the settings dialog's OK).
  void ApplyTimerSettings();

  // Reloads the friend list, the phrase list and KeywordList from their
  // files, in that order; each keeps its content when its file cannot be
  // read, and the reload stops there (FileOpenError).
  void ReloadLists();

  // The event boundary of this window: an error that escapes a handler run
  // through it ends the handler there and goes to the general error display.
  EventBoundary& boundary() { return boundary_; }

  const ProgramPaths& paths() const { return paths_; }

  // ---- Members of the data model, each feature's state by value ----
  settings::TSettings Settings;
  std::vector<std::string> KeywordList;
  // Auto-connect: AutoConnectOn, ConnectAttemptTick.
  game::AutoConnectState AutoConnect;
  // Keep-alive spectating (KeepAliveStartSec), one for the window: Timer2,
  // Button2, Button17 and the spectate macro all work on it, so that a
  // spectate waiting for the client is seen by every handler that runs
  // inside its waits.
  game::KeepAliveState KeepAlive;
  // The chat capture: LastChatSource, NextChatLine, ChatEndIndex.
  chatlog::CaptureState Capture;
  // The lists: PhraseInsertIndex and the list drag.
  ListsState Lists;
  std::array<std::string, 4> TablePlayers;
  // The macro key poll: MacroList and what the poll keeps between ticks.
  macro::MacroPoll Macros;

  // ---- Controls, by designer name ----
  std::unique_ptr<platform::Label> Label1, Label2, Label3, Label5, Label6, Label7, Label8;
  std::unique_ptr<platform::Button> Button1, Button2, Button3, Button4, Button5, Button6, Button7, Button8,
      Button9, Button10, Button11, Button12, Button13, Button14, Button15, Button16, Button17, Button18,
      Button19, Button20, Button21, Button22, Button23, Button24, Button25, Button26;
  std::unique_ptr<platform::Edit> Edit1, Edit2;
  std::unique_ptr<platform::ListBox> ListBox1, ListBox2;
  std::unique_ptr<platform::ComboBox> ComboBox1;
  std::unique_ptr<platform::CheckBox> CheckBox1;
  std::unique_ptr<platform::Timer> Timer1, Timer2, Timer3, Timer4;
  // The windows beside this one, each while it exists (closed: no window
  // handle), and the balloons of the icon in the notification area.
  struct SecondWindows {
    OwnedWindow<TForm3> History;
    OwnedWindow<TForm4> LogSearch;
    OwnedWindow<TForm5> ClientCheck;
    BalloonState Balloons;
  } Windows;

  const FormServices& services() const { return services_; }

 private:
  void CreateControls();
  void WireHandlers();
  // The macro actions' verbs (form_macro.cpp).
  struct MacroVerbs;

  FormServices services_;
  EventBoundary boundary_;
  ProgramPaths paths_;
};

// The score file where the client keeps it (form_stats.cpp): File4 when it
// (or its VirtualStore copy) exists; else the same path under Program Files
// (x86), where 64-bit Windows puts the 32-bit client; else the file of that
// name beside a running client's MJ.exe (the program of its game main
// window, waiting room or connect dialog); else File4. The setting itself
// stays as the user set it.
std::string ClientScoreFile(const FormServices& services, const std::string& file4,
                            const std::function<bool(const std::string&)>& exists = platform::FileExists);
// The same lookup, saying which of its steps found the file.
enum class ScoreFileSource { kSetting, kProgramFilesX86, kClientFolder, kNotFound };
struct ScoreFileLocation {
  std::string path;  // as ClientScoreFile gives it
  ScoreFileSource source = ScoreFileSource::kNotFound;
};
ScoreFileLocation LocateClientScoreFile(const FormServices& services, const std::string& file4,
                                        const std::function<bool(const std::string&)>& exists = platform::FileExists);

// The file read for File4: where the client keeps it, or its newer
// VirtualStore copy where an old client's writes went.
std::string ScoreFileToRead(const FormServices& services, const std::string& file4);

// The icon's handlers, the switches' items in the system menu and the
// balloons' timer; then the switches' check marks and the icon there or not
// as the settings say (form_tray.cpp).
void ConnectNotificationArea(TForm1& form);
void ApplyTamiruSwitches(TForm1& form);

// What the settings dialog gets of the main window (form_settings.cpp).
SettingsDialogOwner SettingsDialogOwnerOf(TForm1& form);

}  // namespace tamiru::app
