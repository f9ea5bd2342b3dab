#include "export/CExporterBase.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <set>

#include "attributes/AttrTable.h"
#include "export/ExportAlerts.h"
#include "export/ExportDialog.h"
#include "export/PolygonRings.h"
#include "formats/PathPieces.h"
#include "georef/CoordMarkers.h"
#include "georef/DataFrame.h"
#include "georef/GeorefLayers.h"
#include "host/AIArtSetSuite.h"
#include "host/AIArtSuite.h"
#include "host/AIDocumentSuite.h"
#include "host/AILayerSuite.h"
#include "host/AIPathSuite.h"
#include "host/AITagSuite.h"
#include "host/AITextFrameSuite.h"
#include "host/AIUserSuite.h"
#include "host/ATETextRangeSuite.h"
#include "host/HostRef.h"
#include "host/SuitePointers.h"

namespace {

constexpr const char* kCannotCompleteAlert = "出力ファイルを書き終えることができませんでした";
constexpr const char* kConversionAlert = "座標変換を設定できないため、書き出しを中止しました";
constexpr const char* kHostErrorAlert = "書き出しでエラーが発生しました";
constexpr const char* kFolderDialogTitle = "書き出し先フォルダの指定";
constexpr const char* kFileDialogTitle = "ファイルの書き出し";
constexpr int32_t kExtraFieldDigits = 254;

void Alert(const ai::UnicodeString& text) { sAIUser->MessageAlert(text.Ref()); }

ai::UnicodeString WithPath(const char* message, const ai::FilePath& path) {
  return ai::UnicodeString(message) + "\n" + path.GetFullPath();
}

// The alert with the reason the system gave, on a line of its own.
ai::UnicodeString WithReason(const char* message, const ai::FilePath& path, const std::string& reason) {
  ai::UnicodeString text = WithPath(message, path);
  if (!reason.empty()) text += ai::UnicodeString(("\n" + reason).c_str());
  return text;
}

ai::UnicodeString Format(const char* format, auto... values) {
  char text[512];
  std::snprintf(text, sizeof text, format, values...);
  return ai::UnicodeString(text);
}

bool Cancelled() {
  AIBoolean cancelled = false;
  return sAIUser->Cancelled(&cancelled) == kNoErr && cancelled;
}

void ShowProgress(const ai::UnicodeString& text, size_t current, size_t maximum) {
  sAIUser->SetProgressText(text.Ref());
  sAIUser->UpdateProgress(static_cast<int32_t>(std::min<size_t>(current, INT32_MAX)),
                          static_cast<int32_t>(std::min<size_t>(maximum, INT32_MAX)));
}

AIArtType TypeOf(AIArtHandle art) {
  AIArtType type = kUnknownArt;
  if (sAIArt->GetArtType(art, &type) != kNoErr) return kUnknownArt;
  return type;
}

bool IsLayerGroup(AIArtHandle art) {
  AIBoolean layerGroup = false;
  return sAIArt->IsArtLayerGroup(art, &layerGroup) == kNoErr && layerGroup;
}

bool IsSkipped(AIArtHandle art) {
  AIBoolean skipped = false;
  return sAIArt->IsArtSkipped(art, &skipped) == kNoErr && skipped;
}

bool IsVisible(AILayerHandle layer) {
  AIBoolean visible = false;
  return sAILayer->GetLayerVisible(layer, &visible) == kNoErr && visible;
}

AIErr TitleOf(AILayerHandle layer, ai::UnicodeString& title) {
  AIUnicodeStringRef ref = nullptr;
  if (AIErr error = sAILayer->GetLayerTitle(layer, &ref)) return error;
  title = ai::UnicodeString::Adopt(ref);
  return kNoErr;
}

// The children in the order they were drawn: from the back to the front.
// The host lists them front first, and an import draws each record, and each
// part of a record, on top of the one before; so a layer or a compound path
// comes back out in the order of the file it was read from.
std::vector<AIArtHandle> ChildrenOf(AIArtHandle art, AIErr& error) {
  std::vector<AIArtHandle> children;
  AIArtHandle child = nullptr;
  error = sAIArt->GetArtFirstChild(art, &child);
  while (error == kNoErr && child != nullptr) {
    children.push_back(child);
    error = sAIArt->GetArtSibling(child, &child);
  }
  std::reverse(children.begin(), children.end());
  return children;
}

// Paragraph ends become the two characters backslash and n, so that the text
// stays on one line of a table.
ai::UnicodeString OneLine(const std::u16string& text) {
  std::u16string line;
  line.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'\r' || text[i] == u'\n') {
      if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      line += u"\\n";
    } else {
      line += text[i];
    }
  }
  return ai::UnicodeString::FromUTF16(line);
}

