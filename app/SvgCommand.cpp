// kzmap svg: the map as an SVG that Inkscape edits (kzmap svg MAP OUT.svg),
// and the map rebuilt from such an SVG after the edits (kzmap svg --read
// IN.svg MAP). Rows, field lists and the georeference travel in the SVG in
// the project's own namespace.
#include <CLI/CLI.hpp>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/Command.h"
#include "app/LeftAtExit.h"
#include "app/MapLock.h"
#include "app/MapOutput.h"
#include "app/ToolHost.h"
#include "app/Translate.h"
#include "georef/CoordMarkers.h"
#include "georef/DataFrame.h"
#include "sim/DocumentFile.h"
#include "sim/SvgDocumentReader.h"
#include "sim/SvgDocumentWriter.h"

namespace {

struct Options {
  std::string map;
  std::string out;
  std::string read;
};

// As every command that changes a map: KZMAP_LOCK_WAIT_MS milliseconds, 5 s by default.
int LockWaitMilliseconds() {
  const char* text = std::getenv("KZMAP_LOCK_WAIT_MS");
  if (!text || !*text) return 5000;
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (*end != '\0' || value < 0 || value > 24L * 3600 * 1000) return 5000;
  return static_cast<int>(value);
}

int Write(const Options& options) {
  if (kzmap::SameFile(options.map, options.out)) {
    std::fprintf(stderr, kzmap::Tr("kzmap svg: %s is the map %s itself; choose another SVG\n"), options.out.c_str(),
                 options.map.c_str());
    return 2;
  }
  const auto host = kzmap::MakeKeptUntilExit<sim::Host>();
  try {
    const sim::Document& document = sim::LoadDocumentFile(*host, options.map, sim::ArtReading::whole);
    sim::SvgDocumentWriter(document, options.out).Save(options.out);
  } catch (const sim::DocumentFileError& error) {
    std::fprintf(stderr, kzmap::Tr("kzmap svg: %s\n"), error.what());
    return 1;
  }
  return 0;
}

bool HasGeoreference() {
  DataFrameParams frame;
  int kind = 0;
  return ReadDataFrame(frame) || FindMarkerSet(kind);
}

int Read(const Options& options) {
  if (kzmap::SameFile(options.map, options.read)) {
    std::fprintf(stderr, kzmap::Tr("kzmap svg: %s is the map %s itself; the map is rebuilt from another file\n"),
                 options.read.c_str(), options.map.c_str());
    return 2;
  }
  kzmap::MapLock lock;
  if (!lock.Acquire(options.map, LockWaitMilliseconds())) {
    std::fprintf(stderr, "kzmap svg: %s\n", lock.Problem().c_str());
    return 1;
  }
  kzmap::ToolHost tool;
  sim::SvgReadReport report;
  try {
    // A bad SVG stops here, before the map is touched.
    sim::Document& document = sim::LoadSvgDocument(tool.Host(), options.read, report);
    const char* file = options.read.c_str();
    for (const std::string& note : report.notes) std::fprintf(stderr, kzmap::Tr("kzmap svg: %s: %s\n"), file, note.c_str());
    if (!report.notRead.empty())
      std::fprintf(stderr, kzmap::Tr("kzmap svg: %s: %s not read (the map has no form for them)\n"), file,
                   report.NotReadText().c_str());
    if (!HasGeoreference())
      std::fprintf(stderr,
                   kzmap::Tr("kzmap svg: %s: the SVG holds no data frame and no coordinate markers: the map has no "
                             "georeference\n"),
                   file);
    sim::SaveDocumentFile(document, options.map);
  } catch (const sim::DocumentFileError& error) {
    std::fprintf(stderr, kzmap::Tr("kzmap svg: %s; the map was not changed\n"), error.what());
    return 1;
  }
  return 0;
}

int Run(const Options& options) {
  if (!options.read.empty()) {
    if (!options.out.empty()) {
      std::fprintf(stderr, "%s", kzmap::Tr("kzmap svg: --read takes IN.svg and MAP only\n"));
      return 2;
    }
    return Read(options);
  }
  if (options.out.empty()) {
    std::fprintf(stderr, "%s", kzmap::Tr("kzmap svg: OUT.svg is missing (kzmap svg MAP OUT.svg)\n"));
    return 2;
  }
  return Write(options);
}

kzmap::CommandRun Define(CLI::App& app) {
  auto options = std::make_shared<Options>();
  app.add_option("MAP", options->map, kzmap::Tr("the map document (written by --read)"))->required();
  app.add_option("OUT", options->out, kzmap::Tr("the SVG to write"));
  app.add_option("--read", options->read, kzmap::Tr("rebuild MAP from this SVG instead"));
  return [options] { return Run(*options); };
}

const kzmap::CommandRegistration registration({
    "svg",
    "MAP OUT.svg | --read IN.svg MAP",
    "write a map as an SVG for Inkscape, or rebuild the map from one",
    Define,
});

}  // namespace
