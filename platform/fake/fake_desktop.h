#pragma once
// A simulated desktop for native tests: fake windows with class, title, text
// and descendants, whose controls answer messages as the real controls do,
// a record of every message sent or posted, and scriptable reactions that
// stand in for the game client. Time comes from a FakeEventLoop: posted
// messages are handled when that loop next turns, sent messages at once.
//
//   FakeEventLoop loop;
//   FakeDesktop desktop(loop);
//   auto room = desktop.CreateWaitingRoom();
//   desktop.OnMessage(room.spectate_button, msg::kButtonClick, [&](const RecordedMessage&) {
//     loop.ScheduleAfter(1200, [&] { desktop.CreateGameMainWindow(); });
//   });
#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fake/fake_event_loop.h"
#include "platform/window_system.h"

namespace tamiru::platform::fake {

// How a fake window answers messages.
enum class ControlKind {
  kWindow,          // a plain window or dialog: WM_SETTEXT / WM_GETTEXT only
  kSingleLineEdit,  // class "Edit"
  kMultiLineEdit,   // class "Edit" with ES_MULTILINE: lines end in CR LF
  kListBox,         // class "ListBox"
  kComboBox,        // class "ComboBox" (drop-down list: no child edit)
  kButton,          // class "Button"
  kStatic,          // class "Static"
};

struct RecordedMessage {
  enum class Kind { kSent, kPosted, kForeground };
  Kind kind = Kind::kSent;
  WindowHandle window = kNoWindow;
  unsigned message = 0;  // 0 for kForeground
  WParam wparam = 0;
  LParam lparam = 0;
  std::string text;         // the text of WM_SETTEXT
  std::uint32_t tick = 0;   // the loop's tick count when sent or posted
  bool reached = true;      // false when the window did not exist
};

// Units of the indices that a multi-line edit reports (EM_LINEINDEX,
// EM_LINELENGTH's argument and result): bytes as the system's own edit
// control counts them for an ANSI program, or characters as Wine's does.
enum class EditIndexUnit { kBytes, kCharacters };

// The client's windows as the helpers below build them, by child number.
struct WaitingRoomWindows {
  WindowHandle window = kNoWindow;
  std::array<WindowHandle, 13> child{};
  WindowHandle room_selector = kNoWindow;    // child 1
  WindowHandle table_list = kNoWindow;       // child 2
  WindowHandle chat_view = kNoWindow;        // child 3
  WindowHandle chat_input = kNoWindow;       // child 5
  WindowHandle send_button = kNoWindow;      // child 6
  WindowHandle spectate_button = kNoWindow;  // child 10
  WindowHandle reservation = kNoWindow;      // child 12
};

struct GameMainWindows {
  WindowHandle window = kNoWindow;
  WindowHandle chat_view = kNoWindow;   // child 0
  WindowHandle chat_input = kNoWindow;  // child 1
};

struct DialogWindows {
  WindowHandle window = kNoWindow;
  std::vector<WindowHandle> child;  // by child number
};

class FakeDesktop : public WindowSystem {
 public:
  explicit FakeDesktop(FakeEventLoop& loop) : loop_(loop) {}

