#pragma once
// Typing lines into the game client's chat: the input control gets the text,
// then the line is submitted as a user would (Enter at a table, the send
// button in the waiting room). The chat target is looked up afresh by every
// operation and again after every pause.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/controls.h"
#include "platform/event_loop.h"
#include "platform/window_system.h"

namespace tamiru::game {

// A line goes to the client through a 256-byte buffer: at most 255 bytes.
inline constexpr std::size_t kLineBufferBytes = 256;
// "/i " and "/t " lines are spaced this far apart so that the service
// accepts each of them.
inline constexpr std::uint32_t kCommandPauseMs = 5500;
// How long a send waits for the client to empty its input after a line;
// a client that takes longer is treated as not taking lines any more.
inline constexpr std::uint32_t kEmptyInputBoundMs = 10000;

// The line as it fits the client's buffer: up to the first NUL byte, and at
// most 255 bytes, cut before a double-byte character that would not fit.
std::string_view FitLineBuffer(std::string_view line);

// Where the names and texts of the main window come from. The lists are read
// by position at the moment each line is built.
struct NameSources {
  const platform::ItemList& left_list;   // ListBox1, the friend list
  const platform::ItemList& right_list;  // ListBox2, the selection list
  const platform::Edit& name_edit;       // Edit2
  const platform::Edit& chat_line;       // ComboBox1
  std::string ignore_list_path;          // File2
};

struct ChatSendContext {
  platform::WindowSystem& windows;
  platform::EventLoop& loop;
};

// Kinds of SendNameCommand.
namespace name_kind {
inline constexpr int kWhereSelected = 1;   // "/w " + each item of ListBox2
inline constexpr int kRankSelected = 2;    // "/r " + each item of ListBox2
inline constexpr int kIgnoreFile = 3;      // "/i " + each line of File2
inline constexpr int kTellSelected = 4;    // "/t " + each item of ListBox2 + " " + chat line
inline constexpr int kIgnoreEdit = 5;      // "/i " + Edit2
inline constexpr int kWhereFriends = 6;    // "/w " + each item of ListBox1
inline constexpr int kRankFriends = 7;     // "/r " + each item of ListBox1
inline constexpr int kTellFriends = 8;     // "/t " + each item of ListBox1 + " " + chat line
}  // namespace name_kind

// Kinds of SendSimpleCommand: 1 "/chaton", 2 "/chatoff", 3 "/l", 4 "/h"
// (game main window only), 5 the chat line (either target).
namespace simple_kind {
inline constexpr int kChatOn = 1;
inline constexpr int kChatOff = 2;
inline constexpr int kList = 3;
inline constexpr int kHide = 4;
inline constexpr int kChatLine = 5;
}  // namespace simple_kind

// One command line per name, each submitted and awaited. Kind 3 throws
// FileOpenError when File2 cannot be opened, before anything is sent.
void SendNameCommand(const ChatSendContext& context, const NameSources& sources, int kind);

// One line with the posted submit; `chat_line_text` is used by kind 5.
void SendSimpleCommand(platform::WindowSystem& windows, int kind, std::string_view chat_line_text);

// The caller's text as one line, to either target, with the posted submit.
void SendChatText(platform::WindowSystem& windows, std::string_view text);

}  // namespace tamiru::game
