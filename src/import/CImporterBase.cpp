#include "import/CImporterBase.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "georef/CoordMarkers.h"
#include "georef/DataFrame.h"
#include "georef/GeorefLayers.h"
#include "host/AIArtSuite.h"
#include "host/AIDocumentSuite.h"
#include "host/AILayerSuite.h"
#include "host/AIPathStyleSuite.h"
#include "formats/PathPieces.h"
#include "attributes/PointMark.h"
#include "host/AIShapeConstructionSuite.h"
#include "host/AITagSuite.h"
#include "host/AIUserSuite.h"
#include "host/SuitePointers.h"
#include "import/ReferenceName.h"
#include "import/RingThinning.h"

namespace {

AIPathStyle PointStyle() {
  AIPathStyle style;
  style.fillPaint = false;
  style.strokePaint = true;
  style.stroke.color = AIColor::Four(0, 0, 0, 1.0f);
  style.stroke.width = kPointMarkStroke;
  style.stroke.dash = AIDashStyle{};
  style.stroke.cap = 0;
  style.stroke.join = 0;
  style.stroke.miterLimit = 4.0f;
  return style;
}

AIPathStyle PathStyle(bool closed) {
  AIPathStyle style;
  style.fillPaint = closed;
  style.fill.color = AIColor::Four(0, 0, 0, 0.1f);
  style.strokePaint = true;
  style.stroke.color = AIColor::Four(0.8f, 0, 0.5f, 0);
  style.stroke.overprint = false;
  style.stroke.width = 0.5f;
  style.stroke.dash = AIDashStyle{};
  style.stroke.cap = 0;
  style.stroke.join = 0;
  style.stroke.miterLimit = 4.0f;
  return style;
}

// Reads the art's style, sets the given paint and writes it back.
AIErr ApplyStyle(AIArtHandle art, const AIPathStyle& paint) {
  AIPathStyle style;
  if (AIErr error = sAIPathStyle->GetPathStyle(art, &style)) return error;
  style.fillPaint = paint.fillPaint;
  if (paint.fillPaint) style.fill = paint.fill;
  style.strokePaint = paint.strokePaint;
  style.stroke = paint.stroke;
  return sAIPathStyle->SetPathStyle(art, &style);
}

// A point in the target reference's own coordinates: degrees for
// latitude/longitude, where Convert gives metres on the latitude/longitude plane.
bool ToReference(const CoordConverter& converter, double x, double y, double& outX, double& outY) {
  if (converter.IsIdentity()) return converter.Convert(x, y, outX, outY);
  double latitude = 0, longitude = 0;
  if (!converter.ToGeographic(y, x, latitude, longitude) ||
      !converter.ShiftDatum(latitude, longitude, latitude, longitude)) {
    return false;
  }
  if (converter.Target().kind != kKindLatLong) return converter.FromGeographic(latitude, longitude, outX, outY);
  outX = longitude;
  outY = latitude;
  return true;
}

ai::UnicodeString NameList(const char* heading, const std::vector<ai::UnicodeString>& names) {
  ai::UnicodeString text(heading);
  for (const auto& name : names) text += ai::UnicodeString("\n") + name;
  return text;
}

}  // namespace

CImporterBase::CImporterBase(SPPluginRef plugin)
    : plugin(plugin),
      converter(std::make_unique<CoordConverter>(plugin)),
      transform(std::make_unique<MapTransform>()),
      SegmentBuffer(std::make_unique<AIPathSegment[]>(kMaxPathSegments)) {}

CImporterBase::~CImporterBase() = default;

AIErr CImporterBase::ChooseFiles() { return kNoErr; }

AIErr CImporterBase::ImportFile(const ai::FilePath&, AILayerHandle&) { return kNoErr; }

bool CImporterBase::GetDataExtent(double& xmin, double& xmax, double& ymin, double& ymax) {
  xmin = xmax = ymin = ymax = 0;
  return true;
}

bool CImporterBase::Prepare() { return true; }

void CImporterBase::ShowError(const ai::UnicodeString& message) { sAIUser->ErrorAlert(message.Ref()); }

void CImporterBase::ShowMessage(const ai::UnicodeString& message) { sAIUser->MessageAlert(message.Ref()); }

void CImporterBase::NoteUnreadable(const ai::FilePath& file, const std::string& reason) {
  unreadable.push_back(file.GetFullPath());
  unreadableLines.push_back(reason.empty() ? file.GetFullPath()
                                           : file.GetFullPath() + ai::UnicodeString::FromUTF8(" (" + reason + ")"));
}

