// Coordinate references as the tool's options write them: "jgd2000:" or
// "tokyo:" followed by "bl" (decimal degrees), "xy1".."xy19" (plane
// rectangular system) or "utm1".."utm60".
#pragma once

#include <optional>
#include <string>

#include "geodesy/CoordRef.h"

namespace CLI {
class Validator;
}

namespace kzmap {

std::optional<CoordRef> ParseCoordRef(const std::string& text);

// The option check: a text that names no reference is a usage error.
CLI::Validator CoordRefCheck();

// The help line that describes the form.
inline constexpr const char* kCoordRefHelp =
    "REF is jgd2000: or tokyo: followed by bl (decimal degrees), xy1..xy19 (plane rectangular system) or "
    "utm1..utm60.";

}  // namespace kzmap
