// What the two Shapefile commands share: encoding names, the encoding a
// table declares, and a plain explanation of why a triple did not open.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

class CShapeFileReader;

namespace CLI {
class App;
class Option;
}  // namespace CLI

namespace kzmap {

// "sjis" is 17, "utf8" is 1, for every name EncodingName takes.
std::optional<int32_t> EncodingCodeOf(const std::string& name);

// An option NAME taking Shift-JIS or UTF-8 (by any of their names) into `code`.
CLI::Option* AddEncodingOption(CLI::App& app, const std::string& name, int32_t& code, const std::string& what);

// Why the reader could not open the triple at shpPath, naming the file.
std::string WhyNotOpened(const CShapeFileReader& reader, const std::string& shpPath);

// The encoding to read the table with: the one given (when not 0), else the
// one the .cpg or the table declares, else Shift-JIS.
int32_t TableEncoding(const CShapeFileReader& reader, int32_t given);

}  // namespace kzmap
