// kzmap convert: converts points between Japanese coordinate references the
// way the plug-in does, through CoordConverter; one point per line, like cs2cs.
#include <CLI/CLI.hpp>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Command.h"
#include "app/CoordRefText.h"
#include "app/ToolHost.h"
#include "app/Translate.h"
#include "geodesy/CoordConverter.h"

namespace {

constexpr const char* kUsage = "--from REF --to REF [--grid FILE] [--verbose]";

struct Options {
  CoordRef from;
  CoordRef to;
  std::string grid;
  std::string correction;
  bool verbose = false;
};

// Reads a coordinate reference into `ref`; a text that is none is a usage error.
CLI::Option* AddRef(CLI::App& app, const char* name, CoordRef& ref, const char* what) {
  return app
      .add_option_function<std::string>(
          name, [&ref](const std::string& text) { ref = *kzmap::ParseCoordRef(text); }, what)
      ->required()
      ->type_name("REF")
      ->check(kzmap::CoordRefCheck());
}

// Lines of a stdio stream without their line ends; bytes after a NUL are
// kept, so that such a line is told as not two numbers.
class LineReader {
 public:
  explicit LineReader(std::FILE* in) : in(in) {}
  ~LineReader() { std::free(text); }
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // False at the end of the input.
  bool Next(std::string& line) {
    const ssize_t length = ::getline(&text, &capacity, in);
    if (length <= 0) return false;
    line.assign(text, static_cast<size_t>(length));
    if (line.back() == '\n') line.pop_back();
    return true;
  }

