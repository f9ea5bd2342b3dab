#include "import/ImportCoordDialog.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "geodesy/CoordLists.h"
#include "resources/DialogIds.h"

namespace {

namespace ids = dialog_ids::import_coord;

constexpr size_t kMaxEntry = 255;  // characters read from an edit

ai::UnicodeString Format(const char* format, double value) {
  char text[512];
  std::snprintf(text, sizeof text, format, value);
  return ai::UnicodeString::FromUTF8(text);
}

ai::UnicodeString Format(const char* format, double first, double second) {
  char text[1024];
  std::snprintf(text, sizeof text, format, first, second);
  return ai::UnicodeString::FromUTF8(text);
}

// The leading decimal number of the text, 0 when there is none; a number
// that is not finite ("inf", "nan", one beyond the range) is refused.
bool ReadLeadingNumber(const std::string& text, double& value) {
  const double read = std::strtod(text.c_str(), nullptr);
  if (!std::isfinite(read)) return false;
  value = read;
  return true;
}

// "north,west" or "south,east": a comma followed by at least three more
// characters; the parts before and after it are the two numbers.
bool ReadCorner(const ai::UnicodeString& text, double& first, double& second) {
  const std::u16string units = text.as_UTF16();
  const size_t comma = units.find(u',');
  if (comma == std::u16string::npos || units.size() - comma - 1 < 3) return false;
  return ReadLeadingNumber(ai::UnicodeString::FromUTF16(units.substr(0, comma)).as_UTF8(), first) &&
         ReadLeadingNumber(ai::UnicodeString::FromUTF16(units.substr(comma + 1)).as_UTF8(), second);
}

// The datum radio button of each side, in the order of the dialog.
int32_t SourceDatumButton(int32_t datum) {
  if (datum == kDatumTokyo) return ids::kSourceTokyo;
  return datum == kDatumJgd2011 ? ids::kSourceJgd2011 : ids::kSourceJgd2000;
}

int32_t CheckedDatum(const DialogControls& controls, int32_t tokyo, int32_t jgd2011) {
  if (controls.IsChecked(tokyo)) return kDatumTokyo;
  return controls.IsChecked(jgd2011) ? kDatumJgd2011 : kDatumJgd2000;
}

// A click on a source radio or a new source system or zone.
bool SetsSource(int32_t id, int32_t code) {
  switch (id) {
    case ids::kSourceJgd2000:
    case ids::kSourceTokyo:
    case ids::kSourceJgd2011:
    case ids::kSourceLatLong:
    case ids::kSourcePlane:
    case ids::kSourceUtm:
      return code == kCommandClicked;
    case ids::kSourceSystem:
    case ids::kSourceZone:
      return code == kCommandSelChange;
    default:
      return false;
  }
}

const char* ModeText(int32_t mode) {
  switch (mode) {
    case kImportUseDataFrame: return "現在のデータフレーム設定を使用します";
    case kImportFitToMarkers: return "座標マーカーに合わせて読み込まれます";
    default: return "新たにデータフレームを作成します";
  }
}

}  // namespace

void ImportCoordDialog::OnInit() {
  FillUtmZoneList(*this, ids::kSourceZone);
  FillUtmZoneList(*this, ids::kTargetZone);
  FillPlaneSystemList(*this, ids::kSourceSystem);
  FillPlaneSystemList(*this, ids::kTargetSystem);
  for (int32_t list : {ids::kSourceZone, ids::kTargetZone, ids::kSourceSystem, ids::kTargetSystem}) ListSelect(list, 0);
  SetText(ids::kModeText, ModeText(settings.mode));
  ShowExtent();
  SetChecked(ids::kSourceJgd2000, true);
  SetChecked(ids::kSourceLatLong, true);
  SetChecked(ids::kTargetJgd2000, true);
  SetChecked(ids::kTargetLatLong, true);
  if (settings.sourceFromFiles) ChooseSourceFromSettings();
  SetText(ids::kScale, Format("%.0f", settings.scale));
  SetChecked(ids::kNorthUp, settings.northUp != 0);
  UpdateEnabling();
}

void ImportCoordDialog::ShowExtent() const {
  SetText(ids::kExtentLeft, Format("%f", settings.extentXmin));
  SetText(ids::kExtentRight, Format("%f", settings.extentXmax));
  SetText(ids::kExtentBottom, Format("%f", settings.extentYmin));
  SetText(ids::kExtentTop, Format("%f", settings.extentYmax));
  SetText(ids::kNorthWest, Format("%f,%f", settings.extentYmax, settings.extentXmin));
  SetText(ids::kSouthEast, Format("%f,%f", settings.extentYmin, settings.extentXmax));
}

