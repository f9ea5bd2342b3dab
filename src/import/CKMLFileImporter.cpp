#include "import/CKMLFileImporter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <vector>

#include "attributes/CKzShapeAttr.h"
#include "formats/CKzFile.h"
#include "formats/KmlCoordinates.h"
#include "host/AIArtSuite.h"
#include "host/AIBlendStyleSuite.h"
#include "host/AILayerSuite.h"
#include "host/AIPathStyleSuite.h"
#include "host/AIPreferenceSuite.h"
#include "host/AIUserSuite.h"
#include "host/SuitePointers.h"
#include "import/ImportCoordSettings.h"
#include "import/OpenFilesDialog.h"

namespace {

constexpr const char* kTitle = "KMLファイルを読み込む";
constexpr char kFilter[] = "KML Files(*.kml)\0*.kml\0";
constexpr size_t kChunkBytes = 1 << 16;
constexpr double kDefaultWidth = 0.5;
constexpr int32_t kProgressTotal = 1000;

ai::UnicodeString Formatted(const char* format, const ai::UnicodeString& name, long long count) {
  const std::string utf8 = name.as_UTF8();
  std::vector<char> text(std::snprintf(nullptr, 0, format, utf8.c_str(), count) + 1);
  std::snprintf(text.data(), text.size(), format, utf8.c_str(), count);
  return ai::UnicodeString(text.data());
}

// The style a placemark is drawn with: the shared style its URL names, with
// the parts of an inline style over it; none when it has neither.
std::optional<KmlStyle> EffectiveStyle(const KmlPlacemark& placemark, const KmlStyleTable& styles) {
  std::optional<KmlStyle> style;
  if (const KmlStyle* shared = styles.Resolve(KmlStyleId(placemark.styleUrl))) style = *shared;
  if (!placemark.inlineStyle) return style;
  if (!style) style = KmlStyle{};
  const KmlStyle& own = *placemark.inlineStyle;
  if (own.lineColor) style->lineColor = own.lineColor;
  if (own.lineWidth) style->lineWidth = own.lineWidth;
  if (own.polyColor) style->polyColor = own.polyColor;
  if (own.fill) style->fill = own.fill;
  if (own.outline) style->outline = own.outline;
  return style;
}

AIColor ColorOf(const std::optional<KmlColor>& color) {
  return color ? AIColor::Three(color->red, color->green, color->blue) : AIColor::Three(0, 0, 0);
}

// Stroke, fill and width of a path in the given style; a path without a
// style is black, filled when closed, stroked 0.5 wide.
void SetKmlPaint(AIPathStyle& paint, const std::optional<KmlStyle>& style, bool closed) {
  const KmlStyle none;
  const KmlStyle& s = style ? *style : none;
  paint.fill.color = ColorOf(s.polyColor);
  paint.fill.overprint = false;
  paint.fillPaint = closed && s.fill.value_or(true);
  paint.stroke.color = ColorOf(s.lineColor);
  paint.stroke.overprint = false;
  paint.stroke.width = s.lineWidth.value_or(kDefaultWidth);
  paint.stroke.dash = AIDashStyle{};
  paint.stroke.cap = 0;
  paint.stroke.join = 0;
  paint.stroke.miterLimit = 4;
  paint.strokePaint = s.outline.value_or(true);
}

// A style with both a line and a polygon colour gives its polygon alpha as
// the opacity; any other is opaque.
double OpacityOf(const std::optional<KmlStyle>& style) {
  return style && style->lineColor && style->polyColor ? style->polyColor->alpha : 1.0;
}

AIErr StoreRow(AIArtHandle art, const std::vector<ShapeField>& row) {
  CKzShapeAttr attributes;
  attributes.Load(art);
  return attributes.ReplaceAll(row);
}

void Widen(const ShapePart& part, double& xmin, double& ymin, double& xmax, double& ymax) {
  for (const ShapePoint& point : part) {
    xmin = std::min(xmin, point.x);
    xmax = std::max(xmax, point.x);
    ymin = std::min(ymin, point.y);
    ymax = std::max(ymax, point.y);
  }
}

}  // namespace

// The first pass: where the coordinates lie, which fields the placemarks
// use, and (kept by the reader) the styles.
class CKMLFileImporter::ExtentPass : public KmlSink {
 public:
  explicit ExtentPass(CKMLFileImporter& importer) : importer(importer) {}

