#include "platform/fake/fake_desktop.h"

#include <algorithm>
#include <cstring>

#include "text/sjis.h"

namespace tamiru::platform::fake {

namespace {

constexpr MsgResult kListError = -1;  // LB_ERR, CB_ERR

std::string_view DefaultClass(ControlKind kind) {
  switch (kind) {
    case ControlKind::kSingleLineEdit:
    case ControlKind::kMultiLineEdit: return "Edit";
    case ControlKind::kListBox: return "ListBox";
    case ControlKind::kComboBox: return "ComboBox";
    case ControlKind::kButton: return "Button";
    case ControlKind::kStatic: return "Static";
    case ControlKind::kWindow: break;
  }
  return "#32770";
}

// A text as the window holds it: up to the first zero byte.
std::string UpToNul(std::string_view text) { return std::string(text.substr(0, text.find('\0'))); }

// The bytes a buffer of `buffer_bytes` receives: at most buffer_bytes - 1,
// never half of a double-byte character.
std::string_view FitBuffer(std::string_view text, std::size_t buffer_bytes) {
  if (buffer_bytes == 0) return {};
  return text::CutAtCharBoundary(text::AsBuffered(text, SIZE_MAX), buffer_bytes - 1);
}

// Byte offsets where the lines of a multi-line edit begin (after each CR LF).
std::vector<std::size_t> LineStarts(std::string_view text) {
  std::vector<std::size_t> starts{0};
  for (std::size_t pos = text.find("\r\n"); pos != std::string_view::npos; pos = text.find("\r\n", pos + 2)) {
    starts.push_back(pos + 2);
  }
  return starts;
}

std::size_t LineEnd(std::string_view text, std::size_t start) {
  const std::size_t end = text.find("\r\n", start);
  return end == std::string_view::npos ? text.size() : end;
}

}  // namespace

// ---------------------------------------------------------------- windows

FakeDesktop::Window* FakeDesktop::Find(WindowHandle window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

const FakeDesktop::Window* FakeDesktop::Find(WindowHandle window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

WindowHandle FakeDesktop::CreateTopLevel(std::string class_name, std::string title, ControlKind kind) {
  const WindowHandle handle = NewHandle();
  Window window;
  window.class_name = class_name.empty() ? std::string(DefaultClass(kind)) : std::move(class_name);
  window.text = UpToNul(title);
  window.kind = kind;
  windows_.emplace(handle, std::move(window));
  top_level_.insert(top_level_.begin(), handle);
  return handle;
}

WindowHandle FakeDesktop::CreateChild(WindowHandle parent, ControlKind kind, std::string text, std::string class_name) {
  Window* owner = Find(parent);
  if (!owner) return kNoWindow;
  const WindowHandle handle = NewHandle();
  owner->children.push_back(handle);
  Window window;
  window.parent = parent;
  window.class_name = class_name.empty() ? std::string(DefaultClass(kind)) : std::move(class_name);
  window.text = UpToNul(text);
  window.kind = kind;
  windows_.emplace(handle, std::move(window));
  return handle;
}

void FakeDesktop::Destroy(WindowHandle handle) {
  Window* window = Find(handle);
  if (!window) return;
  std::vector<WindowHandle> doomed{handle};
  CollectDescendants(*window, doomed);
  if (window->parent == kNoWindow) {
    top_level_.erase(std::remove(top_level_.begin(), top_level_.end(), handle), top_level_.end());
  } else if (Window* parent = Find(window->parent)) {
    auto& siblings = parent->children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), handle), siblings.end());
  }
  for (WindowHandle gone : doomed) {
    windows_.erase(gone);
    submitted_.erase(gone);
    for (auto it = handlers_.begin(); it != handlers_.end();) {
      it = it->first.first == gone ? handlers_.erase(it) : std::next(it);
    }
  }
  // The system activates another window when the foreground one goes: here
  // the front-most remaining top-level window.
  if (!Exists(foreground_)) foreground_ = top_level_.empty() ? kNoWindow : top_level_.front();
}

void FakeDesktop::CollectDescendants(const Window& window, std::vector<WindowHandle>& out) const {
  for (WindowHandle child : window.children) {
    out.push_back(child);
    if (const Window* inner = Find(child)) CollectDescendants(*inner, out);
  }
}

