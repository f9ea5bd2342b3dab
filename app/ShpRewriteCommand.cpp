// kzmap shp rewrite: reads every record of a Shapefile and writes it again,
// as an import followed by an export would, without the drawing: attribute
// fields converted as an import converts them, Z/M records written flat.
// The everyday use is re-encoding a Shift-JIS table to UTF-8 and back.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/Command.h"
#include "app/ShpCommon.h"
#include "app/ToolHost.h"
#include "formats/CShapeFileReader.h"
#include "formats/CShapeFileWriter.h"
#include "formats/ShapeField.h"

namespace {

constexpr const char* kName = "kzmap shp rewrite";

// The flat type of a record type, or Null for what the reader does not draw.
int32_t FlatType(int32_t type) {
  switch (type) {
    case kShapePoint:
    case kShapePointZ:
    case kShapePointM:
      return kShapePoint;
    case kShapePolyLine:
    case kShapePolyLineZ:
    case kShapePolyLineM:
      return kShapePolyLine;
    case kShapePolygon:
    case kShapePolygonZ:
    case kShapePolygonM:
      return kShapePolygon;
    default:
      return kShapeNull;
  }
}

struct Options {
  std::string input;
  std::string output;
  int32_t from = 17;
  int32_t to = 17;
};

class Rewriter {
 public:
  Rewriter(CShapeFileReader& reader, CShapeFileWriter& writer, const Options& options)
      : reader(reader), writer(writer), options(options), fileType(FlatType(reader.GetShapeType())) {}

  bool Begin() {
    writer.Begin(fileType, options.to);
    for (int32_t i = 0; i < reader.GetFieldCount(); ++i) {
      DbfFieldDescriptor descriptor;
      reader.GetFieldDescriptor(i, descriptor);
      descriptors.push_back(descriptor);
      if (!writer.AddField(FieldFromDbaseColumn(descriptor, {}, options.from))) return false;
    }
    return writer.Create(ai::FilePath::FromPlatform(options.output));
  }

  // False when the input cannot be read or the output cannot be written.
  bool CopyRecord(uint32_t index) {
    ShapeRecordHeader header;
    if (reader.IsAtEnd() || !reader.ReadRecordHeader(header)) return Fail("record %u cannot be read", index);
    const int32_t type = FlatType(header.shapeType);
    // Only records of the file's own flat type fit in the rewritten file.
    if (type == kShapeNull || type != fileType) {
      ++skipped;
      return reader.SkipRecord() || Fail("record %u cannot be read", index);
    }
    double x = 0, y = 0;
    const bool read = type == kShapePoint ? reader.ReadPoint(x, y) : reader.ReadPoly(poly);
    if (!read) return Fail("record %u cannot be read", index);
    if (!writer.SetValues(Values())) ++unfit;
    bool written = false;
    if (type == kShapePoint) written = writer.WritePoint(x, y);
    if (type == kShapePolyLine) written = writer.WritePolyLine(poly.parts);
    if (type == kShapePolygon) written = writer.WritePolygon(poly.parts);
    return written || Fail("record %u cannot be written", index);
  }

  int skipped = 0;
  int unfit = 0;

 private:
  std::vector<ShapeField> Values() {
    std::vector<ShapeField> fields;
    std::string raw;
    for (int32_t i = 0; i < static_cast<int32_t>(descriptors.size()); ++i) {
      reader.GetFieldValue(i, raw);
      fields.push_back(FieldFromDbaseColumn(descriptors[i], raw, options.from));
    }
    return fields;
  }

  bool Fail(const char* format, uint32_t index) {
    std::fprintf(stderr, "%s: ", kName);
    std::fprintf(stderr, format, index);
    std::fprintf(stderr, "\n");
    return false;
  }

  CShapeFileReader& reader;
  CShapeFileWriter& writer;
  const Options& options;
  int32_t fileType;
  std::vector<DbfFieldDescriptor> descriptors;
  ShapePolyRecord poly;
};

int RunRewrite(const Options& options) {
  kzmap::ToolHost host;
  CShapeFileReader reader;
  if (!reader.Open(options.input)) {
    std::fprintf(stderr, "%s: %s: %s\n", kName, options.input.c_str(), kzmap::WhyNotOpened(options.input).c_str());
    return 1;
  }
  CShapeFileWriter writer;
  Rewriter rewriter(reader, writer, options);
  if (!rewriter.Begin()) {
    std::fprintf(stderr, "%s: %s: cannot write the Shapefile\n", kName, options.output.c_str());
    return 1;
  }
  bool ok = true;
  for (uint32_t i = 1; ok && i <= reader.GetRecordCount(); ++i) ok = rewriter.CopyRecord(i);
  const int32_t written = writer.GetRecordCount();
  if (!writer.Finish()) {
    std::fprintf(stderr, "%s: %s: cannot complete the Shapefile\n", kName, options.output.c_str());
    return 1;
  }
  std::fprintf(stderr, "%s: %d records written, %d skipped\n", kName, written, rewriter.skipped);
  if (rewriter.unfit > 0)
    std::fprintf(stderr, "%s: %d records have numbers that do not fit their fields (written as asterisks)\n", kName,
                 rewriter.unfit);
  return ok ? 0 : 1;
}

kzmap::CommandRun DefineRewrite(CLI::App& app) {
  auto options = std::make_shared<Options>();
  app.add_option("IN.shp", options->input, "the Shapefile to read")->required();
  app.add_option("OUT.shp", options->output, "the Shapefile to write")->required();
  kzmap::AddEncodingOption(app, "--from", options->from, "the encoding of the input's attribute table");
  kzmap::AddEncodingOption(app, "--to", options->to, "the encoding to write the attribute table in");
  return [options] { return RunRewrite(*options); };
}

const kzmap::CommandRegistration registration({"shp rewrite", "IN.shp OUT.shp [--from sjis|utf8] [--to sjis|utf8]",
                                               "read a Shapefile and write it again, re-encoding its text",
                                               DefineRewrite});

}  // namespace