  bool Placemark(const KmlPlacemark& placemark) override {
    importer.fieldLayout.Note(placemark);
    importer.badTuples += placemark.badTuples;
    Include(placemark.points);
    for (const ShapePart& line : placemark.lines) Include(line);
    for (const KmlPolygon& polygon : placemark.polygons) {
      Include(polygon.outer);
      for (const ShapePart& inner : polygon.inners) Include(inner);
    }
    return !importer.ProgressCancelled();
  }
  void SchemaField(const std::string& name, const std::string& type) override {
    importer.fieldLayout.Declare(name, type);
  }

 private:
  void Include(const ShapePart& part) {
    if (part.empty()) return;
    if (!importer.hasExtent) {
      importer.extentXmin = importer.extentXmax = part.front().x;
      importer.extentYmin = importer.extentYmax = part.front().y;
      importer.hasExtent = true;
    }
    Widen(part, importer.extentXmin, importer.extentYmin, importer.extentXmax, importer.extentYmax);
  }

  CKMLFileImporter& importer;
};

// The second pass: layers for documents and folders, art for placemarks.
class CKMLFileImporter::DrawPass : public KmlSink {
 public:
  DrawPass(CKMLFileImporter& importer, AILayerHandle importLayer) : importer(importer) { layers.push_back(importLayer); }

  bool BeginContainer(KmlContainerKind kind, const std::string& name) override {
    // The file's outermost document is the import layer itself.
    if (kind == KmlContainerKind::Document && !seenContainer && layers.size() == 1 && placemarks == 0) {
      seenContainer = true;
      if (!name.empty()) Note(sAILayer->SetLayerTitle(layers.back(), ai::UnicodeString::FromUTF8(name).Ref()));
      layers.push_back(layers.back());
      return true;
    }
    seenContainer = true;
    AILayerHandle layer = layers.back();
    if (layers.size() <= kMaxLayerDepth) {
      AILayerHandle sublayer = nullptr;
      if (Note(importer.NewSublayer(layers.back(), name, sublayer))) layer = sublayer;
    }
    layers.push_back(layer);
    return true;
  }
  bool EndContainer() override {
    if (layers.size() > 1) layers.pop_back();
    return true;
  }
  bool Placemark(const KmlPlacemark& placemark) override {
    if (importer.ProgressCancelled()) return false;
    ++placemarks;
    const int64_t skippedBefore = importer.SkippedPoints(), thinnedBefore = importer.ThinnedVertices();
    Note(importer.DrawPlacemark(placemark, layers.back()));
    if (importer.ThinnedVertices() != thinnedBefore) importer.thinnedPlacemarks.push_back(placemarks);
    // A path drawn without some of its vertices changed shape: name the placemark.
    if (importer.SkippedPoints() != skippedBefore && (!placemark.lines.empty() || !placemark.polygons.empty())) {
      importer.alteredPlacemarks.push_back(placemarks);
    }
    return true;
  }

  // The first host failure; later placemarks and folders are still drawn.
  AIErr firstError = kNoErr;

 private:
  bool Note(AIErr error) {
    if (error != kNoErr && firstError == kNoErr) firstError = error;
    return error == kNoErr;
  }

  CKMLFileImporter& importer;
  std::vector<AILayerHandle> layers;
  bool seenContainer = false;
  int64_t placemarks = 0;
};

CKMLFileImporter::CKMLFileImporter(SPPluginRef plugin) : CImporterBase(plugin) {
  encodingCode = kAIUTF8CharacterEncoding;
}

CKMLFileImporter::~CKMLFileImporter() = default;

AIErr CKMLFileImporter::ChooseFiles() {
  OpenFilesRequest request;
  request.title = kTitle;
  request.filter.assign(kFilter, sizeof kFilter - 1);
  request.defaultExtension = "kml";
  request.allowSeveral = false;
  request.offerUtf16 = false;
  request.showEncoding = false;  // KML is UTF-8
  request.folderKey = kImportKmlFolderKey;
  int32_t unused = encodingCode;
  return ShowOpenFilesDialog(plugin, request, unused, files);
}

// The two passes share one bar: the first fills its first half, the
// drawing its second.
bool CKMLFileImporter::ProgressCancelled() {
  const int32_t half = kProgressTotal / 2;
  const int32_t done = fileSize == 0 ? 0 : static_cast<int32_t>(std::min<uintmax_t>(half, fedBytes * half / fileSize));
  sAIUser->UpdateProgress(progressBase + done, kProgressTotal);
  AIBoolean cancelled = false;
  return sAIUser->Cancelled(&cancelled) == kNoErr && cancelled;
}

