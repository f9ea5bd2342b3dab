// What the two Shapefile commands share: encoding names and a plain
// explanation of why a triple did not open.

#include <cstdint>
#include <optional>
#include <string>

namespace kzmap {

// "sjis" is 17, "utf8" is 1.
std::optional<int32_t> EncodingCodeOf(const std::string& name);

// Why CShapeFileReader could not open the triple at shpPath.
std::string WhyNotOpened(const std::string& shpPath);

}  // namespace kzmap
