// Resource ids of the plug-in's dialogs and of the controls the system
// addresses in them.
#pragma once

#include <cstdint>

namespace dialog_ids {

constexpr int32_t kAbout = 107;
constexpr int32_t kImportCoordSettings = 108;
constexpr int32_t kPluginIcon = 109;
constexpr int32_t kOpenFileTemplate = 110;
constexpr int32_t kTextFieldSettings = 111;
constexpr int32_t kFieldDefinition = 112;
constexpr int32_t kAnnotation = 113;
constexpr int32_t kSearch = 114;
constexpr int32_t kExportSettings = 115;
constexpr int32_t kAttributeValue = 116;

// Field definition dialog.
namespace field {
constexpr int32_t kName = 1001;
constexpr int32_t kType = 1002;
constexpr int32_t kTotalDigits = 1003;
constexpr int32_t kDecimals = 1004;
constexpr int32_t kDelete = 1005;
}  // namespace field

// Coordinate text file field settings.
namespace text_fields {
constexpr int32_t kTab = 1085;
constexpr int32_t kComma = 1086;
constexpr int32_t kHeader = 1076;
constexpr int32_t kColumns = 1083;
}  // namespace text_fields

// Annotation dialog.
namespace annotation {
constexpr int32_t kField = 1075;
constexpr int32_t kCopyValues = 1076;
}  // namespace annotation

// Search dialog.
namespace search {
constexpr int32_t kField = 1075;
constexpr int32_t kTextMode = 1087;
constexpr int32_t kNumberMode = 1090;
constexpr int32_t kText = 1079;
constexpr int32_t kUseLower = 1076;
constexpr int32_t kLower = 1080;
constexpr int32_t kUseUpper = 1091;
constexpr int32_t kUpper = 1092;
}  // namespace search

// Attribute value dialog.
namespace value {
constexpr int32_t kValue = 1130;
constexpr int32_t kName = 1131;
constexpr int32_t kType = 1132;
constexpr int32_t kTotalDigits = 1133;
constexpr int32_t kDecimals = 1134;
}  // namespace value

// Child controls of the attribute panel's native window.
namespace panel {
constexpr int32_t kCaption = 1201;
constexpr int32_t kList = 1202;
constexpr int32_t kAnnotate = 1203;
constexpr int32_t kSearch = 1204;
constexpr int32_t kDefine = 1205;
constexpr int32_t kNewField = 1206;
}  // namespace panel

// Import coordinate settings dialog.
namespace import_coord {
constexpr int32_t kSourceJgd2000 = 1123;
constexpr int32_t kSourceTokyo = 1124;
constexpr int32_t kSourceJgd2011 = 1181;
constexpr int32_t kSourceLatLong = 1125;
constexpr int32_t kSourcePlane = 1126;
constexpr int32_t kSourceSystem = 1115;
constexpr int32_t kSourceUtm = 1087;
constexpr int32_t kSourceZone = 1075;
constexpr int32_t kExtentTop = 1143;     // ymax, at the top-left corner
constexpr int32_t kExtentLeft = 1145;    // xmin
constexpr int32_t kExtentBottom = 1144;  // ymin, at the bottom-right corner
constexpr int32_t kExtentRight = 1146;   // xmax
constexpr int32_t kLimitArea = 1076;
constexpr int32_t kNorthWest = 1079;
constexpr int32_t kSouthEast = 1080;
constexpr int32_t kWebMap = 1077;
constexpr int32_t kModeText = 1178;
constexpr int32_t kTargetJgd2000 = 1127;
constexpr int32_t kTargetTokyo = 1128;
constexpr int32_t kTargetJgd2011 = 1182;
constexpr int32_t kTargetLatLong = 1129;
constexpr int32_t kTargetPlane = 1130;
constexpr int32_t kTargetUtm = 1131;
constexpr int32_t kTargetSystem = 1132;
constexpr int32_t kTargetZone = 1133;
constexpr int32_t kScale = 1114;
constexpr int32_t kNorthUp = 1082;
}  // namespace import_coord

// Child part of the open-file dialog.
namespace open_file {
constexpr int32_t kEncoding = 1081;
}  // namespace open_file

// About dialog.
namespace about {
constexpr int32_t kVersion = 1062;
constexpr int32_t kWebSite = 1063;
}  // namespace about


// Export settings dialog.
namespace export_settings {
constexpr int32_t kTarget = 1116;
constexpr int32_t kOneFilePerLayer = 1127;
constexpr int32_t kPoint = 1117;
constexpr int32_t kPolyline = 1118;
constexpr int32_t kPolygon = 1093;
constexpr int32_t kMultiPoint = 1194;
constexpr int32_t kEncoding = 1119;
constexpr int32_t kDelimiterLabel = 1129;
constexpr int32_t kTab = 1085;
constexpr int32_t kComma = 1086;
constexpr int32_t kUnfilledPaths = 1125;
constexpr int32_t kFilledPaths = 1094;
constexpr int32_t kGroups = 1122;
constexpr int32_t kTexts = 1096;
constexpr int32_t kSymbols = 1095;
constexpr int32_t kElementByElement = 1124;
constexpr int32_t kAddTextField = 1121;
constexpr int32_t kAddLayerField = 1120;
constexpr int32_t kExpandBezier = 1097;
constexpr int32_t kAccuracyLabel = 1128;
constexpr int32_t kAccuracy = 1099;
constexpr int32_t kAccuracyValue = 1126;
constexpr int32_t kRough = 1136;
constexpr int32_t kPrecise = 1137;
constexpr int32_t kUseDataFrame = 1100;
constexpr int32_t kUseMarkers = 1101;
constexpr int32_t kDataFrameDescription = 1135;
constexpr int32_t kMarkerJgd = 1102;
constexpr int32_t kMarkerTokyo = 1103;
constexpr int32_t kMarkerJgd2011 = 1183;
constexpr int32_t kMarkerLatLong = 1104;
constexpr int32_t kMarkerPlane = 1105;
constexpr int32_t kMarkerPlaneSystem = 1106;
constexpr int32_t kNoConversion = 1107;
constexpr int32_t kConvert = 1108;
constexpr int32_t kOutputJgd = 1109;
constexpr int32_t kOutputTokyo = 1110;
constexpr int32_t kOutputJgd2011 = 1184;
constexpr int32_t kOutputWgs84 = 1193;
constexpr int32_t kOutputLatLong = 1111;
constexpr int32_t kOutputPlane = 1112;
constexpr int32_t kOutputUtm = 1087;
constexpr int32_t kOutputPlaneSystem = 1113;
constexpr int32_t kOutputUtmZone = 1075;
}  // namespace export_settings

}  // namespace dialog_ids
