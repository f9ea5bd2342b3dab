// What the two Shapefile commands share: encoding names and a plain
// explanation of why a triple did not open.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace kzmap {

// "sjis" is 17, "utf8" is 1.
std::optional<int32_t> EncodingCodeOf(const std::string& name);

// An option NAME taking "sjis" or "utf8" into `code`.
CLI::Option* AddEncodingOption(CLI::App& app, const std::string& name, int32_t& code, const std::string& what);

// Why CShapeFileReader could not open the triple at shpPath.
std::string WhyNotOpened(const std::string& shpPath);

}  // namespace kzmap