AIErr TextOf(AIArtHandle art, ai::UnicodeString& text) {
  ai::TextRangeRef range;
  if (AIErr error = sAITextFrame->GetATETextRange(art, range.put())) return error;
  int32_t size = 0;
  if (AIErr error = sATETextRange->GetSize(range.get(), &size)) return error;
  std::u16string units(static_cast<size_t>(std::max(size, 0)), u'\0');
  int32_t length = 0;
  if (AIErr error = sATETextRange->GetContentsAsUnicode(range.get(), reinterpret_cast<uint16_t*>(units.data()),
                                                        size, &length))
    return error;
  units.resize(static_cast<size_t>(std::clamp(length, 0, size)));
  text = OneLine(units);
  return kNoErr;
}

}  // namespace

CExporterBase::CExporterBase(SPPluginRef owner) : owner(owner), converter(owner) {
  // Whether some layer holds selected art decides whether the selection is offered.
  AILayerHandle layer = nullptr;
  if (sAILayer->GetFirstLayer(&layer) != kNoErr) return;
  while (layer != nullptr && !settings.selectionExists) {
    AIBoolean selected = false;
    if (sAILayer->LayerHasSelectedArt(layer, &selected) == kNoErr && selected) settings.selectionExists = true;
    if (sAILayer->GetNextLayer(layer, &layer) != kNoErr) break;
  }
}

CExporterBase::~CExporterBase() = default;

// --- The command ------------------------------------------------------------

AIErr CExporterBase::CheckGeoreference() {
  DataFrameParams frame;
  settings.dataFramePresent = ReadDataFrame(frame);
  if (settings.dataFramePresent) settings.dataFrame = CoordRef{frame.datum, frame.kind, frame.system, frame.zone};
  MarkerSet markers;
  MarkerTexts texts;
  settings.markersPresent = ReadMarkerSet(markers, texts);
  if (settings.dataFramePresent || settings.markersPresent) return kNoErr;
  Alert(kNoGeoreferenceAlert);
  return kCanceledErr;
}

AIErr CExporterBase::Run() {
  if (AIErr error = CheckGeoreference()) return error;
  PrepareSettings(settings);
  LoadPreferences(settings);
  if (AIErr result = ShowSettingsDialog()) return result;
  SavePreferences(settings);
  if (!SetUpConversion()) {
    // A missing datum grid has been reported by the converter itself.
    if (!converter.GridMissing()) Alert(kConversionAlert);
    return kExportFailedErr;
  }
  if (AIErr result = ChooseOutput(location)) return result;
  AIErr result = ExportTarget();
  ReportProblems();
  if (result != kNoErr && result != kCanceledErr && result != kExportFailedErr) {
    sAIUser->ErrorAlert(ai::UnicodeString(kHostErrorAlert).Ref());
  }
  return result;
}

AIErr CExporterBase::ShowSettingsDialog() { return ExportDialog::Show(owner, settings); }

void CExporterBase::PrepareSettings(ExportSettings& s) {
  if (!s.dataFramePresent) return;
  if (s.dataFrame.datum == kDatumTokyo || s.dataFrame.datum == kDatumJgd2011) s.marker.datum = s.dataFrame.datum;
  if (s.dataFrame.kind == kKindPlane) {
    s.marker.kind = kKindPlane;
    s.marker.system = s.dataFrame.system;
  }
}

bool CExporterBase::SetUpConversion() {
  geographicOutput = false;
  if (settings.useDataFrame) {
    DataFrameParams frame;
    if (!ReadDataFrame(frame) || !transform.SetFromDataFrame(frame)) return false;
    CoordRef source{frame.datum, frame.kind, frame.system, frame.zone};
    // A latitude/longitude frame keeps its map in metres on the latitude/longitude plane.
    if (source.kind == kKindLatLong) source.kind = kKindLatLongPlane;
    if (settings.convertCoords || source.kind == kKindLatLongPlane) {
      if (!converter.Configure(source, AsConverted(settings.output))) return false;
    } else {
      converter.SetIdentity();
    }
  } else {
    MarkerSet markers;
    MarkerTexts texts;
    if (!ReadMarkerSet(markers, texts) || !transform.SetFromMarkers(markers)) return false;
    if (settings.convertCoords) {
      const CoordRef source{settings.marker.datum, settings.marker.kind, settings.marker.system, 0};
      if (!converter.Configure(source, AsConverted(settings.output))) return false;
    } else {
      converter.SetIdentity();
    }
  }
  geographicOutput = !converter.IsIdentity() && converter.Target().kind == kKindLatLong;
  return true;
}

