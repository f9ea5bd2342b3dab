// The published TKY2JGD parameter file is text: two header lines, then one
// cell per line, "meshcode dB dL". The plug-in reads the binary form; this
// turns the one into the other.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

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
