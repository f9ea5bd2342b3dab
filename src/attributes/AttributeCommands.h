// The commands that work on attribute values: editing one field's value on
// the selection, selecting art by value, labelling art with its values, and
// converting attribute data of the older tag format. Each runs to its end in
// one call; the panel and the flyout menu start them.
#pragma once

#include <cstdint>
#include <string>

#include "host/HostTypes.h"
#include "host/UnicodeString.h"

class AttrTable;

// What the search dialog remembers from one search to the next. Texts are
// kept as plain UTF-16 so that no host string outlives a command.
struct SearchRecord {
  int32_t field = 0;     // row of the attribute table
  int32_t mode = 0;      // 0 text, 1 number
  std::u16string text;
  bool useLower = false;
  std::u16string lower;
  bool useUpper = false;
  std::u16string upper;
};

// What the annotation dialog remembers.
struct AnnotationRecord {
  int32_t field = 0;
  bool copyValues = false;
};

// Asks for a new value of row's field and sets it on every selected object.
// changed tells whether a value was set; the result is 0, STOP when the
// user cancelled, or the failure.
AIErr EditAttributeValue(SPPluginRef plugin, AttrTable& table, int32_t row, bool* changed);

// Asks for a field and a text or a numeric range, and selects the art of the
// visible, editable layers whose value matches, never art that is hidden or
// locked itself or inside a hidden or locked group or sublayer.
AIErr SearchByAttribute(SPPluginRef plugin, const AttrTable& table, int32_t row, SearchRecord& record);

// Asks for a field and places one point text with the field's value on each
// selected object, at the point of a one-point path or the centre of the
// object's bounds; the texts are selected afterwards.
AIErr AnnotateFromAttribute(SPPluginRef plugin, const AttrTable& table, int32_t row, AnnotationRecord& record);

// Converts the older tag format of every object into attribute rows, with
// progress. found tells whether the document held such data. STOP when the
// user cancelled; objects converted so far stay converted.
AIErr UpgradeOldAttributes(bool* found);

// Messages of the attribute commands.
namespace attribute_texts {
inline constexpr const char* kNoFields = "属性フィールドがありません";
inline constexpr const char* kNothingSelected = "オブジェクトが選択されていません";
inline constexpr const char* kNoRange = "検索する数値範囲を設定してください";
inline constexpr const char* kBadRange = "指定した数値範囲が正しくありません";
inline constexpr const char* kRangeNotNumber = "検索する数値範囲には数値を入力してください";
inline constexpr const char* kNoOldData = "ドキュメント内に以前の型式の属性データはありません";
inline constexpr const char* kUpgrading = "旧型式の属性をアップグレードしています";
inline constexpr const char* kUpgraded = "アップグレードが完了しました";
}  // namespace attribute_texts
