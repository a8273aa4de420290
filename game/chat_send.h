#pragma once
// Typing lines into the game client's chat: the input control gets the text,
// then the line is submitted as a user would (Enter at a table, the send
// button in the waiting room). The chat target is looked up afresh by every
// operation and again after every pause.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "game/discovery.h"
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

// What follows a command's text on its line.
enum class NameSource {
  kNone,           // nothing: the command alone ("/chaton")
  kSelectionList,  // each item of ListBox2 in turn
  kFriendList,     // each item of ListBox1 in turn
  kIgnoreFile,     // each line of the File2 file, read afresh
  kNameEdit,       // the text of Edit2
  kChatLine,       // the chat line's text, with no command before it
  kGiven,          // one name the caller gives (a macro's argument)
};

// One chat command of the service as Tamiru sends it.
struct ChatCommand {
  std::string_view prefix;              // "/w ", "/chaton", ...
  NameSource names = NameSource::kNone;
  bool pauses = false;      // lines kCommandPauseMs apart, so the service takes each
  bool tell = false;        // " " and the chat line's text (or a given text) after the name
  bool table_only = false;  // sent only while the chat target is the game main window
};

namespace chat_command {
inline constexpr ChatCommand kWhereSelected{"/w ", NameSource::kSelectionList};
inline constexpr ChatCommand kRankSelected{"/r ", NameSource::kSelectionList};
inline constexpr ChatCommand kIgnoreFile{"/i ", NameSource::kIgnoreFile, true};
inline constexpr ChatCommand kTellSelected{"/t ", NameSource::kSelectionList, true, true};
inline constexpr ChatCommand kIgnoreEdit{"/i ", NameSource::kNameEdit};
inline constexpr ChatCommand kWhereFriends{"/w ", NameSource::kFriendList};
inline constexpr ChatCommand kRankFriends{"/r ", NameSource::kFriendList};
inline constexpr ChatCommand kTellFriends{"/t ", NameSource::kFriendList, true, true};
inline constexpr ChatCommand kChatOn{"/chaton", NameSource::kNone, false, false, true};
inline constexpr ChatCommand kChatOff{"/chatoff", NameSource::kNone, false, false, true};
inline constexpr ChatCommand kList{"/l", NameSource::kNone, false, false, true};
inline constexpr ChatCommand kHide{"/h", NameSource::kNone, false, false, true};
inline constexpr ChatCommand kChatLine{"", NameSource::kChatLine};
inline constexpr ChatCommand kWhereName{"/w ", NameSource::kGiven};
inline constexpr ChatCommand kRankName{"/r ", NameSource::kGiven};
inline constexpr ChatCommand kIgnoreName{"/i ", NameSource::kGiven};
inline constexpr ChatCommand kTellName{"/t ", NameSource::kGiven, false, true};
}  // namespace chat_command

// A line for one given name: "/w ", "/r " and "/i " lines hold at most
// kNameLineMaxBytes (a longer name is no player's, and a cut one might be
// another's: nullopt, nothing is sent); a "/t " line is cut to
// kTellLineMaxBytes at a character boundary.
inline constexpr std::size_t kNameLineMaxBytes = 19;
inline constexpr std::size_t kTellLineMaxBytes = 99;
std::optional<std::string> ComposeLineForName(const ChatCommand& command, std::string_view name,
                                              std::string_view text);

// A command whose names come from a list, Edit2 or the ignore file: one line
// per name, each submitted and awaited. The ignore file's command throws
// FileOpenError when File2 cannot be opened, before anything is sent.
void SendNameCommand(const ChatSendContext& context, const NameSources& sources, const ChatCommand& command);

// A command of one line with the posted submit: the command alone, or the
// chat line's text (`chat_line_text`).
void SendSimpleCommand(platform::WindowSystem& windows, const ChatCommand& command, std::string_view chat_line_text);

// The command for one given name (and, for a tell, its text) as one line
// with the posted submit; nothing when ComposeLineForName refuses it.
void SendCommandForName(platform::WindowSystem& windows, const ChatCommand& command, std::string_view name,
                        std::string_view text = {});

// The caller's text as one line, to either target, with the posted submit.
void SendChatText(platform::WindowSystem& windows, std::string_view text);

// Types `line` into `target` with the awaited submit, then waits until the
// client has emptied its input: false when the input did not take the line,
// or was not emptied within kEmptyInputBoundMs (a client that takes no more
// lines).
bool SendLineAndAwaitInput(const ChatSendContext& context, const ChatTarget& target, std::string_view line);

}  // namespace tamiru::game