AIErr CExporterBase::ChooseOutput(ai::FilePath& chosenLocation) {
  const ai::FilePath initial = LoadExportPath();
  AIFilePathRef chosen = nullptr;
  AIErr error = kNoErr;
  const bool folder = settings.PerLayerFiles();
  if (folder) {
    error = sAIUser->GetDirectoryDialog(ai::UnicodeString(kFolderDialogTitle).Ref(), initial.Ref(), &chosen);
  } else {
    const ai::UnicodeString filter = ai::UnicodeString::FromUTF16(FileFilter());
    error = sAIUser->PutFileDialog(ai::UnicodeString(kFileDialogTitle).Ref(), filter.Ref(), DefaultFileName().Ref(),
                                   initial.Ref(), &chosen);
  }
  if (error != kNoErr) return error;
  if (chosen == nullptr) return kCanceledErr;
  chosenLocation = ai::FilePath::Adopt(chosen);
  // The next dialog starts in the folder of this choice.
  SaveExportPath(folder ? chosenLocation : chosenLocation.GetParent());
  return kNoErr;
}

void CExporterBase::AppendFilter(std::u16string& filter, std::u16string_view description,
                                 std::u16string_view pattern) {
  if (!filter.empty() && filter.back() == u'\0') filter.pop_back();
  filter.append(description);
  filter.push_back(u'\0');
  filter.append(pattern);
  filter.push_back(u'\0');
  filter.push_back(u'\0');
}

std::u16string CExporterBase::FileFilter() const {
  std::u16string filter;
  AppendFilter(filter, u"All Files(*.*)", u"*.*");
  return filter;
}

ai::UnicodeString CExporterBase::DefaultFileName() const { return "Export.shp"; }

ai::UnicodeString CExporterBase::DocumentFileStem() {
  AIFilePathRef ref = nullptr;
  if (sAIDocument->GetDocumentFilePath(&ref) == kNoErr && ref != nullptr) {
    const ai::FilePath path = ai::FilePath::Adopt(ref);
    if (!path.IsEmpty()) {
      const ai::UnicodeString stem = path.GetFileNameNoExt();
      if (!stem.empty()) return stem;
    }
  }
  return "Export";
}

ai::UnicodeString CExporterBase::LayerFileName(AILayerHandle layer) {
  ai::UnicodeString title;
  TitleOf(layer, title);
  return title;
}

ai::UnicodeString CExporterBase::UniqueLayerFileName(AILayerHandle layer, const ai::UnicodeString& extension) {
  ai::UnicodeString title;
  TitleOf(layer, title);
  return fileNames.Unique(SafeFileStem(title), extension);
}

bool CExporterBase::OpenOutput(const ai::FilePath&) { return true; }

bool CExporterBase::CloseOutput() { return true; }

void CExporterBase::AbandonOutput() {}

std::string CExporterBase::OutputProblem() const { return {}; }

bool CExporterBase::WritePoint(const MapPoint&, const CKzShapeAttr&, const ai::UnicodeString*,
                               const ai::UnicodeString*) {
  return true;
}

bool CExporterBase::WritePolyline(const std::vector<PointPart>&, const CKzShapeAttr&, const ai::UnicodeString*) {
  return true;
}

bool CExporterBase::WriteMultiPoint(const PointPart& points, const CKzShapeAttr& attributes,
                                    const ai::UnicodeString* layerName) {
  bool written = !points.empty();
  for (const MapPoint& point : points) written = WritePoint(point, attributes, layerName, nullptr) && written;
  return written;
}

bool CExporterBase::WritePolygon(const std::vector<PointPart>&, const CKzShapeAttr&, const ai::UnicodeString*) {
  return true;
}

// --- Targets ------------------------------------------------------------------

AIErr CExporterBase::ExportTarget() {
  visibleOnly = settings.target == kExportVisibleLayers;
  switch (settings.target) {
    case kExportCurrentLayer: {
      AILayerHandle layer = nullptr;
      if (AIErr error = sAILayer->GetCurrentLayer(&layer)) return error;
      if (layer == nullptr || IsGeorefLayer(layer)) return kNoErr;
      return ExportLayerToFile(layer, false);
    }
    case kExportVisibleLayers:
    case kExportAllLayers:
      if (!settings.PerLayerFiles())
        return settings.target == kExportVisibleLayers ? ExportVisibleLayers() : ExportAllLayers();
      for (AILayerHandle layer : TopLayers(visibleOnly)) {
        if (AIErr result = ExportLayerToFile(layer, true)) return result;
      }
      return kNoErr;
    case kExportSelection:
      return ExportSelection();
    default:
      return kNoErr;
  }
}

bool CExporterBase::Included(AILayerHandle layer) const {
  if (IsGeorefLayer(layer)) return false;
  return !visibleOnly || IsVisible(layer);
}