CKMLFileImporter::Outcome CKMLFileImporter::Read(const ai::FilePath& file, KmlSink& sink,
                                                 const ai::UnicodeString& progressText) {
  CKzFile input(true);
  if (!input.Open(file, "rb")) return Outcome::Unreadable;
  std::error_code error;
  fileSize = std::filesystem::file_size(file.GetPlatformPath(), error);
  if (error) fileSize = 0;
  fedBytes = 0;
  sAIUser->SetProgressText(progressText.Ref());

  KmlReader reader(sink);
  std::vector<char> chunk(kChunkBytes);
  for (;;) {
    const size_t got = std::fread(chunk.data(), 1, chunk.size(), input.GetStream());
    if (got == 0) break;
    fedBytes += got;
    if (!reader.Feed(std::string_view(chunk.data(), got)) || ProgressCancelled()) return Outcome::Stopped;
  }
  if (std::ferror(input.GetStream())) return Outcome::Unreadable;
  if (!reader.Finish()) return Outcome::Stopped;
  styles = reader.Styles();
  truncated = reader.Truncated();
  endLine = reader.EndLine();
  cutPlacemarks = reader.CutPlacemarks();
  deepElements = reader.DeepElements();
  return Outcome::Done;
}

bool CKMLFileImporter::Prepare() {
  if (files.empty()) return false;
  const ai::FilePath& file = files.front();
  ExtentPass pass(*this);
  progressBase = 0;
  switch (Read(file, pass, ai::UnicodeString("座標範囲を調べています [ ") + file.GetFileName() + ai::UnicodeString(" ]"))) {
    case Outcome::Unreadable:
      NoteUnreadable(file);  // told by the framework
      return true;
    case Outcome::Stopped:
      return false;
    case Outcome::Done:
      break;
  }
  if (!hasExtent) {
    ShowError(Formatted("%s には読み込める座標がありません", file.GetFileName(), 0));
    return false;
  }
  return true;
}

bool CKMLFileImporter::GetDataExtent(double& xmin, double& xmax, double& ymin, double& ymax) {
  if (!hasExtent) return false;
  xmin = extentXmin;
  xmax = extentXmax;
  ymin = extentYmin;
  ymax = extentYmax;
  return true;
}

AIErr CKMLFileImporter::WriteLayerFields(AILayerHandle layer) {
  AIArtHandle group = nullptr;
  if (AIErr error = sAIArt->GetFirstArtOfLayer(layer, &group)) return error;
  return StoreRow(group, fieldLayout.Fields());
}

AIErr CKMLFileImporter::NewSublayer(AILayerHandle parent, const std::string& name, AILayerHandle& layer) {
  if (AIErr error = sAILayer->InsertLayer(parent, kPlaceInsideOnBottom, &layer)) return error;
  if (AIErr error = sAILayer->SetLayerTitle(layer, ai::UnicodeString::FromUTF8(name).Ref())) return error;
  return WriteLayerFields(layer);
}

AIErr CKMLFileImporter::DrawPlacemark(const KmlPlacemark& placemark, AILayerHandle layer) {
  if (!placemark.HasGeometry()) return kNoErr;
  const std::vector<ShapeField> row = fieldLayout.Row(placemark, &fittedValues);
  for (const ShapePoint& point : placemark.points) {
    if (areaLimited && !IsInsideArea(point.x, point.y)) continue;
    AIArtHandle art = nullptr;
    if (AIErr error = DrawPoint(point.x, point.y, layer, art)) return error;
    if (art == nullptr) continue;
    if (AIErr error = StoreRow(art, row)) return error;
  }
  return DrawPaths(placemark, layer, row);
}

