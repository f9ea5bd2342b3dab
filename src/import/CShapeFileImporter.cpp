#include "import/CShapeFileImporter.h"

#include <cmath>
#include <cstdio>

#include "attributes/CKzShapeAttr.h"
#include "formats/DecodeLoss.h"
#include "formats/PartFile.h"
#include "formats/PathPieces.h"
#include "host/AIArtSuite.h"
#include "host/AILayerSuite.h"
#include "host/AIPreferenceSuite.h"
#include "host/AITagSuite.h"
#include "host/AIUserSuite.h"
#include "host/SuitePointers.h"
#include "import/OpenFilesDialog.h"
#include "import/ShapeCompanions.h"

namespace {

constexpr const char* kWgs84TakenAsJgd2011 =
    "WGS 84 の座標は JGD2011（世界測地系）の座標とみなして変換します。両者の違いは 1 m 程度です";
constexpr const char* kTitle = "シェープファイルを読み込む（複数選択可）";
constexpr char kFilter[] = "Shapefiles(*.shp)\0*.shp\0";

bool IsPointType(int32_t type) { return type == kShapePoint || type == kShapePointZ || type == kShapePointM; }
bool IsLineType(int32_t type) { return type == kShapePolyLine || type == kShapePolyLineZ || type == kShapePolyLineM; }
bool IsPolygonType(int32_t type) { return type == kShapePolygon || type == kShapePolygonZ || type == kShapePolygonM; }
bool IsMultiPointType(int32_t type) {
  return type == kShapeMultiPoint || type == kShapeMultiPointZ || type == kShapeMultiPointM;
}
// The shape types a Shapefile can hold; any other number in a record header
// means the records went out of step (a damaged file), not a kind of shape.
bool IsShapeType(int32_t type) {
  switch (type) {
    case 0: case 1: case 3: case 5: case 8: case 11: case 13: case 15:
    case 18: case 21: case 23: case 25: case 28: case 31:
      return true;
    default:
      return false;
  }
}

bool IsSilentlySkipped(int32_t type) { return type == kShapeNull || type == kShapeMultiPatch; }

// The file name is an argument, never part of the format: a name may hold "%".
ai::UnicodeString Formatted(const char* format, const std::string& name, const std::string& argument = {}) {
  std::vector<char> text(std::snprintf(nullptr, 0, format, name.c_str(), argument.c_str()) + 1);
  std::snprintf(text.data(), text.size(), format, name.c_str(), argument.c_str());
  return ai::UnicodeString(text.data());
}

// Why the set did not open: a companion that is missing or refused is named
// with the system's reason, as the .shp itself already is.
std::string WhyNotOpened(const CShapeFileReader& reader) {
  const std::string& path = reader.GetUnopenedPath();
  if (path.empty()) return {};
  return ai::FilePath::FromPlatform(path).GetFileName().as_UTF8() + ": " + SystemReason(reader.GetOpenError());
}

bool FiniteBounds(double xmin, double xmax, double ymin, double ymax) {
  return std::isfinite(xmin) && std::isfinite(xmax) && std::isfinite(ymin) && std::isfinite(ymax) && xmin <= xmax &&
         ymin <= ymax;
}

}  // namespace

CShapeFileImporter::CShapeFileImporter(SPPluginRef plugin)
    : CImporterBase(plugin), reader(std::make_unique<CShapeFileReader>()) {}

CShapeFileImporter::~CShapeFileImporter() = default;

AIErr CShapeFileImporter::ChooseFiles() {
  OpenFilesRequest request;
  request.title = kTitle;
  request.filter.assign(kFilter, sizeof kFilter - 1);
  request.defaultExtension = "shp";
  request.allowSeveral = true;
  request.offerUtf16 = false;
  request.showEncoding = true;
  request.folderKey = kImportShapeFolderKey;
  return ShowOpenFilesDialog(plugin, request, encodingCode, files, &encodingChosen);
}

// The union of the bounds of the files that open and hold records, in one
// reference. A file that does not open is named once and left out of the
// import; the .prj and .cpg beside each file are read on the way.
bool CShapeFileImporter::GetDataExtent(double& xmin, double& xmax, double& ymin, double& ymax) {
  CShapeFileReader extentReader;
  bool allRead = true;
  std::vector<FileExtent> extents;
  for (const ai::FilePath& file : files) {
    if (!extentReader.Open(file)) {
      NoteUnreadable(file, WhyNotOpened(extentReader));
      extentReader.Close();
      allRead = false;
      continue;
    }
    FileExtent extent{file};
    extentReader.GetBounds(extent.xmin, extent.xmax, extent.ymin, extent.ymax);
    // A file without records says nothing about where the data lies.
    if (extentReader.GetRecordCount() > 0 && FiniteBounds(extent.xmin, extent.xmax, extent.ymin, extent.ymax)) {
      extents.push_back(extent);
    }
    extentReader.Close();
    ReadCompanions(file);
  }
  if (wgs84Named) ShowMessage(ai::UnicodeString(kWgs84TakenAsJgd2011));
  UnionInOneReference(extents, xmin, xmax, ymin, ymax);
  return allRead;
}

