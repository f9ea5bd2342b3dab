// The published parameter files are text. TKY2JGD: two header lines, then one
// cell per line, "meshcode dB dL"; the plug-in reads its binary form, and this
// turns the one into the other. The earthquake corrections of the same family
// (JGD2000 to JGD2011) have sixteen header lines and the same cell lines, some
// with a height shift after dL; the plug-in reads those as text.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "geodesy/DatumGrid.h"

constexpr size_t kTky2JgdHeaderLines = 2;
constexpr size_t kCorrectionHeaderLines = 16;

struct DatumGridTextResult {
  bool ok = false;
  size_t recordsWritten = 0;
  size_t errorLine = 0;  // 1-based line of the input that stopped the conversion
  std::string error;     // what went wrong, for the user
};

// Skips the two header lines, then writes one 20-byte record per cell line.
// Blank lines are skipped; any other line that is not an integer mesh code and
// two finite numbers stops the conversion.
DatumGridTextResult ConvertDatumGridText(std::FILE* text, std::FILE* binary);

// Reads an earthquake correction file: sixteen header lines, then cell lines
// "meshcode dB dL" with an optional dH, which is not used. Blank lines are
// skipped; any other line that does not parse stops the reading with the
// records read so far discarded.
DatumGridTextResult ReadCorrectionGridText(std::FILE* text, std::vector<GridRecord>& records);
