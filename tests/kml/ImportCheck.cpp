#include "ImportCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace importcheck {

using importtest::OgrField;

const char* const kToPlane9 =
    "+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad +step +proj=tmerc +lat_0=36 "
    "+lon_0=139.83333333333333 +k=0.9999 +x_0=0 +y_0=0 +a=6378137 +rf=298.257222101";

namespace {

// "((1 2,3 4),(5 6,7 8))" and the like: every innermost parenthesised list
// of "x y[ z]" tuples is one part.
std::vector<std::vector<Point>> WktParts(const std::string& wkt) {
  std::vector<std::vector<Point>> parts;
  size_t at = 0;
  while ((at = wkt.find('(', at)) != std::string::npos) {
    const size_t open = wkt.find_last_of('(', wkt.find_first_of(")", at));
    const size_t close = wkt.find(')', open);
    std::vector<Point> part;
    std::stringstream tuples(wkt.substr(open + 1, close - open - 1));
    std::string tuple;
    while (std::getline(tuples, tuple, ',')) {
      std::istringstream numbers(tuple);
      Point point;
      numbers >> point.first >> point.second;
      part.push_back(point);
    }
    parts.push_back(part);
    at = close + 1;
  }
  return parts;
}

}  // namespace

std::vector<OgrFeature> OgrFeatures(const std::string& path, const std::string& options) {
  std::vector<OgrFeature> features;
  const kztest::CommandResult listed = kztest::RunMerged("ogrinfo -ro -al -q " + options + " " + kztest::Quote(path));
  EXPECT_EQ(listed.status, 0) << listed.out;
  std::istringstream lines(listed.out);
  std::string line, layer;
  const char* const geometries[] = {"  POINT", "  LINESTRING", "  POLYGON", "  MULTI"};
  while (std::getline(lines, line)) {
    if (line.rfind("Layer name: ", 0) == 0) {
      layer = line.substr(12);
      continue;
    }
    if (line.rfind("OGRFeature(", 0) == 0) {
      features.push_back(OgrFeature{layer, {}, {}, {}});
      continue;
    }
    if (features.empty()) continue;
    OgrFeature& feature = features.back();
    if (std::any_of(std::begin(geometries), std::end(geometries), [&](const char* g) { return line.rfind(g, 0) == 0; })) {
      feature.geometry = line.substr(2, line.find(' ', 2) - 2);
      feature.parts = WktParts(line);
      continue;
    }
    const size_t open = line.find(" ("), close = line.find(") = ");
    if (line.rfind("  ", 0) != 0 || open == std::string::npos || close == std::string::npos || close < open) continue;
    feature.fields[line.substr(2, open - 2)] = OgrField{line.substr(open + 2, close - open - 2), line.substr(close + 4)};
  }
  return features;
}

AIRealPoint Centre(const sim::Art& shape) {
  float left = 1e30f, right = -1e30f, bottom = 1e30f, top = -1e30f;
  for (const auto& s : shape.Segments()) {
    left = std::min(left, s.p.h);
    right = std::max(right, s.p.h);
    bottom = std::min(bottom, s.p.v);
    top = std::max(top, s.p.v);
  }
  return {(left + right) / 2, (bottom + top) / 2};
}

std::vector<AIRealPoint> Anchors(const sim::Art& path) {
  std::vector<AIRealPoint> anchors;
  for (const auto& s : path.Segments()) anchors.push_back(s.p);
  return anchors;
}

std::string Value(const std::vector<importtest::StoredField>& row, const std::string& name) {
  for (const auto& field : row) {
    if (field.name == name) return field.value;
  }
  return {};
}

double WorstDistanceError(const std::vector<AIRealPoint>& drawn, const std::vector<Point>& geographic,
                          const std::string& operation, double scale) {
  EXPECT_EQ(drawn.size(), geographic.size());
  std::vector<Point> projected;
  for (const auto& [x, y] : geographic) projected.push_back(importtest::ProjTransform(operation, x, y));
  double worst = 0;
  for (size_t i = 0; i < std::min(drawn.size(), projected.size()); ++i) {
    for (size_t j = i + 1; j < std::min(drawn.size(), projected.size()); ++j) {
      const double want = std::hypot(projected[i].first - projected[j].first, projected[i].second - projected[j].second);
      const double got = importtest::ArtboardGround(drawn[i], drawn[j], scale);
      worst = std::max(worst, std::fabs(got - want));
    }
  }
  return worst;
}

bool ItemScenario::ImportItem(uint32_t item) {
  sim::Panel* panel = host.FindPanel("Kartzmap");
  return panel && host.ChooseFlyoutItem(*panel, item);
}

std::vector<std::string> ItemScenario::SublayerTitles(const std::string& title) {
  std::vector<std::string> titles;
  sim::Layer* layer = host.FindLayer(title);
  if (!layer) return titles;
  for (sim::Layer* sublayer : host.Documents().back()->Sublayers(layer)) titles.push_back(sim::Host::Title(*sublayer));
  return titles;
}

void KmlScenario::ImportPlane9(const std::string& kml) {
  AnswerFiles({kml});
  AnswerNewPlaneMap(9, "5000");
  ASSERT_TRUE(ImportItem(kKmlItem));
  ExpectCleanDialogs();
}

std::vector<sim::Art*> KmlScenario::Drawn(const std::string& title) {
  std::vector<sim::Art*> art = importtest::LayerArt(host, title);
  std::erase_if(art, [](const sim::Art* a) { return a->IsLayerGroup(); });
  std::reverse(art.begin(), art.end());
  return art;
}

std::string KmlScenario::Write(const std::string& name, const std::string& text) {
  const std::string path = folder / name;
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

}  // namespace importcheck
