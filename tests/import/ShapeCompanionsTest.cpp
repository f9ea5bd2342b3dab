// The companions of a Shapefile: every coordinate reference the import
// converts, as PROJ's own projinfo writes it into a .prj (ESRI and GDAL WKT),
// identified to the same datum, kind, system or zone; references it does not
// convert named; code-page texts as tools write them into a .cpg.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "ImportTestSupport.h"
#include "import/ShapeCompanions.h"
#include "support/HostEnvironment.h"

namespace {

std::string ProjInfoWkt(const std::string& crs, const char* format) {
  const kztest::CommandResult result = kztest::RunMerged("projinfo -q -o " + std::string(format) + " " + crs);
  EXPECT_EQ(result.status, 0) << result.out;
  return result.out;
}

struct KnownCase {
  std::string crs;
  CoordRef ref;
};

std::vector<KnownCase> KnownCases() {
  std::vector<KnownCase> cases{{"EPSG:4612", {2, 1, 0, 0}},
                               {"EPSG:4301", {1, 1, 0, 0}},
                               {"EPSG:6668", {4, 1, 0, 0}},
                               {"EPSG:4326", {5, 1, 0, 0}}};
  for (int system = 1; system <= 19; ++system) {
    cases.push_back({"EPSG:" + std::to_string(2442 + system), {2, 3, system, 0}});
    cases.push_back({"EPSG:" + std::to_string(30160 + system), {1, 3, system, 0}});
    cases.push_back({"EPSG:" + std::to_string(6668 + system), {4, 3, system, 0}});
  }
  for (int zone = 51; zone <= 55; ++zone) cases.push_back({"EPSG:" + std::to_string(3046 + zone), {2, 2, 0, zone}});
  for (int zone = 51; zone <= 55; ++zone) cases.push_back({"EPSG:" + std::to_string(3041 + zone), {1, 2, 0, zone}});
  for (int zone = 51; zone <= 55; ++zone) cases.push_back({"EPSG:" + std::to_string(6637 + zone), {4, 2, 0, zone}});
  for (int zone = 51; zone <= 56; ++zone) cases.push_back({"EPSG:" + std::to_string(32600 + zone), {5, 2, 0, zone}});
  return cases;
}

TEST(IdentifyReference, EveryConvertedReferenceInBothWktForms) {
  for (const KnownCase& c : KnownCases()) {
    for (const char* format : {"WKT1_ESRI", "WKT1_GDAL", "WKT2_2019"}) {
      SCOPED_TRACE(c.crs + " " + format);
      const FileReference found = IdentifyReference(ProjInfoWkt(c.crs, format));
      ASSERT_EQ(found.status, FileReference::Status::Known) << found.name;
      EXPECT_EQ(found.ref, c.ref);
    }
    // The code itself, as the tool's options take it.
    EXPECT_EQ(IdentifyReference(c.crs).ref, c.ref) << c.crs;
  }
}

TEST(IdentifyReference, UtmZone56HasNoCodeButIsKnownByItsParameters) {
  std::string wkt = ProjInfoWkt("EPSG:3101", "WKT1_GDAL");  // zone 55 on JGD2000
  const size_t meridian = wkt.find("\"central_meridian\",147");
  ASSERT_NE(meridian, std::string::npos);
  wkt.replace(meridian, 22, "\"central_meridian\",153");
  const FileReference found = IdentifyReference(wkt);
  ASSERT_EQ(found.status, FileReference::Status::Known);
  EXPECT_EQ(found.ref, (CoordRef{2, 2, 0, 56}));
}

TEST(IdentifyReference, OtherReferencesAreNamedNotGuessed) {
  struct Case {
    const char* crs;
    const char* name;
  };
  const Case cases[] = {
      {"EPSG:3857", "WGS 84 / Pseudo-Mercator"},
      {"EPSG:32754", "WGS 84 / UTM zone 54S"},
      {"EPSG:4019", "Unknown datum based upon the GRS 1980 ellipsoid"},
      {"EPSG:4269", "NAD83"},
      {"EPSG:4979", "WGS 84"},  // three-dimensional
      // A plane system's parameters on a datum that is neither.
      {"'+proj=tmerc +lat_0=36 +lon_0=139.8333333333333 +k=0.9999 +x_0=0 +y_0=0 +ellps=intl +units=m +type=crs'", ""},
      // JGD2000 with the plane system's origin a little off.
      {"'+proj=tmerc +lat_0=36.001 +lon_0=139.8333333333333 +k=0.9999 +x_0=0 +y_0=0 +ellps=GRS80 +units=m +type=crs'", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.crs);
    const FileReference found = IdentifyReference(ProjInfoWkt(c.crs, "WKT2_2019"));
    EXPECT_EQ(found.status, FileReference::Status::Unsupported);
    if (*c.name) {
      EXPECT_EQ(found.name, c.name);
    }
  }
}

TEST(IdentifyReference, TextThatIsNoReference) {
  for (const char* text : {"", "   ", "GEOGCS[", "hello", "PROJCS[\"x\",GEOGCS[\"y\"]]", "+proj=noop"}) {
    SCOPED_TRACE(text);
    EXPECT_EQ(IdentifyReference(text).status, FileReference::Status::Unreadable);
  }
}

TEST(EncodingOfCodePage, NamesToolsWrite) {
  const std::pair<const char*, int32_t> known[] = {
      {"UTF-8", 1}, {"utf8", 1}, {"65001", 1}, {" UTF-8\r", 1}, {"\xEF\xBB\xBFUTF-8", 1},
      {"CP932", 17}, {"932", 17}, {"SJIS", 17}, {"Shift_JIS", 17}, {"shift-jis", 17}, {"Windows-31J", 17}, {"MS932", 17},
  };
  for (const auto& [text, code] : known) {
    SCOPED_TRACE(text);
    const FileEncoding found = EncodingOfCodePage(text);
    EXPECT_EQ(found.status, FileEncoding::Status::Known);
    EXPECT_EQ(found.code, code);
  }
  for (const char* text : {"ISO-8859-1", "1252", "EUC-JP", "UTF-16"}) {
    SCOPED_TRACE(text);
    const FileEncoding found = EncodingOfCodePage(text);
    EXPECT_EQ(found.status, FileEncoding::Status::Unsupported);
    EXPECT_EQ(found.name, text);
  }
  EXPECT_EQ(EncodingOfCodePage(" \n").status, FileEncoding::Status::Missing);
}

class CompanionFileTest : public kztest::HostTest {
 protected:
  importtest::ScratchFolder folder;
};

TEST_F(CompanionFileTest, FoundBesideTheShapefileInEitherCase) {
  std::ofstream(folder / "a.prj") << ProjInfoWkt("EPSG:2451", "WKT1_ESRI");
  std::ofstream(folder / "a.cpg") << "UTF-8\n";
  std::ofstream(folder / "b.PRJ") << ProjInfoWkt("EPSG:4301", "WKT1_ESRI");
  std::ofstream(folder / "b.CPG") << "CP932";
  const ai::FilePath a = ai::FilePath::FromPlatform(folder / "a.shp"), b = ai::FilePath::FromPlatform(folder / "b.shp");
  EXPECT_EQ(ReadPrjBeside(a).ref, (CoordRef{2, 3, 9, 0}));
  EXPECT_EQ(ReadCpgBeside(a).code, 1);
  EXPECT_EQ(ReadPrjBeside(b).ref, (CoordRef{1, 1, 0, 0}));
  EXPECT_EQ(ReadCpgBeside(b).code, 17);
  const ai::FilePath c = ai::FilePath::FromPlatform(folder / "c.shp");
  EXPECT_EQ(ReadPrjBeside(c).status, FileReference::Status::Missing);
  EXPECT_EQ(ReadCpgBeside(c).status, FileEncoding::Status::Missing);
  // A .prj too large to be one is not read whole.
  std::ofstream(folder / "c.prj") << std::string(70000, 'x');
  EXPECT_EQ(ReadPrjBeside(c).status, FileReference::Status::Unreadable);
}

}  // namespace
