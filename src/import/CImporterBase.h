// CImporterBase: the sequence every import runs (files and encoding, extent,
// coordinate settings, georeference, one layer per file) and the drawing
// operations that turn converted coordinates into art. The importers fill
// in the file-specific steps through the virtual operations.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "formats/ShapePolyRecord.h"
#include "geodesy/CoordConverter.h"
#include "georef/MapTransform.h"
#include "host/AIPathSuite.h"
#include "host/FilePath.h"
#include "host/HostTypes.h"
#include "import/ImportCoordSettings.h"

class CImporterBase {
 public:
  explicit CImporterBase(SPPluginRef plugin);
  virtual ~CImporterBase();
  CImporterBase(const CImporterBase&) = delete;
  CImporterBase& operator=(const CImporterBase&) = delete;

  // Fills the chosen files and encodingCode; non-zero ends the import.
  virtual AIErr ChooseFiles();
  // Draws one file into a layer of its own; layer receives that layer (the
  // last one made stays there). STOP when the user cancelled.
  virtual AIErr ImportFile(const ai::FilePath& file, AILayerHandle& layer);
  // The union of the chosen files' extents, in their own coordinates.
  virtual bool GetDataExtent(double& xmin, double& xmax, double& ymin, double& ymax);
  // File-specific work before the coordinate dialog; false cancels.
  virtual bool Prepare();
  // Decides the mode, runs the coordinate dialog and sets up the converter,
  // the map transform and, for a new map, the data frame.
  virtual bool SetupCoordinates(ImportCoordSettings& settings);

  AIErr RunImport();

  AIErr NewImportLayer(AILayerHandle& layer);
  // art is null (with 0) when the point cannot be converted.
  AIErr DrawPoint(double x, double y, AILayerHandle layer, AIArtHandle& art);
  AIErr DrawPathPart(const ShapePart& points, bool closed, AILayerHandle layer, std::vector<AIArtHandle>& paths);
  AIErr MakeCompoundPath(const std::vector<AIArtHandle>& paths, AIPaintOrder order, AIArtHandle container,
                         AIArtHandle& compound);
  bool IsInsideArea(double x, double y) const;
  bool IntersectsArea(double xmin, double ymin, double xmax, double ymax) const;

  const std::vector<ai::FilePath>& Files() const { return files; }
  int32_t EncodingCode() const { return encodingCode; }
  // Points left out because they could not be converted, in this import.
  int64_t SkippedPoints() const { return skippedPoints; }
  // How far (in points) long closed outlines were thinned, at most; 0 when none was.
  double ThinningTolerance() const { return thinningTolerance; }

 protected:
  // Where an importer's own message goes: an error alert of the host.
  static void ShowError(const ai::UnicodeString& message);
  static void ShowMessage(const ai::UnicodeString& message);
  // A file that could not be read, named once at the end of its step.
  // reason: why, naming the file that failed when it is not this one (UTF-8).
  void NoteUnreadable(const ai::FilePath& file, const std::string& reason = {});
  // A file whose reading stopped early at the record, named at the end.
  void NoteStoppedAt(const ai::FilePath& file, int64_t record);
  // Tells, once for the file, how many bytes were not text in the encoding
  // (they became U+FFFD), naming the encoding and the one to try instead.
  // Tells how many values of the file were changed to fit their field.
  static void ReportFittedValues(const ai::FilePath& file, int64_t values);
  static void ReportUndecodable(const ai::FilePath& file, int64_t bytes, int32_t encoding);
  // Records of a file that could not be read and were left out (1-based).
  void NoteUnreadableRecords(const ai::FilePath& file, const std::vector<int64_t>& records);
  // Anchors left out of long closed outlines so far, in this import.
  int64_t ThinnedVertices() const { return thinnedVertices; }
  // Records whose outlines were thinned, with the anchors left out of them;
  // the largest deviation since the last call goes with them.
  void NoteThinnedRecords(const ai::FilePath& file, const std::vector<int64_t>& records, int64_t droppedVertices);
  // Records drawn without some of their vertices (those that could not be
  // converted), 1-based.
  void NoteAlteredRecords(const ai::FilePath& file, const std::vector<int64_t>& records);
  // A file whose .prj names a reference the system does not draw in (its
  // name as the .prj gives it, UTF-8); named again if the map cannot be set up.
  void NoteUnsupportedReference(const ai::FilePath& file, const std::string& name);