  // ---- WindowSystem ----
  WindowHandle FindWindow(std::optional<std::string_view> class_name, std::optional<std::string_view> title) override;
  void EnumWindows(const std::function<bool(WindowHandle)>& visit) override;
  void EnumChildWindows(WindowHandle parent, const std::function<bool(WindowHandle)>& visit) override;
  std::string GetWindowText(WindowHandle window, std::size_t buffer_bytes) override;
  std::string GetClassName(WindowHandle window, std::size_t buffer_bytes) override;
  MsgResult SendMessage(WindowHandle window, unsigned message, WParam wparam, LParam lparam) override;
  // nullopt for a hung or missing window, whose send runs out of its bound.
  std::optional<MsgResult> SendMessageAnswered(WindowHandle window, unsigned message, WParam wparam,
                                               LParam lparam) override;
  MsgResult SendSetText(WindowHandle window, std::string_view text) override;
  std::string SendGetText(WindowHandle window, std::size_t buffer_bytes) override;
  std::size_t SendGetTextInto(WindowHandle window, std::string& buffer) override;
  std::string SendGetListText(WindowHandle window, int row) override;
  bool PostMessage(WindowHandle window, unsigned message, WParam wparam, LParam lparam) override;
  bool SetForegroundWindow(WindowHandle window) override;
  bool RestoreToForeground(WindowHandle window) override;
  std::string ProgramPathOf(WindowHandle window) override {
    const auto it = program_paths.find(window);
    return it == program_paths.end() ? std::string() : it->second;
  }
  // The program behind a window, as ProgramPathOf reports it.
  std::map<WindowHandle, std::string> program_paths;
  std::uint32_t IntegrityLevelOf(WindowHandle window) override {
    const auto it = integrity_levels.find(window);
    return it == integrity_levels.end() ? integrity::kUnknown : it->second;
  }
  // The integrity level of a window's process, as IntegrityLevelOf reports it.
  std::map<WindowHandle, std::uint32_t> integrity_levels;
  // WS_CHILD | WS_VISIBLE for a child (with ES_MULTILINE for a multi-line
  // edit), WS_POPUP | WS_VISIBLE for a top-level window, unless `styles`
  // holds another.
  std::optional<std::uint32_t> WindowStyle(WindowHandle window) override;
  std::map<WindowHandle, std::uint32_t> styles;
  WindowHandle GetForegroundWindow() override { return foreground_; }

  // ---- Building the desktop ----
  // A new top-level window goes in front of the others (first in EnumWindows
  // order), as a newly shown window does; the foreground does not change.
  WindowHandle CreateTopLevel(std::string class_name, std::string title, ControlKind kind = ControlKind::kWindow);
  // A child goes after its parent's existing children. An empty class name
  // takes the usual class of `kind` ("Edit", "ListBox", ...).
  WindowHandle CreateChild(WindowHandle parent, ControlKind kind, std::string text = {}, std::string class_name = {});
  // Destroys the window and all its descendants; their handles stay invalid
  // (never reused) and messages posted to them are dropped.
  void Destroy(WindowHandle window);
  bool Exists(WindowHandle window) const { return windows_.count(window) != 0; }

  // Top-level order: front (first reported) to back.
  std::vector<WindowHandle> TopLevelOrder() const { return top_level_; }
  void BringToFront(WindowHandle window);
  void SendToBack(WindowHandle window);
  // Makes `window` the foreground without recording a call (the user did it).
  void SetForeground(WindowHandle window) { foreground_ = window; }
  // The user minimises a top-level window; only RestoreToForeground shows it again.
  void Minimise(WindowHandle window) { minimised_.insert(window); }
  bool IsMinimised(WindowHandle window) const { return minimised_.count(window) != 0; }

  // ---- Window state, read and set without messages ----
  std::string Text(WindowHandle window) const;
  void SetText(WindowHandle window, std::string text);
  std::string ClassName(WindowHandle window) const;
  WindowHandle Parent(WindowHandle window) const;
  std::vector<std::string> Items(WindowHandle window) const;
  void SetItems(WindowHandle window, std::vector<std::string> items);
  int Selection(WindowHandle window) const;  // -1 = none
  void SetSelection(WindowHandle window, int index);
  // Appends one line to a multi-line edit: CR LF goes in front of it unless
  // the edit is empty (the last line of a chat view has no line break).
  void AppendLine(WindowHandle edit, std::string_view line);

  // A hung window answers no sent message (0, empty text, as a send that ran
  // out of its bound) and handles no posted message; both are still recorded.
  void SetHung(WindowHandle window, bool hung);
  void SetEditIndexUnit(EditIndexUnit unit) { index_unit_ = unit; }

  // ---- Scripted behaviour ----
  using Reaction = std::function<void(const RecordedMessage&)>;
  using Answer = std::function<MsgResult(const RecordedMessage&)>;
  // Runs after the control's own handling of `message`, at once for a sent
  // message and when the loop turns for a posted one. Reactions may create,
  // change and destroy windows and send or post further messages.
  void OnMessage(WindowHandle window, unsigned message, Reaction reaction);
  // Replaces the control's own handling of `message`; the answer is the result.
  void AnswerMessage(WindowHandle window, unsigned message, Answer answer);
  void ClearReactions(WindowHandle window);

