// The plug-in's dialog templates (what a resource script would hold), in
// dialog units, each control list in tab order. Radio buttons group from a
// control marked Group up to the next one.
#include <iterator>

#include "host/DialogTemplate.h"
#include "resources/DialogIds.h"

namespace {

using K = DialogControlKind;
constexpr uint32_t G = kDialogStyleGroup;
constexpr uint32_t H = kDialogStyleHidden;
constexpr int32_t S = kDialogIdStatic;
constexpr int32_t OK = kDialogIdOK;
constexpr int32_t CANCEL = kDialogIdCancel;
constexpr const char* kFont = "MS Shell Dlg";

template <size_t N>
constexpr DialogTemplate Make(int32_t id, const char* caption, int16_t width, int16_t height,
                              const DialogControlTemplate (&controls)[N]) {
  return DialogTemplate{id, caption, width, height, kFont, 8, controls, N};
}

// 107: About.
const DialogControlTemplate kAboutControls[] = {
    {S, K::Icon, "109", G, 10, 10, 20, 20},
    {S, K::Static, "Kartzmap4.5", G, 40, 10, 150, 10},
    {dialog_ids::about::kVersion, K::Static, "Version 4.5.1", 0, 40, 24, 150, 10},
    {OK, K::DefaultPushButton, "OK", G, 150, 50, 50, 14},
    {dialog_ids::about::kWebSite, K::PushButton, "Webサイトを開く", G, 40, 50, 100, 14},
};

// 108: import coordinate settings.
const DialogControlTemplate kImportCoordControls[] = {
    {S, K::GroupBox, "データファイルの座標値", G, 7, 7, 260, 130},
    {1123, K::RadioButton, "世界測地系(JGD2000)", G, 15, 20, 110, 10},
    {1124, K::RadioButton, "日本測地系(TKY97)", 0, 130, 20, 110, 10},
    {1181, K::RadioButton, "世界測地系(JGD2011)", 0, 15, 32, 110, 10},
    {1125, K::RadioButton, "10進緯度経度(BL)", G, 15, 50, 110, 10},
    {1126, K::RadioButton, "平面直角座標(XY)", 0, 15, 68, 110, 10},
    {1087, K::RadioButton, "UTM座標(NE)", 0, 15, 86, 110, 10},
    {1115, K::DropDownList, "", G, 130, 66, 125, 120},
    {1075, K::DropDownList, "", G, 130, 84, 125, 120},
    {S, K::GroupBox, "ファイルの座標範囲", G, 7, 142, 260, 150},
    {1143, K::Static, "", 0, 15, 155, 100, 10},
    {1145, K::Static, "", 0, 15, 166, 100, 10},
    {1144, K::Static, "", 0, 155, 210, 100, 10},
    {1146, K::Static, "", 0, 155, 221, 100, 10},
    {1076, K::CheckBox, "読み込み座標範囲を限定する", G, 15, 235, 150, 10},
    {S, K::Static, "左上(北西)", 0, 15, 250, 45, 10},
    {1079, K::Edit, "", G, 62, 248, 190, 12},
    {S, K::Static, "右下(南東)", 0, 15, 265, 45, 10},
    {1080, K::Edit, "", G, 62, 263, 190, 12},
    {S, K::Static, "(緯度・経度またはX座標・Y座標をカンマ区切りで入力)", 0, 15, 279, 240, 10},
    {1077, K::PushButton, "地理院地図で緯度経度を調べる", G, 15, 295, 150, 14},
    {S, K::GroupBox, "Illustrator上の地図投影", G, 275, 7, 260, 40},
    {1178, K::Static, "", 0, 283, 22, 240, 10},
    {S, K::GroupBox, "新規パラメータ設定", G, 275, 52, 260, 180},
    {1127, K::RadioButton, "世界測地系(JGD2000)", G, 283, 66, 110, 10},
    {1128, K::RadioButton, "日本測地系(TKY97)", 0, 400, 66, 110, 10},
    {1182, K::RadioButton, "世界測地系(JGD2011)", 0, 283, 78, 110, 10},
    {1129, K::RadioButton, "緯度経度図法(正距円筒図法)", G, 283, 96, 130, 10},
    {1130, K::RadioButton, "平面直角座標系(XY)", 0, 283, 114, 110, 10},
    {1131, K::RadioButton, "UTM図法", 0, 283, 132, 110, 10},
    {1132, K::DropDownList, "", G, 400, 112, 125, 120},
    {1133, K::DropDownList, "", G, 400, 130, 125, 120},
    {S, K::Static, "縮尺　１／", 0, 283, 155, 45, 10},
    {1114, K::Edit, "", G, 330, 153, 80, 12},
    {1082, K::CheckBox, "地図の真上方向を真北に合わせる", G, 283, 175, 200, 10},
    {S, K::Icon, "109", G, 7, 300, 20, 20},
    {S, K::Static, "Kartzmap", 0, 30, 306, 60, 10},
    {OK, K::DefaultPushButton, "OK", G, 420, 300, 55, 14},
    {CANCEL, K::PushButton, "キャンセル", G, 480, 300, 55, 14},
};

// 110: extra part of the open-file dialog.
const DialogControlTemplate kOpenFileControls[] = {
    {S, K::GroupBox, "Kartzmap設定", G, 7, 0, 260, 34},
    {S, K::Static, "属性フィールドのエンコーディング:", 0, 15, 14, 120, 10},
    {1081, K::DropDownList, "", G, 140, 12, 100, 60},
};

// 111: coordinate text file field settings.
const DialogControlTemplate kTextFieldControls[] = {
    {S, K::GroupBox, "フィールド区切り文字", G, 7, 7, 160, 30},
    {1085, K::RadioButton, "タブ", G, 15, 20, 50, 10},
    {1086, K::RadioButton, "カンマ(CSV)", 0, 75, 20, 70, 10},
    {1076, K::CheckBox, "ファイルの1行目はフィールド名", G, 180, 20, 150, 10},
    {S, K::Static, "必要な場合、項目をダブルクリックして、フィールド定義を修正してください。", 0, 7, 45, 330, 10},
    {1083, K::ListView, "", G, 7, 58, 329, 180},
    {OK, K::DefaultPushButton, "OK", G, 226, 246, 50, 14},
    {CANCEL, K::PushButton, "キャンセル", G, 286, 246, 50, 14},
};

// 112: field definition.
const DialogControlTemplate kFieldDefinitionControls[] = {
    {S, K::Static, "フィールド名:", 0, 7, 9, 60, 10},
    {dialog_ids::field::kName, K::Edit, "", G, 70, 7, 110, 12},
    {S, K::Static, "データ型:", 0, 7, 27, 60, 10},
    {dialog_ids::field::kType, K::DropDownList, "", G, 70, 25, 110, 80},
    {S, K::Static, "全桁数:", 0, 7, 45, 60, 10},
    {dialog_ids::field::kTotalDigits, K::Edit, "", G, 70, 43, 40, 12},
    {S, K::Static, "小数点以下桁数:", 0, 7, 63, 60, 10},
    {dialog_ids::field::kDecimals, K::Edit, "", G, 70, 61, 40, 12},
    {dialog_ids::field::kDelete, K::PushButton, "このフィールドを削除...", G | H, 7, 85, 90, 14},
    {OK, K::DefaultPushButton, "OK", G, 110, 85, 40, 14},
    {CANCEL, K::PushButton, "キャンセル", G, 155, 85, 40, 14},
};

// 113: annotation.
const DialogControlTemplate kAnnotationControls[] = {
    {S, K::Static, "文字列として使用するフィールド:", 0, 7, 9, 120, 10},
    {1075, K::DropDownList, "", G, 7, 21, 180, 100},
    {1076, K::CheckBox, "テキストにも属性値をコピーする", G, 7, 41, 180, 10},
    {OK, K::DefaultPushButton, "OK", G, 80, 60, 50, 14},
    {CANCEL, K::PushButton, "キャンセル", G, 137, 60, 50, 14},
};

// 114: search.
const DialogControlTemplate kSearchControls[] = {
    {S, K::Static, "フィールド:", 0, 7, 9, 50, 10},
    {1075, K::DropDownList, "", G, 60, 7, 150, 100},
    // The two mode buttons form one group: the text edit between them does
    // not start a new one.
    {1087, K::RadioButton, "文字列として検索", G, 7, 27, 100, 10},
    {1079, K::Edit, "", 0, 20, 40, 190, 12},
    {1090, K::RadioButton, "数値として検索", 0, 7, 58, 100, 10},
    {1080, K::Edit, "", G, 20, 71, 80, 12},
    {1076, K::CheckBox, "以上", G, 105, 72, 40, 10},
    {1092, K::Edit, "", G, 20, 87, 80, 12},
    {1091, K::CheckBox, "以下", G, 105, 88, 40, 10},
    {OK, K::DefaultPushButton, "検索して選択", G, 90, 108, 60, 14},
    {CANCEL, K::PushButton, "キャンセル", G, 155, 108, 55, 14},
};

// 115: export settings.
const DialogControlTemplate kExportControls[] = {
    {S, K::GroupBox, "書き出し対象", G, 7, 7, 200, 45},
    {1116, K::DropDownList, "", G, 15, 19, 185, 100},
    {1127, K::CheckBox, "レイヤーごとに別のファイルにする", G, 15, 36, 185, 10},
    {S, K::GroupBox, "データタイプ", G, 7, 56, 200, 25},
    {1117, K::RadioButton, "ポイント", G, 12, 67, 42, 10},
    {1118, K::RadioButton, "ポリライン", 0, 56, 67, 46, 10},
    {1093, K::RadioButton, "ポリゴン", 0, 104, 67, 40, 10},
    {1194, K::RadioButton, "マルチポイント", 0, 146, 67, 58, 10},
    {S, K::Static, "エンコーディング:", 0, 7, 88, 70, 10},
    {1119, K::DropDownList, "", G, 80, 86, 80, 60},
    {1129, K::Static, "フィールド区切り:", 0, 7, 104, 70, 10},
    {1085, K::RadioButton, "タブ", G, 80, 104, 40, 10},
    {1086, K::RadioButton, "カンマ(CSV)", 0, 125, 104, 60, 10},
    {S, K::GroupBox, "書き出すオブジェクト", G, 7, 118, 200, 80},
    {1125, K::CheckBox, "塗りの無いパス", G, 15, 130, 90, 10},
    {1094, K::CheckBox, "塗りのあるパス", G, 110, 130, 90, 10},
    {1122, K::CheckBox, "グループ", G, 15, 144, 90, 10},
    {1096, K::CheckBox, "テキスト", G, 110, 144, 90, 10},
    {1095, K::CheckBox, "シンボル", G, 15, 158, 90, 10},
    {1124, K::CheckBox, "グループと複合パスは内部の要素を個別に書き出す", G, 15, 176, 185, 10},
    {S, K::GroupBox, "オプション", G, 7, 202, 200, 95},
    {1121, K::CheckBox, "テキストを書き出す場合、文字列を属性に付加", G, 15, 214, 185, 10},
    {1120, K::CheckBox, "レイヤー名を属性に付加", G, 15, 228, 185, 10},
    {1097, K::CheckBox, "ベジェ曲線パスを折れ線補間する", G, 15, 242, 185, 10},
    {1128, K::Static, "精度:", 0, 15, 258, 25, 10},
    {1099, K::TrackBar, "", G, 40, 256, 130, 15},
    {1126, K::Static, "", 0, 175, 258, 20, 10},
    {1136, K::Static, "ラフ", 0, 40, 274, 30, 10},
    {1137, K::Static, "精密", 0, 145, 274, 30, 10},
    {S, K::GroupBox, "ドキュメント上の地理座標計算", G, 215, 7, 240, 60},
    {1100, K::RadioButton, "データフレームを使用", G, 223, 19, 100, 10},
    {1101, K::RadioButton, "座標マーカーを使用", 0, 330, 19, 100, 10},
    {1135, K::Static, "", 0, 223, 33, 225, 28},
    {S, K::GroupBox, "座標マーカーの座標値", G, 215, 72, 240, 70},
    {S, K::Static, "測地系:", 0, 223, 85, 35, 10},
    {1102, K::RadioButton, "世界測地系", G, 260, 85, 70, 10},
    {1103, K::RadioButton, "日本測地系", 0, 335, 85, 70, 10},
    {1183, K::RadioButton, "世界測地系(JGD2011)", 0, 260, 96, 110, 10},
    {S, K::Static, "座標値:", 0, 223, 110, 35, 10},
    {1104, K::RadioButton, "緯度経度(BL)", G, 260, 110, 80, 10},
    {1105, K::RadioButton, "平面直角座標(XY)", 0, 260, 124, 80, 10},
    {1106, K::DropDownList, "", G, 345, 122, 100, 120},
    {S, K::GroupBox, "ファイルに書き込む座標値", G, 215, 147, 240, 25},
    {1107, K::RadioButton, "変換しない", G, 223, 158, 70, 10},
    {1108, K::RadioButton, "変換する", 0, 300, 158, 70, 10},
    {S, K::GroupBox, "変換先", G, 215, 176, 240, 110},
    {S, K::Static, "測地系:", 0, 223, 189, 35, 10},
    {1109, K::RadioButton, "世界測地系", G, 260, 189, 70, 10},
    {1110, K::RadioButton, "日本測地系", 0, 335, 189, 70, 10},
    {1184, K::RadioButton, "世界測地系(JGD2011)", 0, 260, 200, 110, 10},
    {1193, K::RadioButton, "WGS 84", 0, 375, 200, 60, 10},
    {S, K::Static, "座標値:", 0, 223, 214, 35, 10},
    {1111, K::RadioButton, "10進緯度経度(BL)", G, 260, 214, 90, 10},
    {1112, K::RadioButton, "平面直角座標(XY)", 0, 260, 229, 80, 10},
    {1087, K::RadioButton, "UTM座標(NE)", 0, 260, 244, 80, 10},
    {1113, K::DropDownList, "", G, 345, 227, 100, 120},
    {1075, K::DropDownList, "", G, 345, 242, 100, 120},
    {OK, K::DefaultPushButton, "OK", G, 340, 290, 55, 14},
    {CANCEL, K::PushButton, "キャンセル", G, 400, 290, 55, 14},
};

// 116: attribute value.
const DialogControlTemplate kAttributeValueControls[] = {
    {S, K::Static, "フィールド名:", 0, 7, 9, 55, 10},
    {1131, K::Static, "", 0, 65, 9, 150, 10},
    {S, K::Static, "データ型:", 0, 7, 23, 55, 10},
    {1132, K::Static, "", 0, 65, 23, 60, 10},
    {S, K::Static, "全桁数:", 0, 130, 23, 35, 10},
    {1133, K::Static, "", 0, 165, 23, 20, 10},
    {S, K::Static, "小数:", 0, 190, 23, 25, 10},
    {1134, K::Static, "", 0, 215, 23, 20, 10},
    {S, K::Static, "属性値:", 0, 7, 41, 55, 10},
    {1130, K::Edit, "", G, 65, 39, 170, 12},
    {OK, K::DefaultPushButton, "OK", G, 125, 60, 50, 14},
    {CANCEL, K::PushButton, "キャンセル", G, 185, 60, 50, 14},
};

constexpr DialogTemplate kAbout = Make(dialog_ids::kAbout, "Kartzmap4.5について", 210, 72, kAboutControls);
constexpr DialogTemplate kImportCoord =
    Make(dialog_ids::kImportCoordSettings, "読み込み座標の設定", 543, 325, kImportCoordControls);
constexpr DialogTemplate kOpenFile = Make(dialog_ids::kOpenFileTemplate, "", 275, 40, kOpenFileControls);
constexpr DialogTemplate kTextField = Make(dialog_ids::kTextFieldSettings,
                                           "座標付きテキストファイル - フィールドの設定", 343, 267, kTextFieldControls);
constexpr DialogTemplate kFieldDefinition =
    Make(dialog_ids::kFieldDefinition, "フィールド定義の編集", 202, 106, kFieldDefinitionControls);
constexpr DialogTemplate kAnnotation =
    Make(dialog_ids::kAnnotation, "属性値から注記を作成", 194, 81, kAnnotationControls);
constexpr DialogTemplate kSearch = Make(dialog_ids::kSearch, "属性値で検索", 217, 129, kSearchControls);
constexpr DialogTemplate kExport = Make(dialog_ids::kExportSettings, "書き出しの設定", 462, 311, kExportControls);
constexpr DialogTemplate kAttributeValue =
    Make(dialog_ids::kAttributeValue, "属性値の編集", 242, 81, kAttributeValueControls);

}  // namespace

extern const DialogTemplate* const kDialogTemplates[] = {
    &kAbout,  &kImportCoord, &kOpenFile, &kTextField,     &kFieldDefinition,
    &kAnnotation, &kSearch, &kExport, &kAttributeValue,
};
extern const size_t kDialogTemplateCount = std::size(kDialogTemplates);
