#pragma once
// CaptureChat: reads the client's chat view, finds the lines added since the
// previous capture, aligns the speakers' names, sounds the keyword alert and
// appends the lines to the month's chat log.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "chatlog/chat_lines.h"
#include "chatlog/notices.h"
#include "platform/event_loop.h"
#include "platform/system.h"
#include "platform/window_system.h"

namespace tamiru::chatlog {

// Which chat view the last capture read.
inline constexpr std::int32_t kSourceWaitingRoom = 0;
inline constexpr std::int32_t kSourceGameMain = 1;

// The capture's state, held by the main window, not saved between runs.
// Line numbers count the lines of the chat text (runs ending in LF, and the
// last line without one), so a view that wraps long lines on screen, or
// reports its line positions in characters rather than bytes, still has
// every line logged once.
struct CaptureState {
  std::int32_t LastChatSource = 0;  // 1 = game main window, 0 = waiting room
  std::int32_t NextChatLine = 1;    // first line the next capture handles
  std::int32_t ChatEndIndex = 0;    // 0 until a capture has read since a restart
  bool EmptyViewRead = false;       // the view was read empty since the restart
};

struct CaptureSettings {
  std::int32_t SaveChatLog = 0;
  std::int32_t ChatLogFormat = 0;
  std::int32_t Keyword = 0;
  std::int32_t Notify = 0;        // a keyword hit is told as a balloon too
  std::int32_t FriendNotice = 0;  // a friend's connection notice is told
};

struct CaptureContext {
  platform::WindowSystem& windows;
  platform::EventLoop& loop;  // local time and the system's date format
  platform::Sound& sound;
  const std::vector<std::string>& KeywordList;
  std::string alert_sound_path;  // call.wav beside the executable
  // Folder of the log files; empty = the current directory. When not empty
  // it ends in its separator.
  std::string log_folder;
  // The friend list (ListBox1's items), and where the notices go.
  const std::vector<std::string>* friends = nullptr;
  std::function<void(const ChatNotice&)> notify;
};

// What one capture did, for its callers' tests and measurements.
struct CaptureOutcome {
  bool read = false;             // the chat text was read
  std::size_t lines_handled = 0; // new lines walked
  std::size_t lines_logged = 0;  // records appended (or meant to be)
  std::size_t alerts = 0;        // keyword sounds started
  std::size_t arrivals = 0;      // friends' connections told
  bool log_failed = false;       // the log file could not be opened or written
};

// The whole text of a chat view, however long, read into `buffer`, which the
// caller keeps from one read to the next: a read asks for nothing but the
// text while the buffer holds it with room to spare, and the buffer grows to
// the view's length when the text fills it. Returns the text's length at the
// buffer's start, with at least two bytes of the buffer free behind it;
// nullopt when the view does not answer (missing, or hung past the window
// layer's bound).
std::optional<std::size_t> ReadChatText(platform::WindowSystem& windows, platform::WindowHandle view,
                                        std::string& buffer);

// The path of the log record's file for `time`: log_folder + "LOGyymm.txt".
std::string ChatLogPath(const std::string& log_folder, const platform::LocalTime& time);

// One capture. Does nothing when neither the game main window nor the
// waiting room is open. A log file that cannot be opened loses only this
// capture's records: the state moves on and the keyword alert sounds as usual.
// A friend's connection notice plays the alert and is told once, when its
// line is new: never for the lines a capture reads from the top (the first,
// or one after the view was cleared or the chat changed windows), which
// were there before.
CaptureOutcome CaptureChat(CaptureState& state, const CaptureSettings& settings,
                           const CaptureContext& context);

}  // namespace tamiru::chatlog
