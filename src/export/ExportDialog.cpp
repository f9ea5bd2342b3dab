#include "export/ExportDialog.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <cstdio>
#include <optional>
#include <string>

#include "geodesy/CoordLists.h"
#include "geodesy/CoordTexts.h"
#include "georef/GeorefLayers.h"
#include "host/AILayerSuite.h"
#include "host/SuitePointers.h"
#include "resources/DialogIds.h"
#include "resources/DialogResources.h"

namespace {

namespace ids = dialog_ids::export_settings;

constexpr const char* kNoObjectKindAlert = "書き出すオブジェクトを指定してください";
constexpr const char* kNoSystemAlert = "座標系を選択してください";
constexpr const char* kNoZoneAlert = "UTMの座標帯を選択してください";
constexpr const char* kReservedLayerAlert =
    "現在のレイヤーはデータフレームまたは座標マーカーのレイヤーです。書き出すレイヤーを選択してください";

// Object kind check boxes and their bits.
struct KindBox {
  int32_t id;
  int32_t bit;
};
constexpr std::array<KindBox, 6> kKindBoxes{{{ids::kUnfilledPaths, kExportUnfilledPaths},
                                            {ids::kFilledPaths, kExportFilledPaths},
                                            {ids::kGroups, kExportGroups},
                                            {ids::kTexts, kExportTexts},
                                            {ids::kSymbols, kExportSymbols},
                                            {ids::kElementByElement, kExportElements}}};

// Encoding list items and their codes; the third only for text files.
constexpr std::array<int32_t, 3> kEncodingCodes{kEncodingShiftJis, kEncodingUtf8, kEncodingUtf16};

constexpr std::array<int32_t, 5> kMarkerRadios{ids::kMarkerJgd, ids::kMarkerTokyo, ids::kMarkerJgd2011,
                                               ids::kMarkerLatLong, ids::kMarkerPlane};
constexpr std::array<int32_t, 7> kOutputRadios{ids::kOutputJgd,     ids::kOutputTokyo,   ids::kOutputJgd2011,
                                               ids::kOutputWgs84,   ids::kOutputLatLong, ids::kOutputPlane,
                                               ids::kOutputUtm};
constexpr std::array<int32_t, 5> kAccuracyControls{ids::kAccuracyLabel, ids::kAccuracy, ids::kAccuracyValue,
                                                   ids::kRough, ids::kPrecise};

std::optional<ai::UnicodeString> CurrentLayerTitle() {
  AILayerHandle layer = nullptr;
  if (sAILayer->GetCurrentLayer(&layer) != kNoErr || layer == nullptr) return std::nullopt;
  AIUnicodeStringRef title = nullptr;
  if (sAILayer->GetLayerTitle(layer, &title) != kNoErr || title == nullptr) return std::nullopt;
  return ai::UnicodeString::Adopt(title);
}

// Radio ids of one group are not a numeric range here, so each is set on its own.
void CheckOne(const DialogControls& controls, std::initializer_list<int32_t> group, int32_t chosen) {
  for (int32_t id : group) controls.SetChecked(id, id == chosen);
}

// The datum buttons of one group: JGD2000, Tokyo, JGD2011. Any code that is
// neither Tokyo nor JGD2011 shows as JGD2000, the default.
struct DatumButtons {
  int32_t jgd2000, tokyo, jgd2011;
  int32_t wgs84 = 0;  // 0: not offered

  int32_t ButtonOf(int32_t datum) const {
    if (datum == kDatumTokyo) return tokyo;
    if (datum == kDatumWgs84 && wgs84 != 0) return wgs84;
    return datum == kDatumJgd2011 ? jgd2011 : jgd2000;
  }
  int32_t Checked(const DialogControls& controls) const {
    if (controls.IsChecked(tokyo)) return kDatumTokyo;
    if (wgs84 != 0 && controls.IsChecked(wgs84)) return kDatumWgs84;
    return controls.IsChecked(jgd2011) ? kDatumJgd2011 : kDatumJgd2000;
  }
};

constexpr DatumButtons kMarkerDatum{ids::kMarkerJgd, ids::kMarkerTokyo, ids::kMarkerJgd2011};
// WGS 84 only as an output: the coordinates are JGD2011's, the .prj names WGS 84.
constexpr DatumButtons kOutputDatum{ids::kOutputJgd, ids::kOutputTokyo, ids::kOutputJgd2011, ids::kOutputWgs84};

ai::UnicodeString Number(int32_t value) { return ai::UnicodeString::FromUTF8(std::to_string(value)); }

}  // namespace

