#pragma once
// What the chat capture tells the notification area: a keyword hit as the
// chat showed it, a friend's connection; and the gate that gathers notices
// coming faster than a balloon can show them.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tamiru::chatlog {

// The most a balloon's text holds (NOTIFYICONDATAA's szInfo, its zero aside).
inline constexpr std::size_t kBalloonTextBytes = 255;
inline constexpr std::string_view kFriendArrivedText = " さんが接続しました";
inline constexpr std::string_view kKeywordBalloonTitle = "キーワード";
inline constexpr std::string_view kFriendBalloonTitle = "友達の接続";

enum class NoticeKind { kKeyword, kFriend };

struct ChatNotice {
  NoticeKind kind = NoticeKind::kKeyword;
  std::string text;  // cut to kBalloonTextBytes at a character boundary
};

// The friend-list entry whose connection notice `line` is: the line, without
// its line break, is exactly that name followed by "：<<接続>>" (the search
// Shift_JIS-aware, the name compared byte for byte). None for a line that
// only holds the notice inside a chat message, or a name that is not in
// the list (a prefix of one included).
std::optional<std::string> ArrivingFriend(std::string_view line, const std::vector<std::string>& friends);

// "<name> さんが接続しました", cut to fit a balloon.
std::string FriendArrivalText(std::string_view name);

// A chat line as a balloon shows it: without its line break, a TAB as a
// space, cut at a character boundary to kBalloonTextBytes.
std::string BalloonText(std::string_view line);

// One balloon at a time: a notice that comes while the last balloon still
// shows (within `show_ms`) is gathered, and the gathered ones go out as one
// balloon, the latest text and "他 N 件" for the others, at the first check
// after the showing one has had its time. Nothing waits longer than that.
class BalloonGate {
 public:
  static constexpr std::uint32_t kShowMs = 5000;
  explicit BalloonGate(std::uint32_t show_ms = kShowMs) : show_ms_(show_ms) {}
  // The notice's text to show now, or nullopt when it was gathered.
  std::optional<std::string> Offer(const std::string& text, std::uint32_t now_ms);
  // The gathered notices' balloon, once it is due; nullopt otherwise.
  std::optional<std::string> Due(std::uint32_t now_ms);

 private:
  bool Showing(std::uint32_t now_ms) const { return shown_ && now_ms - shown_at_ms_ < show_ms_; }
  std::uint32_t show_ms_;
  bool shown_ = false;
  std::uint32_t shown_at_ms_ = 0;
  std::string latest_;
  std::size_t gathered_ = 0;
};

}  // namespace tamiru::chatlog
