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
#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "sim/SvgDocumentWriter.h"

namespace {

using benchchild::Report;
using benchchild::RunChild;

constexpr int kSegmentsPerPath = 1000;

std::filesystem::path Scratch(const std::string& name) { return benchchild::ScratchFolder("kzsvgbench") / name; }

sim::DictPtr AttributeRow(int id) {
  auto row = sim::NewArray();
  for (auto [name, type, value] : {std::tuple{u"名前", 0, u"区画" + std::u16string(1, u'0' + id % 10)},
                                   {u"番号", 1, std::u16string(1, u'0' + id % 10)}, {u"面積", 2, std::u16string(u"706.50")}}) {
    auto field = sim::NewArray();
    *field = {sim::Value{std::u16string(name)}, sim::Value{int32_t(type)}, sim::Value{int32_t(10)},
                    sim::Value{int32_t(type == 2 ? 2 : 0)}, sim::Value{std::u16string(value)}};
    row->push_back(sim::Value{field});
  }
  auto dictionary = sim::NewDictionary();
  dictionary->Set("KartzmapField", sim::Value{row});
  return dictionary;
}

// The map file and its SVG of `segments` segments on an A1 artboard, made once.
std::string MapFile(int segments) {
  const std::string path = Scratch("map" + std::to_string(segments) + ".kzmap").string();
  if (std::filesystem::exists(path)) return path;
  sim::Host host;
  sim::Document& document = host.NewDocument({0, 2383.937f, 1683.7795f, 0});
  sim::Layer* layer = nullptr;
  for (int p = 0; p < segments / kSegmentsPerPath; ++p) {
    if (p % 100 == 0) layer = &host.AddLayer("レイヤー " + std::to_string(p / 100 + 1));
    const double cx = 60 + 55.0 * (p % 30), cy = 60 + 55.0 * (p / 30);
    std::vector<AIPathSegment> outline(kSegmentsPerPath);
    for (int i = 0; i < kSegmentsPerPath; ++i) {
      const double angle = -2 * M_PI * i / kSegmentsPerPath;
      const double radius = 25 + 2 * std::sin(7 * angle);
      const AIRealPoint at{static_cast<AIReal>(cx + radius * std::cos(angle)), static_cast<AIReal>(cy + radius * std::sin(angle))};
      outline[i] = AIPathSegment{at, at, at, true};
      if (p % 10 == 0) {
        outline[i].in = {at.h - 0.05f, at.v + 0.05f};
        outline[i].out = {at.h + 0.05f, at.v - 0.05f};
        outline[i].corner = false;
      }
    }
    sim::Art& path = host.AddCurvedPath(*layer->group, std::move(outline), true);
    host.EditStyle(&path, [&](AIPathStyle& style) {
      style.fillPaint = true;
      style.fill.color = AIColor::Four(0.1f * (p % 10), 0.2f, 0.3f, 0);
      style.strokePaint = true;
      style.stroke.color = AIColor::Four(0, 0, 0, 1);
      style.stroke.width = 0.5f;
    });
    path.dictionary = AttributeRow(p);
    sim::Art& label = host.AddPointText(*layer->group, {static_cast<AIReal>(cx), static_cast<AIReal>(cy)}, "区画" + std::to_string(p));
    label.EditExtras().text.fontSize = 9;
  }
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
