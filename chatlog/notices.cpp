#include "chatlog/notices.h"

#include "chatlog/chat_lines.h"
#include "text/number.h"
#include "text/sjis.h"

namespace tamiru::chatlog {

namespace {

std::string_view WithoutLineBreak(std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  return line;
}

std::string Fitted(std::string_view text) { return std::string(text::CutAtCharBoundary(text, kBalloonTextBytes)); }

}  // namespace

std::optional<std::string> ArrivingFriend(std::string_view line, const std::vector<std::string>& friends) {
  const std::string_view bare = WithoutLineBreak(line);
  const std::size_t notice = text::FindSjis(bare, kConnectionNotice);
  if (notice == std::string_view::npos || notice == 0 || notice + kConnectionNotice.size() != bare.size()) {
    return std::nullopt;
  }
  const std::string_view name = bare.substr(0, notice);
  for (const std::string& entry : friends) {
    if (entry == name) return entry;
  }
  return std::nullopt;
}

std::string FriendArrivalText(std::string_view name) {
  const std::string_view fitted = text::CutAtCharBoundary(name, kBalloonTextBytes - kFriendArrivedText.size());
  return std::string(fitted) + std::string(kFriendArrivedText);
}

std::string BalloonText(std::string_view line) {
  std::string text(WithoutLineBreak(line));
  for (char& byte : text) {
    if (byte == '\t') byte = ' ';  // never a trail byte
  }
  return Fitted(text);
}

std::optional<std::string> BalloonGate::Offer(const std::string& text, std::uint32_t now_ms) {
  if (Showing(now_ms) || gathered_ > 0) {
    latest_ = text;
    ++gathered_;
    return Due(now_ms);
  }
  shown_ = true;
  shown_at_ms_ = now_ms;
  return text;
}

std::optional<std::string> BalloonGate::Due(std::uint32_t now_ms) {
  if (gathered_ == 0 || Showing(now_ms)) return std::nullopt;
  std::string others;
  if (gathered_ > 1) others = "\n他 " + text::DecimalText(static_cast<long long>(gathered_ - 1)) + " 件";
  std::string text = std::string(text::CutAtCharBoundary(latest_, kBalloonTextBytes - others.size())) + others;
  gathered_ = 0;
  latest_.clear();
  shown_at_ms_ = now_ms;
  return text;
}

}  // namespace tamiru::chatlog