void FakeDesktop::BringToFront(WindowHandle window) {
  auto it = std::find(top_level_.begin(), top_level_.end(), window);
  if (it == top_level_.end()) return;
  top_level_.erase(it);
  top_level_.insert(top_level_.begin(), window);
}

void FakeDesktop::SendToBack(WindowHandle window) {
  auto it = std::find(top_level_.begin(), top_level_.end(), window);
  if (it == top_level_.end()) return;
  top_level_.erase(it);
  top_level_.push_back(window);
}

std::string FakeDesktop::Text(WindowHandle window) const {
  const Window* found = Find(window);
  return found ? found->text : std::string();
}

void FakeDesktop::SetText(WindowHandle window, std::string text) {
  if (Window* found = Find(window)) found->text = UpToNul(text);
}

std::string FakeDesktop::ClassName(WindowHandle window) const {
  const Window* found = Find(window);
  return found ? found->class_name : std::string();
}

WindowHandle FakeDesktop::Parent(WindowHandle window) const {
  const Window* found = Find(window);
  return found ? found->parent : kNoWindow;
}

std::vector<std::string> FakeDesktop::Items(WindowHandle window) const {
  const Window* found = Find(window);
  return found ? found->items : std::vector<std::string>();
}

void FakeDesktop::SetItems(WindowHandle window, std::vector<std::string> items) {
  Window* found = Find(window);
  if (!found) return;
  found->items = std::move(items);
  if (found->selection >= static_cast<int>(found->items.size())) found->selection = -1;
}

int FakeDesktop::Selection(WindowHandle window) const {
  const Window* found = Find(window);
  return found ? found->selection : -1;
}

void FakeDesktop::SetSelection(WindowHandle window, int index) {
  Window* found = Find(window);
  if (!found) return;
  found->selection = (index >= 0 && index < static_cast<int>(found->items.size())) ? index : -1;
}

void FakeDesktop::AppendLine(WindowHandle edit, std::string_view line) {
  Window* found = Find(edit);
  if (!found) return;
  if (!found->text.empty()) found->text += "\r\n";
  found->text += UpToNul(line);
}

void FakeDesktop::SetHung(WindowHandle window, bool hung) {
  if (Window* found = Find(window)) found->hung = hung;
}

// ---------------------------------------------------------------- lookup

WindowHandle FakeDesktop::FindWindow(std::optional<std::string_view> class_name,
                                     std::optional<std::string_view> title) {
  for (WindowHandle handle : top_level_) {
    const Window& window = windows_.at(handle);
    if (class_name && !text::EqualIgnoringCase(window.class_name, *class_name)) continue;
    if (title && !text::EqualIgnoringCase(window.text, *title)) continue;
    return handle;
  }
  return kNoWindow;
}

// Both enumerations work on a snapshot taken at the start, as the system's
// do, and skip windows destroyed by the visitor meanwhile.
void FakeDesktop::EnumWindows(const std::function<bool(WindowHandle)>& visit) {
  const std::vector<WindowHandle> snapshot = top_level_;
  for (WindowHandle handle : snapshot) {
    if (Exists(handle) && !visit(handle)) return;
  }
}

void FakeDesktop::EnumChildWindows(WindowHandle parent, const std::function<bool(WindowHandle)>& visit) {
  // EnumChildWindows of no window enumerates the top-level windows.
  if (parent == kNoWindow) return EnumWindows(visit);
  const Window* window = Find(parent);
  if (!window) return;
  std::vector<WindowHandle> snapshot;
  CollectDescendants(*window, snapshot);
  for (WindowHandle handle : snapshot) {
    if (Exists(handle) && !visit(handle)) return;
  }
}

std::string FakeDesktop::GetWindowText(WindowHandle window, std::size_t buffer_bytes) {
  const Window* found = Find(window);
  return found ? std::string(FitBuffer(found->text, buffer_bytes)) : std::string();
}

std::string FakeDesktop::GetClassName(WindowHandle window, std::size_t buffer_bytes) {
  const Window* found = Find(window);
  return found ? std::string(FitBuffer(found->class_name, buffer_bytes)) : std::string();
}