AIErr ExportDialog::Show(SPPluginRef plugin, ExportSettings& settings) {
  ExportDialog dialog(settings);
  int32_t result = kCanceledErr;
  const AIErr error = RunPluginDialog(plugin, dialog_ids::kExportSettings, dialog, &result);
  return error != kNoErr ? error : result;
}

AIErr ExportDialog::Show(const ai::FilePath& pluginFile, AIWindowRef owner, ExportSettings& settings) {
  ExportDialog dialog(settings);
  int32_t result = kCanceledErr;
  const AIErr error = RunPluginDialog(pluginFile, owner, dialog_ids::kExportSettings, dialog, &result);
  return error != kNoErr ? error : result;
}

void ExportDialog::OnInit() {
  FillLists();
  SetFormatControls();
  SetFromSettings();
  UpdateEnabling();
}

void ExportDialog::FillLists() {
  ListReset(ids::kTarget);
  ai::UnicodeString current("現在のレイヤー: ");
  if (auto title = CurrentLayerTitle()) current += *title;
  ListAdd(ids::kTarget, current);
  ListAdd(ids::kTarget, "表示されている全てのレイヤー");
  ListAdd(ids::kTarget, "全てのレイヤー");
  if (settings.selectionExists) ListAdd(ids::kTarget, "選択されているオブジェクト");

  ListReset(ids::kEncoding);
  ListAdd(ids::kEncoding, "シフトJIS");
  ListAdd(ids::kEncoding, "UTF-8");
  if (settings.format == kExportTextFile) ListAdd(ids::kEncoding, "UTF-16");

  FillPlaneSystemList(*this, ids::kMarkerPlaneSystem);
  FillPlaneSystemList(*this, ids::kOutputPlaneSystem);
  FillUtmZoneList(*this, ids::kOutputUtmZone);

  TrackSetRange(ids::kAccuracy, kMinBezierAccuracy, kMaxBezierAccuracy);
  TrackSetTickFrequency(ids::kAccuracy, 1);
}

// What the format decides once, at opening.
void ExportDialog::SetFormatControls() const {
  const bool text = settings.format == kExportTextFile;
  for (int32_t id : {ids::kDelimiterLabel, ids::kTab, ids::kComma}) Enable(id, text);
  Enable(ids::kPolyline, !text);
  Enable(ids::kPolygon, !text);
  Enable(ids::kMultiPoint, !text);
  if (!settings.dataFramePresent) {
    Enable(ids::kUseDataFrame, false);
    SetText(ids::kDataFrameDescription, "");
  } else {
    SetText(ids::kDataFrameDescription, ai::UnicodeString(DescribeDataFrame(settings.dataFrame).c_str()));
  }
  if (!settings.markersPresent) Enable(ids::kUseMarkers, false);
}

