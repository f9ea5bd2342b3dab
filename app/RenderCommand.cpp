// kzmap render: draws a map document into an SVG, PNG or PDF file as the
// host would show it; a style file may repaint its layers.
#include <CLI/CLI.hpp>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "app/Command.h"
#include "app/ImportFootprint.h"
#include "app/LeftAtExit.h"
#include "app/MapOutput.h"
#include "app/Renderer.h"
#include "app/RendererStyle.h"
#include "app/Translate.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"

namespace {

struct Options {
  std::string map;
  std::string out;
  double dpi = 72;
  bool georef = false;
  std::string extent = "artboard";
  std::string style;
};

using kzmap::Tr;

// What the picture leaves out or could not use, said after it is written.
void TellWhatWasLeftOut(const kzmap::Renderer& renderer, const Options& options) {
  if (renderer.GeorefLayersLeftOut() > 0)
    std::fprintf(stderr, Tr("kzmap render: %s: the data frame and coordinate markers (%zu layers) are not drawn; use "
                            "--georef to draw them\n"),
                 options.map.c_str(), renderer.GeorefLayersLeftOut());
  if (options.extent == "artboard") {
    const size_t off = renderer.OutsideArtboard(), partly = renderer.PartlyOutsideArtboard();
    if (off == 1)
      std::fprintf(stderr, "%s", Tr("kzmap render: 1 object lies outside the artboard; use --extent art to see it\n"));
    else if (off > 1)
      std::fprintf(stderr, Tr("kzmap render: %zu objects lie outside the artboard; use --extent art to see them\n"), off);
    if (partly == 1)
      std::fprintf(stderr, "%s",
                   Tr("kzmap render: 1 object lies partly outside the artboard and is cut at its edge; use --extent "
                      "art to see it whole\n"));
    else if (partly > 1)
      std::fprintf(stderr,
                   Tr("kzmap render: %zu objects lie partly outside the artboard and are cut at its edge; use --extent "
                      "art to see them whole\n"),
                   partly);
  }
  for (const std::string& title : renderer.UnusedStyleTitles())
    std::fprintf(stderr, Tr("kzmap render: %s: the style names layer \"%s\", which the map does not have\n"),
                 options.style.c_str(), title.c_str());
}

// Whole megabytes, rounded up for what is needed and down for what is there.
std::string Megabytes(double bytes, double (*round)(double)) {
  return std::to_string(static_cast<uint64_t>(round(bytes / 1e6))) + " MB";
}

// A PNG's pixels are held whole while it is drawn: a picture the machine
// cannot hold is refused before they are allocated, naming the size. (SVG
// and PDF are written as they are drawn.)
std::string PictureProblem(const kzmap::Renderer& renderer, const Options& options, kzmap::ImageFormat format) {
  if (format != kzmap::ImageFormat::Png) return {};
  const auto available = kzmap::ImportFootprint::Available();
  if (!available) return {};
  const double wide = std::ceil(renderer.Width() * options.dpi / 72), high = std::ceil(renderer.Height() * options.dpi / 72);
  const double bytes = wide * high * 4;
  if (!(bytes > static_cast<double>(*available))) return {};
  return kzmap::Format(kzmap::Tr("%s: a picture of %.0f × %.0f pixels needs about %s of memory, but only %s are "
                                 "available; nothing was drawn (lower --dpi)"),
                       options.out.c_str(), wide, high, Megabytes(bytes, std::ceil).c_str(),
                       Megabytes(static_cast<double>(*available), std::floor).c_str());
}

int Run(const Options& options) {
  kzmap::ImageFormat format;
  if (!kzmap::ImageFormatOfPath(options.out, format)) {
    std::fprintf(stderr, kzmap::Tr("kzmap render: %s: the picture's name must end in .svg, .png or .pdf\n"),
                 options.out.c_str());
    return 2;
  }
  if (kzmap::SameFile(options.map, options.out)) {
    std::fprintf(stderr, kzmap::Tr("kzmap render: %s is the map %s itself; choose another picture\n"), options.out.c_str(),
                 options.map.c_str());
    return 2;
  }
  std::optional<kzmap::RendererStyle> style;
  if (!options.style.empty()) {
    try {
      style = kzmap::RendererStyle::Load(options.style);
    } catch (const kzmap::StyleError& error) {
      std::fprintf(stderr, "kzmap render: %s\n", error.what());
      return 2;
    }
  }
  const auto host = kzmap::MakeKeptUntilExit<sim::Host>();
  try {
    const sim::Document& document = sim::LoadDocumentFile(*host, options.map, sim::ArtReading::whole);
    kzmap::RenderOptions render;
    render.dpi = options.dpi;
    render.georef = options.georef;
    render.extent = options.extent == "art" ? kzmap::RenderExtent::Art : kzmap::RenderExtent::Artboard;
    render.style = style ? &*style : nullptr;
    if (::isatty(::fileno(stderr))) {
      render.progress = [](size_t done, size_t total) {
        std::fprintf(stderr, "\r");
        std::fprintf(stderr, kzmap::Tr("drawing %3d%%"), static_cast<int>(100.0 * static_cast<double>(done) / total));
        if (done == total) std::fputc('\n', stderr);
      };
    }
    kzmap::Renderer renderer(document, render);
    if (const std::string problem = PictureProblem(renderer, options, format); !problem.empty()) {
      std::fprintf(stderr, "kzmap render: %s\n", problem.c_str());
      return 1;
    }
    renderer.RenderToFile(options.out, format);
    TellWhatWasLeftOut(renderer, options);
    if (!kzmap::LeftAtExit::Enabled()) kzmap::ReleaseRenderCaches();
  } catch (const sim::DocumentFileError& error) {
    std::fprintf(stderr, "kzmap render: %s\n", error.what());
    return 1;
  } catch (const kzmap::RenderError& error) {
    kzmap::ReleaseRenderCaches();
    std::fprintf(stderr, "kzmap render: %s\n", error.what());
    return 1;
  }
  return 0;
}

kzmap::CommandRun Define(CLI::App& app) {
  auto options = std::make_shared<Options>();
  app.add_option("MAP", options->map, kzmap::Tr("the map document"))->required();
  app.add_option("OUT", options->out, kzmap::Tr("the picture: .svg, .png or .pdf"))->required();
  app.add_option("--dpi", options->dpi, kzmap::Tr("PNG resolution in pixels per inch, 1 to 2400"))
      ->check(CLI::Validator(
          [](std::string& text) {
            char* end = nullptr;
            const double value = std::strtod(text.c_str(), &end);
            return !text.empty() && *end == '\0' && value >= 1 && value <= 2400
                       ? std::string()
                       : kzmap::Format(kzmap::Tr("'%s' is not a number from 1 to 2400"), text.c_str());
          },
          ""))
      ->capture_default_str();
  app.add_flag("--georef", options->georef, kzmap::Tr("also draw the data frame record and the coordinate markers"));
  app.add_option("--extent", options->extent,
                 kzmap::Tr("artboard: the picture is the artboard; art: it grows to show all the drawn art"))
      ->check(CLI::IsMember({"artboard", "art"}))
      ->capture_default_str();
  app.add_option("--style", options->style,
                 kzmap::Tr("a JSON style file that repaints layers: {\"layers\": {\"TITLE\": {\"fill\": \"#d8ecc8\", "
                           "\"stroke\": \"#3c8c3c\", \"stroke-width\": 0.8, \"opacity\": 1}}}"));
  return [options] { return Run(*options); };
}

const kzmap::CommandRegistration registration({
    "render",
    "MAP OUT.svg|OUT.png|OUT.pdf [--dpi N] [--georef] [--extent artboard|art] [--style STYLE.json]",
    kzmap::TrLater("draw a map as the host shows it into SVG, PNG or PDF"),
    Define,
    "kzmap render tokyo.kzmap tokyo.png --dpi 150",
});

}  // namespace