std::vector<AILayerHandle> CExporterBase::TopLayers(bool onlyVisible) const {
  std::vector<AILayerHandle> layers;
  AILayerHandle layer = nullptr;
  if (sAILayer->GetFirstLayer(&layer) != kNoErr) return layers;
  while (layer != nullptr) {
    if (!IsGeorefLayer(layer) && (!onlyVisible || IsVisible(layer))) layers.push_back(layer);
    if (sAILayer->GetNextLayer(layer, &layer) != kNoErr) break;
  }
  return layers;
}

// The layer and every sublayer below it that the export covers.
void CExporterBase::AddLayerTree(AILayerHandle layer, std::vector<AILayerHandle>& layers) const {
  layers.push_back(layer);
  AILayerHandle child = nullptr;
  if (sAILayer->GetLayerFirstChild(layer, &child) != kNoErr) return;
  while (child != nullptr) {
    if (Included(child)) AddLayerTree(child, layers);
    if (sAILayer->GetNextLayer(child, &child) != kNoErr) break;
  }
}

void CExporterBase::BuildFieldList(const std::vector<AILayerHandle>& layers) {
  fields.clear();
  AttrTable table;
  table.MergeLayers(layers);
  for (int32_t row = 0; row < table.RowCount(); ++row) {
    const ShapeField& field = table.Row(row).field;
    fields.push_back(ShapeField{field.name, field.type, field.totalDigits, field.decimals, {}});
  }
  AddExtraFields();
}

