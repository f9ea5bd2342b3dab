// Checks shared by the coordinate text and KML import tests: what ogrinfo
// reads from a file, where the import drew each vertex, and the comparison
// of drawn distances with PROJ's.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "../import/ImportScenario.h"

namespace importcheck {

using Point = std::pair<double, double>;  // x (longitude or easting), y

// One feature as ogrinfo prints it.
struct OgrFeature {
  std::string layer;
  std::map<std::string, importtest::OgrField> fields;
  std::string geometry;            // "POINT", "LINESTRING", "POLYGON"...
  std::vector<std::vector<Point>> parts;  // rings or lines, in the order written
};

// Every feature of every layer of the data source; options go to ogrinfo.
std::vector<OgrFeature> OgrFeatures(const std::string& path, const std::string& options = "");

// The centre of a point mark.
AIRealPoint Centre(const sim::Art& shape);
// The anchors of a path.
std::vector<AIRealPoint> Anchors(const sim::Art& path);

// The value of the named field of a stored row; empty when missing.
std::string Value(const std::vector<importtest::StoredField>& row, const std::string& name);

// Compares the distance between every two drawn points, taken to the ground
// through the scale, with the distance between PROJ's projections of their
// geographic coordinates; returns the worst difference in metres.
double WorstDistanceError(const std::vector<AIRealPoint>& drawn, const std::vector<Point>& geographic,
                          const std::string& operation, double scale);

// PROJ pipeline from degrees to plane rectangular system 9 (JGD2000).
extern const char* const kToPlane9;

// The import scenario with the flyout item of the importer under test.
class ItemScenario : public importtest::ImportScenario {
 protected:
  bool ImportItem(uint32_t item);
  sim::Layer* Layer(const std::string& title) { return host.FindLayer(title); }
  std::vector<std::string> SublayerTitles(const std::string& title);
};

// A KML import into a new 1:5000 map in plane system IX, as the host runs it.
class KmlScenario : public ItemScenario {
 protected:
  static constexpr uint32_t kKmlItem = 3;
  static constexpr double kMillimetre = 0.001;
  static constexpr double kScale = 5000;

  void ImportPlane9(const std::string& kml);
  // The art of a layer in drawing order (the layer lists the latest first),
  // its sublayers left out.
  std::vector<sim::Art*> Drawn(const std::string& title);
  // Writes the text as a file of that name in the scratch folder.
  std::string Write(const std::string& name, const std::string& text);
};

}  // namespace importcheck