bool FakeDesktop::SetForegroundWindow(WindowHandle window) {
  Record(RecordedMessage::Kind::kForeground, window, 0, 0, 0, {});
  WindowHandle root = window;
  while (const Window* found = Find(root)) {
    if (found->parent == kNoWindow) break;
    root = found->parent;
  }
  if (!Exists(root)) return false;
  foreground_ = root;
  BringToFront(root);
  return true;
}

bool FakeDesktop::RestoreToForeground(WindowHandle window) {
  minimised_.erase(window);
  return SetForegroundWindow(window);
}

// ---------------------------------------------------------------- messages

RecordedMessage FakeDesktop::Record(RecordedMessage::Kind kind, WindowHandle window, unsigned message, WParam wparam,
                                    LParam lparam, std::string text) {
  RecordedMessage entry;
  entry.kind = kind;
  entry.window = window;
  entry.message = message;
  entry.wparam = wparam;
  entry.lparam = lparam;
  entry.text = std::move(text);
  entry.tick = loop_.TickCount();
  entry.reached = Exists(window);
  record_.push_back(entry);
  return entry;
}

MsgResult FakeDesktop::SendMessage(WindowHandle window, unsigned message, WParam wparam, LParam lparam) {
  std::string text;
  if (message == msg::kSetText && lparam != 0) text = reinterpret_cast<const char*>(lparam);
  return Deliver(Record(RecordedMessage::Kind::kSent, window, message, wparam, lparam, std::move(text)));
}

std::optional<MsgResult> FakeDesktop::SendMessageAnswered(WindowHandle window, unsigned message, WParam wparam,
                                                          LParam lparam) {
  const RecordedMessage entry = Record(RecordedMessage::Kind::kSent, window, message, wparam, lparam, {});
  const Window* target = Find(window);
  if (target == nullptr || target->hung) return std::nullopt;
  return Deliver(entry);
}

std::optional<std::uint32_t> FakeDesktop::WindowStyle(WindowHandle window) {
  constexpr std::uint32_t kChild = 0x40000000, kPopup = 0x80000000, kVisible = 0x10000000;
  const Window* found = Find(window);
  if (found == nullptr) return std::nullopt;
  if (const auto it = styles.find(window); it != styles.end()) return it->second;
  if (found->parent == kNoWindow) return kPopup | kVisible;
  return kChild | kVisible | (found->kind == ControlKind::kMultiLineEdit ? kEditMultiLineStyle : 0);
}

MsgResult FakeDesktop::SendSetText(WindowHandle window, std::string_view text) {
  return Deliver(Record(RecordedMessage::Kind::kSent, window, msg::kSetText, 0, 0, UpToNul(text)));
}

std::string FakeDesktop::SendGetText(WindowHandle window, std::size_t buffer_bytes) {
  std::vector<char> buffer(std::max<std::size_t>(buffer_bytes, 1), '\0');
  const auto entry = Record(RecordedMessage::Kind::kSent, window, msg::kGetText, buffer_bytes,
                            reinterpret_cast<LParam>(buffer.data()), {});
  const MsgResult copied = Deliver(entry);
  if (copied <= 0 || buffer_bytes == 0) return {};
  return std::string(buffer.data(), strnlen(buffer.data(), buffer_bytes - 1));
}

// Into the caller's buffer, as the real layer reads: no buffer of the view's
// size is made for each read.
std::size_t FakeDesktop::SendGetTextInto(WindowHandle window, std::string& buffer) {
  if (buffer.empty()) return 0;
  const auto entry = Record(RecordedMessage::Kind::kSent, window, msg::kGetText, buffer.size(),
                            reinterpret_cast<LParam>(buffer.data()), {});
  const Window* target = Find(window);
  if (target == nullptr || target->hung) {
    buffer.clear();  // no answer, as the real layer tells it
    return 0;
  }
  if (Deliver(entry) <= 0) return 0;
  return strnlen(buffer.data(), buffer.size() - 1);
}

