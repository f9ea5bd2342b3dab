#include "geodesy/CoordConverter.h"

#include <atomic>
#include <cmath>
#include <vector>

#include "geodesy/Angles.h"
#include "geodesy/DatumGridText.h"
#include "geodesy/Ellipsoid.h"
#include "geodesy/GeodesyHost.h"
#include "formats/CKzFile.h"

namespace {

// 400° and 40° are one meridian: every longitude is taken into (-180°, 180°].
double NormalisedLongitude(double longitude) {
  double result = std::fmod(longitude, 360.0);
  if (result > 180) result -= 360;
  if (result <= -180) result += 360;
  return result;
}

bool IsGeographic(double latitude, double longitude) {
  return latitude >= -90 && latitude <= 90 && std::isfinite(longitude);
}

// Codes 1 and 3 are both on Bessel: the Tokyo side of the TKY2JGD grid.
bool OnTokyoSide(int32_t datum) { return EllipsoidIdOfDatum(datum) == kEllipsoidBessel; }

// Once per run, however many converters go without the correction.
std::atomic<bool> correctionNoteShown{false};

}  // namespace

CoordConverter::CoordConverter(SPPluginRef owner) : owner(owner) {}

bool CoordConverter::Configure(int32_t srcDatum, int32_t srcKind, int32_t srcSystem, int32_t srcZone,
                               int32_t dstDatum, int32_t dstKind, int32_t dstSystem, int32_t dstZone) {
  source = {srcDatum, srcKind, srcSystem, srcZone};
  target = {dstDatum, dstKind, dstSystem, dstZone};
  identity = false;
  const bool sourceReady = SetupSource();
  datumShift = srcDatum != dstDatum;
  tokyoShift = OnTokyoSide(srcDatum) != OnTokyoSide(dstDatum);
  if (tokyoShift && !gridLoaded) {
    if (!LoadGrid()) {
      ShowGeodesyAlert(kDatumGridAlert);
      return false;
    }
    gridLoaded = true;
  }
  correctionShift = (srcDatum == kDatumJgd2011) != (dstDatum == kDatumJgd2011);
  correctionUnreadable = false;
  if (correctionShift && !correctionTried) {
    correctionTried = true;
    if (!LoadCorrection()) {
      correctionTried = false;  // the next configuration tries again
      correctionUnreadable = true;
      ShowGeodesyAlert(kCorrectionUnreadableAlert);
      return false;
    }
  }
  const bool targetReady = SetupTarget();
  return sourceReady && targetReady;
}

bool CoordConverter::SetupSource() {
  if (source.datum == target.datum && source.kind == target.kind) {
    if (source.kind == kKindUtm && source.zone == target.zone) identity = true;
    if (source.kind == kKindPlane && source.system == target.system) identity = true;
  }
  switch (source.kind) {
    case kKindPlane:
      return sourceProjection.SetupPlaneSystem(source.system, source.datum);
    case kKindUtm:
      return sourceProjection.SetupUtmZone(source.zone, source.datum);
    case kKindLatLong:
    case kKindLatLongPlane:
      return EllipsoidIdOfDatum(source.datum) >= 0;
    default:
      return false;
  }
}

bool CoordConverter::SetupTarget() {
  switch (target.kind) {
    case kKindPlane:
      return targetProjection.SetupPlaneSystem(target.system, target.datum);
    case kKindUtm:
      return targetProjection.SetupUtmZone(target.zone, target.datum);
    case kKindLatLong:
      return targetProjection.MeanRadius(target.datum, meanRadius);
    default:
      return false;
  }
}

bool CoordConverter::LoadGrid() {
  const ai::FilePath file = GridFile();
  if (file.IsEmpty()) return false;
  return sourceProjection.Grid().LoadDatumGrid(file);
}

ai::FilePath CoordConverter::GridFile() const {
  if (!gridFile.IsEmpty()) return gridFile;
  return FileBesidePlugin(owner, kDatumGridFileName);
}

// False only for a file that is there but does not read; a missing file
// leaves the correction out.
bool CoordConverter::LoadCorrection() {
  const ai::FilePath file =
      correctionFile.IsEmpty() ? FileBesidePlugin(owner, kCorrectionGridFileName) : correctionFile;
  if (file.IsEmpty()) return true;
  CKzFile text(file);
  if (!text.Open(file, "rb")) return true;
  std::vector<GridRecord> records;
  if (!ReadCorrectionGridText(text.GetStream(), records).ok) return false;
  correctionGrid.Assign(std::move(records));
  correctionLoaded = true;
  return true;
}

void CoordConverter::UseCorrectionGrid(DatumGrid grid) {
  correctionGrid = std::move(grid);
  correctionLoaded = true;
  correctionTried = true;
}

void CoordConverter::ResetCorrectionNote() { correctionNoteShown = false; }

