// Converts points from one coordinate reference to another: source plane to
// geographic, datum shift, geographic to target plane, with the meridian
// convergence and scale of the target. One converter per import or export.
#pragma once

#include <cstdint>

#include "geodesy/CoordRef.h"
#include "geodesy/TMProjection.h"
#include "host/FilePath.h"
#include "host/HostTypes.h"

// The datum grid's file, looked for in the folder of the plug-in file.
inline constexpr const char* kDatumGridFileName = "TKY2JGD_Win.dat";
inline constexpr const char* kDatumGridAlert = "測地系変換パラメータファイルを開けません";
// The JGD2000 to JGD2011 correction for the 2011 earthquake, beside it.
inline constexpr const char* kCorrectionGridFileName = "touhokutaiheiyouoki2011.par";
inline constexpr const char* kCorrectionMissingNote =
    "東北地方太平洋沖地震の補正パラメータファイル「touhokutaiheiyouoki2011.par」が見つからないため、"
    "JGD2000とJGD2011の間は補正せずに変換します。補正地域では最大5m程度ずれることがあります。";
inline constexpr const char* kCorrectionUnreadableAlert =
    "東北地方太平洋沖地震の補正パラメータファイル「touhokutaiheiyouoki2011.par」を読み込めません";

class CoordConverter {
 public:
  // The owner is the plug-in; its file tells where the datum grid lies.
  explicit CoordConverter(SPPluginRef owner = nullptr);

  // False when the datums differ and the grid cannot be loaded (after the
  // alert), or when a reference names no known system, zone or datum. Between
  // JGD2000 and JGD2011 a missing correction file is no failure: points are
  // not corrected, and the first such conversion of the run says so; a file
  // that is there but does not read is a failure (after the alert).
  bool Configure(int32_t srcDatum, int32_t srcKind, int32_t srcSystem, int32_t srcZone, int32_t dstDatum,
                 int32_t dstKind, int32_t dstSystem, int32_t dstZone);
  bool Configure(const CoordRef& source, const CoordRef& target) {
    return Configure(source.datum, source.kind, source.system, source.zone, target.datum, target.kind, target.system,
                     target.zone);
  }
  // Every conversion returns its input from now on (until the next Configure).
  void SetIdentity() { identity = true; }

  // Points are (x = easting or longitude, y = northing or latitude). Each stage
  // returns false, leaving its outputs alone, when the point cannot be
  // converted: the inverse does not converge, or the point is out of range
  // (a latitude beyond ±90°, anything not finite). Longitudes come out of
  // ToGeographic, and go into a projection, taken into (-180°, 180°].
  bool Convert(double x, double y, double& outX, double& outY, double* convergence = nullptr,
               double* scale = nullptr) const;
  // Note the northing-first order of the arguments.
  bool ToGeographic(double northing, double easting, double& latitude, double& longitude) const;
  // Tokyo and JGD2011 meet at JGD2000: Tokyo ↔ JGD2011 runs both steps.
  bool ShiftDatum(double latitude, double longitude, double& outLatitude, double& outLongitude) const;
  bool FromGeographic(double latitude, double longitude, double& x, double& y, double* convergence = nullptr,
                      double* scale = nullptr) const;

  // Where the grid is read from instead of beside the plug-in (tools, tests).
  void SetGridFile(const ai::FilePath& file) { gridFile = file; }
  // Takes a grid that is already in memory instead of reading the file.
  void UseDatumGrid(DatumGrid grid);
  // The same two for the JGD2000 to JGD2011 correction.
  void SetCorrectionFile(const ai::FilePath& file) { correctionFile = file; }
  void UseCorrectionGrid(DatumGrid grid);
  // Lets the missing-correction note be shown again (a new run, a test).
  static void ResetCorrectionNote();

  bool IsIdentity() const { return identity; }
  bool ShiftsDatum() const { return datumShift; }
  bool GridLoaded() const { return gridLoaded; }
  // A grid the conversion needs could not be read (already told).
  bool GridMissing() const { return (tokyoShift && !gridLoaded) || correctionUnreadable; }
  bool CorrectionLoaded() const { return correctionLoaded; }
  const DatumGrid& CorrectionGrid() const { return correctionGrid; }
  const CoordRef& Source() const { return source; }
  const CoordRef& Target() const { return target; }
  const DatumGrid& Grid() const { return sourceProjection.Grid(); }

 private:
  bool SetupSource();
  bool SetupTarget();
  bool LoadGrid();
  bool LoadCorrection();
  bool Jgd2000ToJgd2011(double latitude, double longitude, double& outLatitude, double& outLongitude) const;
  bool Jgd2011ToJgd2000(double latitude, double longitude, double& outLatitude, double& outLongitude) const;
  ai::FilePath GridFile() const;
  void NoteMissingCorrection() const;

  SPPluginRef owner;
  bool identity = false;
  bool datumShift = false;
  bool tokyoShift = false;       // one side on Tokyo (Bessel), the other on a JGD
  bool correctionShift = false;  // one side on JGD2011, the other not
  bool correctionTried = false;  // looked for the correction file once
  bool correctionLoaded = false;
  bool correctionUnreadable = false;
  bool gridLoaded = false;
  CoordRef source;
  CoordRef target;
  double meanRadius = 0;
  // Latitude whose cosine scales x on the latitude/longitude plane: always 0.
  double planeReferenceLatitude = 0;
  TMProjection sourceProjection;  // also owns the datum grid
  TMProjection targetProjection;
  ai::FilePath gridFile;
  ai::FilePath correctionFile;
  DatumGrid correctionGrid;  // JGD2000 to JGD2011, empty when the file is missing
};