void ExportDialog::SetFromSettings() const {
  const ExportSettings& s = settings;
  const bool selectionItem = s.selectionExists;
  ListSelect(ids::kTarget, s.target >= 0 && s.target <= (selectionItem ? 3 : 2) ? s.target : 0);
  SetChecked(ids::kOneFilePerLayer, s.oneFilePerLayer);

  const int32_t dataType = s.format == kExportTextFile ? kExportPoint : s.dataType;
  CheckOne(*this, {ids::kPoint, ids::kPolyline, ids::kPolygon, ids::kMultiPoint},
             dataType == kExportPolyline     ? ids::kPolyline
             : dataType == kExportPolygon    ? ids::kPolygon
             : dataType == kExportMultiPoint ? ids::kMultiPoint
                                             : ids::kPoint);

  int32_t encodingItem = 0;
  if (s.encoding == kEncodingUtf8) encodingItem = 1;
  if (s.encoding == kEncodingUtf16 && s.format == kExportTextFile) encodingItem = 2;
  ListSelect(ids::kEncoding, encodingItem);
  CheckOne(*this, {ids::kTab, ids::kComma}, s.delimiter == '\t' ? ids::kTab : ids::kComma);

  for (const KindBox& box : kKindBoxes) SetChecked(box.id, (s.objectKinds & box.bit) != 0);
  SetChecked(ids::kAddTextField, s.addTextField);
  SetChecked(ids::kAddLayerField, s.addLayerField);
  SetChecked(ids::kExpandBezier, s.expandBezier);
  TrackSetPosition(ids::kAccuracy, std::clamp(s.bezierAccuracy, kMinBezierAccuracy, kMaxBezierAccuracy));

  CheckOne(*this, {ids::kUseDataFrame, ids::kUseMarkers}, s.dataFramePresent ? ids::kUseDataFrame : ids::kUseMarkers);

  CheckOne(*this, {ids::kMarkerJgd, ids::kMarkerTokyo, ids::kMarkerJgd2011}, kMarkerDatum.ButtonOf(s.marker.datum));
  CheckOne(*this, {ids::kMarkerLatLong, ids::kMarkerPlane},
             s.marker.kind == kKindPlane ? ids::kMarkerPlane : ids::kMarkerLatLong);
  ListSelect(ids::kMarkerPlaneSystem,
             s.marker.system >= 0 && s.marker.system <= kPlaneSystemCount ? s.marker.system : 0);

  CheckOne(*this, {ids::kNoConversion, ids::kConvert}, s.convertCoords ? ids::kConvert : ids::kNoConversion);
  CheckOne(*this, {ids::kOutputJgd, ids::kOutputTokyo, ids::kOutputJgd2011, ids::kOutputWgs84},
           kOutputDatum.ButtonOf(s.output.datum));
  const int32_t outputKind = s.output.kind == kKindPlane ? ids::kOutputPlane
                             : s.output.kind == kKindUtm ? ids::kOutputUtm
                                                         : ids::kOutputLatLong;
  CheckOne(*this, {ids::kOutputLatLong, ids::kOutputPlane, ids::kOutputUtm}, outputKind);
  ListSelect(ids::kOutputPlaneSystem,
             s.output.system >= 0 && s.output.system <= kPlaneSystemCount ? s.output.system : 0);
  ListSelect(ids::kOutputUtmZone, s.output.zone >= 0 && s.output.zone <= kUtmZoneCount ? s.output.zone : 0);
}

void ExportDialog::EnableAndClear(int32_t id, bool enable) const {
  if (!enable) SetChecked(id, false);
  Enable(id, enable);
}

void ExportDialog::UpdateEnabling() const {
  const int32_t target = ListSelection(ids::kTarget);
  EnableAndClear(ids::kOneFilePerLayer, target == kExportVisibleLayers || target == kExportAllLayers);

  const bool pointsOnly = !IsChecked(ids::kPolyline) && !IsChecked(ids::kPolygon);
  for (int32_t id : {ids::kGroups, ids::kTexts, ids::kSymbols}) EnableAndClear(id, pointsOnly);
  EnableAndClear(ids::kElementByElement,
                 IsChecked(ids::kGroups) || IsChecked(ids::kUnfilledPaths) || IsChecked(ids::kFilledPaths));

  const bool markers = IsChecked(ids::kUseMarkers);
  for (int32_t id : kMarkerRadios) Enable(id, markers);
  Enable(ids::kMarkerPlaneSystem, markers && IsChecked(ids::kMarkerPlane));

  const bool convert = IsChecked(ids::kConvert);
  for (int32_t id : kOutputRadios) Enable(id, convert);
  Enable(ids::kOutputPlaneSystem, convert && IsChecked(ids::kOutputPlane));
  Enable(ids::kOutputUtmZone, convert && IsChecked(ids::kOutputUtm));

  EnableAndClear(ids::kExpandBezier, !pointsOnly);
  const bool flatten = IsChecked(ids::kExpandBezier);
  for (int32_t id : kAccuracyControls) Enable(id, flatten);
  SetText(ids::kAccuracyValue, Number(TrackPosition(ids::kAccuracy)));
}

void ExportDialog::OnCommand(int32_t, int32_t) { UpdateEnabling(); }

