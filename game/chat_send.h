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
inline constexpr std::size_t kLineMaxBytes = kLineBufferBytes - 1;
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
  kTableSeats,     // the handles at the user's table, given one at a time
};

// What a line longer than its command's limit becomes.
enum class Overlong {
  kCut,     // cut at a character boundary
  kRefuse,  // not sent at all
};

// A "/w ", "/r " or "/i " line for a name the caller gives holds the longest
// player name (12 bytes) with room to spare; a longer name is no player's,
// and a cut one might be another's, so such a line is refused.
inline constexpr std::size_t kGivenNameLineMaxBytes = 19;
// The longest "/t " line for a name the caller gives, name and text.
inline constexpr std::size_t kGivenTellLineMaxBytes = 99;

// One chat command of the service as Tamiru sends it.
struct ChatCommand {
  std::string_view prefix;  // "/w ", "/chaton", ...
  NameSource names = NameSource::kNone;
  std::size_t max_bytes = kLineMaxBytes;  // the longest line sent
  Overlong overlong = Overlong::kCut;     // a longer line cut or refused
  bool pauses = false;      // lines kCommandPauseMs apart, so the service takes each
  bool tell = false;        // " " and the chat line's text (or a given text) after the name
  bool table_only = false;  // sent only while the chat target is the game main window
};

// The commands of the main window, its macros and the opponent lookup. Names
// taken from the lists, the ignore file, Edit2 and the score file go out as
// they are (a list file may hold names longer than a player's; the user chose
// them): only the client's buffer limits those lines. A name the caller gives
// is a macro's argument, checked against a player's name length.
namespace chat_command {
namespace prefix {
inline constexpr std::string_view kWhere = "/w ";
inline constexpr std::string_view kRank = "/r ";
inline constexpr std::string_view kIgnore = "/i ";
inline constexpr std::string_view kTell = "/t ";
}  // namespace prefix

inline constexpr ChatCommand kWhereSelected{.prefix = prefix::kWhere, .names = NameSource::kSelectionList};
inline constexpr ChatCommand kRankSelected{.prefix = prefix::kRank, .names = NameSource::kSelectionList};
inline constexpr ChatCommand kIgnoreFile{.prefix = prefix::kIgnore, .names = NameSource::kIgnoreFile,
                                         .pauses = true};
inline constexpr ChatCommand kTellSelected{.prefix = prefix::kTell, .names = NameSource::kSelectionList,
                                           .pauses = true, .tell = true};
inline constexpr ChatCommand kIgnoreEdit{.prefix = prefix::kIgnore, .names = NameSource::kNameEdit};
inline constexpr ChatCommand kWhereFriends{.prefix = prefix::kWhere, .names = NameSource::kFriendList};
inline constexpr ChatCommand kRankFriends{.prefix = prefix::kRank, .names = NameSource::kFriendList};
inline constexpr ChatCommand kTellFriends{.prefix = prefix::kTell, .names = NameSource::kFriendList,
                                          .pauses = true, .tell = true};
inline constexpr ChatCommand kChatOn{.prefix = "/chaton", .table_only = true};
inline constexpr ChatCommand kChatOff{.prefix = "/chatoff", .table_only = true};
inline constexpr ChatCommand kList{.prefix = "/l", .table_only = true};
inline constexpr ChatCommand kHide{.prefix = "/h", .table_only = true};
inline constexpr ChatCommand kChatLine{.prefix = "", .names = NameSource::kChatLine};
inline constexpr ChatCommand kWhereName{.prefix = prefix::kWhere, .names = NameSource::kGiven,
                                        .max_bytes = kGivenNameLineMaxBytes, .overlong = Overlong::kRefuse};
inline constexpr ChatCommand kRankName{.prefix = prefix::kRank, .names = NameSource::kGiven,
                                       .max_bytes = kGivenNameLineMaxBytes, .overlong = Overlong::kRefuse};
inline constexpr ChatCommand kIgnoreName{.prefix = prefix::kIgnore, .names = NameSource::kGiven,
                                         .max_bytes = kGivenNameLineMaxBytes, .overlong = Overlong::kRefuse};
inline constexpr ChatCommand kTellName{.prefix = prefix::kTell, .names = NameSource::kGiven,
                                       .max_bytes = kGivenTellLineMaxBytes, .tell = true};
inline constexpr ChatCommand kWhereSeat{.prefix = prefix::kWhere, .names = NameSource::kTableSeats};
inline constexpr ChatCommand kRankSeat{.prefix = prefix::kRank, .names = NameSource::kTableSeats};
}  // namespace chat_command

// The one composer of every command line: the prefix, then the name (for
// kChatLine the chat line's text, for a command alone nothing), then for a
// tell one space and `text`; held to the command's limit. nullopt when the
// command refuses a line that long: nothing is sent for it.
std::optional<std::string> ComposeLine(const ChatCommand& command, std::string_view name,
                                       std::string_view text = {});

// A command whose names come from a list, Edit2 or the ignore file: one line
// per name, each submitted and awaited. The ignore file's command throws
// FileOpenError when File2 cannot be opened, before anything is sent.
void SendNameCommand(const ChatSendContext& context, const NameSources& sources, const ChatCommand& command);

// A command of one line with the posted submit: the command alone, or the
// chat line's text (`chat_line_text`).
void SendSimpleCommand(platform::WindowSystem& windows, const ChatCommand& command, std::string_view chat_line_text);

// The command for one given name (and, for a tell, its text) as one line
// with the posted submit; nothing when ComposeLine refuses it.
void SendCommandForName(platform::WindowSystem& windows, const ChatCommand& command, std::string_view name,
                        std::string_view text = {});

// The caller's text as one line, to either target, with the posted submit.
void SendChatText(platform::WindowSystem& windows, std::string_view text);

// The command's line for `name` typed into `target` with the awaited submit,
// then a wait until the client has emptied its input: false when the input
// did not take the line, or was not emptied within kEmptyInputBoundMs (a
// client that takes no more lines). A line the command refuses is not sent,
// and the send goes on (true).
bool SendCommandAndAwaitInput(const ChatSendContext& context, const ChatTarget& target, const ChatCommand& command,
                              std::string_view name);

}  // namespace tamiru::game
