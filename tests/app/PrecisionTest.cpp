// What `info` says of a map's precision holds on a real file: points that
// GDAL wrote over 160 km, imported and exported again, land within the
// stated figure of where PROJ's cs2cs puts them, and the figure is not a
// gross overstatement of the error found.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

using kztest::FreshFolder;
using kztest::Quote;
using kztest::RunKzmap;

constexpr const char* kEnglish = "LC_ALL= LC_MESSAGES= LANGUAGE= LANG=C.UTF-8";

std::string Output(const std::string& command) {
  std::string text;
  if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    ::pclose(pipe);
  }
  return text;
}

std::vector<std::string> Split(const std::string& line, char separator) {
  std::vector<std::string> parts;
  std::stringstream in(line);
  for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
  return parts;
}

TEST(Precision, InfoStatesWhatAWideMapHolds) {
  const std::string folder = FreshFolder("precision");
  // A 21 × 21 grid 160 km across in JGD2011 plane system IX, off the grid
  // lines by odd fractions of a metre.
  {
    std::ofstream csv(folder + "/wide.csv");
    csv << "id,E,N\n";
    for (int i = 0; i <= 20; ++i)
      for (int j = 0; j <= 20; ++j)
        csv << i * 21 + j << "," << -80000.0 + 8000.0 * i + 0.3137 * j << "," << -80000.0 + 8000.0 * j + 0.2719 * i
            << "\n";
  }
  ASSERT_EQ(std::system(("cd " + Quote(folder) +
                         " && ogr2ogr -f 'ESRI Shapefile' wide.shp wide.csv -oo X_POSSIBLE_NAMES=E "
                         "-oo Y_POSSIBLE_NAMES=N -a_srs EPSG:6677 -nln wide")
                            .c_str()),
            0);
  const std::string map = Quote(folder + "/wide.kzmap");
  auto run = RunKzmap("import " + map + " " + Quote(folder + "/wide.shp") + " --to jgd2011:xy9 --scale 1:25000", "",
                      kEnglish);
  ASSERT_EQ(run.status, 0) << run.err;
  run = RunKzmap("export " + map + " " + Quote(folder + "/out.csv") + " --target all --to jgd2011:bl --encoding UTF-8",
                 "", kEnglish);
  ASSERT_EQ(run.status, 0) << run.err;
  run = RunKzmap("info " + map + " --json", "", kEnglish);
  ASSERT_EQ(run.status, 0) << run.err;
  const double stated = nlohmann::json::parse(run.out)["precision"].get<double>();

  // Each exported point beside cs2cs's conversion of the input (northing first, as EPSG:6677 has its axes).
  std::ifstream exported(folder + "/out.csv");
  std::string line;
  std::getline(exported, line);  // the field names
  std::vector<std::vector<double>> rows;  // latitude, longitude, easting, northing
  std::string input;
  while (std::getline(exported, line)) {
    const std::vector<std::string> fields = Split(line, ',');
    ASSERT_EQ(fields.size(), 5u) << line;
    rows.push_back({std::stod(fields[0]), std::stod(fields[1]), std::stod(fields[3]), std::stod(fields[4])});
    input += fields[4] + " " + fields[3] + "\n";
  }
  ASSERT_EQ(rows.size(), 441u);
  std::ofstream(folder + "/in.txt") << input;
  const std::vector<std::string> converted =
      Split(Output("cs2cs -f %.12f EPSG:6677 EPSG:6668 < " + Quote(folder + "/in.txt")), '\n');
  ASSERT_EQ(converted.size(), rows.size());
  double worst = 0;
  constexpr double kMetresPerDegree = 111100;  // near 35° north, to well within the 10 % this needs
  for (size_t i = 0; i < rows.size(); ++i) {
    double latitude = 0, longitude = 0;
    ASSERT_EQ(std::sscanf(converted[i].c_str(), "%lf %lf", &latitude, &longitude), 2) << converted[i];
    const double north = (rows[i][0] - latitude) * kMetresPerDegree;
    const double east = (rows[i][1] - longitude) * kMetresPerDegree * std::cos(latitude * M_PI / 180);
    worst = std::max(worst, std::hypot(north, east));
  }
  EXPECT_GT(worst, 0.001) << "a map 160 km across is beyond the millimetre";
  EXPECT_LE(worst, stated) << "info states " << stated << " m";
  EXPECT_GE(worst, stated / 2) << "info states " << stated << " m";
  std::filesystem::remove_all(folder);
}

}  // namespace
