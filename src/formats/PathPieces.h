// A part too long for one path is drawn as several pieces, each starting at
// the anchor where the one below it ends. The tag marks every piece after
// the first, so that export joins them into the one part the file had and
// never joins parts that the file kept apart.
#pragma once

inline constexpr const char* kPathContinuesTag = "KzContinuesPath";

// The group drawn for one record of a MultiPoint file: export writes it back
// as one record of several points, or as one point per mark.
inline constexpr const char* kMultiPointGroupTag = "KzMultiPoint";
