// Helpers of the import tests: outside tools (GDAL makes the Shapefiles,
// ogrinfo reads their rows, PROJ projects their points), a scratch folder,
// and reading the stand-in document the import drew into.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "georef/DataFrameParams.h"
#include "sim/Document.h"
#include "sim/Host.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace importtest {

using kztest::CommandResult;
using kztest::Quote;
using kztest::RunMerged;
using kztest::ScratchFolder;

// A GeoJSON feature collection of the given features (each a JSON object text).
std::string FeatureCollection(const std::vector<std::string>& features);
std::string PointFeature(double x, double y, const std::string& properties);
std::string LineFeature(const std::vector<std::pair<double, double>>& points, const std::string& properties);
// Rings: the first is the outer ring; each ring is closed by the helper.
std::string PolygonFeature(const std::vector<std::vector<std::pair<double, double>>>& rings,
                           const std::string& properties);

// ogr2ogr turns the GeoJSON into the Shapefile shp (with .shx, .dbf, .prj
// and .cpg); options such as "-a_srs EPSG:4612 -lco ENCODING=CP932".
void MakeShapefile(const std::string& shp, const std::string& geojson, const std::string& options);

// Every feature's fields as ogrinfo prints them (UTF-8), in feature order.
struct OgrField {
  std::string type;  // String, Integer, Real, Date ...
  std::string value;
};
std::vector<std::map<std::string, OgrField>> OgrRows(const std::string& shp);

// An attribute row as stored on art: name, type code, digits, decimals, value.
struct StoredField {
  std::string name;
  int32_t type = 0, totalDigits = 0, decimals = 0;
  std::string value;
};
// Null when the art has no row.
std::optional<std::vector<StoredField>> StoredRow(const sim::Art& art);

// Top-level layer titles, topmost first.
std::vector<std::string> LayerTitles(sim::Host& host);
// The art of the layer's group, topmost first (children only).
std::vector<sim::Art*> LayerArt(sim::Host& host, const std::string& title);
// The text of the first child of the layer's group (data frame, markers).
std::string LayerText(sim::Host& host, const std::string& title);
DataFrameParams DocumentDataFrame(sim::Host& host);
// (northing, easting) of a "%f&%f" marker text.
std::pair<double, double> MarkerNumbers(const std::string& text);

// A PROJ operation run on one point: x, y in and out as PROJ orders them.
std::pair<double, double> ProjTransform(const std::string& operation, double x, double y);

// Ground distance in metres between two artboard points at 1:scale.
double ArtboardGround(const AIRealPoint& a, const AIRealPoint& b, double scale);

}  // namespace importtest
