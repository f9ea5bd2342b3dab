// The comma-separated cells of a line of a CSV file made by GDAL for a test
// (no quoted commas), without its line end.
#pragma once

#include <sstream>
#include <string>
#include <vector>

namespace kztest {

inline std::vector<std::string> CsvCells(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::vector<std::string> cells;
  std::istringstream in(line);
  for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
  if (!line.empty() && line.back() == ',') cells.emplace_back();
  return cells;
}

}  // namespace kztest