AIErr CKMLFileImporter::DrawPaths(const KmlPlacemark& placemark, AILayerHandle layer,
                                  const std::vector<ShapeField>& row) {
  if (placemark.lines.empty() && placemark.polygons.empty()) return kNoErr;
  if (areaLimited) {
    double xmin = HUGE_VAL, ymin = HUGE_VAL, xmax = -HUGE_VAL, ymax = -HUGE_VAL;
    for (const ShapePart& line : placemark.lines) Widen(line, xmin, ymin, xmax, ymax);
    for (const KmlPolygon& polygon : placemark.polygons) Widen(polygon.outer, xmin, ymin, xmax, ymax);
    if (xmin > xmax || !IntersectsArea(xmin, ymin, xmax, ymax)) return kNoErr;
  }
  std::vector<AIArtHandle> paths, made;
  std::vector<bool> closed;
  const auto draw = [&](const ShapePart& part, bool isClosed) -> AIErr {
    if (AIErr error = DrawPathPart(part, isClosed, layer, made)) return error;
    paths.insert(paths.end(), made.begin(), made.end());
    closed.insert(closed.end(), made.size(), isClosed);
    return kNoErr;
  };
  for (const ShapePart& line : placemark.lines) {
    if (AIErr error = draw(line, false)) return error;
  }
  for (const KmlPolygon& polygon : placemark.polygons) {
    if (AIErr error = draw(polygon.outer, true)) return error;
    for (const ShapePart& inner : polygon.inners) {
      if (AIErr error = draw(inner, true)) return error;
    }
  }
  if (paths.empty()) return kNoErr;
  return StyleAndStore(paths, closed, layer, placemark, row);
}

AIErr CKMLFileImporter::StyleAndStore(const std::vector<AIArtHandle>& paths, const std::vector<bool>& closed,
                                      AILayerHandle layer, const KmlPlacemark& placemark,
                                      const std::vector<ShapeField>& row) {
  const std::optional<KmlStyle> style = EffectiveStyle(placemark, styles);
  for (size_t i = 0; i < paths.size(); ++i) {
    AIPathStyle paint;
    if (AIErr error = sAIPathStyle->GetPathStyle(paths[i], &paint)) return error;
    SetKmlPaint(paint, style, closed[i]);
    if (AIErr error = sAIPathStyle->SetPathStyle(paths[i], &paint)) return error;
  }
  // Holes and several parts make one compound path, which carries the row
  // and the opacity, as each of its paths carries the row.
  AIArtHandle carrier = paths.front();
  if (paths.size() > 1) {
    AIArtHandle group = nullptr;
    if (AIErr error = sAIArt->GetFirstArtOfLayer(layer, &group)) return error;
    if (AIErr error = MakeCompoundPath(paths, kPlaceInsideOnTop, group, carrier)) return error;
    for (AIArtHandle path : paths) {
      if (AIErr error = StoreRow(path, row)) return error;
    }
  }
  if (AIErr error = sAIBlendStyle->SetOpacity(carrier, OpacityOf(style))) return error;
  return StoreRow(carrier, row);
}

void CKMLFileImporter::ReportDamage(const ai::FilePath& file) const {
  const std::string name = file.GetFileName().as_UTF8();
  char text[512];
  if (truncated) {
    std::snprintf(text, sizeof text,
                  "%s は %lld 行目で途切れていて、壊れています。途切れたプレースマーク %lld 個を除き、そこまでを読み込みました",
                  name.c_str(), static_cast<long long>(endLine), static_cast<long long>(cutPlacemarks));
    ShowMessage(ai::UnicodeString(text));
  }
  if (deepElements > 0) {
    std::snprintf(text, sizeof text, "%s の %zu 段より深く入れ子になった要素 %lld 個は読み込んでいません", name.c_str(),
                  KmlReader::kMaxDepth, static_cast<long long>(deepElements));
    ShowMessage(ai::UnicodeString(text));
  }
}

AIErr CKMLFileImporter::ImportFile(const ai::FilePath& file, AILayerHandle& layer) {
  if (AIErr error = NewImportLayer(layer)) return error;
  if (AIErr error = sAILayer->SetLayerTitle(layer, file.GetFileNameNoExt().Ref())) return error;
  if (AIErr error = WriteLayerFields(layer)) return error;

  DrawPass pass(*this, layer);
  progressBase = kProgressTotal / 2;
  alteredPlacemarks.clear();
  thinnedPlacemarks.clear();
  const int64_t thinnedAtStart = ThinnedVertices();
  fittedValues = 0;
  switch (Read(file, pass, ai::UnicodeString("読み込んでいます"))) {
    case Outcome::Unreadable:
      NoteUnreadable(file);
      return kNoErr;
    case Outcome::Stopped:
      return kCanceledErr;
    case Outcome::Done:
      break;
  }
  ReportDamage(file);
  NoteAlteredRecords(file, alteredPlacemarks);
  NoteThinnedRecords(file, thinnedPlacemarks, ThinnedVertices() - thinnedAtStart);
  ReportFittedValues(file, fittedValues);
  if (badTuples > 0) {
    ShowMessage(Formatted("%s の座標のうち %lld 組は数値として読めないため、描画していません", file.GetFileName(),
                          static_cast<long long>(badTuples)));
  }
  return pass.firstError;
}