  SPPluginRef plugin;
  std::unique_ptr<CoordConverter> converter;
  std::unique_ptr<MapTransform> transform;
  std::unique_ptr<AIPathSegment[]> SegmentBuffer;
  int32_t encodingCode = kAIShiftJISCharacterEncoding;
  // Whether the user picked the encoding (rather than leaving the first choice).
  bool encodingChosen = false;
  std::vector<ai::FilePath> files;
  bool areaLimited = false;
  double areaXmin = 0, areaXmax = 0, areaYmin = 0, areaYmax = 0;
  // The reference the coordinate dialog opens with when files name their
  // own: the first such file's, WGS 84 taken as JGD2011.
  std::optional<CoordRef> filesReference;
  // Each file's own reference (its .prj), by platform path, as named.
  std::map<std::string, CoordRef> fileReferences;

  // One file's bounds in its own coordinates.
  struct FileExtent {
    ai::FilePath file;
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  };
  // The union of the files' bounds in the reference the dialog opens with;
  // a file whose .prj names another has the outline of its bounds converted.
  // False when there is no extent.
  bool UnionInOneReference(const std::vector<FileExtent>& extents, double& xmin, double& xmax, double& ymin,
                           double& ymax);

 private:
  bool ConfigureConverter(const CoordRef& source, const CoordRef& target);
  bool SetupNewDataFrame(const ImportCoordSettings& settings, DataFrameParams& frame);
  bool WriteNewDataFrame(const DataFrameParams& frame);
  bool ToArtboard(double x, double y, AIRealPoint& point) const;
  AIErr MakePath(const AIRealPoint* anchors, size_t count, bool closed, AIArtHandle group, AIArtHandle& path);
  bool ReportUnreadableFiles();
  void ReportSkipped();
  void RollBack();
  bool SetupFailed(const char* message);
  bool SetupFailed(const ai::UnicodeString& message);
  // Why the centre of the import area could not be converted: the cause the
  // files show (no records, a reference not drawn in, plane coordinates
  // taken for degrees, files in differing references), named with the file.
  ai::UnicodeString CentreFailure(const ImportCoordSettings& settings) const;
  // Tells which files were drawn partly off the artboard and, for a new map,
  // the scale at which all would fit.
  void ReportOffArtboard(const std::vector<std::pair<ai::FilePath, AILayerHandle>>& drawn) const;
  // The reference a file's coordinates are converted from.
  CoordRef ReferenceOf(const ai::FilePath& file) const;
  // Points the converter (and the area test) at a file's own reference.
  bool UseReference(const CoordRef& ref);
  void NoteFileReferences() const;
  bool InArea(double x, double y) const;

  std::vector<ai::UnicodeString> unreadable;
  std::vector<ai::UnicodeString> unreadableLines;  // each with its reason, as told
  std::vector<ai::UnicodeString> stopped;
  std::vector<ai::UnicodeString> badRecords;
  std::vector<ai::UnicodeString> alteredRecords;
  std::vector<ai::UnicodeString> thinnedRecords;
  int64_t thinnedVertices = 0;
  double thinningDeviation = 0;  // points on the artboard
  double mapScale = 0;           // the data frame's scale; 0 when fitted to markers
  std::vector<AILayerHandle> createdLayers;
  std::vector<ai::UnicodeString> unconverted;
  std::vector<std::pair<ai::UnicodeString, std::string>> unsupportedReferences;  // file name, reference
  // The extents of the files that hold records, as read; and whether any
  // file held records (unknown until an importer says).
  std::vector<FileExtent> fileExtents;
  std::optional<bool> recordsFound;
  // The anchor of a data frame this import made, on the artboard.
  std::optional<AIRealPoint> newFrameAnchor;
  int64_t skippedPoints = 0;
  double thinningTolerance = 0;
  AIErr setupError = kNoErr;