  // The client's submit behaviours (the contract of the game client): the
  // input's line goes to the chat and the input is emptied, after the key-up
  // of VK_RETURN on the input, or after BM_CLICK on the send button. Each
  // submitted line is kept (Submitted) and, when `view` is given, appended to
  // that chat view behind `prefix` (the speaker's name and separator).
  void SubmitOnEnter(WindowHandle input, WindowHandle view = kNoWindow, std::string prefix = "me>");
  void SubmitOnClick(WindowHandle button, WindowHandle input, WindowHandle view = kNoWindow,
                     std::string prefix = "me\t>");
  // BM_CLICK on `button` destroys `dialog`, after `delay_ms` (0: when handled).
  void CloseOnClick(WindowHandle button, WindowHandle dialog, std::uint32_t delay_ms = 0);
  // The lines submitted through `input`, in order.
  std::vector<std::string> Submitted(WindowHandle input) const;

  // ---- The game client's windows ----
  // With `behaviours`, the submit and close behaviours above are installed.
  WaitingRoomWindows CreateWaitingRoom(std::string title = "東風荘 待合室", bool behaviours = true);
  GameMainWindows CreateGameMainWindow(std::string title = "東風荘", bool behaviours = true);
  // "東風荘－接続" with children 0 to 9; 8 and 9 are buttons with no behaviour.
  DialogWindows CreateConnectDialog();
  // A "#32770" dialog with an OK button at child 0 (closing it) and a message.
  DialogWindows CreateMessageDialog(std::string title, std::string message = {}, bool behaviours = true);

  // ---- The record ----
  const std::vector<RecordedMessage>& Messages() const { return record_; }
  std::vector<RecordedMessage> MessagesTo(WindowHandle window) const;
  std::vector<RecordedMessage> MessagesTo(WindowHandle window, unsigned message) const;
  std::size_t CountOf(WindowHandle window, unsigned message) const { return MessagesTo(window, message).size(); }
  void ClearMessages() { record_.clear(); }

  FakeEventLoop& loop() { return loop_; }

 private:
  struct Window {
    WindowHandle parent = kNoWindow;
    std::string class_name;
    std::string text;
    ControlKind kind = ControlKind::kWindow;
    std::vector<WindowHandle> children;
    std::vector<std::string> items;
    int selection = -1;
    bool hung = false;
  };
  struct Handlers {
    std::vector<Reaction> reactions;
    std::optional<Answer> answer;
  };

  Window* Find(WindowHandle window);
  const Window* Find(WindowHandle window) const;
  WindowHandle NewHandle() { return next_handle_ += 4; }
  void CollectDescendants(const Window& window, std::vector<WindowHandle>& out) const;
  RecordedMessage Record(RecordedMessage::Kind kind, WindowHandle window, unsigned message, WParam wparam,
                         LParam lparam, std::string text);
  // The control's own answer, then the reactions.
  MsgResult Deliver(const RecordedMessage& message);
  MsgResult DefaultAnswer(Window& window, const RecordedMessage& message);
  MsgResult EditAnswer(Window& window, const RecordedMessage& message);
  MsgResult ListAnswer(Window& window, const RecordedMessage& message);
  MsgResult ComboAnswer(Window& window, const RecordedMessage& message);
  static MsgResult TextAnswer(std::string& text, const RecordedMessage& message);
  void Submit(WindowHandle input, WindowHandle view, const std::string& prefix);

  FakeEventLoop& loop_;
  std::map<WindowHandle, Window> windows_;
  std::vector<WindowHandle> top_level_;
  std::map<std::pair<WindowHandle, unsigned>, Handlers> handlers_;
  std::map<WindowHandle, std::vector<std::string>> submitted_;
  std::vector<RecordedMessage> record_;
  WindowHandle foreground_ = kNoWindow;
  std::set<WindowHandle> minimised_;
  WindowHandle next_handle_ = 0x10000;
  EditIndexUnit index_unit_ = EditIndexUnit::kBytes;
  std::size_t list_text_capacity_ = 0;  // the LB_GETTEXT buffer of SendGetListText
};

}  // namespace tamiru::platform::fake
