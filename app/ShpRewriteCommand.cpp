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
#include "app/Translate.h"

namespace {

using kzmap::Tr;

constexpr const char* kName = "kzmap shp rewrite";

int RunRewrite(const kzmap::RewriteRequest& request) {
  kzmap::ToolHost host;
  return kzmap::RewriteShapefile(request, kName);
}

// --from and --to are coordinate references in every command; here they once
// named encodings, so they are refused with the names to use instead.
void AddOldSpelling(CLI::App& app, const char* old, const char* now) {
  app.add_option_function<std::string>(old, [](const std::string&) {}, "")
      ->group("")
      ->check(CLI::Validator(
          [old, now](std::string&) {
            return kzmap::Format(Tr("the encodings are --encoding (the input's) and --output-encoding; write %s "
                                    "instead of %s"),
                                 now, old);
          },
          ""));
}

kzmap::CommandRun DefineRewrite(CLI::App& app) {
  auto options = std::make_shared<kzmap::RewriteRequest>();
  app.add_option("IN.shp", options->input, Tr("the Shapefile to read"))->required();
  app.add_option("OUT.shp", options->output, Tr("the Shapefile to write"))->required();
  kzmap::AddEncodingOption(app, "--encoding", options->from,
                           Tr("the encoding of the input's attribute table, CP932 (Shift_JIS, sjis) or UTF-8 (utf8) (default: as "
                              "its .cpg says, else CP932)"));
  kzmap::AddEncodingOption(app, "--output-encoding", options->to,
                           Tr("the encoding to write the attribute table in, CP932 or UTF-8 (default: the input's)"));
  AddOldSpelling(app, "--from", "--encoding");
  AddOldSpelling(app, "--to", "--output-encoding");
  return [options] { return RunRewrite(*options); };
}

const kzmap::CommandRegistration registration({
    "shp rewrite",
    "IN.shp OUT.shp [--encoding ENCODING] [--output-encoding ENCODING]",
    kzmap::TrLater("read a Shapefile and write it again, re-encoding its text"),
    DefineRewrite,
    "kzmap shp rewrite roads.shp roads-utf8.shp --encoding CP932 --output-encoding UTF-8",
});

}  // namespace