void CImporterBase::NoteUnsupportedReference(const ai::FilePath& file, const std::string& name) {
  unsupportedReferences.emplace_back(file.GetFileName(), name);
}

void CImporterBase::NoteStoppedAt(const ai::FilePath& file, int64_t record) {
  char text[64];
  std::snprintf(text, sizeof text, " (%lld)", static_cast<long long>(record));
  stopped.push_back(file.GetFullPath() + ai::UnicodeString(text));
}

void CImporterBase::ReportFittedValues(const ai::FilePath& file, int64_t values) {
  if (values <= 0) return;
  char text[512];
  std::snprintf(text, sizeof text,
                "%s の値のうち %lld 個は、数値でないかフィールドの桁数に収まらないため、収まる値に変えて読み込みました",
                file.GetFileName().as_UTF8().c_str(), static_cast<long long>(values));
  ShowMessage(ai::UnicodeString(text));
}

void CImporterBase::ReportUndecodable(const ai::FilePath& file, int64_t bytes, int32_t encoding) {
  if (bytes <= 0) return;
  const char* used = encoding == kAIUTF8CharacterEncoding ? "UTF-8" : encoding == kAIUTF16CharacterEncoding ? "UTF-16" : "シフトJIS";
  const char* other = encoding == kAIUTF8CharacterEncoding    ? "シフトJIS"
                      : encoding == kAIUTF16CharacterEncoding ? "シフトJIS または UTF-8"
                                                              : "UTF-8";
  char text[512];
  std::snprintf(text, sizeof text,
                "%s には %s の文字として読めないバイトが %lld 個あり、「\xEF\xBF\xBD」に置き換えました。%s で読み込んでみてください",
                file.GetFileName().as_UTF8().c_str(), used, static_cast<long long>(bytes), other);
  ShowMessage(ai::UnicodeString(text));
}

namespace {

// "file: 3, 5（計 2 件）"; a file damaged throughout is named with its first
// records and the count.
ai::UnicodeString RecordList(const ai::FilePath& file, const std::vector<int64_t>& records) {
  constexpr size_t kListed = 20;
  std::string list;
  for (size_t i = 0; i < records.size() && i < kListed; ++i) {
    list += (i == 0 ? " " : ", ") + std::to_string(records[i]);
  }
  if (records.size() > kListed) list += " ほか " + std::to_string(records.size() - kListed) + " 件";
  list += "（計 " + std::to_string(records.size()) + " 件）";
  return file.GetFullPath() + ai::UnicodeString(":") + ai::UnicodeString::FromUTF8(list);
}

}  // namespace

void CImporterBase::NoteUnreadableRecords(const ai::FilePath& file, const std::vector<int64_t>& records) {
  if (!records.empty()) badRecords.push_back(RecordList(file, records));
}

void CImporterBase::NoteThinnedRecords(const ai::FilePath& file, const std::vector<int64_t>& records,
                                       int64_t droppedVertices) {
  const double deviation = thinningDeviation;
  thinningDeviation = 0;
  if (records.empty()) return;
  // Points on the artboard to millimetres on paper, and through the scale to the ground.
  const double paper = deviation * 25.4 / 72;
  char text[256];
  if (mapScale > 0) {
    std::snprintf(text, sizeof text, "\n  間引いた頂点 %lld 個、元の頂点との最大のずれ %.2f mm（地上 %.1f m）",
                  static_cast<long long>(droppedVertices), paper, paper * mapScale / 1000);
  } else {
    std::snprintf(text, sizeof text, "\n  間引いた頂点 %lld 個、元の頂点との最大のずれ %.2f mm",
                  static_cast<long long>(droppedVertices), paper);
  }
  thinnedRecords.push_back(RecordList(file, records) + ai::UnicodeString(text));
}

void CImporterBase::NoteAlteredRecords(const ai::FilePath& file, const std::vector<int64_t>& records) {
  if (!records.empty()) alteredRecords.push_back(RecordList(file, records));
}

// The files named as unreadable so far are told once and dropped from the
// import; false when no file is left. With files left it is a notice, with
// none the import has failed.
bool CImporterBase::ReportUnreadableFiles() {
  if (unreadable.empty()) return true;
  std::erase_if(files, [this](const ai::FilePath& file) {
    return std::find(unreadable.begin(), unreadable.end(), file.GetFullPath()) != unreadable.end();
  });
  const ai::UnicodeString message = NameList(import_texts::kUnreadableFiles, unreadableLines);
  unreadable.clear();
  unreadableLines.clear();
  if (files.empty()) {
    ShowError(message);
    return false;
  }
  ShowMessage(message);
  return true;
}

