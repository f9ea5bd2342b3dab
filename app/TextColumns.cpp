#include "app/TextColumns.h"

#include <cstdlib>

#include "resources/DialogIds.h"

namespace kzmap {

namespace {

namespace ids = dialog_ids::field;

// Items of the field definition dialog's type list for a text column.
constexpr int32_t kStringItem = 0, kIntegerItem = 1, kRealItem = 2, kYItem = 3, kXItem = 4;
// Lengths used when a column gives none: the widest the dialog accepts for
// numbers, and the field settings' own width for text.
constexpr int32_t kStringLength = 48, kIntegerLength = 10, kRealLength = 19, kRealDecimals = 9;

std::optional<int32_t> Count(const std::string& text, int32_t lowest, int32_t highest) {
  if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string::npos) return std::nullopt;
  const int32_t value = std::atoi(text.c_str());
  if (value < lowest || value > highest) return std::nullopt;
  return value;
}

std::optional<TextColumn> ParseColumn(const std::string& item, std::string& problem) {
  const size_t colon = item.find(':');
  const std::string name = item.substr(0, colon);
  const std::optional<std::string> size = colon == std::string::npos ? std::nullopt : std::optional(item.substr(colon + 1));
  TextColumn column;
  if (name == "y" || name == "x") {
    column.type = name == "y" ? TextColumn::Type::Y : TextColumn::Type::X;
    if (!size) return column;
    problem = "'" + item + "': a coordinate column has no length";
    return std::nullopt;
  }
  if (name == "string" || name == "integer") {
    column.type = name == "string" ? TextColumn::Type::String : TextColumn::Type::Integer;
    if (!size) return column;
    const int32_t highest = name == "string" ? 254 : 10;
    column.length = Count(*size, 1, highest);
    if (column.length) return column;
    problem = "'" + item + "': the length of " + name + " is 1 to " + std::to_string(highest);
    return std::nullopt;
  }
  if (name == "real") {
    column.type = TextColumn::Type::Real;
    if (!size) return column;
    const size_t dot = size->find('.');
    column.length = Count(size->substr(0, dot), 1, 19);
    column.decimals = dot == std::string::npos ? std::optional<int32_t>(0) : Count(size->substr(dot + 1), 0, 17);
    if (column.length && column.decimals && *column.decimals <= *column.length - 2) return column;
    problem = "'" + item + "': real takes LEN.DEC with LEN 1 to 19 and DEC at most LEN-2";
    return std::nullopt;
  }
  problem = "'" + item + "': the types are y, x, string[:LEN], integer[:LEN] and real[:LEN.DEC]";
  return std::nullopt;
}

}  // namespace

std::optional<std::vector<TextColumn>> ParseTextColumns(const std::string& spec, std::string& problem) {
  std::vector<TextColumn> columns;
  int ys = 0, xs = 0;
  size_t start = 0;
  while (true) {
    const size_t comma = spec.find(',', start);
    const std::optional<TextColumn> column = ParseColumn(spec.substr(start, comma - start), problem);
    if (!column) return std::nullopt;
    ys += column->type == TextColumn::Type::Y;
    xs += column->type == TextColumn::Type::X;
    columns.push_back(*column);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (ys != 1 || xs != 1) {
    problem = "give exactly one y and one x column";
    return std::nullopt;
  }
  return columns;
}

std::vector<sim::DialogAction> FieldDefinitionActions(const TextColumn& column) {
  using sim::DialogAction;
  switch (column.type) {
    case TextColumn::Type::Y:
      return {DialogAction::Choose(ids::kType, kYItem), DialogAction::OK()};
    case TextColumn::Type::X:
      return {DialogAction::Choose(ids::kType, kXItem), DialogAction::OK()};
    case TextColumn::Type::String:
      return {DialogAction::Choose(ids::kType, kStringItem),
              DialogAction::SetText(ids::kTotalDigits, std::to_string(column.length.value_or(kStringLength))),
              DialogAction::OK()};
    case TextColumn::Type::Integer:
      return {DialogAction::Choose(ids::kType, kIntegerItem),
              DialogAction::SetText(ids::kTotalDigits, std::to_string(column.length.value_or(kIntegerLength))),
              DialogAction::OK()};
    case TextColumn::Type::Real:
      return {DialogAction::Choose(ids::kType, kRealItem),
              DialogAction::SetText(ids::kTotalDigits, std::to_string(column.length.value_or(kRealLength))),
              DialogAction::SetText(ids::kDecimals, std::to_string(column.decimals.value_or(kRealDecimals))),
              DialogAction::OK()};
  }
  return {};
}

}  // namespace kzmap
