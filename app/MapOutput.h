// Guards for a command's outputs: none of them may be the map it reads.
#pragma once

#include <string>
#include <vector>

namespace kzmap {

// Whether the two paths name one file: the same file after links are
// followed, or the same path once made absolute when neither exists yet.
bool SameFile(const std::string& a, const std::string& b);

// The first of the outputs that would replace the map; empty when none.
std::string OutputThatIsMap(const std::string& map, const std::vector<std::string>& outputs);

// The files a Shapefile export to OUT writes or replaces: the .shp (the
// extension of OUT replaced) and its companions.
std::vector<std::string> ShapefileSet(const std::string& out);

}  // namespace kzmap
