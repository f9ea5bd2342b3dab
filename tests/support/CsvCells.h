// Reading the comma-separated files GDAL and the label export make for a
// test (no quoted commas).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kztest {

// The cells of a line, without its line end.
inline std::vector<std::string> CsvCells(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  std::vector<std::string> cells;
  std::istringstream in(line);
  for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
  if (!line.empty() && line.back() == ',') cells.emplace_back();
  return cells;
}

// A label of a comma-separated label export: its text (the last column)
// and the two coordinates it starts with (northing or latitude first).
struct ExportedLabel {
  std::string text;
  double first = 0, second = 0;
};

inline std::vector<ExportedLabel> ReadExportedLabels(const std::filesystem::path& file) {
  std::vector<ExportedLabel> labels;
  std::ifstream csv(file);
  std::string header;
  EXPECT_TRUE(std::getline(csv, header)) << file;
  const std::vector<std::string> columns = CsvCells(header);
  EXPECT_TRUE(!columns.empty() && columns.back() == "AI_TEXT") << header;
  for (std::string line; std::getline(csv, line);) {
    const std::vector<std::string> cells = CsvCells(line);
    EXPECT_EQ(cells.size(), columns.size()) << line;
    if (cells.size() < 3) continue;
    labels.push_back({cells.back(), std::stod(cells[0]), std::stod(cells[1])});
  }
  return labels;
}

}  // namespace kztest