// What the import left out, told once at its end: the user has the map, and
// is told what is missing from it.
void CImporterBase::ReportSkipped() {
  if (!unreadable.empty()) ShowMessage(NameList(import_texts::kUnreadableFiles, unreadableLines));
  unreadable.clear();
  unreadableLines.clear();
  if (!stopped.empty()) ShowMessage(NameList(import_texts::kStoppedFiles, stopped));
  stopped.clear();
  if (!badRecords.empty()) ShowMessage(NameList(import_texts::kUnreadableRecords, badRecords));
  badRecords.clear();
  if (!thinnedRecords.empty()) ShowMessage(NameList(import_texts::kThinnedRecords, thinnedRecords));
  thinnedRecords.clear();
  if (!alteredRecords.empty()) ShowMessage(NameList(import_texts::kAlteredRecords, alteredRecords));
  alteredRecords.clear();
  if (!unconverted.empty()) ShowMessage(NameList(import_texts::kUnconvertedFiles, unconverted));
  unconverted.clear();
  if (skippedPoints > 0) {
    char text[256];
    std::snprintf(text, sizeof text, import_texts::kSkippedPoints, static_cast<long long>(skippedPoints));
    ShowMessage(ai::UnicodeString(text));
  }
  const size_t distantPoints = earlierDistantPoints + converter->DistantPoints();
  earlierDistantPoints = 0;
  converter->ResetDistantPoints();
  if (distantPoints > 0) {
    char text[256];
    std::snprintf(text, sizeof text, kDistantPointsNote, static_cast<long long>(distantPoints));
    ShowMessage(ai::UnicodeString(text));
  }
}

// A cancelled import takes back the layers it made, so that the document is
// as it was before the command.
void CImporterBase::RollBack() {
  for (auto layer = createdLayers.rbegin(); layer != createdLayers.rend(); ++layer) sAILayer->DeleteLayer(*layer);
  createdLayers.clear();
}

AIErr CImporterBase::RunImport() {
  if (AIErr result = ChooseFiles()) return result;
  if (!Prepare()) return kCanceledErr;
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  const bool extentGiven = GetDataExtent(xmin, xmax, ymin, ymax);
  // Importers that gather the files' extents say whether any held records;
  // the others give no extent when none did.
  if (!recordsFound) recordsFound = extentGiven;
  if (!ReportUnreadableFiles()) return kCanceledErr;

  ImportCoordSettings settings;
  settings.SetExtent(xmin, xmax, ymin, ymax);
  LoadImportPreferences(settings);
  if (filesReference) {
    settings.sourceDatum = filesReference->datum;
    settings.sourceKind = filesReference->kind;
    settings.sourceSystem = filesReference->system;
    settings.sourceZone = filesReference->zone;
    settings.sourceFromFiles = true;
  }
  if (!SetupCoordinates(settings)) {
    RollBack();
    return setupError != kNoErr ? setupError : kCanceledErr;
  }
  SaveImportPreferences(settings);
  // Only the data count, not the centre and corners of the area.
  converter->ResetDistantPoints();
  earlierDistantPoints = 0;

  NoteFileReferences();

  AILayerHandle layer = nullptr;
  std::vector<std::pair<ai::FilePath, AILayerHandle>> drawn;
  for (const ai::FilePath& file : files) {
    if (!UseReference(ReferenceOf(file))) {
      unconverted.push_back(file.GetFullPath());
      continue;
    }
    AILayerHandle before = layer;
    const AIErr result = ImportFile(file, layer);
    if (result == kCanceledErr) RollBack();
    if (result != kNoErr) {
      if (result != kCanceledErr) ReportSkipped();
      return result;
    }
    if (layer && layer != before) drawn.emplace_back(file, layer);
  }
  ReportSkipped();
  ReportOffArtboard(drawn);
  // The markers stand on the area, which is in the dialog's source reference.
  if (settings.mode == kImportNewDataFrame && UseReference(importSource)) {
    const AIErr placed = PlaceImportMarkers(*converter, *transform, settings.areaXmin, settings.areaXmax,
                                            settings.areaYmin, settings.areaYmax);
    // A corner that cannot be converted leaves the map without markers; what
    // was drawn stands, and the user is told.
    if (placed == kBadParameterErr) {
      ShowMessage(ai::UnicodeString(import_texts::kNoMarkers));
    } else if (placed != kNoErr) {
      return placed;
    }
  }
  return layer != nullptr ? sAILayer->SetCurrentLayer(layer) : kNoErr;
}

