// The column types of a coordinate text file as `kzmap import --columns`
// gives them, in file order: y (latitude or plane X), x (longitude or plane
// Y), string[:LEN], integer[:LEN], real[:LEN.DEC]. They become the user's
// choices in the field definition dialog, one double-click per column.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/DialogPlatform.h"

namespace kzmap {

struct TextColumn {
  enum class Type { String, Integer, Real, Y, X };
  Type type = Type::String;
  std::optional<int32_t> length;    // total digits, when given
  std::optional<int32_t> decimals;  // real only, when given
};

// The columns of SPEC, or nothing with the reason in `problem`.
std::optional<std::vector<TextColumn>> ParseTextColumns(const std::string& spec, std::string& problem);

// What the user does in the field definition dialog to give `column` its type.
std::vector<sim::DialogAction> FieldDefinitionActions(const TextColumn& column);

}  // namespace kzmap
