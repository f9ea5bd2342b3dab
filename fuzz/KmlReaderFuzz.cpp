// The KML reader over any bytes: the first byte chooses the size of the
// pieces the rest is fed in. The reading must end, keep its containers
// balanced, hand out only finite coordinates, and come out the same as when
// the bytes are fed whole.
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/KmlReader.h"

namespace {

// A running digest of everything the reader hands out.
class DigestSink : public KmlSink {
 public:
  bool BeginContainer(KmlContainerKind kind, const std::string& name) override {
    ++open;
    Mix(static_cast<uint64_t>(kind) + 1);
    Mix(name);
    return true;
  }
  bool EndContainer() override {
    if (open == 0) __builtin_trap();
    --open;
    Mix(7);
    return true;
  }
  bool Placemark(const KmlPlacemark& placemark) override {
    Mix(placemark.name);
    Mix(placemark.description);
    Mix(placemark.styleUrl);
    Mix(placemark.inlineStyle.has_value());
    for (const ShapePoint& point : placemark.points) Mix(point);
    for (const ShapePart& line : placemark.lines) Mix(line);
    for (const KmlPolygon& polygon : placemark.polygons) {
      Mix(polygon.outer);
      for (const ShapePart& inner : polygon.inners) Mix(inner);
    }
    for (const auto& [name, value] : placemark.data) {
      Mix(name);
      Mix(value);
    }
    Mix(static_cast<uint64_t>(placemark.badTuples));
    return true;
  }
  void SchemaField(const std::string& name, const std::string& type) override {
    Mix(name);
    Mix(type);
  }

  uint64_t digest = 1469598103934665603ull;
  size_t open = 0;

 private:
  void Mix(uint64_t value) { digest = (digest ^ value) * 1099511628211ull; }
  void Mix(std::string_view text) {
    Mix(text.size());
    for (char c : text) Mix(static_cast<uint8_t>(c));
  }
  void Mix(const ShapePoint& point) {
    if (!std::isfinite(point.x) || !std::isfinite(point.y)) __builtin_trap();
    Mix(std::bit_cast<uint64_t>(point.x));
    Mix(std::bit_cast<uint64_t>(point.y));
  }
  void Mix(const ShapePart& part) {
    Mix(part.size());
    for (const ShapePoint& point : part) Mix(point);
  }
};

uint64_t Read(std::string_view bytes, size_t chunk, size_t& open) {
  DigestSink sink;
  KmlReader reader(sink);
  for (size_t at = 0; at < bytes.size(); at += chunk) reader.Feed(bytes.substr(at, chunk));
  reader.Finish();
  open = sink.open;
  return sink.digest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t chunk = 1 + data[0] % 16;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  size_t openWhole = 0, openPieces = 0;
  const uint64_t whole = Read(bytes, bytes.size() + 1, openWhole);
  const uint64_t pieces = Read(bytes, chunk, openPieces);
  if (openWhole != 0 || openPieces != 0 || whole != pieces) __builtin_trap();
  return 0;
}