bool CImporterBase::SetupFailed(const char* message) { return SetupFailed(ai::UnicodeString(message)); }

bool CImporterBase::SetupFailed(const ai::UnicodeString& message) {
  ShowError(message);
  return false;
}

ai::UnicodeString CImporterBase::CentreFailure(const ImportCoordSettings& settings) const {
  char text[2048];
  // A reference the system does not draw in: the file's coordinates were
  // taken in another one.
  if (!unsupportedReferences.empty()) {
    const auto& [file, name] = unsupportedReferences.front();
    std::snprintf(text, sizeof text, import_texts::kReferenceNotDrawn, file.as_UTF8().c_str(), name.c_str());
    return ai::UnicodeString(text);
  }
  const CoordRef source = settings.Source();
  const auto beyondDegrees = [](double xmin, double xmax, double ymin, double ymax) {
    return xmin < -180 || xmax > 360 || ymin < -90 || ymax > 90;
  };
  // Plane or projected metres read as degrees: a file without a .prj
  // (a plane export re-imported, a file from elsewhere).
  if (source.kind == kKindLatLong) {
    for (const FileExtent& extent : fileExtents) {
      if (fileReferences.count(extent.file.GetPlatformPath())) continue;
      if (!beyondDegrees(extent.xmin, extent.xmax, extent.ymin, extent.ymax)) continue;
      std::snprintf(text, sizeof text, import_texts::kNotDegrees, extent.file.GetFileName().as_UTF8().c_str(),
                    extent.xmin, extent.xmax, extent.ymin, extent.ymax);
      return ai::UnicodeString(text);
    }
    if (fileExtents.empty() && !files.empty() &&
        beyondDegrees(settings.areaXmin, settings.areaXmax, settings.areaYmin, settings.areaYmax)) {
      std::snprintf(text, sizeof text, import_texts::kNotDegrees, files.front().GetFileName().as_UTF8().c_str(),
                    settings.areaXmin, settings.areaXmax, settings.areaYmin, settings.areaYmax);
      return ai::UnicodeString(text);
    }
  }
  // Files in differing references whose area could not be put in one.
  std::set<std::string> references;
  std::vector<ai::UnicodeString> lines;
  for (const ai::FilePath& file : files) {
    const auto found = fileReferences.find(file.GetPlatformPath());
    const std::string name = found != fileReferences.end() ? ReferenceName(found->second)
                                                          : ReferenceName(source) + import_texts::kNoPrj;
    references.insert(name);
    lines.push_back(file.GetFileName() + ai::UnicodeString::FromUTF8("：" + name));
  }
  if (references.size() > 1) return NameList(import_texts::kDifferingReferences, lines);
  return ai::UnicodeString(import_texts::kCentreNotConverted);
}

namespace {

// Rounded up to two significant digits: a scale a user would type.
long long RoundScaleUp(double scale) {
  if (!(scale > 0) || !std::isfinite(scale) || scale > 1e15) return 0;
  const double step = std::pow(10.0, std::floor(std::log10(scale)) - 1);
  return static_cast<long long>(std::ceil(scale / step - 1e-9) * step);
}

}  // namespace

void CImporterBase::ReportOffArtboard(const std::vector<std::pair<ai::FilePath, AILayerHandle>>& drawn) const {
  AIRealRect board;
  if (drawn.empty() || !(mapScale > 0) || sAIDocument->GetDocumentBounds(&board) != kNoErr) return;
  std::vector<ai::UnicodeString> names;
  bool any = false;
  AIRealRect all{};
  for (const auto& [file, layer] : drawn) {
    AIArtHandle group = nullptr;
    AIRealRect bounds;
    if (sAIArt->GetFirstArtOfLayer(layer, &group) != kNoErr || !group) continue;
    if (sAIArt->GetArtBounds(group, &bounds) != kNoErr) continue;
    if (!(bounds.left <= bounds.right && bounds.bottom <= bounds.top)) continue;  // nothing drawn
    if (bounds.left < board.left || bounds.right > board.right || bounds.bottom < board.bottom ||
        bounds.top > board.top)
      names.push_back(file.GetFileName());
    if (!any) {
      all = bounds;
      any = true;
    }
    all.left = std::min(all.left, bounds.left);
    all.right = std::max(all.right, bounds.right);
    all.bottom = std::min(all.bottom, bounds.bottom);
    all.top = std::max(all.top, bounds.top);
  }
  if (names.empty()) return;
  char heading[1024];
  const auto scale = static_cast<long long>(mapScale);
  if (newFrameAnchor) {
    // The new map is drawn about its anchor: at a smaller scale each side of
    // the data shrinks towards it by the same factor.
    const AIRealPoint a = *newFrameAnchor;
    double factor = 1;
    const auto widen = [&](double need, double room) {
      if (room > 0) factor = std::max(factor, need / room);
    };
    widen(a.h - all.left, a.h - board.left);
    widen(all.right - a.h, board.right - a.h);
    widen(all.top - a.v, board.top - a.v);
    widen(a.v - all.bottom, a.v - board.bottom);
    std::snprintf(heading, sizeof heading, import_texts::kOffArtboardNewMap, scale, RoundScaleUp(mapScale * factor));
  } else {
    std::snprintf(heading, sizeof heading, import_texts::kOffArtboard, scale);
  }
  ShowMessage(NameList(heading, names));
}