// The reference the files name themselves, chosen for the user, who may
// still change it.
void ImportCoordDialog::ChooseSourceFromSettings() const {
  const int32_t datum = SourceDatumButton(settings.sourceDatum);
  for (int32_t id : {ids::kSourceJgd2000, ids::kSourceTokyo, ids::kSourceJgd2011}) SetChecked(id, id == datum);
  SetChecked(ids::kSourceLatLong, settings.sourceKind == kKindLatLong);
  SetChecked(ids::kSourcePlane, settings.sourceKind == kKindPlane);
  SetChecked(ids::kSourceUtm, settings.sourceKind == kKindUtm);
  if (settings.sourceKind == kKindPlane) ListSelect(ids::kSourceSystem, settings.sourceSystem);
  if (settings.sourceKind == kKindUtm) ListSelect(ids::kSourceZone, settings.sourceZone);
}

void ImportCoordDialog::UpdateEnabling() const {
  const bool limit = IsChecked(ids::kLimitArea);
  Enable(ids::kNorthWest, limit);
  Enable(ids::kSouthEast, limit);
  Enable(ids::kSourceZone, IsChecked(ids::kSourceUtm));
  Enable(ids::kSourceSystem, IsChecked(ids::kSourcePlane));
  Enable(ids::kTargetZone, IsChecked(ids::kTargetUtm));
  Enable(ids::kTargetSystem, IsChecked(ids::kTargetPlane));
  if (settings.mode == kImportNewDataFrame) return;
  for (int32_t id = ids::kTargetJgd2000; id <= ids::kTargetZone; ++id) Enable(id, false);
  Enable(ids::kTargetJgd2011, false);
  Enable(ids::kNorthUp, false);
  Enable(ids::kScale, false);
}

void ImportCoordDialog::OnCommand(int32_t id, int32_t code) {
  if (id == ids::kWebMap && code == kCommandClicked) {
    Platform()->ShellOpen(kWebMapAddress);
    return;
  }
  if (SetsSource(id, code)) sourceTouched = true;
  switch (id) {
    case ids::kLimitArea:
    case ids::kSourceUtm:
    case ids::kSourceLatLong:
    case ids::kSourcePlane:
    case ids::kTargetLatLong:
    case ids::kTargetPlane:
    case ids::kTargetUtm:
      if (code == kCommandClicked) UpdateEnabling();
      return;
    default:
      return;
  }
}

bool ImportCoordDialog::Refuse(const char* message) const {
  ShowMessage(message);
  return false;
}

bool ImportCoordDialog::ReadSource(ImportCoordSettings& read) const {
  read.sourceDatum = CheckedDatum(*this, ids::kSourceTokyo, ids::kSourceJgd2011);
  if (IsChecked(ids::kSourceLatLong)) {
    read.sourceKind = kKindLatLong;
    return true;
  }
  if (IsChecked(ids::kSourcePlane)) {
    read.sourceKind = kKindPlane;
    read.sourceSystem = ListSelection(ids::kSourceSystem);
    return read.sourceSystem > 0 || Refuse("座標系を選択してください");
  }
  read.sourceKind = kKindUtm;
  read.sourceZone = ListSelection(ids::kSourceZone);
  return read.sourceZone > 0 || Refuse("UTMの座標帯を選択してください");
}

bool ImportCoordDialog::ReadTarget(ImportCoordSettings& read) const {
  read.targetDatum = CheckedDatum(*this, ids::kTargetTokyo, ids::kTargetJgd2011);
  if (IsChecked(ids::kTargetPlane)) {
    read.targetKind = kKindPlane;
    read.targetSystem = ListSelection(ids::kTargetSystem);
    if (read.targetSystem <= 0) return Refuse("座標系を選択してください");
  } else if (IsChecked(ids::kTargetUtm)) {
    read.targetKind = kKindUtm;
    read.targetZone = ListSelection(ids::kTargetZone);
    if (read.targetZone <= 0) return Refuse("UTMの座標帯を選択してください");
  } else {
    read.targetKind = kKindLatLong;
  }
  double scale = 0;
  if (!ReadLeadingNumber(GetText(ids::kScale, kMaxEntry).as_UTF8(), scale) || scale <= 0) {
    return Refuse("縮尺指定が正しくありません");
  }
  read.scale = scale;
  read.northUp = IsChecked(ids::kNorthUp) ? 1 : 0;
  return true;
}

bool ImportCoordDialog::ReadArea(ImportCoordSettings& read) const {
  if (!IsChecked(ids::kLimitArea)) {
    read.limitArea = 0;
    return true;
  }
  double north = 0, west = 0, south = 0, east = 0;
  const bool readable = ReadCorner(GetText(ids::kNorthWest, kMaxEntry), north, west) &&
                        ReadCorner(GetText(ids::kSouthEast, kMaxEntry), south, east);
  if (!readable || !(north > south) || !(west < east)) return Refuse("指定した座標範囲が無効です");
  read.limitArea = 1;
  read.areaYmax = north;
  read.areaXmin = west;
  read.areaYmin = south;
  read.areaXmax = east;
  return true;
}

bool ImportCoordDialog::OnOK() {
  ImportCoordSettings read = settings;
  if (!ReadSource(read)) return false;
  if (read.mode == kImportNewDataFrame && !ReadTarget(read)) return false;
  if (!ReadArea(read)) return false;
  read.sourceChosen = sourceTouched;
  settings = read;
  return true;
}