  // Set when each file is converted from its own .prj (the user did not
  // choose the source reference in the dialog).
  bool perFileReferences = false;
  int32_t importMode = kImportNewDataFrame;
  CoordRef importSource;  // the dialog's source: the area and files without a .prj
  CoordRef mapReference;  // what the converter converts to
  CoordRef converterSource;
  // Far points counted under earlier references of this import: a new
  // reference starts the converter's count afresh.
  size_t earlierDistantPoints = 0;
  // The converter's output is taken in the target's own coordinates (degrees
  // for latitude/longitude), not the map's.
  bool toFileCoordinates = false;
  // A file's reference to the area's, for the area test of files whose
  // reference is not the area's; null otherwise.
  std::unique_ptr<CoordConverter> toAreaReference;
  // The plain union of the files' bounds, when the dialog was shown a
  // converted one.
  std::optional<FileExtent> plainExtent;
};

// Import messages.
namespace import_texts {
inline constexpr const char* kUnreadableFiles = "次のファイルを開けないため、読み込みません：";
inline constexpr const char* kStoppedFiles = "次のファイルは途中のレコードを読めないため、そこまでを読み込みました：";
inline constexpr const char* kUnreadableRecords = "次のファイルの次のレコードは読めないため、読み込んでいません（レコード番号）：";
inline constexpr const char* kThinnedRecords = "次のファイルの次のレコードは、頂点が多く一つのパスに収まらないため、輪郭を間引いて描画しました（レコード番号）：";
inline constexpr const char* kAlteredRecords = "次のファイルの次のレコードは、座標を変換できない頂点を除いて描画しました（レコード番号）：";
inline constexpr const char* kSkippedPoints = "座標を変換できない点が %lld 個あったため、描画していません";
inline constexpr const char* kNoConversion = "座標変換を設定できないため、読み込みを中止しました";
inline constexpr const char* kCentreNotConverted = "読み込む範囲の中心の座標を変換できないため、読み込みを中止しました";
inline constexpr const char* kNoRecords =
    "%s にはレコードがないため、新しい地図の位置を決められません。読み込みを中止しました。レコードのあるファイルを選んでください";
inline constexpr const char* kReferenceNotDrawn =
    "%s の .prj の座標系「%s」では地図を描けないため、読み込みを中止しました。「データファイルの座標値」でファイルの座標系を選ぶか、"
    "緯度経度・平面直角座標・UTM のいずれかに変換したファイルを読み込んでください";
inline constexpr const char* kNotDegrees =
    "%s の座標値（東西 %.3f〜%.3f、南北 %.3f〜%.3f）は緯度経度の範囲を超えているため、読み込みを中止しました。"
    ".prj がないため緯度経度とみなしましたが、平面直角座標など別の座標系の値のようです。「データファイルの座標値」でファイルの座標系を選んでください";
inline constexpr const char* kDifferingReferences =
    "次のファイルは座標系が異なり、読み込む範囲の中心をひとつの座標系で求められないため、読み込みを中止しました。"
    "座標系ごとに分けて読み込むか、「データファイルの座標値」で座標系を選んでください：";
inline constexpr const char* kOffArtboardNewMap =
    "次のファイルのデータの一部がアートボードの外に描かれました（縮尺 1:%lld）。縮尺を 1:%lld にすると全体がアートボードに収まります：";
inline constexpr const char* kOffArtboard =
    "次のファイルのデータの一部がアートボードの外に描かれました（地図の縮尺 1:%lld）：";
inline constexpr const char* kNoMarkers = "読み込む範囲の四隅の座標を変換できないため、座標マーカーを置いていません";
inline constexpr const char* kNoTransform = "地図の座標の対応を設定できないため、読み込みを中止しました";
inline constexpr const char* kUnconvertedFiles = "次のファイルは座標系を変換できないため、読み込みません：";
inline constexpr const char* kFileReferences = "ファイルごとに、それぞれの .prj が示す座標系から変換しました：";
inline constexpr const char* kNoPrj = "（.prj なし、読み込み座標の設定による）";
}  // namespace import_texts
