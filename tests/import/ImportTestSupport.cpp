#include "ImportTestSupport.h"

#include <gtest/gtest.h>
#include <proj.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

#include "georef/DataFrameText.h"
#include "sim/TextCodec.h"

namespace importtest {

namespace fs = std::filesystem;

namespace {

std::string Number(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

std::string Coordinates(const std::vector<std::pair<double, double>>& points) {
  std::string text = "[";
  for (size_t i = 0; i < points.size(); ++i) {
    text += (i ? ",[" : "[") + Number(points[i].first) + "," + Number(points[i].second) + "]";
  }
  return text + "]";
}

std::string Feature(const std::string& geometry, const std::string& properties) {
  return "{\"type\":\"Feature\",\"properties\":" + properties + ",\"geometry\":" + geometry + "}";
}

}  // namespace

std::string FeatureCollection(const std::vector<std::string>& features) {
  std::string text = "{\"type\":\"FeatureCollection\",\"features\":[";
  for (size_t i = 0; i < features.size(); ++i) text += (i ? "," : "") + features[i];
  return text + "]}";
}

std::string PointFeature(double x, double y, const std::string& properties) {
  return Feature("{\"type\":\"Point\",\"coordinates\":[" + Number(x) + "," + Number(y) + "]}", properties);
}

std::string LineFeature(const std::vector<std::pair<double, double>>& points, const std::string& properties) {
  return Feature("{\"type\":\"LineString\",\"coordinates\":" + Coordinates(points) + "}", properties);
}

std::string PolygonFeature(const std::vector<std::vector<std::pair<double, double>>>& rings,
                           const std::string& properties) {
  std::string text = "{\"type\":\"Polygon\",\"coordinates\":[";
  for (size_t i = 0; i < rings.size(); ++i) {
    auto ring = rings[i];
    ring.push_back(ring.front());
    text += (i ? "," : "") + Coordinates(ring);
  }
  return Feature(text + "]}", properties);
}

void MakeShapefile(const std::string& shp, const std::string& geojson, const std::string& options) {
  const std::string source = shp + ".geojson";
  std::ofstream(source) << geojson;
  const CommandResult made =
      RunMerged("ogr2ogr -f 'ESRI Shapefile' " + options + " " + Quote(shp) + " " + Quote(source));
  ASSERT_EQ(made.status, 0) << made.out;
  fs::remove(source);
}

std::vector<std::map<std::string, OgrField>> OgrRows(const std::string& shp) {
  std::vector<std::map<std::string, OgrField>> rows;
  const CommandResult listed = RunMerged("ogrinfo -ro -al -q " + Quote(shp));
  EXPECT_EQ(listed.status, 0) << listed.out;
  std::istringstream lines(listed.out);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("OGRFeature(", 0) == 0) {
      rows.emplace_back();
      continue;
    }
    // "  NAME (Type) = value"
    const size_t open = line.find(" ("), close = line.find(") = ");
    if (rows.empty() || line.rfind("  ", 0) != 0 || open == std::string::npos || close == std::string::npos ||
        close < open) {
      continue;
    }
    const std::string name = line.substr(2, open - 2);
    if (name.find(' ') != std::string::npos) continue;
    rows.back()[name] = {line.substr(open + 2, close - open - 2), line.substr(close + 4)};
  }
  return rows;
}

std::optional<std::vector<StoredField>> StoredRow(const sim::Art& art) {
  if (!art.Dict()) return std::nullopt;
  const sim::Value* found = art.Dict()->Find("KartzmapField");
  if (!found || !found->IsArray() || !found->AsArray()) return std::nullopt;
  std::vector<StoredField> row;
  for (const sim::Value& entry : *found->AsArray()) {
    const sim::Array& items = *entry.AsArray();
    StoredField field;
    field.name = sim::Utf16ToUtf8(items.at(0).String());
    field.type = items.at(1).Int();
    field.totalDigits = items.at(2).Int();
    field.decimals = items.at(3).Int();
    field.value = sim::Utf16ToUtf8(items.at(4).String());
    row.push_back(field);
  }
  return row;
}

std::vector<std::string> LayerTitles(sim::Host& host) {
  std::vector<std::string> titles;
  for (const sim::Layer* layer : host.CurrentDocument()->layers) titles.push_back(sim::Host::Title(*layer));
  return titles;
}

std::vector<sim::Art*> LayerArt(sim::Host& host, const std::string& title) {
  sim::Layer* layer = host.FindLayer(title);
  if (!layer) return {};
  return {layer->group->children.begin(), layer->group->children.end()};
}

std::string LayerText(sim::Host& host, const std::string& title) {
  const std::vector<sim::Art*> art = LayerArt(host, title);
  if (art.empty()) return {};
  return sim::Host::Text(*art.front());
}

DataFrameParams DocumentDataFrame(sim::Host& host) {
  DataFrameParams params;
  sim::Layer* layer = host.FindLayer("Kartzmap DataFrame");
  EXPECT_NE(layer, nullptr);
  if (!layer || layer->group->children.empty()) return params;
  const sim::Art& text = *layer->group->children.front();
  EXPECT_TRUE(ParseDataFrameText(sim::Host::Text(text), params));
  params.anchorX = text.Extras().text.anchor.h;
  params.anchorY = text.Extras().text.anchor.v;
  return params;
}

std::pair<double, double> MarkerNumbers(const std::string& text) {
  double north = NAN, east = NAN;
  EXPECT_EQ(std::sscanf(text.c_str(), "%lf&%lf", &north, &east), 2) << text;
  return {north, east};
}

std::pair<double, double> ProjTransform(const std::string& operation, double x, double y) {
  PJ_CONTEXT* context = proj_context_create();
  PJ* pj = proj_create(context, operation.c_str());
  EXPECT_NE(pj, nullptr) << operation;
  std::pair<double, double> out{NAN, NAN};
  if (pj) {
    const PJ_COORD result = proj_trans(pj, PJ_FWD, proj_coord(x, y, 0, 0));
    out = {result.xy.x, result.xy.y};
    proj_destroy(pj);
  }
  proj_context_destroy(context);
  return out;
}

double ArtboardGround(const AIRealPoint& a, const AIRealPoint& b, double scale) {
  return std::hypot(double(a.h) - b.h, double(a.v) - b.v) * 0.0254 / 72 * scale;
}

}  // namespace importtest
