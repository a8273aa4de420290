#pragma once
// The current opponents: the players of the most recent game that the score
// file shows as started and not finished, less the user's own handles.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "stats/score_records.h"

namespace tamiru::stats {

// One handle per seat, in the order of the markers " [1]" to " [4]"; empty
// when no handle was read for the seat.
using TablePlayers = std::array<std::string, 4>;

// The seats read from the file's bytes: scans the lines from the last one
// towards the second (the first line is never tested) and stops at the first
// game start line (1, seats read) or game end line (0). 0 also when neither
// is found. `players` changes only when the result is 1.
// `block_bytes`: the size of the blocks the scan takes from the end, which
// changes nothing in the result.
inline constexpr std::size_t kTailBlockBytes = 64 * 1024;
int ReadTablePlayersFromBytes(std::string_view file_bytes, TablePlayers& players,
                              std::size_t block_bytes = kTailBlockBytes);

// The same on the file at `path`, reading only its tail in blocks from the
// end. 0 when it cannot be opened or read.
int ReadTablePlayers(const std::string& path, TablePlayers& players);

// The seats' handles to ask about, in seat order: those that are neither
// empty nor one of the user's own.
std::vector<std::string> OpponentHandles(const TablePlayers& players, const UserNames& user_names);

}  // namespace tamiru::stats