namespace {

// Names of columns compared as dBASE and the readers of the file do: ASCII
// letters without regard to case.
bool SameColumnName(const ai::UnicodeString& a, const char* b) {
  const std::string name = a.as_UTF8();
  if (name.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(name[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
}

}  // namespace

void CExporterBase::AddExtraFields() {
  layerFieldIndex = textFieldIndex = -1;
  // A column of that name already in the layers' lists (a file exported
  // before and read back, a field the user made) is the column: it keeps its
  // name, becomes a text column wide enough for any value and takes the value. A second
  // column of the name would be renamed by the writer and keep stale values
  // beside the new ones, so further columns of the name go.
  const auto place = [this](const char* name) {
    const ShapeField field{name, kShapeFieldString, kExtraFieldDigits, 0, {}};
    bool placed = false;
    for (size_t i = 0; i < fields.size();) {
      if (!SameColumnName(fields[i].name, name)) {
        ++i;
      } else if (!placed) {
        fields[i] = ShapeField{fields[i].name, field.type, field.totalDigits, field.decimals, {}};
        ++i;
        placed = true;
      } else {
        fields.erase(fields.begin() + static_cast<std::ptrdiff_t>(i));
      }
    }
    if (!placed) fields.push_back(field);
  };
  const auto indexOf = [this](const char* name) {
    for (size_t i = 0; i < fields.size(); ++i) {
      if (SameColumnName(fields[i].name, name)) return static_cast<int32_t>(i);
    }
    return int32_t{-1};
  };
  const bool layerColumn = settings.addLayerField;
  const bool textColumn = settings.addTextField && settings.Has(kExportTexts);
  if (layerColumn) place(kLayerFieldName);
  if (textColumn) place(kTextFieldName);
  if (layerColumn) layerFieldIndex = indexOf(kLayerFieldName);
  if (textColumn) textFieldIndex = indexOf(kTextFieldName);
}

AIErr CExporterBase::WriteFile(const ai::FilePath& path, const std::function<AIErr()>& walk) {
  unencodableValues = 0;
  if (!OpenOutput(path)) {
    AbandonOutput();
    Alert(WithReason(kCannotOpenAlert, path, OutputProblem()));
    return kNoErr;
  }
  const AIErr result = walk();
  // A cancelled or failed walk leaves no half-written file.
  if (result != kNoErr) {
    AbandonOutput();
    return result;
  }
  if (!CloseOutput()) {
    sAIUser->ErrorAlert(WithReason(kCannotCompleteAlert, path, OutputProblem()).Ref());
    return kExportFailedErr;
  }
  NoteFile(path);
  return kNoErr;
}

AIErr CExporterBase::ExportLayerToFile(AILayerHandle layer, bool separate) {
  std::vector<AILayerHandle> layers;
  AddLayerTree(layer, layers);
  BuildFieldList(layers);
  const ai::FilePath path = separate ? location.AddComponent(LayerFileName(layer)) : location;
  return WriteFile(path, [&] { return ExportLayerObjects(layer); });
}

AIErr CExporterBase::ExportVisibleLayers() {
  visibleOnly = true;
  return WalkLayers(TopLayers(true));
}

AIErr CExporterBase::ExportAllLayers() {
  visibleOnly = false;
  return WalkLayers(TopLayers(false));
}

AIErr CExporterBase::WalkLayers(const std::vector<AILayerHandle>& top) {
  std::vector<AILayerHandle> layers;
  for (AILayerHandle layer : top) AddLayerTree(layer, layers);
  BuildFieldList(layers);
  return WriteFile(location, [&] {
    for (AILayerHandle layer : top) {
      if (AIErr result = ExportLayerObjects(layer)) return result;
    }
    return kNoErr;
  });
}

AIErr CExporterBase::ExportSelection() {
  ai::ArtSetRef selection;
  size_t count = 0;
  AIErr error = sAIArtSet->NewArtSet(selection.put());
  if (error == kNoErr) error = sAIArtSet->SelectedArtSet(selection.get());
  if (error == kNoErr) error = sAIArtSet->CountArtSet(selection.get(), &count);
  if (error != kNoErr) return error;
  std::vector<AILayerHandle> layers;
  for (size_t i = 0; i < count; ++i) {
    AIArtHandle art = nullptr;
    AILayerHandle layer = nullptr;
    if (sAIArtSet->IndexArtSet(selection.get(), i, &art) != kNoErr) continue;
    if (sAIArt->GetLayerOfArt(art, &layer) != kNoErr || layer == nullptr || IsGeorefLayer(layer)) continue;
    if (std::find(layers.begin(), layers.end(), layer) == layers.end()) layers.push_back(layer);
  }
  BuildFieldList(layers);
  return WriteFile(location, [&] { return WalkSelection(selection.get(), count); });
}

AIErr CExporterBase::WalkSelection(AIArtSet selection, size_t count) {
  std::vector<AIArtHandle> claimed;
  for (size_t i = 0; i < count; ++i) {
    ShowProgress(Format("書き出しています %d / %d", static_cast<int>(i), static_cast<int>(count)), i, count);
    if (Cancelled()) return kCanceledErr;
    AIArtHandle art = nullptr;
    if (AIErr error = sAIArtSet->IndexArtSet(selection, i, &art)) return error;
    ExportSelected(art, claimed);
  }
  return kNoErr;
}

// A selected object is exported once, as the unit the user selected: a fully
// selected group (or compound path) as a whole, the selected members of a
// partly selected group each on its own; a path of a compound path always
// as its compound path.
AIErr CExporterBase::ExportSelected(AIArtHandle art, std::vector<AIArtHandle>& claimed) {
  if (IsLayerGroup(art) || IsSkipped(art)) return kNoErr;
  AILayerHandle layer = nullptr;
  if (sAIArt->GetLayerOfArt(art, &layer) != kNoErr || layer == nullptr || IsGeorefLayer(layer)) return kNoErr;
  AIArtType type = TypeOf(art);
  AIArtHandle unit = art;
  AIArtHandle parent = nullptr;
  if (type == kPathArt && sAIArt->GetArtParent(art, &parent) == kNoErr && parent != nullptr &&
      TypeOf(parent) == kCompoundPathArt) {
    unit = parent;
    type = kCompoundPathArt;
  }
  // Inside something already exported?
  for (AIArtHandle a = unit; a != nullptr && !IsLayerGroup(a);) {
    if (std::find(claimed.begin(), claimed.end(), a) != claimed.end()) return kNoErr;
    if (sAIArt->GetArtParent(a, &a) != kNoErr) break;
  }
  if (type == kGroupArt) {
    int32_t full = 0;
    if (sAIArt->GetArtUserAttr(unit, kArtFullySelected, &full) != kNoErr || full == 0) return kNoErr;
  }
  claimed.push_back(unit);
  return Dispatch(unit, type);
}

// --- Objects ------------------------------------------------------------------

AIErr CExporterBase::Dispatch(AIArtHandle art, AIArtType type) {
  switch (type) {
    case kGroupArt:
      return settings.Has(kExportGroups | kExportElements) ? ExportGroup(art) : kNoErr;
    case kPathArt:
      return settings.Has(kExportUnfilledPaths | kExportFilledPaths) ? ExportPath(art) : kNoErr;
    case kCompoundPathArt:
      return settings.Has(kExportUnfilledPaths | kExportFilledPaths | kExportElements) ? ExportCompoundPath(art)
                                                                                        : kNoErr;
    case kTextFrameArt:
      return settings.Has(kExportTexts) ? ExportText(art) : kNoErr;
    case kSymbolArt:
      return settings.Has(kExportSymbols) ? ExportSymbol(art) : kNoErr;
    default:
      return kNoErr;
  }
}

AIErr CExporterBase::ExportLayerObjects(AILayerHandle layer) {
  AIArtHandle group = nullptr;
  if (AIErr error = sAIArt->GetFirstArtOfLayer(layer, &group)) return error;
  AIErr error = kNoErr;
  const std::vector<AIArtHandle> objects = ChildrenOf(group, error);
  if (error != kNoErr) return error;
  ai::UnicodeString title;
  TitleOf(layer, title);
  const std::string titleText = title.as_UTF8();
  const size_t n = objects.size();
  for (size_t i = 0; i < n; ++i) {
    ShowProgress(Format("書き出しています[ %s ]\n%d / %d", titleText.c_str(), static_cast<int>(i), static_cast<int>(n)),
                 i, n);
    if (Cancelled()) return kCanceledErr;
    AIArtHandle art = objects[i];
    if (IsSkipped(art)) continue;
    if (IsLayerGroup(art)) {
      // A sublayer's art belongs to the export of its layer.
      AILayerHandle sublayer = nullptr;
      if (sAIArt->GetLayerOfArt(art, &sublayer) != kNoErr || sublayer == nullptr || !Included(sublayer)) continue;
      if (AIErr result = ExportLayerObjects(sublayer); result == kCanceledErr) return result;
      continue;
    }
    Dispatch(art, TypeOf(art));
  }
  return kNoErr;
}

AIErr CExporterBase::ExportContents(AIArtHandle art, bool descend, bool siblings) {
  if (IsLayerGroup(art) || IsSkipped(art)) return kNoErr;
  const AIArtType type = TypeOf(art);
  if (type == kPathArt && settings.Has(kExportUnfilledPaths | kExportFilledPaths)) ExportPath(art);
  if (type == kTextFrameArt && settings.Has(kExportTexts)) ExportText(art);
  if (type == kSymbolArt && settings.Has(kExportSymbols)) ExportSymbol(art);
  if (descend) {
    AIErr error = kNoErr;
    for (AIArtHandle child : ChildrenOf(art, error)) {
      if (AIErr result = ExportContents(child, descend, false)) return result;
    }
    if (error != kNoErr) return error;
  }
  if (!siblings) return kNoErr;
  AIArtHandle sibling = nullptr;
  AIErr error = sAIArt->GetArtSibling(art, &sibling);
  for (; error == kNoErr && sibling != nullptr; error = sAIArt->GetArtSibling(sibling, &sibling)) {
    if (AIErr result = ExportContents(sibling, descend, false)) return result;
  }
  return error;
}

bool CExporterBase::PassesFillFilter(AIArtHandle art) const {
  const bool unfilled = settings.Has(kExportUnfilledPaths);
  const bool filled = settings.Has(kExportFilledPaths);
  if (unfilled == filled) return true;
  AIBoolean hasFill = false;
  if (sAIArt->ArtHasFill(art, &hasFill) != kNoErr) return false;
  return hasFill ? filled : unfilled;
}

bool CExporterBase::ToMap(const AIRealPoint& point, MapPoint& out) const {
  double e = 0, n = 0;
  if (!transform.ArtboardToMap(point.h, point.v, e, n)) return false;
  MapPoint result;
  if (geographicOutput) {
    double latitude = 0, longitude = 0;
    if (!converter.ToGeographic(n, e, latitude, longitude)) return false;
    if (!converter.ShiftDatum(latitude, longitude, latitude, longitude)) return false;
    result = {longitude, latitude};
  } else if (!converter.Convert(e, n, result.x, result.y)) {
    return false;
  }
  if (!std::isfinite(result.x) || !std::isfinite(result.y)) return false;
  out = result;
  return true;
}

bool CExporterBase::CentreOf(AIArtHandle art, MapPoint& point) const {
  AIRealRect bounds;
  if (sAIArt->GetArtBounds(art, &bounds) != kNoErr) return false;
  const AIRealPoint centre{(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
  return ToMap(centre, point);
}

// The path's points in the output system; false when one has no place there.
bool CExporterBase::Points(AIArtHandle path, bool closeRing, PointPart& part) {
  const AIErr error = settings.expandBezier
                          ? pathPoints.Flatten(path, settings.bezierAccuracy, closeRing, artboardPoints)
                          : pathPoints.Anchors(path, closeRing, artboardPoints);
  if (error != kNoErr) return false;
  part.clear();
  part.reserve(artboardPoints.size());
  for (const AIRealPoint& p : artboardPoints) {
    MapPoint point;
    if (!ToMap(p, point)) return false;
    part.push_back(point);
  }
  return true;
}

AIErr CExporterBase::LayerTitleOf(AIArtHandle art, ai::UnicodeString& title) const {
  AILayerHandle layer = nullptr;
  if (AIErr error = sAIArt->GetLayerOfArt(art, &layer)) return error;
  return TitleOf(layer, title);
}

void CExporterBase::Record(bool written) {
  if (!written) ++failedWrites;
}

// What every object handler hands over besides the geometry: the object's
// attribute row and, when asked, its layer's title.
struct CExporterBase::ObjectData {
  CKzShapeAttr attributes;
  ai::UnicodeString title;
  bool hasTitle = false;
  const ai::UnicodeString* Title() const { return hasTitle ? &title : nullptr; }
};

void CExporterBase::LoadObject(AIArtHandle art, ObjectData& data) const {
  data.attributes.Load(art);
  if (settings.addLayerField) data.hasTitle = LayerTitleOf(art, data.title) == kNoErr;
}

// The point of each mark in a group, groups inside it included; labels are
// not marks. False when one has no place in the output system.
bool CExporterBase::MemberPoints(AIArtHandle group, PointPart& points) const {
  AIErr error = kNoErr;
  for (AIArtHandle child : ChildrenOf(group, error)) {
    if (IsSkipped(child)) continue;
    const AIArtType type = TypeOf(child);
    if (type == kGroupArt) {
      if (!MemberPoints(child, points)) return false;
      continue;
    }
    if (type != kPathArt && type != kCompoundPathArt && type != kSymbolArt) continue;
    MapPoint centre;
    if (!CentreOf(child, centre)) return false;
    points.push_back(centre);
  }
  return error == kNoErr;
}

AIErr CExporterBase::ExportGroup(AIArtHandle art) {
  if (settings.Has(kExportElements)) return ExportContents(art, true, false);
  if (!settings.PointsOnly()) return kNoErr;
  // A record of several points read from a MultiPoint file is one record
  // again, or, as points, one record per mark, each with the group's row.
  AIBoolean multiPoint = false;
  if (settings.dataType == kExportMultiPoint ||
      (sAITag->GetTagBoolean(art, kMultiPointGroupTag, &multiPoint) == kNoErr && multiPoint)) {
    PointPart points;
    if (!MemberPoints(art, points)) {
      ++unconvertedObjects;
      return kNoErr;
    }
    if (points.empty()) return kNoErr;
    ObjectData object;
    LoadObject(art, object);
    if (settings.dataType == kExportMultiPoint) {
      Record(WriteMultiPoint(points, object.attributes, object.Title()));
      return kNoErr;
    }
    for (const MapPoint& point : points) Record(WritePoint(point, object.attributes, object.Title(), nullptr));
    return kNoErr;
  }
  MapPoint centre;
  if (!CentreOf(art, centre)) {
    ++unconvertedObjects;
    return kNoErr;
  }
  ObjectData object;
  LoadObject(art, object);
  Record(WritePoint(centre, object.attributes, object.Title(), nullptr));
  return kNoErr;
}

AIErr CExporterBase::ExportSymbol(AIArtHandle art) {
  MapPoint centre;
  if (!CentreOf(art, centre)) {
    ++unconvertedObjects;
    return kNoErr;
  }
  ObjectData object;
  LoadObject(art, object);
  Record(WritePoint(centre, object.attributes, object.Title(), nullptr));
  return kNoErr;
}

AIErr CExporterBase::ExportText(AIArtHandle art) {
  MapPoint point;
  AITextFrameType kind = kPointTextType;
  AIRealPoint anchor;
  const bool converted = sAITextFrame->GetType(art, &kind) == kNoErr && kind == kPointTextType &&
                                 sAITextFrame->GetPointTextAnchor(art, &anchor) == kNoErr
                             ? ToMap(anchor, point)
                             : CentreOf(art, point);
  if (!converted) {
    ++unconvertedObjects;
    return kNoErr;
  }
  ObjectData object;
  LoadObject(art, object);
  ai::UnicodeString text;
  const bool hasText = settings.addTextField && TextOf(art, text) == kNoErr;
  Record(WritePoint(point, object.attributes, object.Title(), hasText ? &text : nullptr));
  return kNoErr;
}

AIErr CExporterBase::ExportPath(AIArtHandle art) {
  if (!PassesFillFilter(art)) return kNoErr;
  AIBoolean guide = false, clip = false;
  if (sAIPath->GetPathGuide(art, &guide) != kNoErr || guide) return kNoErr;
  if (sAIPath->GetPathIsClip(art, &clip) != kNoErr || clip) return kNoErr;
  if (!settings.PointsOnly()) {
    int16_t count = 0;
    AIReal length = 0;
    if (sAIPath->GetPathSegmentCount(art, &count) != kNoErr || count < 2) return kNoErr;
    if (sAIPath->GetPathLength(art, &length, 1.0f) != kNoErr || !(length > 0)) return kNoErr;
  }
  if (settings.PointsOnly()) {
    MapPoint centre;
    if (!CentreOf(art, centre)) {
      ++unconvertedObjects;
      return kNoErr;
    }
    ObjectData object;
    LoadObject(art, object);
    Record(WritePoint(centre, object.attributes, object.Title(), nullptr));
    return kNoErr;
  }
  const bool polygon = settings.dataType == kExportPolygon;
  std::vector<PointPart> parts(1);
  if (!Points(art, polygon, parts[0])) {
    ++unconvertedObjects;
    return kNoErr;
  }
  ObjectData object;
  LoadObject(art, object);
  if (!polygon) {
    Record(WritePolyline(parts, object.attributes, object.Title()));
    return kNoErr;
  }
  // The orientation is decided where the file's readers look: in the output system.
  Orient(parts[0], true);
  Record(WritePolygon(parts, object.attributes, object.Title()));
  return kNoErr;
}

AIErr CExporterBase::ExportCompoundPath(AIArtHandle art) {
  if (settings.Has(kExportElements)) return ExportContents(art, true, false);
  if (!PassesFillFilter(art)) return kNoErr;
  AIBoolean clip = false;
  if (sAIPath->GetPathIsClip(art, &clip) != kNoErr || clip) return kNoErr;
  if (settings.PointsOnly()) {
    MapPoint centre;
    if (!CentreOf(art, centre)) {
      ++unconvertedObjects;
      return kNoErr;
    }
    ObjectData object;
    LoadObject(art, object);
    Record(WritePoint(centre, object.attributes, object.Title(), nullptr));
    return kNoErr;
  }
  const bool polygon = settings.dataType == kExportPolygon;
  AIErr error = kNoErr;
  std::vector<PointPart> parts;
  for (AIArtHandle child : ChildrenOf(art, error)) {
    if (TypeOf(child) != kPathArt) continue;
    if (polygon) {
      AIReal area = 0;
      if (sAIPath->GetPathArea(child, &area) != kNoErr || area == 0) continue;
    } else {
      AIReal length = 0;
      if (sAIPath->GetPathLength(child, &length, 1.0f) != kNoErr || !(length > 0)) continue;
    }
    PointPart part;
    if (!Points(child, polygon, part)) {
      ++unconvertedObjects;
      return kNoErr;
    }
    // A piece that import split off a part too long for one path goes back
    // onto the piece it continues, its shared first point once.
    AIBoolean continues = false;
    if (!polygon && !parts.empty() && !part.empty() && !parts.back().empty() && parts.back().back() == part.front() &&
        sAITag->GetTagBoolean(child, kPathContinuesTag, &continues) == kNoErr && continues) {
      parts.back().insert(parts.back().end(), part.begin() + 1, part.end());
      continue;
    }
    parts.push_back(std::move(part));
  }
  if (error != kNoErr) return error;
  if (parts.empty()) return kNoErr;
  ObjectData object;
  LoadObject(art, object);
  if (!polygon) {
    Record(WritePolyline(parts, object.attributes, object.Title()));
    return kNoErr;
  }
  Record(WritePolygon(ArrangeRings(std::move(parts)), object.attributes, object.Title()));
  return kNoErr;
}

// --- Telling the user ---------------------------------------------------------

void CExporterBase::NoteFile(const ai::FilePath& path) {
  if (unencodableValues == 0) return;
  char text[160];
  std::snprintf(text, sizeof text, ": 文字コードで表せない文字を含む値が %lld 個あり、その文字は「?」になりました",
                static_cast<long long>(unencodableValues));
  fileNotes.push_back(path.GetFileName().as_UTF8() + text);
  unencodableValues = 0;
}

void CExporterBase::ReportProblems() const {
  std::string report;
  const auto line = [&report](const std::string& text) {
    if (!report.empty()) report += "\n";
    report += text;
  };
  char text[200];
  if (unconvertedObjects > 0) {
    std::snprintf(text, sizeof text, "座標を変換できないオブジェクトが %lld 個あり、書き出しませんでした",
                  static_cast<long long>(unconvertedObjects));
    line(text);
  }
  if (failedWrites > 0) {
    std::snprintf(text, sizeof text, "書き込めなかったオブジェクトが %lld 個あります",
                  static_cast<long long>(failedWrites));
    line(text);
  }
  if (converter.DistantPoints() > 0) {
    std::snprintf(text, sizeof text, kDistantPointsNote, static_cast<long long>(converter.DistantPoints()));
    line(text);
  }
  for (const std::string& note : fileNotes) line(note);
  // The coordinates are JGD2011's, labelled as WGS 84.
  if (converter.Target().datum == kDatumJgd2011 && settings.output.datum == kDatumWgs84 && !converter.IsIdentity()) {
    line("WGS 84 の座標は JGD2011（世界測地系）の座標として書き出しました。両者の違いは 1 m 程度です");
  }
  if (!report.empty()) Alert(ai::UnicodeString::FromUTF8(report));
}
