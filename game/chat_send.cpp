#include "game/chat_send.h"

#include <vector>

#include "game/discovery.h"
#include "platform/files.h"
#include "text/sjis.h"

namespace tamiru::game {

namespace {

using platform::WindowSystem;

enum class Submit { kAwaited, kPosted };

void Deliver(WindowSystem& windows, WindowHandle window, unsigned message, platform::WParam wparam, Submit submit) {
  if (submit == Submit::kAwaited) {
    windows.SendMessage(window, message, wparam, 0);
  } else {
    windows.PostMessage(window, message, wparam, 0);
  }
}

void TypeAndSubmit(WindowSystem& windows, const ChatTarget& target, std::string_view line, Submit submit) {
  windows.SendSetText(target.input, FitLineBuffer(line));
  if (target.kind == 1) {
    Deliver(windows, target.input, platform::msg::kKeyDown, platform::kVkReturn, submit);
    Deliver(windows, target.input, platform::msg::kKeyUp, platform::kVkReturn, submit);
  } else if (target.send_button != platform::kNoWindow) {
    // A waiting room without its send button gets the text only: a message
    // to the null window would land in our own queue.
    Deliver(windows, target.send_button, platform::msg::kButtonClick, 0, submit);
  }
}

std::string_view CommandText(int kind) {
  switch (kind) {
    case name_kind::kWhereSelected:
    case name_kind::kWhereFriends:
      return "/w ";
    case name_kind::kRankSelected:
    case name_kind::kRankFriends:
      return "/r ";
    case name_kind::kIgnoreFile:
    case name_kind::kIgnoreEdit:
      return "/i ";
    case name_kind::kTellSelected:
    case name_kind::kTellFriends:
      return "/t ";
    default:
      return {};
  }
}

bool IsTell(int kind) { return kind == name_kind::kTellSelected || kind == name_kind::kTellFriends; }
bool PausesBetweenLines(int kind) { return kind == name_kind::kIgnoreFile || IsTell(kind); }

}  // namespace

std::string_view FitLineBuffer(std::string_view line) {
  return text::CutAtCharBoundary(text::AsBuffered(line, line.size() + 1), kLineBufferBytes - 1);
}

void SendNameCommand(const ChatSendContext& context, const NameSources& sources, int kind) {
  const std::string_view command = CommandText(kind);
  if (command.empty()) return;
  ChatTarget target = FindChatControls(context.windows);
  if (target.kind == 0) return;

  // The count is fixed here; the names are read by position as each line is
  // built, so a list edited during a pause is read as it is then.
  const platform::ItemList* list = nullptr;
  std::vector<std::string> file_lines;
  int count = 0;
  switch (kind) {
    case name_kind::kWhereSelected:
    case name_kind::kRankSelected:
    case name_kind::kTellSelected:
      list = &sources.right_list;
      count = list->Count();
      break;
    case name_kind::kWhereFriends:
    case name_kind::kRankFriends:
    case name_kind::kTellFriends:
      list = &sources.left_list;
      count = list->Count();
      break;
    case name_kind::kIgnoreFile:
      file_lines = platform::ReadListFile(sources.ignore_list_path);
      count = static_cast<int>(file_lines.size());
      break;
    default:  // kIgnoreEdit
      count = 1;
      break;
  }

  for (int i = 0; i < count; ++i) {
    std::string line(command);
    if (list != nullptr) {
      // Items removed during a pause: the positions past the new end are
      // gone, and so is the rest of this send.
      if (i >= list->Count()) return;
      line += list->Item(i);
    } else if (kind == name_kind::kIgnoreFile) {
      line += file_lines[static_cast<std::size_t>(i)];
    } else {
      line += sources.name_edit.Text();
    }
    if (IsTell(kind)) {
      line += ' ';
      line += sources.chat_line.Text();
    }
    TypeAndSubmit(context.windows, target, line, Submit::kAwaited);

    if (PausesBetweenLines(kind) && count - i >= 2) {
      context.loop.WaitWithMessages(kCommandPauseMs);
      // The client may have closed or moved from the table to the waiting
      // room during the pause.
      target = FindChatControls(context.windows);
      if (target.kind == 0) return;
    }

    // The next line must not overwrite one the client has not taken yet. A
    // client that never empties its input ends the send here.
    const WindowHandle input = target.input;
    const bool emptied = platform::WaitUntil(context.loop, kEmptyInputBoundMs, [&] {
      return context.windows.SendMessage(input, platform::msg::kEditLineLength, 0, 0) == 0;
    });
    if (!emptied) return;
  }
}

void SendSimpleCommand(WindowSystem& windows, int kind, std::string_view chat_line_text) {
  static constexpr std::string_view kCommands[] = {"/chaton", "/chatoff", "/l", "/h"};
  if (kind < simple_kind::kChatOn || kind > simple_kind::kChatLine) return;
  const ChatTarget target = FindChatControls(windows);
  if (target.kind == 0) return;
  if (target.kind != 1 && kind != simple_kind::kChatLine) return;
  const std::string_view line = kind == simple_kind::kChatLine ? chat_line_text : kCommands[kind - 1];
  TypeAndSubmit(windows, target, line, Submit::kPosted);
}

void SendChatText(WindowSystem& windows, std::string_view text) {
  const ChatTarget target = FindChatControls(windows);
  if (target.kind == 0) return;
  TypeAndSubmit(windows, target, text, Submit::kPosted);
}

}  // namespace tamiru::game