void CShapeFileImporter::ReadCompanions(const ai::FilePath& file) {
  const std::string name = file.GetFileName().as_UTF8();
  const FileReference reference = ReadPrjBeside(file);
  switch (reference.status) {
    case FileReference::Status::Known:
      // Each file keeps its own; the dialog opens with the first one's.
      fileReferences[file.GetPlatformPath()] = reference.ref;
      if (!filesReference) filesReference = AsConverted(reference.ref);
      wgs84Named |= reference.ref.datum == kDatumWgs84;
      break;
    case FileReference::Status::Unsupported:
      ShowMessage(Formatted("%s の .prj の座標系「%s」には対応していません。データファイルの座標値を確かめてください", name,
                            reference.name));
      NoteUnsupportedReference(file, reference.name);
      break;
    case FileReference::Status::Unreadable:
      ShowMessage(Formatted("%s の .prj を座標系として読めません", name));
      break;
    case FileReference::Status::Missing:
      break;
  }
  if (encodingChosen) return;  // the user's choice applies to every file
  const FileEncoding encoding = ReadCpgBeside(file);
  if (encoding.status == FileEncoding::Status::Known) {
    fileEncodings[file.GetPlatformPath()] = encoding.code;
  } else if (encoding.status == FileEncoding::Status::Unsupported) {
    ShowMessage(Formatted("%s の .cpg の文字コード「%s」には対応していません。選んだエンコーディングで読み込みます", name,
                          encoding.name));
  }
}

int32_t CShapeFileImporter::EncodingOf(const ai::FilePath& file) const {
  const auto found = fileEncodings.find(file.GetPlatformPath());
  return found != fileEncodings.end() ? found->second : encodingCode;
}

AIErr CShapeFileImporter::WriteLayerFields(AIArtHandle group, int32_t encoding) {
  std::vector<ShapeField> fields;
  DbfFieldDescriptor descriptor;
  for (int32_t i = 0; i < reader->GetFieldCount() && reader->GetFieldDescriptor(i, descriptor); ++i) {
    fields.push_back(FieldFromDbaseColumn(descriptor, {}, encoding));
  }
  if (fields.empty()) return kNoErr;
  CKzShapeAttr attributes;
  attributes.Load(group);
  return attributes.ReplaceAll(fields);
}

std::vector<ShapeField> CShapeFileImporter::RecordFields(int32_t encoding) {
  std::vector<ShapeField> fields;
  DbfFieldDescriptor descriptor;
  std::string raw;
  for (int32_t i = 0; i < reader->GetFieldCount() && reader->GetFieldDescriptor(i, descriptor); ++i) {
    reader->GetFieldValue(i, raw);
    fields.push_back(FieldFromDbaseColumn(descriptor, raw, encoding));
    undecodableBytes += CountDecodeReplacements(raw, fields.back().value, encoding);
  }
  return fields;
}

AIErr CShapeFileImporter::StoreRow(AIArtHandle art, const std::vector<ShapeField>& row) const {
  CKzShapeAttr attributes;
  attributes.Load(art);
  return attributes.ReplaceAll(row);
}

AIErr CShapeFileImporter::ImportPoint(AILayerHandle layer, int32_t encoding, bool& readable) {
  double x = 0, y = 0;
  readable = reader->ReadPoint(x, y);
  if (!readable || (areaLimited && !IsInsideArea(x, y))) return kNoErr;
  AIArtHandle art = nullptr;
  if (AIErr error = DrawPoint(x, y, layer, art)) return error;
  return art != nullptr ? StoreRow(art, RecordFields(encoding)) : kNoErr;
}

// The points of one record make one group that carries the row, as each of
// its point marks does.
AIErr CShapeFileImporter::ImportMultiPoint(AILayerHandle layer, AIArtHandle group, int32_t encoding, bool& readable) {
  ShapePart points;
  readable = reader->ReadMultiPoint(points);
  if (!readable) return kNoErr;
  const std::vector<ShapeField> row = RecordFields(encoding);
  std::vector<AIArtHandle> marks;
  for (const ShapePoint& point : points) {
    if (areaLimited && !IsInsideArea(point.x, point.y)) continue;
    AIArtHandle art = nullptr;
    if (AIErr error = DrawPoint(point.x, point.y, layer, art)) return error;
    if (art != nullptr) marks.push_back(art);
  }
  if (marks.empty()) return kNoErr;
  AIArtHandle record = nullptr;
  if (AIErr error = sAIArt->NewArt(kGroupArt, kPlaceInsideOnTop, group, &record)) return error;
  if (AIErr error = sAITag->SetTagBoolean(record, kMultiPointGroupTag, true)) return error;
  for (AIArtHandle mark : marks) {
    if (AIErr error = sAIArt->ReorderArt(mark, kPlaceInsideOnTop, record)) return error;
    if (AIErr error = StoreRow(mark, row)) return error;
  }
  return StoreRow(record, row);
}

