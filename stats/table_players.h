#pragma once
// Looking up the current opponents: the players of the most recent game that
// the score file shows as started and not finished, each asked about with
// "/w " and "/r " in the game client's chat.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "game/chat_send.h"
#include "platform/event_loop.h"
#include "platform/window_system.h"
#include "stats/score_report.h"

namespace tamiru::stats {

// One handle per seat, in the order of the markers " [1]" to " [4]"; empty
// when no handle was read for the seat.
using TablePlayers = std::array<std::string, 4>;

// How long the lookup waits for the client to take each command (to empty
// its input), as every awaited send does; a client that takes longer gets no
// further commands.
inline constexpr std::uint32_t kLookupInputBoundMs = game::kEmptyInputBoundMs;

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

// With the game main window's chat input present and a game in progress,
// sends "/w " and "/r " for every seat's handle that is not one of the
// user's own, waiting after each for the client to empty its input. The
// seats are emptied again once the lookup got as far as sending.
void LookUpOpponents(platform::WindowSystem& windows, platform::EventLoop& loop, const std::string& path,
                     const UserNames& user_names, TablePlayers& players);

}  // namespace tamiru::stats
