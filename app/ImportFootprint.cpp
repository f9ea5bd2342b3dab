#include "app/ImportFootprint.h"

#include "app/Translate.h"
#include "sim/ArtSpill.h"
#include "sim/DocumentFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

namespace kzmap {

namespace {

namespace fs = std::filesystem;

// What the document holds per imported thing: every object's art node
// (with its place in its layer), and for the newest few thousand objects
// their bodies — the mark or outline, the row — which for the others wait
// on disk. From the peak resident size of imports into a new map of a
// million points with five columns (136 B each beyond an empty map) and
// 100,000 polygons of 100 vertices; rounded up.
constexpr uint64_t kNodeBytesPerObject = 150;
constexpr uint64_t kBodyBytesPerObject = 100;
constexpr uint64_t kBytesPerVertex = 16;
constexpr uint64_t kBytesPerCell = 24;
// The tool, the host and the plug-in before any art (30 MB).
constexpr uint64_t kFixedBytes = 32ull << 20;
// A KML file's coordinates take at least this many bytes each
// ("139.7000000,35.6000000,0 "), and a placemark with its tags this many.
constexpr uint64_t kKmlBytesPerVertex = 24;
constexpr uint64_t kKmlBytesPerPlacemark = 400;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

uint64_t SizeOf(const fs::path& path) {
  std::error_code error;
  const auto size = fs::file_size(path, error);
  return error ? 0 : static_cast<uint64_t>(size);
}

// The companion with the extension in either case, as a Shapefile set is
// found on a case-sensitive file system.
fs::path Companion(const fs::path& shp, const std::string& extension) {
  std::string capital = extension;
  for (char& c : capital) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const std::string& candidate : {extension, capital}) {
    fs::path path = shp;
    path.replace_extension(candidate);
    std::error_code error;
    if (fs::exists(path, error)) return path;
  }
  return {};
}

bool ReadHead(const fs::path& path, unsigned char* head, size_t size) {
  std::ifstream in(path, std::ios::binary);
  in.read(reinterpret_cast<char*>(head), static_cast<std::streamsize>(size));
  return in.gcount() == static_cast<std::streamsize>(size);
}

uint32_t Little32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

uint16_t Little16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

constexpr uint64_t kShpHeaderBytes = 100;
constexpr uint64_t kShxEntryBytes = 8;
constexpr uint64_t kRecordHeaderBytes = 8;
// Type, box, part and point counts, and the start of one part: most
// records are of one part.
constexpr uint64_t kPolyHeaderBytes = 44 + 4;
constexpr uint64_t kPointBytes = 16;
constexpr uint64_t kSmallestRecordBytes = kRecordHeaderBytes + 4;  // a null shape

void EstimateShapefile(const fs::path& shp, ImportFootprint::Source& source) {
  const uint64_t shpBytes = SizeOf(shp);
  unsigned char header[kShpHeaderBytes] = {};
  const bool haveHeader = ReadHead(shp, header, sizeof header);
  const int32_t type = haveHeader ? static_cast<int32_t>(Little32(header + 32)) : 0;

  uint64_t records = 0;
  uint64_t fields = 0;
  const fs::path dbf = Companion(shp, ".dbf");
  unsigned char dbfHeader[12] = {};
  if (!dbf.empty() && ReadHead(dbf, dbfHeader, sizeof dbfHeader)) {
    records = Little32(dbfHeader + 4);
    const uint16_t headerBytes = Little16(dbfHeader + 8);
    fields = headerBytes > 33 ? (headerBytes - 33u) / 32u : 0;
  }
  const fs::path shx = Companion(shp, ".shx");
  if (!shx.empty()) {
    const uint64_t shxBytes = SizeOf(shx);
    records = std::max(records, shxBytes > kShpHeaderBytes ? (shxBytes - kShpHeaderBytes) / kShxEntryBytes : 0);
  } else if (records == 0 && shpBytes > kShpHeaderBytes) {
    records = (shpBytes - kShpHeaderBytes) / kSmallestRecordBytes;
  }
  // No more records than the .shp can hold: a table or index that claims
  // more than that does not make the import bigger than its geometry.
  if (shpBytes > kShpHeaderBytes) records = std::min(records, (shpBytes - kShpHeaderBytes) / kSmallestRecordBytes);

  const bool points = type == 1 || type == 11 || type == 21;
  const uint64_t body = shpBytes > kShpHeaderBytes ? shpBytes - kShpHeaderBytes : 0;
  const uint64_t overhead = records * (kRecordHeaderBytes + kPolyHeaderBytes);
  source.objects = records;
  source.vertices = points ? records : (body > overhead ? (body - overhead) / kPointBytes : 0);
  source.cells = records * fields;
}

void EstimateText(const fs::path& path, ImportFootprint::Source& source) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> in(std::fopen(path.c_str(), "rb"), &std::fclose);
  if (!in) return;
  std::vector<char> block(1 << 20);
  uint64_t lines = 0;
  uint64_t firstCommas = 0, firstTabs = 0;
  bool inFirst = true, endsOpen = false;
  size_t read = 0;
  while ((read = std::fread(block.data(), 1, block.size(), in.get())) > 0) {
    const char* at = block.data();
    const char* end = at + read;
    if (inFirst) {
      const char* line = static_cast<const char*>(std::memchr(at, '\n', read));
      const char* stop = line ? line : end;
      firstCommas += static_cast<uint64_t>(std::count(at, stop, ','));
      firstTabs += static_cast<uint64_t>(std::count(at, stop, '\t'));
      inFirst = line == nullptr;
    }
    for (const char* p = at; (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p))));
         ++p) {
      ++lines;
    }
    endsOpen = block[read - 1] != '\n';
  }
  if (endsOpen) ++lines;
  const uint64_t columns = std::max(firstCommas, firstTabs) + 1;
  source.objects = lines;
  source.vertices = lines;
  source.cells = lines * (columns > 2 ? columns - 2 : 0);
}