// Configures the converter; a failure is told once (the converter itself
// tells when the datum grid is missing).
bool CImporterBase::ConfigureConverter(const CoordRef& source, const CoordRef& target) {
  if (converter->Configure(source, target)) return true;
  if (converter->GridMissing()) return false;
  return SetupFailed(import_texts::kNoConversion);
}

// The data frame of a new map centred on the import area. The centre goes
// through the whole conversion even when source and target agree, so that
// a north-up map still gets the convergence at its centre.
bool CImporterBase::SetupNewDataFrame(const ImportCoordSettings& settings, DataFrameParams& frame) {
  const CoordRef target = settings.Target();
  if (!ConfigureConverter(AsConverted(settings.Source()), target)) return false;
  const double centreX = (settings.areaXmin + settings.areaXmax) / 2;
  const double centreY = (settings.areaYmin + settings.areaYmax) / 2;
  double latitude = 0, longitude = 0, convergence = 0;
  // Without records there is no area to centre the map on.
  if (recordsFound && !*recordsFound) {
    std::string names;
    for (const ai::FilePath& file : files) names += (names.empty() ? "" : "、") + file.GetFileName().as_UTF8();
    char text[2048];
    std::snprintf(text, sizeof text, import_texts::kNoRecords, names.c_str());
    return SetupFailed(ai::UnicodeString(text));
  }
  if (!converter->ToGeographic(centreY, centreX, latitude, longitude) ||
      !converter->ShiftDatum(latitude, longitude, latitude, longitude)) {
    return SetupFailed(CentreFailure(settings));
  }
  // A latitude/longitude map is drawn around the data's own longitudes, so
  // that data at the 180th meridian stay in one piece.
  converter->SetCentralLongitude(longitude);
  if (!converter->FromGeographic(latitude, longitude, frame.originX, frame.originY, &convergence)) {
    return SetupFailed(CentreFailure(settings));
  }
  frame.datum = target.datum;
  frame.kind = target.kind;
  frame.system = target.system;
  frame.zone = target.zone;
  frame.rotation = settings.northUp != 0 ? convergence : 0;
  frame.scale = settings.scale;
  AIRealRect bounds;
  if (sAIDocument->GetDocumentBounds(&bounds) == kNoErr) {
    frame.anchorX = (bounds.left + bounds.right) / 2;
    frame.anchorY = (bounds.top + bounds.bottom) / 2;
    newFrameAnchor = AIRealPoint{frame.anchorX, frame.anchorY};
  }
  return true;
}

// Writes the new map's data frame; a frame this import wrote goes again if
// the import is cancelled.
bool CImporterBase::WriteNewDataFrame(const DataFrameParams& frame) {
  AILayerHandle existing = nullptr;
  FindLayerByTitle(kDataFrameLayerTitle, existing);
  if (AIErr error = WriteDataFrame(frame)) {
    setupError = error;
    return false;
  }
  AILayerHandle written = nullptr;
  if (!existing && FindLayerByTitle(kDataFrameLayerTitle, written) == kNoErr && written) {
    createdLayers.push_back(written);
  }
  return true;
}