std::string FakeDesktop::SendGetListText(WindowHandle window, int row) {
  const MsgResult length = SendMessage(window, msg::kListGetTextLen, static_cast<WParam>(row), 0);
  if (length < 0) return {};
  std::vector<char> buffer(static_cast<std::size_t>(length) + 1, '\0');
  const auto entry = Record(RecordedMessage::Kind::kSent, window, msg::kListGetText, static_cast<WParam>(row),
                            reinterpret_cast<LParam>(buffer.data()), {});
  // A row that grew since LB_GETTEXTLEN (a reaction changed it) is refused
  // rather than written past the buffer.
  list_text_capacity_ = buffer.size();
  const MsgResult copied = Deliver(entry);
  list_text_capacity_ = 0;
  if (copied <= 0) return {};
  return std::string(buffer.data(), strnlen(buffer.data(), buffer.size() - 1));
}

bool FakeDesktop::PostMessage(WindowHandle window, unsigned message, WParam wparam, LParam lparam) {
  const RecordedMessage entry = Record(RecordedMessage::Kind::kPosted, window, message, wparam, lparam, {});
  if (!entry.reached) return false;
  loop_.ScheduleAfter(0, [this, entry] { Deliver(entry); });
  return true;
}

MsgResult FakeDesktop::Deliver(const RecordedMessage& message) {
  Window* window = Find(message.window);
  if (!window || window->hung) return 0;
  // Copies: a reaction may add reactions or destroy this window.
  Handlers handlers;
  if (auto it = handlers_.find({message.window, message.message}); it != handlers_.end()) handlers = it->second;
  const MsgResult result = handlers.answer ? (*handlers.answer)(message) : DefaultAnswer(*window, message);
  for (const Reaction& reaction : handlers.reactions) reaction(message);
  return result;
}

MsgResult FakeDesktop::DefaultAnswer(Window& window, const RecordedMessage& message) {
  switch (window.kind) {
    case ControlKind::kSingleLineEdit:
    case ControlKind::kMultiLineEdit: return EditAnswer(window, message);
    case ControlKind::kListBox: return ListAnswer(window, message);
    case ControlKind::kComboBox: return ComboAnswer(window, message);
    default: return TextAnswer(window.text, message);
  }
}

// The text messages, as every window answers them.
MsgResult FakeDesktop::TextAnswer(std::string& text, const RecordedMessage& message) {
  switch (message.message) {
    case msg::kSetText:
      text = message.text;
      return 1;
    case msg::kGetText: {
      const std::string_view copied = FitBuffer(text, message.wparam);
      if (message.lparam != 0 && message.wparam > 0) {
        char* out = reinterpret_cast<char*>(message.lparam);
        std::memcpy(out, copied.data(), copied.size());
        out[copied.size()] = '\0';
      }
      return static_cast<MsgResult>(copied.size());
    }
    case msg::kGetTextLength: return static_cast<MsgResult>(text.size());
    default: return 0;
  }
}

MsgResult FakeDesktop::EditAnswer(Window& window, const RecordedMessage& message) {
  const std::string_view text = window.text;
  const bool multi = window.kind == ControlKind::kMultiLineEdit;
  const bool by_characters = index_unit_ == EditIndexUnit::kCharacters;
  // Byte offsets to the unit that this edit reports, and back.
  const auto to_unit = [&](std::size_t bytes) {
    return static_cast<MsgResult>(by_characters ? text::CharsBefore(text, bytes) : bytes);
  };
  const auto from_unit = [&](std::size_t index) { return by_characters ? text::ByteIndexOfChar(text, index) : index; };
  const auto unit_length = [&](std::size_t start, std::size_t end) { return to_unit(end) - to_unit(start); };

  switch (message.message) {
    case msg::kEditGetLineCount: return multi ? static_cast<MsgResult>(LineStarts(text).size()) : 1;
    case msg::kEditLineIndex: {
      const auto line = static_cast<std::intptr_t>(message.wparam);
      if (line == -1) return 0;  // the caret's line; the caret stays at the start
      const std::vector<std::size_t> starts = multi ? LineStarts(text) : std::vector<std::size_t>{0};
      if (line < 0 || static_cast<std::size_t>(line) >= starts.size()) return -1;
      return to_unit(starts[static_cast<std::size_t>(line)]);
    }
    case msg::kEditLineLength: {
      if (!multi) return unit_length(0, text.size());
      const auto index = static_cast<std::intptr_t>(message.wparam);
      std::size_t start = 0;
      if (index != -1) {
        if (index < 0 || index > to_unit(text.size())) return 0;
        const std::size_t byte = from_unit(static_cast<std::size_t>(index));
        for (std::size_t candidate : LineStarts(text)) {
          if (candidate <= byte) start = candidate;
        }
      }
      return unit_length(start, LineEnd(text, start));
    }
    default: return TextAnswer(window.text, message);
  }
}