void EstimateKml(const fs::path& path, ImportFootprint::Source& source) {
  const uint64_t bytes = SizeOf(path);
  source.objects = bytes / kKmlBytesPerPlacemark;
  source.vertices = bytes / kKmlBytesPerVertex;
  source.cells = source.objects;  // a name or description each
}

// printf into a string, for the tool's translated words with numbers in them.
template <typename... Arguments>
std::string Format(const char* format, Arguments... arguments) {
  const int length = std::snprintf(nullptr, 0, format, arguments...);
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  std::snprintf(text.data(), text.size(), format, arguments...);
  text.pop_back();
  return text;
}

std::string Megabytes(uint64_t bytes) {
  const uint64_t megabytes = (bytes + (1u << 20) - 1) >> 20;
  return std::to_string(megabytes) + " MB";
}

}  // namespace

ImportFootprint::Source ImportFootprint::Estimate(const std::string& file) {
  Source source;
  source.file = file;
  const std::string extension = Lower(fs::path(file).extension().string());
  if (extension == ".shp") {
    EstimateShapefile(file, source);
  } else if (extension == ".kml") {
    EstimateKml(file, source);
  } else {
    EstimateText(file, source);
  }
  const uint64_t bodies =
      source.objects * kBodyBytesPerObject + source.vertices * kBytesPerVertex + source.cells * kBytesPerCell;
  source.bytes = source.objects * kNodeBytesPerObject +
                 static_cast<uint64_t>(static_cast<double>(bodies) * sim::ArtSpill::ResidentShare(source.objects));
  return source;
}

ImportFootprint ImportFootprint::Of(const std::vector<std::string>& files, const std::string& map) {
  ImportFootprint footprint;
  for (const std::string& file : files) footprint.sources.push_back(Estimate(file));
  footprint.mapBytes = sim::LoadedDocumentBytes(map);
  footprint.fixedBytes = kFixedBytes;
  return footprint;
}

uint64_t ImportFootprint::Total() const {
  uint64_t total = mapBytes + fixedBytes;
  for (const Source& source : sources) total += source.bytes;
  return total;
}

std::string ImportFootprint::Problem(uint64_t available) const {
  const uint64_t total = Total();
  if (total <= available || sources.empty()) return {};
  const Source& largest =
      *std::max_element(sources.begin(), sources.end(), [](const Source& a, const Source& b) { return a.bytes < b.bytes; });
  std::string text = Format(Tr("the import needs about %s of memory, but only %s are available"),
                            Megabytes(total).c_str(), Megabytes(available).c_str());
  text += "; " + Format(Tr("%s holds about %llu objects and %llu vertices (%s)"), largest.file.c_str(),
                        static_cast<unsigned long long>(largest.objects),
                        static_cast<unsigned long long>(largest.vertices), Megabytes(largest.bytes).c_str());
  if (mapBytes > 0) text += "; " + Format(Tr("the open map takes about %s"), Megabytes(mapBytes).c_str());
  return text + "; " + Tr("nothing was imported (import fewer or smaller files, or into a new map)");
}

std::optional<uint64_t> ImportFootprint::AvailableFrom(const std::string& meminfo) {
  std::istringstream in(meminfo);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("MemAvailable:", 0) != 0) continue;
    std::istringstream fields(line.substr(13));
    uint64_t kilobytes = 0;
    std::string unit;
    if (!(fields >> kilobytes >> unit) || unit != "kB") return std::nullopt;
    return kilobytes * 1024;
  }
  return std::nullopt;
}

std::optional<uint64_t> ImportFootprint::Available() {
  if (const char* given = std::getenv("KZMAP_MEMORY_AVAILABLE"); given && *given) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(given, &end, 10);
    if (*end == '\0') return value;
  }
  std::ifstream in("/proc/meminfo");
  std::stringstream text;
  text << in.rdbuf();
  return AvailableFrom(text.str());
}

}  // namespace kzmap
