// kzmap shp dump: prints a Shapefile triple as the reader sees it, one item
// per line, with attribute values decoded and trimmed.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>

#include "app/Command.h"
#include "app/ShpCommon.h"
#include "app/ToolHost.h"
#include "app/Translate.h"
#include "formats/CShapeFileReader.h"
#include "formats/ShapeField.h"

namespace {

constexpr const char* kName = "kzmap shp dump";

bool IsPointType(int32_t type) { return type == kShapePoint || type == kShapePointZ || type == kShapePointM; }

bool IsPolyType(int32_t type) {
  return type == kShapePolyLine || type == kShapePolyLineZ || type == kShapePolyLineM || type == kShapePolygon ||
         type == kShapePolygonZ || type == kShapePolygonM;
}

class Dumper {
 public:
  Dumper(CShapeFileReader& reader, int32_t encoding) : reader(reader), encoding(static_cast<AICharacterEncoding>(encoding)) {}

  void PrintHeader() {
    double xmin, xmax, ymin, ymax;
    reader.GetBounds(xmin, xmax, ymin, ymax);
    std::printf("shape_type %d\n", reader.GetShapeType());
    std::printf("bounds %.9f %.9f %.9f %.9f\n", xmin, ymin, xmax, ymax);
    std::printf("records %u\n", reader.GetRecordCount());
    for (int32_t i = 0; i < reader.GetFieldCount(); ++i) {
      DbfFieldDescriptor field;
      reader.GetFieldDescriptor(i, field);
      std::printf("field %s %c %u %u\n", Name(field).c_str(), field.type, field.length, field.decimalCount);
    }
  }

  // False when a record cannot be read; the records before it are printed.
  bool PrintRecords(uint32_t& failedRecord) {
    for (uint32_t i = 0; i < reader.GetRecordCount(); ++i) {
      failedRecord = i + 1;
      ShapeRecordHeader header;
      if (reader.IsAtEnd() || !reader.ReadRecordHeader(header)) return false;
      std::printf("record %d %d\n", header.recordNumber, header.shapeType);
      if (!PrintBody(header.shapeType)) return false;
    }
    return true;
  }

 private:
  std::string Name(const DbfFieldDescriptor& field) const {
    return ai::UnicodeString(field.Name(), encoding).as_UTF8();
  }

  bool PrintBody(int32_t type) {
    if (IsPointType(type)) {
      double x, y;
      if (!reader.ReadPoint(x, y)) return false;
      std::printf("point %.9f %.9f\n", x, y);
    } else if (IsPolyType(type)) {
      if (!reader.ReadPoly(poly)) return false;
      for (const ShapePart& part : poly.parts) {
        std::printf("part %zu\n", part.size());
        for (const ShapePoint& point : part) std::printf("point %.9f %.9f\n", point.x, point.y);
      }
    } else if (!reader.SkipRecord()) {
      return false;
    }
    // Every record has its row, also those without a geometry printed here.
    PrintValues();
    return true;
  }

  void PrintValues() {
    std::string raw;
    for (int32_t i = 0; i < reader.GetFieldCount(); ++i) {
      DbfFieldDescriptor field;
      reader.GetFieldDescriptor(i, field);
      reader.GetFieldValue(i, raw);
      const std::string value = TrimSpaces(ai::UnicodeString(raw, encoding)).as_UTF8();
      std::printf("value %s=%s\n", Name(field).c_str(), value.c_str());
    }
  }

  CShapeFileReader& reader;
  AICharacterEncoding encoding;
  ShapePolyRecord poly;
};

struct Options {
  std::string path;
  int32_t encoding = 0;  // 0: as the table's .cpg says, else Shift-JIS
};

int RunDump(const Options& options) {
  const std::string& path = options.path;
  kzmap::ToolHost host;
  CShapeFileReader reader;
  if (!reader.Open(path)) {
    std::fprintf(stderr, "%s: %s: %s\n", kName, path.c_str(), kzmap::WhyNotOpened(reader, path).c_str());
    return 1;
  }
  const int32_t encoding = kzmap::TableEncoding(reader, options.encoding);
  Dumper dumper(reader, encoding);
  dumper.PrintHeader();
  uint32_t failedRecord = 0;
  if (!dumper.PrintRecords(failedRecord)) {
    std::fflush(stdout);
    std::fprintf(stderr, kzmap::Tr("%s: %s: record %u cannot be read (damaged file)\n"), kName, path.c_str(),
                 failedRecord);
    return 1;
  }
  return 0;
}

kzmap::CommandRun DefineDump(CLI::App& app) {
  auto options = std::make_shared<Options>();
  app.add_option("FILE.shp", options->path, kzmap::Tr("the Shapefile (its .shx and .dbf lie beside it)"))->required();
  kzmap::AddEncodingOption(app, "--encoding", options->encoding,
                           kzmap::Tr("the encoding of the attribute table, CP932 (Shift_JIS, sjis) or UTF-8 (utf8) (default: as its "
                                     ".cpg says, else CP932)"));
  return [options] { return RunDump(*options); };
}

const kzmap::CommandRegistration registration({
    "shp dump",
    "FILE.shp [--encoding ENCODING]",
    kzmap::TrLater("print a Shapefile's records and attributes"),
    DefineDump,
    "kzmap shp dump roads.shp --encoding CP932",
});

}  // namespace
