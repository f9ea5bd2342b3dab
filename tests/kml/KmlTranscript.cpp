#include "KmlTranscript.h"

#include <cstdio>

namespace kztest {

namespace {

std::string Number(double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.10g", value);
  return buffer;
}

std::string Part(const ShapePart& part) {
  std::string out;
  for (const ShapePoint& point : part) {
    if (!out.empty()) out += ' ';
    out += Number(point.x) + ',' + Number(point.y);
  }
  return "(" + out + ")";
}

}  // namespace

bool KmlTranscript::BeginContainer(KmlContainerKind kind, const std::string& name) {
  text += (kind == KmlContainerKind::Document ? "document " : "folder ") + name + "\n";
  return true;
}

bool KmlTranscript::EndContainer() {
  text += "end\n";
  return true;
}

bool KmlTranscript::Placemark(const KmlPlacemark& placemark) {
  text += "placemark " + placemark.name + "\n";
  if (!placemark.description.empty()) text += "  description " + placemark.description + "\n";
  if (!placemark.styleUrl.empty()) text += "  style " + placemark.styleUrl + "\n";
  if (placemark.inlineStyle) text += "  inline style\n";
  for (const ShapePoint& point : placemark.points) text += "  point " + Part({point}) + "\n";
  for (const ShapePart& line : placemark.lines) text += "  line " + Part(line) + "\n";
  for (const KmlPolygon& polygon : placemark.polygons) {
    text += "  polygon " + Part(polygon.outer) + "\n";
    for (const ShapePart& inner : polygon.inners) text += "    hole " + Part(inner) + "\n";
  }
  for (const auto& [name, value] : placemark.data) text += "  data " + name + "=" + value + "\n";
  if (placemark.badTuples > 0) text += "  bad tuples " + std::to_string(placemark.badTuples) + "\n";
  return true;
}

void KmlTranscript::SchemaField(const std::string& name, const std::string& type) {
  text += "field " + name + " " + type + "\n";
}

std::string Transcribe(std::string_view bytes, size_t chunk) {
  KmlTranscript transcript;
  KmlReader reader(transcript);
  if (chunk == 0) chunk = bytes.size() + 1;
  for (size_t at = 0; at < bytes.size(); at += chunk) reader.Feed(bytes.substr(at, chunk));
  reader.Finish();
  return transcript.text;
}

}  // namespace kztest
