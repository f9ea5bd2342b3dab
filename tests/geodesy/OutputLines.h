// What outside tools print, taken apart: lines, and the numbers on each line.
#pragma once

#include <string>
#include <vector>

namespace geodesytest {

// Every line of the text split into whitespace-separated numbers.
std::vector<std::vector<double>> NumbersByLine(const std::string& text);
std::vector<std::string> Lines(const std::string& text);

}  // namespace geodesytest