MsgResult FakeDesktop::ListAnswer(Window& window, const RecordedMessage& message) {
  const auto count = static_cast<std::intptr_t>(window.items.size());
  const auto row = static_cast<std::intptr_t>(message.wparam);
  const bool valid_row = row >= 0 && row < count;
  switch (message.message) {
    case msg::kListGetCount: return count;
    case msg::kListGetTextLen: return valid_row ? static_cast<MsgResult>(window.items[row].size()) : kListError;
    case msg::kListGetText: {
      if (!valid_row) return kListError;
      // No buffer size comes with LB_GETTEXT: the caller's buffer must hold
      // the row (LB_GETTEXTLEN) and a zero, as with the real list box.
      const std::string item = UpToNul(window.items[row]);
      if (list_text_capacity_ != 0 && item.size() + 1 > list_text_capacity_) return kListError;
      if (message.lparam != 0) std::memcpy(reinterpret_cast<char*>(message.lparam), item.c_str(), item.size() + 1);
      return static_cast<MsgResult>(item.size());
    }
    case msg::kListSetCurSel:
      // An index out of range (or -1) is refused and the selection stays.
      if (!valid_row) {
        if (row == -1) window.selection = -1;
        return kListError;
      }
      window.selection = static_cast<int>(row);
      return row;
    default: return TextAnswer(window.text, message);
  }
}

MsgResult FakeDesktop::ComboAnswer(Window& window, const RecordedMessage& message) {
  const auto count = static_cast<std::intptr_t>(window.items.size());
  switch (message.message) {
    case msg::kComboGetCount: return count;
    case msg::kComboGetCurSel: return window.selection;
    case msg::kComboSetCurSel: {
      // An index out of range (or -1) clears the selection and answers CB_ERR.
      const auto index = static_cast<std::intptr_t>(message.wparam);
      if (index < 0 || index >= count) {
        window.selection = -1;
        return kListError;
      }
      window.selection = static_cast<int>(index);
      return index;
    }
    case msg::kGetText:
    case msg::kGetTextLength: {
      // A drop-down list's text is its selected item.
      std::string shown = window.selection >= 0 ? window.items[window.selection] : std::string();
      return TextAnswer(shown, message);
    }
    default: return TextAnswer(window.text, message);
  }
}

// ---------------------------------------------------------------- scripting

void FakeDesktop::OnMessage(WindowHandle window, unsigned message, Reaction reaction) {
  handlers_[{window, message}].reactions.push_back(std::move(reaction));
}

void FakeDesktop::AnswerMessage(WindowHandle window, unsigned message, Answer answer) {
  handlers_[{window, message}].answer = std::move(answer);
}

void FakeDesktop::ClearReactions(WindowHandle window) {
  for (auto it = handlers_.begin(); it != handlers_.end();) {
    it = it->first.first == window ? handlers_.erase(it) : std::next(it);
  }
}

void FakeDesktop::Submit(WindowHandle input, WindowHandle view, const std::string& prefix) {
  const std::string line = Text(input);
  if (line.empty() || !Exists(input)) return;
  submitted_[input].push_back(line);
  SetText(input, {});
  if (view != kNoWindow) AppendLine(view, prefix + line);
}

void FakeDesktop::SubmitOnEnter(WindowHandle input, WindowHandle view, std::string prefix) {
  OnMessage(input, msg::kKeyUp, [this, input, view, prefix](const RecordedMessage& message) {
    if (message.wparam == kVkReturn) Submit(input, view, prefix);
  });
}

void FakeDesktop::SubmitOnClick(WindowHandle button, WindowHandle input, WindowHandle view, std::string prefix) {
  OnMessage(button, msg::kButtonClick,
            [this, input, view, prefix](const RecordedMessage&) { Submit(input, view, prefix); });
}

void FakeDesktop::CloseOnClick(WindowHandle button, WindowHandle dialog, std::uint32_t delay_ms) {
  OnMessage(button, msg::kButtonClick, [this, dialog, delay_ms](const RecordedMessage&) {
    if (delay_ms == 0) {
      Destroy(dialog);
    } else {
      loop_.ScheduleAfter(delay_ms, [this, dialog] { Destroy(dialog); });
    }
  });
}