AIErr CShapeFileImporter::ImportPoly(AILayerHandle layer, AIArtHandle group, bool closed, int32_t encoding,
                                     bool& readable) {
  ShapePolyRecord record;
  readable = reader->ReadPoly(record);
  if (!readable || (areaLimited && !IntersectsArea(record.xmin, record.ymin, record.xmax, record.ymax))) return kNoErr;
  const std::vector<ShapeField> row = RecordFields(encoding);
  std::vector<AIArtHandle> paths, made;
  for (const ShapePart& part : record.parts) {
    if (AIErr error = DrawPathPart(part, closed, layer, made)) return error;
    paths.insert(paths.end(), made.begin(), made.end());
  }
  if (paths.empty()) return kNoErr;
  if (paths.size() == 1) return StoreRow(paths.front(), row);
  AIArtHandle compound = nullptr;
  if (AIErr error = MakeCompoundPath(paths, kPlaceInsideOnTop, group, compound)) return error;
  if (AIErr error = StoreRow(compound, row)) return error;
  for (AIArtHandle path : paths) {
    if (AIErr error = StoreRow(path, row)) return error;
  }
  return kNoErr;
}

// A record of a type that is not drawn is passed over; an unknown type is
// told once per file, not once per record.
bool CShapeFileImporter::SkipUnsupported(int32_t shapeType) {
  // Reading on from a header that is not one would draw garbage: the file
  // is told as read up to this record.
  if (!IsShapeType(shapeType)) return false;
  if (!IsSilentlySkipped(shapeType) && toldTypes.insert(shapeType).second) {
    char text[128];
    std::snprintf(text, sizeof text, "読み込みエラー [ エラーコード：%d ]", shapeType);
    ShowMessage(ai::UnicodeString(text));
  }
  return reader->SkipRecord();
}

AIErr CShapeFileImporter::ImportFile(const ai::FilePath& file, AILayerHandle& layer) {
  struct Closer {
    CShapeFileReader& reader;
    ~Closer() { reader.Close(); }
  } closer{*reader};
  if (!reader->Open(file)) {
    NoteUnreadable(file, WhyNotOpened(*reader));
    return kNoErr;
  }
  toldTypes.clear();
  undecodableBytes = 0;
  const int32_t encoding = EncodingOf(file);
  const ai::UnicodeString progress =
      ai::UnicodeString("シェープファイルを読み込んでいます [ ") + file.GetFileName() + ai::UnicodeString(" ]");
  if (AIErr error = sAIUser->SetProgressText(progress.Ref())) return error;
  const uint32_t count = reader->GetRecordCount();

  if (AIErr error = NewImportLayer(layer)) return error;
  if (AIErr error = sAILayer->SetLayerTitle(layer, file.GetFileNameNoExt().Ref())) return error;
  AIArtHandle group = nullptr;
  if (AIErr error = sAIArt->GetFirstArtOfLayer(layer, &group)) return error;
  if (AIErr error = WriteLayerFields(group, encoding)) return error;

  // Every record the index lists is tried: a damaged one is named and left
  // out, and those after it are still read.
  std::vector<int64_t> unreadableRecords, alteredRecords, thinnedRecords;
  const int64_t thinnedAtStart = ThinnedVertices();
  for (uint32_t i = 1; i <= count; ++i) {
    sAIUser->UpdateProgress(static_cast<int32_t>(std::min<uint32_t>(i, INT32_MAX)),
                            static_cast<int32_t>(std::min<uint32_t>(count, INT32_MAX)));
    AIBoolean cancelled = false;
    if (sAIUser->Cancelled(&cancelled) == kNoErr && cancelled) return kCanceledErr;
    ShapeRecordHeader header;
    bool readable = reader->SeekRecord(i - 1) && reader->ReadRecordHeader(header);
    if (readable) {
      AIErr error = kNoErr;
      if (IsPointType(header.shapeType)) {
        error = ImportPoint(layer, encoding, readable);
      } else if (IsLineType(header.shapeType) || IsPolygonType(header.shapeType)) {
        const int64_t skippedBefore = SkippedPoints(), thinnedBefore = ThinnedVertices();
        error = ImportPoly(layer, group, IsPolygonType(header.shapeType), encoding, readable);
        if (SkippedPoints() != skippedBefore) alteredRecords.push_back(i);
        if (ThinnedVertices() != thinnedBefore) thinnedRecords.push_back(i);
      } else if (IsMultiPointType(header.shapeType)) {
        error = ImportMultiPoint(layer, group, encoding, readable);
      } else {
        readable = SkipUnsupported(header.shapeType);
      }
      if (error != kNoErr) return error;
    }
    if (!readable) unreadableRecords.push_back(i);
  }
  NoteUnreadableRecords(file, unreadableRecords);
  NoteAlteredRecords(file, alteredRecords);
  NoteThinnedRecords(file, thinnedRecords, ThinnedVertices() - thinnedAtStart);
  ReportUndecodable(file, undecodableBytes, encoding);
  return kNoErr;
}
