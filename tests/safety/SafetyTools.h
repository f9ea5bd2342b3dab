// The maps the safety tests work on, and what a run left in a folder.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace safety {

// Every file's bytes in the folder (not descending), by name.
std::map<std::string, std::string> Snapshot(const std::filesystem::path& folder);

// Names in the folder that none of the expected names and patterns explain:
// what a write left behind.
std::vector<std::string> Leftovers(const std::filesystem::path& folder, const std::vector<std::string>& expected);

// A small georeferenced map (plane system IX): a frame, a layer "地物" with
// the fields 名前 and 値 and three paths, one of them selected, and a text.
std::string WriteSmallMap(const std::filesystem::path& path);
// A map with many points, so that loading and saving it take a while.
std::string WriteLargeMap(const std::filesystem::path& path, int points);

}  // namespace safety