std::vector<std::string> FakeDesktop::Submitted(WindowHandle input) const {
  auto it = submitted_.find(input);
  return it == submitted_.end() ? std::vector<std::string>() : it->second;
}

// ---------------------------------------------------------------- the client

WaitingRoomWindows FakeDesktop::CreateWaitingRoom(std::string title, bool behaviours) {
  WaitingRoomWindows room;
  room.window = CreateTopLevel("#32770", std::move(title));
  const ControlKind kinds[13] = {
      ControlKind::kStatic,        ControlKind::kComboBox, ControlKind::kListBox, ControlKind::kMultiLineEdit,
      ControlKind::kStatic,        ControlKind::kSingleLineEdit, ControlKind::kButton, ControlKind::kButton,
      ControlKind::kButton,        ControlKind::kButton,   ControlKind::kButton,  ControlKind::kStatic,
      ControlKind::kStatic};
  const char* const texts[13] = {"部屋", "", "", "", "チャット", "", "送信", "対局", "卓作成",
                                 "設定", "観戦", "状態", ""};
  for (int n = 0; n < 13; ++n) room.child[n] = CreateChild(room.window, kinds[n], texts[n]);
  room.room_selector = room.child[1];
  room.table_list = room.child[2];
  room.chat_view = room.child[3];
  room.chat_input = room.child[5];
  room.send_button = room.child[6];
  room.spectate_button = room.child[10];
  room.reservation = room.child[12];
  if (behaviours) SubmitOnClick(room.send_button, room.chat_input, room.chat_view, "me\t>");
  return room;
}

GameMainWindows FakeDesktop::CreateGameMainWindow(std::string title, bool behaviours) {
  GameMainWindows game;
  game.window = CreateTopLevel("KatuGameMjMain", std::move(title));
  game.chat_view = CreateChild(game.window, ControlKind::kMultiLineEdit);
  game.chat_input = CreateChild(game.window, ControlKind::kSingleLineEdit);
  if (behaviours) SubmitOnEnter(game.chat_input, game.chat_view, "me>");
  return game;
}

DialogWindows FakeDesktop::CreateConnectDialog() {
  DialogWindows dialog;
  dialog.window = CreateTopLevel("#32770", "東風荘－接続");
  const ControlKind kinds[10] = {ControlKind::kStatic, ControlKind::kSingleLineEdit, ControlKind::kStatic,
                                 ControlKind::kSingleLineEdit, ControlKind::kButton, ControlKind::kButton,
                                 ControlKind::kStatic, ControlKind::kButton, ControlKind::kButton,
                                 ControlKind::kButton};
  const char* const texts[10] = {"名前", "", "パスワード", "", "保存", "登録", "", "設定", "接続", "中止"};
  for (int n = 0; n < 10; ++n) dialog.child.push_back(CreateChild(dialog.window, kinds[n], texts[n]));
  return dialog;
}

DialogWindows FakeDesktop::CreateMessageDialog(std::string title, std::string message, bool behaviours) {
  DialogWindows dialog;
  dialog.window = CreateTopLevel("#32770", std::move(title));
  dialog.child.push_back(CreateChild(dialog.window, ControlKind::kButton, "OK"));
  dialog.child.push_back(CreateChild(dialog.window, ControlKind::kStatic, std::move(message)));
  if (behaviours) CloseOnClick(dialog.child[0], dialog.window);
  return dialog;
}

// ---------------------------------------------------------------- record

std::vector<RecordedMessage> FakeDesktop::MessagesTo(WindowHandle window) const {
  std::vector<RecordedMessage> out;
  for (const RecordedMessage& entry : record_) {
    if (entry.window == window) out.push_back(entry);
  }
  return out;
}

std::vector<RecordedMessage> FakeDesktop::MessagesTo(WindowHandle window, unsigned message) const {
  std::vector<RecordedMessage> out;
  for (const RecordedMessage& entry : record_) {
    if (entry.window == window && entry.message == message && entry.kind != RecordedMessage::Kind::kForeground) {
      out.push_back(entry);
    }
  }
  return out;
}

}  // namespace tamiru::platform::fake
