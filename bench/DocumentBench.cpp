// A map of one million path segments (1,000 filled and stroked polygons of
// 1,000 segments, every tenth curved, each with an attribute row, and 1,000
// Japanese labels): saved, loaded and drawn. Side by side: nlohmann-json
// parsing and writing the same file as a plain JSON tree, and cairo alone
// filling and stroking the same outlines. Before the timings, each operation
// runs once more in a child process of its own, whose peak memory is
// reported. Sizes 250k, 500k and 1M show how time grows with the segments.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>

#include "app/Renderer.h"
#include "bench/SampleMap.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"

namespace {

using benchmap::BuildMap;
using benchmap::kSegmentsPerPath;

std::string Scratch(const std::string& name) {
  static const std::string folder = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "kzbench.XXXXXX").string();
    return std::string(::mkdtemp(pattern.data()));
  }();
  return folder + "/" + name;
}


std::string MapFile(int segments) {
  const std::string path = Scratch("map" + std::to_string(segments) + ".kzmap");
  if (!std::filesystem::exists(path)) {
    sim::Host host;
    sim::SaveDocumentFile(BuildMap(host, segments), path);
  }
  return path;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The peer: the same outlines filled and stroked by cairo straight from the
// segments, without the document walk, the styles or the texts.
void DrawWithCairoAlone(const sim::Document& document, const std::string& out, kzmap::ImageFormat format) {
  const double width = document.bounds.right, height = document.bounds.top;
  cairo_surface_t* surface =
      format == kzmap::ImageFormat::Png   ? cairo_image_surface_create(CAIRO_FORMAT_ARGB32, static_cast<int>(width), static_cast<int>(height))
      : format == kzmap::ImageFormat::Svg ? cairo_svg_surface_create(out.c_str(), width, height)
                                          : cairo_pdf_surface_create(out.c_str(), width, height);
  cairo_t* cr = cairo_create(surface);
  for (const sim::Layer* layer : document.layers) {
    for (const sim::Art* art : layer->group->children) {
      if (art->type != kPathArt) continue;
      const auto& s = art->Segments();
      cairo_move_to(cr, s[0].p.h, height - s[0].p.v);
      for (size_t i = 1; i <= s.size(); ++i) {
        const AIPathSegment &from = s[i - 1], &to = s[i % s.size()];
        cairo_curve_to(cr, from.out.h, height - from.out.v, to.in.h, height - to.in.v, to.p.h, height - to.p.v);
      }
      cairo_close_path(cr);
      cairo_set_source_rgb(cr, 0.8, 0.8, 0.7);
      cairo_fill_preserve(cr);
      cairo_set_source_rgb(cr, 0, 0, 0);
      cairo_set_line_width(cr, 0.5);
      cairo_stroke(cr);
    }
  }
  cairo_destroy(cr);
  if (format == kzmap::ImageFormat::Png) cairo_surface_write_to_png(surface, out.c_str());
  cairo_surface_finish(surface);
  cairo_surface_destroy(surface);
}

const char* Extension(kzmap::ImageFormat format) {
  return format == kzmap::ImageFormat::Png ? "png" : format == kzmap::ImageFormat::Svg ? "svg" : "pdf";
}

void Render(const sim::Document& document, const std::string& out, kzmap::ImageFormat format) {
  kzmap::Renderer(document).RenderToFile(out, format);
}

// --- Timings ---------------------------------------------------------------------

void SetSegments(benchmark::State& state) {
  state.counters["segments/s"] = benchmark::Counter(static_cast<double>(state.iterations() * state.range(0)),
                                                    benchmark::Counter::kIsRate);
  state.SetComplexityN(state.range(0));
}

void BM_Save(benchmark::State& state) {
  sim::Host host;
  const sim::Document& document = BuildMap(host, static_cast<int>(state.range(0)));
  const std::string path = Scratch("save.kzmap");
  for (auto _ : state) sim::SaveDocumentFile(document, path);
  state.counters["MB"] = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
  SetSegments(state);
}

void BM_Load(benchmark::State& state) {
  const std::string path = MapFile(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    sim::Host host;
    benchmark::DoNotOptimize(&sim::LoadDocumentFile(host, path));
  }
  SetSegments(state);
}

void BM_NlohmannParse(benchmark::State& state) {
  const std::string text = ReadFile(MapFile(static_cast<int>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(nlohmann::json::parse(text));
  SetSegments(state);
}

void BM_NlohmannDump(benchmark::State& state) {
  const nlohmann::json tree = nlohmann::json::parse(ReadFile(MapFile(static_cast<int>(state.range(0)))));
  for (auto _ : state) {
    std::ofstream out(Scratch("dump.json"), std::ios::binary);
    out << tree.dump(2);
  }
  SetSegments(state);
}

template <kzmap::ImageFormat format>
void BM_Render(benchmark::State& state) {
  sim::Host host;
  const sim::Document& document = sim::LoadDocumentFile(host, MapFile(static_cast<int>(state.range(0))));
  for (auto _ : state) Render(document, Scratch(std::string("render.") + Extension(format)), format);
  SetSegments(state);
}

template <kzmap::ImageFormat format>
void BM_CairoAlone(benchmark::State& state) {
  sim::Host host;
  const sim::Document& document = sim::LoadDocumentFile(host, MapFile(static_cast<int>(state.range(0))));
  for (auto _ : state) DrawWithCairoAlone(document, Scratch(std::string("cairo.") + Extension(format)), format);
  SetSegments(state);
}

#define KZ_SIZES ->Arg(250000)->Arg(500000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN)
BENCHMARK(BM_Save) KZ_SIZES;
BENCHMARK(BM_NlohmannDump) KZ_SIZES;
BENCHMARK(BM_Load) KZ_SIZES;
BENCHMARK(BM_NlohmannParse) KZ_SIZES;
BENCHMARK(BM_Render<kzmap::ImageFormat::Png>) KZ_SIZES;
BENCHMARK(BM_CairoAlone<kzmap::ImageFormat::Png>) KZ_SIZES;
BENCHMARK(BM_Render<kzmap::ImageFormat::Svg>) KZ_SIZES;
BENCHMARK(BM_CairoAlone<kzmap::ImageFormat::Svg>) KZ_SIZES;
BENCHMARK(BM_Render<kzmap::ImageFormat::Pdf>) KZ_SIZES;
BENCHMARK(BM_CairoAlone<kzmap::ImageFormat::Pdf>) KZ_SIZES;

// --- Peak memory --------------------------------------------------------------------

long PeakKilobytes() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// Runs prepare and then work in a child; prints the child's peak memory
// before and after the work, and the work's time.
void Measure(const char* what, const std::function<void()>& prepare, const std::function<void()>& work) {
  std::fflush(stdout);
  const pid_t child = ::fork();
  if (child == 0) {
    prepare();
    const long before = PeakKilobytes();
    const auto start = std::chrono::steady_clock::now();
    work();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const long after = PeakKilobytes();
    std::printf("%-36s %8.2f s %9.1f MB %9.1f MB\n", what, seconds, after / 1024.0, (after - before) / 1024.0);
    std::fflush(stdout);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
}

void PrintPeakMemory() {
  constexpr int kSegments = 1000000;
  const std::string path = MapFile(kSegments);
  std::printf("One million segments (%.1f MB file), each operation in a process of its own:\n",
              static_cast<double>(std::filesystem::file_size(path)) / 1e6);
  std::printf("%-36s %10s %12s %12s\n", "operation", "time", "peak RSS", "peak growth");
  auto host = std::make_shared<std::unique_ptr<sim::Host>>();
  const sim::Document* document = nullptr;
  const auto loaded = [&] {
    *host = std::make_unique<sim::Host>();
    document = &sim::LoadDocumentFile(**host, path);
  };
  const auto nothing = [] {};
  Measure("build in memory", nothing, [&] {
    *host = std::make_unique<sim::Host>();
    BuildMap(**host, kSegments);
  });
  Measure("save", [&] {
    *host = std::make_unique<sim::Host>();
    document = &BuildMap(**host, kSegments);
  }, [&] { sim::SaveDocumentFile(*document, Scratch("peak.kzmap")); });
  Measure("load", nothing, loaded);
  Measure("nlohmann-json parse (peer)", nothing, [&] { benchmark::DoNotOptimize(nlohmann::json::parse(ReadFile(path))); });
  for (auto format : {kzmap::ImageFormat::Png, kzmap::ImageFormat::Svg, kzmap::ImageFormat::Pdf}) {
    const std::string name = Extension(format);
    Measure(("render " + name).c_str(), loaded, [&] { Render(*document, Scratch("peak." + name), format); });
    Measure(("cairo alone " + name + " (peer)").c_str(), loaded,
            [&] { DrawWithCairoAlone(*document, Scratch("peakcairo." + name), format); });
  }
  std::printf("\n");
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  PrintPeakMemory();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::filesystem::remove_all(std::filesystem::path(Scratch("x")).parent_path());
  return 0;
}