void CoordConverter::NoteMissingCorrection() const {
  if (correctionNoteShown.exchange(true)) return;
  ShowGeodesyNote(kCorrectionMissingNote);
}

void CoordConverter::UseDatumGrid(DatumGrid grid) {
  sourceProjection.Grid() = std::move(grid);
  gridLoaded = true;
}

bool CoordConverter::ToGeographic(double northing, double easting, double& latitude, double& longitude) const {
  GeographicPoint point;
  switch (source.kind) {
    case kKindLatLong:
      point.latitude = northing;
      point.longitude = easting;
      break;
    case kKindPlane:
      if (!sourceProjection.InversePlane(northing, easting, point)) return false;
      break;
    case kKindUtm:
      if (!sourceProjection.InverseUtm(northing, easting, point)) return false;
      break;
    case kKindLatLongPlane:
      if (!sourceProjection.LatLongPlaneInverse(easting, northing, source.datum, point)) return false;
      break;
    default:
      return false;
  }
  // An easting or northing far outside the system inverts to a "latitude"
  // beyond the poles: no point at all, however much it looks like one.
  if (!IsGeographic(point.latitude, point.longitude)) return false;
  latitude = point.latitude;
  longitude = NormalisedLongitude(point.longitude);
  return true;
}

bool CoordConverter::ShiftDatum(double latitude, double longitude, double& outLatitude, double& outLongitude) const {
  if (!datumShift) {
    outLatitude = latitude;
    outLongitude = longitude;
    return true;
  }
  // JGD2000 is the hub: Tokyo reaches it through the TKY2JGD grid, JGD2011
  // through the earthquake correction.
  double lat = latitude, lon = longitude;
  if (source.datum == kDatumJgd2011 && !Jgd2011ToJgd2000(lat, lon, lat, lon)) return false;
  const DatumGrid& grid = sourceProjection.Grid();
  if (tokyoShift) {
    const bool fromTokyo = OnTokyoSide(source.datum);
    if (fromTokyo && !grid.TokyoToJgd(lat, lon, lat, lon)) return false;
    if (!fromTokyo && !grid.JgdToTokyo(lat, lon, lat, lon)) return false;
  }
  if (target.datum == kDatumJgd2011 && !Jgd2000ToJgd2011(lat, lon, lat, lon)) return false;
  outLatitude = lat;
  outLongitude = lon;
  return true;
}

bool CoordConverter::Jgd2000ToJgd2011(double latitude, double longitude, double& outLatitude,
                                      double& outLongitude) const {
  if (correctionLoaded) return correctionGrid.AddCorrection(latitude, longitude, outLatitude, outLongitude);
  if (!IsGeographic(latitude, longitude)) return false;
  NoteMissingCorrection();
  outLatitude = latitude;
  outLongitude = longitude;
  return true;
}

bool CoordConverter::Jgd2011ToJgd2000(double latitude, double longitude, double& outLatitude,
                                      double& outLongitude) const {
  if (correctionLoaded) return correctionGrid.RemoveCorrection(latitude, longitude, outLatitude, outLongitude);
  if (!IsGeographic(latitude, longitude)) return false;
  NoteMissingCorrection();
  outLatitude = latitude;
  outLongitude = longitude;
  return true;
}

bool CoordConverter::FromGeographic(double latitude, double longitude, double& x, double& y, double* convergence,
                                    double* scale) const {
  // A latitude beyond the poles is no point at all; projecting it would give
  // numbers that look like coordinates.
  if (!IsGeographic(latitude, longitude)) return false;
  longitude = NormalisedLongitude(longitude);
  ProjectedPoint point;
  switch (target.kind) {
    case kKindLatLong:
      point.easting = std::cos(planeReferenceLatitude * kDegToRad) * kDegToRad * longitude * meanRadius;
      point.northing = kDegToRad * latitude * meanRadius;
      break;
    case kKindUtm:
      if (!targetProjection.ForwardUtm(latitude, longitude, point)) return false;
      break;
    case kKindPlane:
      if (!targetProjection.ForwardPlane(latitude, longitude, point)) return false;
      break;
    default:
      return false;
  }
  if (!std::isfinite(point.easting) || !std::isfinite(point.northing)) return false;
  x = point.easting;
  y = point.northing;
  if (convergence) *convergence = point.convergence;
  if (scale) *scale = point.scale;
  return true;
}

bool CoordConverter::Convert(double x, double y, double& outX, double& outY, double* convergence,
                             double* scale) const {
  if (identity) {
    outX = x;
    outY = y;
    if (convergence) *convergence = 0;
    if (scale) *scale = 1;
    return true;
  }
  double latitude = 0, longitude = 0;
  if (!ToGeographic(y, x, latitude, longitude)) return false;
  if (!ShiftDatum(latitude, longitude, latitude, longitude)) return false;
  return FromGeographic(latitude, longitude, outX, outY, convergence, scale);
}
