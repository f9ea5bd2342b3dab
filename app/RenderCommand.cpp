// kzmap render: draws a map document into an SVG, PNG or PDF file as the
// host would show it.
#include <CLI/CLI.hpp>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "app/Command.h"
#include "app/Translate.h"
#include "app/MapOutput.h"
#include "app/Renderer.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"

namespace {

struct Options {
  std::string map;
  std::string out;
  double dpi = 72;
};

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
  sim::Host host;
  try {
    const sim::Document& document = sim::LoadDocumentFile(host, options.map);
    kzmap::RenderOptions render;
    render.dpi = options.dpi;
    if (::isatty(::fileno(stderr))) {
      render.progress = [](size_t done, size_t total) {
        std::fprintf(stderr, "\r");
        std::fprintf(stderr, kzmap::Tr("drawing %3d%%"), static_cast<int>(100.0 * static_cast<double>(done) / total));
        if (done == total) std::fputc('\n', stderr);
      };
    }
    kzmap::Renderer(document, render).RenderToFile(options.out, format);
    kzmap::ReleaseRenderCaches();
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
  return [options] { return Run(*options); };
}

const kzmap::CommandRegistration registration({
    "render",
    "MAP OUT.svg|OUT.png|OUT.pdf [--dpi N]",
    kzmap::TrLater("draw a map as the host shows it into SVG, PNG or PDF"),
    Define,
    "kzmap render tokyo.kzmap tokyo.png --dpi 150",
});

}  // namespace
