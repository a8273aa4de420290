#pragma once
// Feeds data to a reader in blocks of a given size, as the file reader does,
// giving back in front of the next block what the reader did not use; traps
// when the reader uses more than it was given or the carry grows.
#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>

template <typename Consume>
void FeedInBlocks(std::string_view data, std::size_t block, Consume consume) {
  std::string buffer;
  std::size_t next = 0;
  for (;;) {
    const std::size_t take = std::min(block, data.size() - next);
    buffer.append(data.substr(next, take));
    next += take;
    const bool at_end = next == data.size();
    const std::size_t used = consume(std::string_view(buffer), at_end);
    if (at_end) break;
    if (used > buffer.size()) __builtin_trap();
    buffer.erase(0, used);
    if (buffer.size() > 1024 + block) __builtin_trap();  // the carry stays small
  }
}
