// Names and limits shared by the document file's writer, reader and upgrade.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "host/HostTypes.h"

namespace sim {

// Art trees and dictionary values nest at most this deep in a file.
inline constexpr size_t kMaxDocumentDepth = 256;

inline constexpr std::array<std::string_view, 3> kCapNames{"butt", "round", "projecting"};
inline constexpr std::array<std::string_view, 3> kJoinNames{"miter", "round", "bevel"};
inline constexpr std::array<std::string_view, 3> kJustificationNames{"left", "right", "center"};
inline constexpr std::array<std::string_view, 2> kOrientationNames{"horizontal", "vertical"};
inline constexpr std::array<std::string_view, 3> kFrameTypeNames{"point", "inPath", "onPath"};

// Names of the art types in files; other types are written as "other" with
// their number.
std::string_view ArtTypeName(AIArtType type);
// The type of a name, or kUnknownArt.
AIArtType ArtTypeOfName(std::string_view name);

}  // namespace sim