bool CImporterBase::SetupCoordinates(ImportCoordSettings& settings) {
  DataFrameParams frame;
  MarkerSet markers;
  MarkerTexts texts;
  if (ReadDataFrame(frame)) {
    settings.mode = kImportUseDataFrame;
  } else if (ReadMarkerSet(markers, texts)) {
    settings.mode = kImportFitToMarkers;
  } else {
    settings.mode = kImportNewDataFrame;
  }
  const AIErr dialog = RunImportCoordDialog(plugin, settings);
  if (dialog != kNoErr) {
    if (dialog != kCanceledErr) setupError = dialog;
    return false;
  }
  // A source the user chose applies to every file; then the bounds of the
  // files need no converting, and the area is their plain union.
  perFileReferences = !settings.sourceChosen && !fileReferences.empty();
  if (!perFileReferences && plainExtent && settings.limitArea == 0) {
    settings.areaXmin = plainExtent->xmin;
    settings.areaXmax = plainExtent->xmax;
    settings.areaYmin = plainExtent->ymin;
    settings.areaYmax = plainExtent->ymax;
  }
  importMode = settings.mode;
  importSource = AsConverted(settings.Source());

  bool usable = false;
  switch (settings.mode) {
    case kImportUseDataFrame:
      mapReference = CoordRef{frame.datum, frame.kind, frame.system, frame.zone};
      if (!ConfigureConverter(importSource, mapReference)) return false;
      converter->SetCentralLongitude(converter->PlaneLongitude(frame.originX));
      usable = transform->SetFromDataFrame(frame);
      mapScale = frame.scale;
      break;
    case kImportFitToMarkers:
      mapReference = importSource;
      converter->SetIdentity();
      usable = transform->SetFromMarkers(markers);
      break;
    case kImportNewDataFrame:
      // The transform is checked before the frame is written, so that an
      // unusable one leaves the document alone.
      mapReference = settings.Target();
      if (!SetupNewDataFrame(settings, frame)) return false;
      usable = transform->SetFromDataFrame(frame);
      mapScale = frame.scale;
      if (usable && !WriteNewDataFrame(frame)) return false;
      break;
    default:
      return false;
  }
  if (!usable) return SetupFailed(import_texts::kNoTransform);
  converterSource = importSource;

  if (settings.limitArea != 0) {
    areaLimited = true;
    areaXmin = settings.areaXmin;
    areaXmax = settings.areaXmax;
    areaYmin = settings.areaYmin;
    areaYmax = settings.areaYmax;
  }
  return true;
}

AIErr CImporterBase::NewImportLayer(AILayerHandle& layer) {
  layer = nullptr;
  AILayerHandle reference = nullptr;
  if (AIErr error = sAILayer->GetFirstLayer(&reference)) return error;
  while (reference && IsGeorefLayer(reference)) {
    if (AIErr error = sAILayer->GetNextLayer(reference, &reference)) return error;
  }
  const AIPaintOrder order = reference ? kPlaceAbove : kPlaceAboveAll;
  if (AIErr error = sAILayer->InsertLayer(reference, order, &layer)) return error;
  createdLayers.push_back(layer);
  return kNoErr;
}

// Source coordinates through the converter and the map transform; false,
// with the point counted, when either cannot take it.
bool CImporterBase::ToArtboard(double x, double y, AIRealPoint& point) const {
  double mapX = 0, mapY = 0;
  float artX = 0, artY = 0;
  const bool converted =
      toFileCoordinates ? ToReference(*converter, x, y, mapX, mapY) : converter->Convert(x, y, mapX, mapY);
  if (!converted || !transform->MapToArtboard(mapX, mapY, artX, artY)) return false;
  if (!std::isfinite(artX) || !std::isfinite(artY)) return false;
  point = {artX, artY};
  return true;
}

AIErr CImporterBase::DrawPoint(double x, double y, AILayerHandle layer, AIArtHandle& art) {
  art = nullptr;
  AIRealPoint centre;
  if (!ToArtboard(x, y, centre)) {
    ++skippedPoints;
    return kNoErr;
  }
  AIArtHandle group = nullptr;
  if (AIErr error = sAIArt->GetFirstArtOfLayer(layer, &group)) return error;
  // The shape is centred on the point, so that the point is its bounds' centre.
  AIArtHandle shape = nullptr;
  if (AIErr error = sAIShapeConstruction->NewCentredRect(centre, kPointMarkSize, kPointMarkSize, &shape)) return error;
  if (AIErr error = sAIArt->ReorderArt(shape, kPlaceInsideOnTop, group)) return error;
  if (AIErr error = ApplyStyle(shape, PointStyle())) return error;
  art = shape;
  return kNoErr;
}

AIErr CImporterBase::MakePath(const AIRealPoint* anchors, size_t count, bool closed, AIArtHandle group,
                              AIArtHandle& path) {
  if (AIErr error = sAIArt->NewArt(kPathArt, kPlaceInsideOnTop, group, &path)) return error;
  for (size_t i = 0; i < count; ++i) SegmentBuffer[i] = AIPathSegment{anchors[i], anchors[i], anchors[i], true};
  if (AIErr error = sAIPath->SetPathSegments(path, 0, static_cast<int16_t>(count), SegmentBuffer.get())) return error;
  if (AIErr error = sAIPath->SetPathClosed(path, closed)) return error;
  return ApplyStyle(path, PathStyle(closed));
}

