// Text from a map (layer titles, field names and values) as the tool prints
// it: whatever the map holds, it cannot move the cursor, recolour or clear
// the terminal, or split a line.
#pragma once

#include <string>

namespace kzmap {

// The UTF-8 text with control characters escaped: "\t", "\n", "\r", "\\"
// for tab, line feed, carriage return and the backslash itself; "\xHH" for
// the other C0 controls, DEL and bytes that are not UTF-8; "\u{HHHH}" for
// the C1 controls and the bidirectional overrides that reorder what
// follows. Everything else is kept as it is.
std::string TerminalSafe(const std::string& text);

}  // namespace kzmap
