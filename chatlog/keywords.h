#pragma once
// The keyword check of chat messages.
#include <string>
#include <string_view>
#include <vector>

namespace tamiru::chatlog {

// The number of entries of `keyword_list` that are not empty and occur in the
// message text of `aligned_message` (a chat message after AlignChatName,
// ending in its line break). The searched text runs from byte 16 (1-based),
// the first byte after the name column, to the end of the message without its
// line break, so the speaker's name is never searched. The search is
// Shift_JIS-aware (a match never starts on a trail byte; when byte 16 is the
// trail byte of a character it is skipped) and exact (no case or width
// folding). Each entry counts once however often it occurs. Messages and
// keywords of any length are handled whole.
int CountKeywordHits(std::string_view aligned_message, const std::vector<std::string>& keyword_list);

}  // namespace tamiru::chatlog