void ExportDialog::OnScroll(int32_t, int32_t) { UpdateEnabling(); }

bool ExportDialog::ReadObjectKinds(int32_t& kinds) const {
  kinds = 0;
  for (const KindBox& box : kKindBoxes) {
    if (IsChecked(box.id)) kinds |= box.bit;
  }
  if (kinds != 0) return true;
  ShowMessage(kNoObjectKindAlert);
  return false;
}

bool ExportDialog::ReadMarkers(ExportSettings& result) const {
  if (!result.markersPresent) return true;
  result.marker.datum = kMarkerDatum.Checked(*this);
  result.marker.zone = 0;
  if (IsChecked(ids::kMarkerLatLong)) {
    result.marker.kind = kKindLatLong;
    return true;
  }
  result.marker.kind = kKindPlane;
  result.marker.system = ListSelection(ids::kMarkerPlaneSystem);
  // The system matters only while the markers are what the export uses.
  if (result.marker.system > 0 || result.useDataFrame) return true;
  ShowMessage(kNoSystemAlert);
  return false;
}

bool ExportDialog::ReadOutput(ExportSettings& result) const {
  result.convertCoords = IsChecked(ids::kConvert);
  if (!result.convertCoords) {
    // The output always names the system of the written coordinates.
    if (result.useDataFrame)
      result.output = result.dataFrame;
    else
      result.output = CoordRef{result.marker.datum, result.marker.kind, result.marker.system, 0};
    return true;
  }
  result.output.datum = kOutputDatum.Checked(*this);
  if (IsChecked(ids::kOutputPlane)) {
    result.output.kind = kKindPlane;
    result.output.system = ListSelection(ids::kOutputPlaneSystem);
    if (result.output.system > 0) return true;
    ShowMessage(kNoSystemAlert);
    return false;
  }
  if (IsChecked(ids::kOutputUtm)) {
    result.output.kind = kKindUtm;
    result.output.zone = ListSelection(ids::kOutputUtmZone);
    if (result.output.zone > 0) return true;
    ShowMessage(kNoZoneAlert);
    return false;
  }
  result.output.kind = kKindLatLong;
  return true;
}

bool ExportDialog::CurrentLayerIsReserved() const {
  AILayerHandle layer = nullptr;
  if (sAILayer->GetCurrentLayer(&layer) != kNoErr || layer == nullptr) return false;
  return IsGeorefLayer(layer);
}

bool ExportDialog::OnOK() {
  // Work on a copy so that a refused OK leaves the settings as they were.
  ExportSettings result = settings;
  result.target = ListSelection(ids::kTarget);
  if (result.target < 0) result.target = kExportCurrentLayer;
  result.oneFilePerLayer = IsChecked(ids::kOneFilePerLayer);
  result.dataType = IsChecked(ids::kPolyline)     ? kExportPolyline
                    : IsChecked(ids::kPolygon)    ? kExportPolygon
                    : IsChecked(ids::kMultiPoint) ? kExportMultiPoint
                                                  : kExportPoint;
  const int32_t encodingItem = ListSelection(ids::kEncoding);
  result.encoding = encodingItem >= 0 && encodingItem < static_cast<int32_t>(kEncodingCodes.size())
                        ? kEncodingCodes[static_cast<size_t>(encodingItem)]
                        : kEncodingShiftJis;
  result.delimiter = IsChecked(ids::kTab) ? '\t' : ',';
  if (!ReadObjectKinds(result.objectKinds)) return false;
  if (result.target == kExportCurrentLayer && CurrentLayerIsReserved()) {
    ShowMessage(kReservedLayerAlert);
    return false;
  }

  result.addTextField = IsChecked(ids::kAddTextField) && (result.objectKinds & kExportTexts) != 0;
  result.addLayerField = IsChecked(ids::kAddLayerField);
  result.expandBezier = IsChecked(ids::kExpandBezier);
  result.bezierAccuracy = TrackPosition(ids::kAccuracy);
  result.useDataFrame = IsChecked(ids::kUseDataFrame);
  if (!ReadMarkers(result) || !ReadOutput(result)) return false;
  settings = result;
  return true;
}
