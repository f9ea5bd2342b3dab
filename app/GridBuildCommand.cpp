// kzmap grid build: turns the published TKY2JGD parameter text into the binary
// grid file "TKY2JGD_Win.dat" that the plug-in reads.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <memory>
#include <string>
#include <utility>

#include "app/Command.h"
#include "app/Translate.h"
#include "geodesy/DatumGridText.h"

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

int RunGridBuild(const std::string& inPath, const std::string& outPath) {
  File in(std::fopen(inPath.c_str(), "rb"));
  if (!in) {
    std::fprintf(stderr, kzmap::Tr("kzmap grid build: cannot open '%s'\n"), inPath.c_str());
    return 1;
  }
  File out(std::fopen(outPath.c_str(), "wb"));
  if (!out) {
    std::fprintf(stderr, kzmap::Tr("kzmap grid build: cannot create '%s'\n"), outPath.c_str());
    return 1;
  }
  const DatumGridTextResult result = ConvertDatumGridText(in.get(), out.get());
  const bool closed = std::fclose(out.release()) == 0;
  if (!result.ok || !closed) {
    std::remove(outPath.c_str());  // a half-written grid would shift points wrongly
    std::fprintf(stderr, "kzmap grid build: %s: %s\n", inPath.c_str(),
                 result.ok ? kzmap::Tr("cannot write the grid file") : result.error.c_str());
    return 1;
  }
  std::printf(kzmap::Tr("%zu records written\n"), result.recordsWritten);
  return 0;
}

kzmap::CommandRun DefineGridBuild(CLI::App& app) {
  auto paths = std::make_shared<std::pair<std::string, std::string>>();
  app.add_option("IN.par", paths->first, kzmap::Tr("the published parameter text (TKY2JGD.par)"))->required();
  app.add_option("OUT.dat", paths->second, kzmap::Tr("the grid file to write (TKY2JGD_Win.dat)"))->required();
  return [paths] { return RunGridBuild(paths->first, paths->second); };
}

const kzmap::CommandRegistration registration({
    "grid build",
    "IN.par OUT.dat",
    kzmap::TrLater("make the binary datum grid from the parameter text"),
    DefineGridBuild,
    "kzmap grid build TKY2JGD.par TKY2JGD_Win.dat",
});

}  // namespace
