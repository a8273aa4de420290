#include "game/chat_send.h"

#include <vector>

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

// False when the input did not take the line (a client that does not answer
// within the bound): Enter then would send whatever the input still holds.
bool TypeAndSubmit(WindowSystem& windows, const ChatTarget& target, std::string_view line, Submit submit) {
  if (windows.SendSetText(target.input, FitLineBuffer(line)) == 0) return false;
  if (target.kind == ChatTargetKind::kGameMain) {
    Deliver(windows, target.input, platform::msg::kKeyDown, platform::kVkReturn, submit);
    Deliver(windows, target.input, platform::msg::kKeyUp, platform::kVkReturn, submit);
  } else if (target.send_button != platform::kNoWindow) {
    // A waiting room without its send button gets the text only: a message
    // to the null window would land in our own queue.
    Deliver(windows, target.send_button, platform::msg::kButtonClick, 0, submit);
  }
  return true;
}

// The names of a command, read by position as each line is built, so that a
// list edited during a pause is read as it is then.
class NameReader {
 public:
  NameReader(const NameSources& sources, NameSource source) : sources_(sources), source_(source) {
    if (source == NameSource::kIgnoreFile) file_lines_ = platform::ReadListFile(sources.ignore_list_path);
  }
  // The count the send is fixed to.
  int Count() const {
    if (const platform::ItemList* list = List()) return list->Count();
    if (source_ == NameSource::kIgnoreFile) return static_cast<int>(file_lines_.size());
    return 1;
  }
  // Name `i`; nullopt when a list lost it (items removed during a pause:
  // the positions past the new end are gone, and so is the rest of the send).
  std::optional<std::string> Name(int i) const {
    if (const platform::ItemList* list = List()) {
      if (i >= list->Count()) return std::nullopt;
      return list->Item(i);
    }
    if (source_ == NameSource::kIgnoreFile) return file_lines_[static_cast<std::size_t>(i)];
    return sources_.name_edit.Text();
  }

 private:
  const platform::ItemList* List() const {
    if (source_ == NameSource::kSelectionList) return &sources_.right_list;
    if (source_ == NameSource::kFriendList) return &sources_.left_list;
    return nullptr;
  }
  const NameSources& sources_;
  NameSource source_;
  std::vector<std::string> file_lines_;
};

// The next line must not overwrite one the client has not taken yet; a
// client that never empties its input is taken as taking no more lines.
bool AwaitEmptyInput(const ChatSendContext& context, const ChatTarget& target) {
  return platform::WaitUntil(context.loop, kEmptyInputBoundMs, [&] {
    return context.windows.SendMessage(target.input, platform::msg::kEditLineLength, 0, 0) == 0;
  });
}

bool TakesNames(const ChatCommand& command) {
  switch (command.names) {
    case NameSource::kSelectionList:
    case NameSource::kFriendList:
    case NameSource::kIgnoreFile:
    case NameSource::kNameEdit:
      return true;
    default:
      return false;
  }
}

}  // namespace

std::string_view FitLineBuffer(std::string_view line) {
  return text::CutAtCharBoundary(text::AsBuffered(line, line.size() + 1), kLineMaxBytes);
}

std::optional<std::string> ComposeLine(const ChatCommand& command, std::string_view name, std::string_view text) {
  std::string line(command.prefix);
  line += name;
  if (command.tell) line.append(" ").append(text);
  if (line.size() <= command.max_bytes) return line;
  if (command.overlong == Overlong::kRefuse) return std::nullopt;
  return std::string(text::CutAtCharBoundary(line, command.max_bytes));
}

bool SendCommandAndAwaitInput(const ChatSendContext& context, const ChatTarget& target, const ChatCommand& command,
                              std::string_view name) {
  const std::optional<std::string> line = ComposeLine(command, name);
  if (!line) return true;
  return TypeAndSubmit(context.windows, target, *line, Submit::kAwaited) && AwaitEmptyInput(context, target);
}

void SendNameCommand(const ChatSendContext& context, const NameSources& sources, const ChatCommand& command) {
  if (!TakesNames(command)) return;
  ChatTarget target = FindChatControls(context.windows);
  if (target.kind == ChatTargetKind::kNone) return;

  const NameReader names(sources, command.names);
  const int count = names.Count();
  for (int i = 0; i < count; ++i) {
    const std::optional<std::string> name = names.Name(i);
    if (!name) return;
    // The tell's text is the chat line as it is now: the user may change it
    // during a pause.
    const std::optional<std::string> line =
        ComposeLine(command, *name, command.tell ? sources.chat_line.Text() : std::string());
    if (!line) continue;
    if (!TypeAndSubmit(context.windows, target, *line, Submit::kAwaited)) return;

    if (command.pauses && count - i >= 2) {
      context.loop.WaitWithMessages(kCommandPauseMs);
      // The client may have closed or moved from the table to the waiting
      // room during the pause.
      target = FindChatControls(context.windows);
      if (target.kind == ChatTargetKind::kNone) return;
    }
    if (!AwaitEmptyInput(context, target)) return;
  }
}

void SendSimpleCommand(WindowSystem& windows, const ChatCommand& command, std::string_view chat_line_text) {
  if (command.names != NameSource::kNone && command.names != NameSource::kChatLine) return;
  const ChatTarget target = FindChatControls(windows);
  if (target.kind == ChatTargetKind::kNone) return;
  if (command.table_only && target.kind != ChatTargetKind::kGameMain) return;
  const std::string_view name = command.names == NameSource::kChatLine ? chat_line_text : std::string_view();
  if (const std::optional<std::string> line = ComposeLine(command, name)) {
    TypeAndSubmit(windows, target, *line, Submit::kPosted);
  }
}

void SendCommandForName(WindowSystem& windows, const ChatCommand& command, std::string_view name,
                        std::string_view text) {
  if (const std::optional<std::string> line = ComposeLine(command, name, text)) SendChatText(windows, *line);
}

void SendChatText(WindowSystem& windows, std::string_view text) {
  const ChatTarget target = FindChatControls(windows);
  if (target.kind == ChatTargetKind::kNone) return;
  TypeAndSubmit(windows, target, text, Submit::kPosted);
}

}  // namespace tamiru::game
