#include "OutputLines.h"

#include <sstream>

namespace geodesytest {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  std::string line;
  while (std::getline(stream, line)) lines.push_back(line);
  return lines;
}

std::vector<std::vector<double>> NumbersByLine(const std::string& text) {
  std::vector<std::vector<double>> rows;
  for (const std::string& line : Lines(text)) {
    std::istringstream stream(line);
    std::vector<double> numbers;
    double value = 0;
    while (stream >> value) numbers.push_back(value);
    rows.push_back(numbers);
  }
  return rows;
}

}  // namespace geodesytest
