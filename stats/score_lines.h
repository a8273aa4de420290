#pragma once
// The lines of the score file that its readers recognise, each rule once:
// a record's header and results header for the statistics, a game's start
// and end lines for the opponent lookup.
#include <string_view>

#include "stats/line_piece.h"

namespace tamiru::stats {

inline constexpr std::string_view kHeaderOpen = "===== ";
inline constexpr std::string_view kHeaderClose = " =====";
inline constexpr std::string_view kChatCentre = "チャット中心";
inline constexpr std::string_view kResultsHeader = "  ---- 試合結果 ----";
inline constexpr std::string_view kGameStartMark = "  持点27000";
inline constexpr std::string_view kEndOpen = "----- ";
inline constexpr std::string_view kEndClose = " -----";
inline constexpr std::string_view kEndWord = " 終了 ";

// A piece with both marks of a record's header, whatever kind it names.
inline bool IsHeaderLine(std::string_view piece) {
  if (!HoldsPlain(piece, kHeaderOpen)) return false;
  // A header ends with its closing mark: look there before searching it all.
  return piece.ends_with(kHeaderClose) || HoldsPlain(piece, kHeaderClose);
}

inline bool IsGameStartLine(std::string_view piece) { return HoldsSjis(piece, kGameStartMark); }

inline bool IsGameEndLine(std::string_view piece) {
  return HoldsPlain(piece, kEndOpen) && HoldsPlain(piece, kEndClose) && HoldsSjis(piece, kEndWord);
}

}  // namespace tamiru::stats