AIErr CImporterBase::DrawPathPart(const ShapePart& points, bool closed, AILayerHandle layer,
                                  std::vector<AIArtHandle>& paths) {
  paths.clear();
  // A ring repeats its first point at its end; a closed path needs it once.
  size_t count = points.size();
  if (closed && count > 1 && points.front() == points.back()) --count;
  std::vector<AIRealPoint> anchors;
  anchors.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    AIRealPoint point;
    if (ToArtboard(points[i].x, points[i].y, point)) {
      anchors.push_back(point);
    } else {
      ++skippedPoints;
    }
  }
  if (anchors.empty()) return kNoErr;
  AIArtHandle group = nullptr;
  if (AIErr error = sAIArt->GetFirstArtOfLayer(layer, &group)) return error;

  const size_t limit = static_cast<size_t>(kMaxPathSegments);
  if (closed && anchors.size() > limit) {
    // Closed pieces would draw chords across the shape: one thinned path instead.
    double tolerance = 0, deviation = 0;
    const size_t before = anchors.size();
    anchors = ThinClosedRing(anchors, limit, tolerance, deviation);
    thinningTolerance = std::max(thinningTolerance, tolerance);
    thinnedVertices += static_cast<int64_t>(before - anchors.size());
    thinningDeviation = std::max(thinningDeviation, deviation);
  }
  // Longer lists become several paths; each piece starts where the last ended
  // and is marked as going on from it.
  for (size_t start = 0;;) {
    const size_t n = std::min(limit, anchors.size() - start);
    AIArtHandle path = nullptr;
    if (AIErr error = MakePath(anchors.data() + start, n, closed, group, path)) return error;
    if (start > 0) {
      if (AIErr error = sAITag->SetTagBoolean(path, kPathContinuesTag, true)) return error;
    }
    paths.push_back(path);
    if (start + n >= anchors.size()) break;
    start += n - 1;
  }
  return kNoErr;
}

AIErr CImporterBase::MakeCompoundPath(const std::vector<AIArtHandle>& paths, AIPaintOrder order, AIArtHandle container,
                                      AIArtHandle& compound) {
  if (AIErr error = sAIArt->NewArt(kCompoundPathArt, order, container, &compound)) return error;
  for (AIArtHandle path : paths) {
    if (AIErr error = sAIArt->ReorderArt(path, kPlaceInsideOnTop, compound)) return error;
    // Sources wind their holes either way: with even-odd filling a ring inside
    // another is a hole whatever its direction, as export reads it back.
    AIPathStyle style;
    if (AIErr error = sAIPathStyle->GetPathStyle(path, &style)) return error;
    style.evenOdd = true;
    if (AIErr error = sAIPathStyle->SetPathStyle(path, &style)) return error;
  }
  return kNoErr;
}

bool CImporterBase::InArea(double x, double y) const {
  return areaXmin <= x && x <= areaXmax && areaYmin <= y && y <= areaYmax;
}

// The area is in the dialog's source reference; a point of a file in
// another is taken there first.
bool CImporterBase::IsInsideArea(double x, double y) const {
  if (!toAreaReference) return InArea(x, y);
  double areaX = 0, areaY = 0;
  return ToReference(*toAreaReference, x, y, areaX, areaY) && InArea(areaX, areaY);
}

namespace {

// Points along the outline of a box, for its extent in another reference.
constexpr int kOutlineSteps = 16;

template <typename Visit>
void WalkOutline(double xmin, double xmax, double ymin, double ymax, Visit visit) {
  for (int i = 0; i <= kOutlineSteps; ++i) {
    const double t = static_cast<double>(i) / kOutlineSteps;
    const double x = xmin + (xmax - xmin) * t, y = ymin + (ymax - ymin) * t;
    visit(x, ymin);
    visit(x, ymax);
    visit(xmin, y);
    visit(xmax, y);
  }
}

// The bounds of a box's outline through the converter; false when no point converts.
bool ConvertedBounds(const CoordConverter& converter, double& xmin, double& xmax, double& ymin, double& ymax) {
  double x0 = 0, x1 = 0, y0 = 0, y1 = 0;
  bool any = false;
  WalkOutline(xmin, xmax, ymin, ymax, [&](double x, double y) {
    double cx = 0, cy = 0;
    if (!ToReference(converter, x, y, cx, cy)) return;
    x0 = any ? std::min(x0, cx) : cx;
    x1 = any ? std::max(x1, cx) : cx;
    y0 = any ? std::min(y0, cy) : cy;
    y1 = any ? std::max(y1, cy) : cy;
    any = true;
  });
  if (!any) return false;
  xmin = x0;
  xmax = x1;
  ymin = y0;
  ymax = y1;
  return true;
}

}  // namespace