 private:
  std::FILE* in;
  char* text = nullptr;
  size_t capacity = 0;
};

// Two numbers separated by blanks, tabs or one comma, and nothing else.
bool ParsePoint(const std::string& line, double& x, double& y) {
  std::vector<std::string> fields;
  std::string field;
  bool comma = false;
  auto flush = [&] {
    if (!field.empty()) fields.push_back(field);
    field.clear();
  };
  for (char c : line) {
    if (c == ' ' || c == '\t') {
      flush();
    } else if (c == ',') {
      if (comma || (fields.empty() && field.empty())) return false;
      comma = true;
      flush();
    } else {
      field.push_back(c);
    }
  }
  flush();
  if (fields.size() != 2) return false;
  double values[2];
  for (int i = 0; i < 2; ++i) {
    char* end = nullptr;
    values[i] = std::strtod(fields[i].c_str(), &end);
    if (end != fields[i].c_str() + fields[i].size() || !std::isfinite(values[i])) return false;
  }
  x = values[0];
  y = values[1];
  return true;
}

// A target in degrees is reached the way the exporter reaches it.
bool ConvertPoint(const CoordConverter& converter, const Options& options, double x, double y, double out[4]) {
  out[2] = 0;
  out[3] = 1;
  if (options.to.kind == kKindLatLong) {
    double lat = 0, lon = 0;
    if (!converter.ToGeographic(y, x, lat, lon) || !converter.ShiftDatum(lat, lon, lat, lon)) return false;
    out[0] = lon;
    out[1] = lat;
    return true;
  }
  return converter.Convert(x, y, out[0], out[1], &out[2], &out[3]);
}

int RunConvert(const Options* options) {
  kzmap::ToolHost host;
  CoordConverter converter(host.Plugin());
  if (!options->grid.empty()) converter.SetGridFile(ai::FilePath::FromPlatform(options->grid));
  if (!options->correction.empty()) converter.SetCorrectionFile(ai::FilePath::FromPlatform(options->correction));
  if (options->from.datum == kDatumWgs84 || options->to.datum == kDatumWgs84) {
    std::fprintf(stderr, kzmap::Tr("kzmap convert: note: %s\n"), kzmap::Tr(kzmap::kWgs84Note));
  }
  if (!converter.Configure(AsConverted(options->from), AsConverted(options->to))) {
    const std::string alert = host.LastAlert();
    if (!alert.empty()) {
      std::fprintf(stderr, "kzmap convert: %s\n", alert.c_str());
    } else {
      std::fprintf(stderr, "%s", kzmap::Tr("kzmap convert: cannot set up the conversion\n"));
    }
    return 1;
  }

  // Lines are read through stdio, not a stream tied to standard output:
  // a tied read flushes the output first, one write per line. The output
  // goes out in large blocks; a message on standard error first flushes
  // the points before it, so the two still read in order on a terminal.
  static char outputBuffer[1 << 16];
  if (!::isatty(STDOUT_FILENO)) std::setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
  // format: a translated "kzmap convert: line %zu: ...\n".
  const auto problem = [](size_t lineNumber, const char* format) {
    std::printf("* *\n");
    std::fflush(stdout);
    std::fprintf(stderr, format, lineNumber);
  };
  LineReader reader(stdin);
  std::string line;
  size_t lineNumber = 0;
  while (reader.Next(line)) {
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.find_first_not_of(" \t") == std::string::npos) {
      std::printf("\n");
      continue;
    }
    double x = 0, y = 0, out[4];
    if (!ParsePoint(line, x, y)) {
      problem(lineNumber, kzmap::Tr("kzmap convert: line %zu: not two numbers\n"));
      continue;
    }
    if (!ConvertPoint(converter, *options, x, y, out)) {
      problem(lineNumber, kzmap::Tr("kzmap convert: line %zu: the point cannot be converted\n"));
      continue;
    }
    for (double& value : out) value += 0.0;  // no "-0.000000000"
    // Degrees to 1e-12 (0.1 µm), metres to the nanometre.
    const char* format = options->to.kind == kKindLatLong ? "%.12f %.12f" : "%.9f %.9f";
    std::printf(format, out[0], out[1]);
    if (options->verbose) std::printf(" %.9f %.9f", out[2], out[3]);
    std::printf("\n");
  }
  if (std::fflush(stdout) != 0) {
    std::fprintf(stderr, kzmap::Tr("kzmap convert: cannot write the points: %s\n"), std::strerror(errno));
    return 1;
  }
  if (converter.DistantPoints() > 0) {
    std::fprintf(stderr,
                 kzmap::Tr("kzmap convert: note: %zu points lie more than 20 degrees from the central meridian; they "
                           "are converted exactly, but the map is much distorted there\n"),
                 converter.DistantPoints());
  }
  // What the conversion told the user on the way (a correction left out).
  for (const sim::AlertRecord& alert : host.Host().User().alerts)
    if (alert.kind == sim::AlertRecord::Kind::Message)
      std::fprintf(stderr, kzmap::Tr("kzmap convert: note: %s\n"), alert.text.c_str());
  return 0;
}

kzmap::CommandRun DefineConvert(CLI::App& app) {
  auto options = std::make_shared<Options>();
  using kzmap::Tr;
  app.footer(Tr("Points are read from standard input, one per line: easting (or longitude) then northing (or "
                "latitude)."));
  AddRef(app, "--from", options->from, Tr("the reference of the input points"));
  AddRef(app, "--to", options->to, Tr("the reference to convert them to"));
  app.add_option("--grid", options->grid, Tr("the datum grid file (default: the one beside the plug-in)"))
      ->type_name("FILE");
  app.add_option("--correction", options->correction,
                 Tr("the JGD2000 to JGD2011 correction file (default: touhokutaiheiyouoki2011.par beside the "
                    "plug-in)"))
      ->type_name("FILE");
  app.add_flag("--verbose", options->verbose, Tr("also print the meridian convergence and the scale factor"));
  return [options] { return RunConvert(options.get()); };
}

const kzmap::CommandRegistration registration({
    "convert",
    kUsage,
    kzmap::TrLater("convert points between Japanese coordinate references"),
    DefineConvert,
    "kzmap convert --from EPSG:4301 --to jgd2011:xy9 < points.txt",
});

}  // namespace
