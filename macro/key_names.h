#pragma once
// Display names of the keys a macro can be bound to.
#include <string>
#include <string_view>

namespace tamiru::macro {

// Turns a key code text (two uppercase hexadecimal digits, as the macro editor
// captures it: "0D", "70", "BA") into the key's display name ("Enter", "F1",
// ":"). The match is exact and case-sensitive over the whole text; a text
// without a row comes back unchanged ("5B" stays "5B", "0d" stays "0d").
std::string KeyCodeToName(std::string_view key_code_text);

}  // namespace tamiru::macro