bool CImporterBase::IntersectsArea(double xmin, double ymin, double xmax, double ymax) const {
  if (toAreaReference && !ConvertedBounds(*toAreaReference, xmin, xmax, ymin, ymax)) return false;
  return !(areaXmin > xmax || xmin > areaXmax || areaYmin > ymax || ymin > areaYmax);
}

CoordRef CImporterBase::ReferenceOf(const ai::FilePath& file) const {
  if (!perFileReferences) return importSource;
  const auto found = fileReferences.find(file.GetPlatformPath());
  return found != fileReferences.end() ? AsConverted(found->second) : importSource;
}

bool CImporterBase::UseReference(const CoordRef& ref) {
  if (ref == converterSource) return true;
  if (importMode == kImportFitToMarkers && ref == importSource) {
    converter->SetIdentity();
  } else {
    earlierDistantPoints += converter->DistantPoints();
    if (!converter->Configure(ref, mapReference)) return false;
  }
  converterSource = ref;
  // Markers hold the coordinates of the dialog's source reference as they are.
  toFileCoordinates = importMode == kImportFitToMarkers && !(ref == importSource);
  toAreaReference.reset();
  if (areaLimited && !(ref == importSource)) {
    toAreaReference = std::make_unique<CoordConverter>(plugin);
    if (!toAreaReference->Configure(ref, importSource)) {
      toAreaReference.reset();
      return false;
    }
  }
  return true;
}

// When the files are in more than one reference, each file is named with
// the one it was converted from.
void CImporterBase::NoteFileReferences() const {
  if (!perFileReferences || files.size() < 2) return;
  bool differ = false;
  for (const ai::FilePath& file : files) differ |= !(ReferenceOf(file) == ReferenceOf(files.front()));
  if (!differ) return;
  std::vector<ai::UnicodeString> lines;
  for (const ai::FilePath& file : files) {
    const auto found = fileReferences.find(file.GetPlatformPath());
    const std::string name = found != fileReferences.end() ? ReferenceName(found->second)
                                                          : ReferenceName(importSource) + import_texts::kNoPrj;
    lines.push_back(file.GetFileName() + ai::UnicodeString::FromUTF8("：" + name));
  }
  ShowMessage(NameList(import_texts::kFileReferences, lines));
}

bool CImporterBase::UnionInOneReference(const std::vector<FileExtent>& extents, double& xmin, double& xmax,
                                        double& ymin, double& ymax) {
  fileExtents = extents;
  recordsFound = !extents.empty();
  if (extents.empty()) return false;
  FileExtent plain = extents.front(), common = extents.front();
  bool converted = false, anyCommon = false;
  std::unique_ptr<CoordConverter> toCommon;
  for (const FileExtent& extent : extents) {
    plain.xmin = std::min(plain.xmin, extent.xmin);
    plain.xmax = std::max(plain.xmax, extent.xmax);
    plain.ymin = std::min(plain.ymin, extent.ymin);
    plain.ymax = std::max(plain.ymax, extent.ymax);
    FileExtent own = extent;
    const auto found = fileReferences.find(extent.file.GetPlatformPath());
    const CoordRef ref = found != fileReferences.end() ? AsConverted(found->second) : CoordRef{};
    if (filesReference && found != fileReferences.end() && !(ref == *filesReference)) {
      if (!toCommon) toCommon = std::make_unique<CoordConverter>(plugin);
      // A file that cannot be taken there says nothing about the common extent.
      if (!toCommon->Configure(ref, *filesReference) ||
          !ConvertedBounds(*toCommon, own.xmin, own.xmax, own.ymin, own.ymax)) {
        continue;
      }
      converted = true;
    }
    if (!anyCommon) {
      common = own;
      anyCommon = true;
      continue;
    }
    common.xmin = std::min(common.xmin, own.xmin);
    common.xmax = std::max(common.xmax, own.xmax);
    common.ymin = std::min(common.ymin, own.ymin);
    common.ymax = std::max(common.ymax, own.ymax);
  }
  const FileExtent& chosen = converted && anyCommon ? common : plain;
  if (converted && anyCommon) plainExtent = plain;
  xmin = chosen.xmin;
  xmax = chosen.xmax;
  ymin = chosen.ymin;
  ymax = chosen.ymax;
  return true;
}
