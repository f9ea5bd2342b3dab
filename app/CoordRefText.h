// Coordinate references as the tool's options write them: "tokyo:",
// "jgd2000:", "jgd2011:" or "wgs84:" followed by "bl" (decimal degrees),
// "xy1".."xy19" (plane rectangular system) or "utm1".."utm60", in any case;
// or anything PROJ reads that names one of them: an EPSG code ("EPSG:6677"),
// a WKT text, or a .prj file.
#pragma once

#include <optional>
#include <string>

#include "app/Translate.h"
#include "geodesy/CoordRef.h"

namespace CLI {
class Validator;
}

namespace kzmap {

// Nothing, with the reason in problem, when the text names no reference the
// tool draws in. WGS 84 comes back as kDatumWgs84.
std::optional<CoordRef> ParseCoordRef(const std::string& text, std::string* problem = nullptr);

// The option check: a text that names no reference is a usage error.
CLI::Validator CoordRefCheck();

// The tool's own form of a reference ("jgd2011:xy9").
std::string CoordRefText(const CoordRef& ref);

// The help line that describes the form.
inline constexpr const char* kCoordRefHelp = TrLater(
    "REF is tokyo:, jgd2000:, jgd2011: or wgs84: followed by bl (decimal degrees), xy1..xy19 (plane rectangular "
    "system) or utm1..utm60 (UTM zone), or the EPSG code of one of them (EPSG:6677), or a .prj file or WKT text that "
    "names one. WGS 84 is taken as JGD2011 (they agree to about 1 m).");

// The note told once when a reference is WGS 84.
inline constexpr const char* kWgs84Note = TrLater("WGS 84 is taken as JGD2011 (they agree to about 1 m)");

}  // namespace kzmap
