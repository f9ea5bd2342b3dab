// The map as an Inkscape SVG and back at one million path segments (1,000
// polygons of 1,000 segments, every tenth curved, each with an attribute
// row, and 1,000 labels): `kzmap svg` writing it, `kzmap svg --read`
// reading it back into a map, and beside them rsvg-convert reading the same
// SVG and drawing it. Each runs as a child process: wall time and peak
// memory are its own. 250k and 500k segments show how time grows.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "bench/ChildProcess.h"
#include "bench/SampleMap.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "sim/SvgDocumentWriter.h"

namespace {

using benchchild::Report;
using benchchild::RunChild;

std::filesystem::path Scratch(const std::string& name) { return benchchild::ScratchFolder("kzsvgbench") / name; }

// The map file and its SVG of `segments` segments on an A1 artboard, made once.
std::string MapFile(int segments) {
  const std::string path = Scratch("map" + std::to_string(segments) + ".kzmap").string();
  if (std::filesystem::exists(path)) return path;
  sim::Host host;
  sim::Document& document = benchmap::BuildMap(host, segments);
  sim::SaveDocumentFile(document, path);
  sim::SvgDocumentWriter(document, path + ".svg").Save(path + ".svg");
  return path;
}

void KzmapSvgWrite(benchmark::State& state) {
  const int segments = static_cast<int>(state.range(0));
  const std::string map = MapFile(segments);
  for (auto _ : state) Report(state, RunChild({KZ_TOOL_FILE, "svg", map, Scratch("out.svg").string()}), segments);
}

void KzmapSvgRead(benchmark::State& state) {
  const int segments = static_cast<int>(state.range(0));
  const std::string svg = MapFile(segments) + ".svg";
  for (auto _ : state)
    Report(state, RunChild({"env", "KZMAP_LOCK_WAIT_MS=0", KZ_TOOL_FILE, "svg", "--read", svg, Scratch("back.kzmap").string()}),
           segments);
}

// The peer: librsvg reading the same SVG and drawing it at 72 dpi.
void RsvgConvert(benchmark::State& state) {
  const int segments = static_cast<int>(state.range(0));
  const std::string svg = MapFile(segments) + ".svg";
  for (auto _ : state)
    Report(state, RunChild({"rsvg-convert", "-f", "png", "-o", Scratch("rsvg.png").string(), svg}), segments);
}

BENCHMARK(KzmapSvgWrite)->Arg(250000)->Arg(500000)->Arg(1000000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(KzmapSvgRead)->Arg(250000)->Arg(500000)->Arg(1000000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(RsvgConvert)->Arg(250000)->Arg(500000)->Arg(1000000)->UseManualTime()->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
