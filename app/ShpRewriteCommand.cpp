// kzmap shp rewrite: reads every record of a Shapefile and writes it again
// (ShapeRewrite): Z/M records written flat, every value kept as GDAL reads
// it. The everyday use is re-encoding a Shift-JIS table to UTF-8 and back.
#include <CLI/CLI.hpp>

#include <memory>
#include <string>

#include "app/Command.h"
#include "app/ShapeRewrite.h"
#include "app/ShpCommon.h"
#include "app/ToolHost.h"

namespace {

constexpr const char* kName = "kzmap shp rewrite";

int RunRewrite(const kzmap::RewriteRequest& request) {
  kzmap::ToolHost host;
  return kzmap::RewriteShapefile(request, kName);
}

kzmap::CommandRun DefineRewrite(CLI::App& app) {
  auto options = std::make_shared<kzmap::RewriteRequest>();
  app.add_option("IN.shp", options->input, "the Shapefile to read")->required();
  app.add_option("OUT.shp", options->output, "the Shapefile to write")->required();
  kzmap::AddEncodingOption(app, "--from", options->from,
                           "the encoding of the input's attribute table (default: as its .cpg says, else sjis)");
  kzmap::AddEncodingOption(app, "--to", options->to, "the encoding to write the attribute table in (default: --from)");
  return [options] { return RunRewrite(*options); };
}

const kzmap::CommandRegistration registration({"shp rewrite", "IN.shp OUT.shp [--from sjis|utf8] [--to sjis|utf8]",
                                               "read a Shapefile and write it again, re-encoding its text",
                                               DefineRewrite});

}  // namespace
