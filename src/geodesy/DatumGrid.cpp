#include "geodesy/DatumGrid.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "formats/CKzFile.h"
#include "geodesy/Angles.h"
#include "geodesy/Ellipsoid.h"
#include "geodesy/TMProjection.h"

namespace {

// Tokyo datum to JGD2000, metres, geocentric.
constexpr double kShiftX = -146.414;
constexpr double kShiftY = 507.337;
constexpr double kShiftZ = 680.507;

// 12" south and east: a first guess of the Tokyo position of a JGD2000 point.
constexpr double kFirstGuess = 0.0033333333333333335;

// The inverse correction stops when a step moves less than this (degrees,
// about 0.1 µm) or after this many steps. Shifts of a few metres that vary
// by centimetres across a cell settle in two or three steps.
constexpr double kCorrectionTolerance = 1e-12;
constexpr int kCorrectionSteps = 20;

int32_t MeshCode(int32_t p, int32_t u, int32_t q, int32_t v, int32_t r, int32_t w) {
  return p * 1000000 + u * 10000 + q * 1000 + v * 100 + r * 10 + w;
}

bool InRange(double latitude, double longitude) {
  return latitude >= -90 && latitude <= 90 && longitude >= -180 && longitude <= 180;
}

template <typename T>
T LoadLittleEndian(const unsigned char* bytes) {
  uint64_t value = 0;
  for (size_t i = 0; i < sizeof(T); ++i) value |= static_cast<uint64_t>(bytes[i]) << (8 * i);
  if constexpr (sizeof(T) == 4)
    return std::bit_cast<T>(static_cast<uint32_t>(value));
  else
    return std::bit_cast<T>(value);
}

template <typename T>
void StoreLittleEndian(T value, unsigned char* bytes) {
  uint64_t bits = 0;
  if constexpr (sizeof(T) == 4)
    bits = std::bit_cast<uint32_t>(value);
  else
    bits = std::bit_cast<uint64_t>(value);
  for (size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
}

// Geodetic point at height h on an ellipsoid to geocentric, shifted.
void ToShiftedGeocentric(double latitude, double longitude, double height, const Ellipsoid& ellipsoid, double sign,
                         double (&xyz)[3]) {
  const double phi = latitude * kDegToRad;
  const double lambda = longitude * kDegToRad;
  const double sinPhi = std::sin(phi);
  const double cosPhi = std::cos(phi);
  const double n = ellipsoid.a / std::sqrt(1 - ellipsoid.e2 * sinPhi * sinPhi);
  xyz[0] = (n + height) * cosPhi * std::cos(lambda) + sign * kShiftX;
  xyz[1] = (n + height) * cosPhi * std::sin(lambda) + sign * kShiftY;
  xyz[2] = (n * (1 - ellipsoid.e2) + height) * sinPhi + sign * kShiftZ;
}

}  // namespace

void EncodeGridRecord(const GridRecord& record, unsigned char (&bytes)[kGridRecordSize]) {
  StoreLittleEndian(record.meshCode, bytes);
  StoreLittleEndian(record.shift.dB, bytes + 4);
  StoreLittleEndian(record.shift.dL, bytes + 12);
}

GridRecord DecodeGridRecord(const unsigned char (&bytes)[kGridRecordSize]) {
  GridRecord record;
  record.meshCode = LoadLittleEndian<int32_t>(bytes);
  record.shift.dB = LoadLittleEndian<double>(bytes + 4);
  record.shift.dL = LoadLittleEndian<double>(bytes + 12);
  return record;
}

bool DatumGrid::LoadDatumGrid(const ai::FilePath& path) {
  Clear();
  CKzFile file(path);
  if (!file.Open(path, "rb")) return false;
  ReadDatumGrid(file.GetStream());
  return true;
}

void DatumGrid::ReadDatumGrid(std::FILE* stream) {
  std::vector<GridRecord> records;
  unsigned char bytes[kGridRecordSize];
  while (std::fread(bytes, 1, kGridRecordSize, stream) == kGridRecordSize) {
    const GridRecord record = DecodeGridRecord(bytes);
    // A shift that is not a number would turn every point near it into one;
    // such a cell is treated as missing.
    if (!std::isfinite(record.shift.dB) || !std::isfinite(record.shift.dL)) continue;
    records.push_back(record);
  }
  Assign(std::move(records));
}

void DatumGrid::Assign(std::vector<GridRecord> records) {
  std::stable_sort(records.begin(), records.end(),
                   [](const GridRecord& x, const GridRecord& y) { return x.meshCode < y.meshCode; });
  codes.clear();
  shifts.clear();
  codes.reserve(records.size());
  shifts.reserve(records.size());
  for (const GridRecord& record : records) {
    if (!codes.empty() && codes.back() == record.meshCode) {
      shifts.back() = record.shift;  // the later record wins
      continue;
    }
    codes.push_back(record.meshCode);
    shifts.push_back(record.shift);
  }
}

void DatumGrid::Clear() {
  codes.clear();
  shifts.clear();
}

const GridShift* DatumGrid::Find(int32_t meshCode) const {
  const auto found = std::lower_bound(codes.begin(), codes.end(), meshCode);
  if (found == codes.end() || *found != meshCode) return nullptr;
  return &shifts[static_cast<size_t>(found - codes.begin())];
}

// The neighbours of a cell sort after it, the east one usually right after and
// the north one ten places on: a galloping search from the cell finds them in a
// few steps instead of a search over the whole grid.
const GridShift* DatumGrid::FindAfter(size_t from, int32_t meshCode) const {
  const size_t size = codes.size();
  size_t low = from + 1;  // every entry before low is smaller than the code
  size_t high = low;      // the entry probed
  for (size_t step = 1; high < size && codes[high] < meshCode; step *= 2) {
    low = high + 1;
    high = from + step * 2;
  }
  const auto first = codes.begin() + static_cast<std::ptrdiff_t>(std::min(low, size));
  const auto last = codes.begin() + static_cast<std::ptrdiff_t>(std::min(high + 1, size));
  const auto found = std::lower_bound(first, last, meshCode);
  if (found == last || *found != meshCode) return nullptr;
  return &shifts[static_cast<size_t>(found - codes.begin())];
}

bool DatumGrid::MeshOfPoint(double latitude, double longitude, MeshPosition& out) {
  // Mesh codes exist for the northern hemisphere east of 100°; the bounds also
  // keep the integer conversions below defined.
  if (!(latitude >= 0 && latitude <= 90 && longitude >= 100 && longitude < 200)) return false;
  int32_t p = static_cast<int32_t>(latitude * 1.5);
  int32_t q = static_cast<int32_t>((latitude * 1.5 - p) * 8);
  int32_t r = static_cast<int32_t>((latitude * 12 - 8 * p - q) * 10 + 1e-11);
  const int32_t whole = static_cast<int32_t>(longitude);
  const double g = (longitude - whole) * 8;
  int32_t v = static_cast<int32_t>(g);
  int32_t w = static_cast<int32_t>((g - v) * 10 + 1e-11);
  int32_t u = whole - 100;
  // Rounding at a cell edge can give a third-order index of 10: that is the
  // first cell of the next one up.
  if (r == 10) {
    r = 0;
    if (++q == 8) {
      q = 0;
      ++p;
    }
  }
  if (w == 10) {
    w = 0;
    if (++v == 8) {
      v = 0;
      ++u;
    }
  }
  if (q < 0 || q > 7 || v < 0 || v > 7 || r < 0 || r > 9 || w < 0 || w > 9) return false;
  out.p = p;
  out.u = u;
  out.q = q;
  out.v = v;
  out.r = r;
  out.w = w;
  out.firstOrderCode = p * 100 + u;
  out.secondOrderCode = q * 10 + v;
  out.thirdOrderCode = r * 10 + w;
  out.meshCode = MeshCode(p, u, q, v, r, w);
  out.latFraction = latitude * 120 - 80 * p - 10 * q - r;
  out.lonFraction = (longitude - (u + 100)) * 80 - 10 * v - w;
  return true;
}

NeighbourCodes DatumGrid::NeighbourMeshes(const MeshPosition& at) {
  int32_t eastU = at.u, eastV = at.v, eastW = at.w + 1;
  if (eastW == 10) {
    eastW = 0;
    if (++eastV == 8) {
      eastV = 0;
      ++eastU;
    }
  }
  int32_t northP = at.p, northQ = at.q, northR = at.r + 1;
  if (northR == 10) {
    northR = 0;
    if (++northQ == 8) {
      northQ = 0;
      ++northP;
    }
  }
  NeighbourCodes codes;
  codes.east = MeshCode(at.p, eastU, at.q, eastV, at.r, eastW);
  codes.north = MeshCode(northP, at.u, northQ, at.v, northR, at.w);
  codes.northEast = MeshCode(northP, eastU, northQ, eastV, northR, eastW);
  return codes;
}

bool DatumGrid::InterpolateShift(double latitude, double longitude, GridShift& out) const {
  if (!(latitude >= 20 && latitude <= 46 && longitude >= 120 && longitude <= 154)) return false;
  MeshPosition at;
  if (!MeshOfPoint(latitude, longitude, at)) return false;
  const NeighbourCodes around = NeighbourMeshes(at);
  const GridShift* p0 = Find(at.meshCode);
  if (!p0) return false;
  const size_t index = static_cast<size_t>(p0 - shifts.data());
  const GridShift* p1 = FindAfter(index, around.east);
  if (!p1) return false;
  const GridShift* p2 = FindAfter(index, around.north);
  if (!p2) return false;
  const GridShift* p3 = FindAfter(static_cast<size_t>(p2 - shifts.data()), around.northEast);
  if (!p3) return false;
  const double x = at.lonFraction;
  const double y = at.latFraction;
  out.dB = p0->dB + (p1->dB - p0->dB) * x + (p2->dB - p0->dB) * y + (p3->dB - p1->dB - p2->dB + p0->dB) * x * y;
  out.dL = p0->dL + (p1->dL - p0->dL) * x + (p2->dL - p0->dL) * y + (p3->dL - p1->dL - p2->dL + p0->dL) * x * y;
  return true;
}

bool DatumGrid::TokyoToJgd(double latitude, double longitude, double& outLatitude, double& outLongitude) const {
  if (!InRange(latitude, longitude)) return false;
  GridShift shift;
  if (InterpolateShift(latitude, longitude, shift)) {
    outLatitude = latitude + shift.dB / 3600;
    outLongitude = longitude + shift.dL / 3600;
    return true;
  }
  TokyoToJgdGeocentric(latitude, longitude, outLatitude, outLongitude);
  return true;
}

bool DatumGrid::JgdToTokyo(double latitude, double longitude, double& outLatitude, double& outLongitude) const {
  if (!InRange(latitude, longitude)) return false;
  GridShift first;
  GridShift second;
  if (InterpolateShift(latitude - kFirstGuess, longitude + kFirstGuess, first) &&
      InterpolateShift(latitude - first.dB / 3600, longitude - first.dL / 3600, second)) {
    outLatitude = latitude - second.dB / 3600;
    outLongitude = longitude - second.dL / 3600;
    return true;
  }
  JgdToTokyoGeocentric(latitude, longitude, outLatitude, outLongitude);
  return true;
}

bool DatumGrid::AddCorrection(double latitude, double longitude, double& outLatitude, double& outLongitude) const {
  if (!InRange(latitude, longitude)) return false;
  GridShift shift;
  if (!InterpolateShift(latitude, longitude, shift)) shift = {};
  const double lat = latitude + shift.dB / 3600;
  const double lon = longitude + shift.dL / 3600;
  // Absurd shifts in a damaged file would carry the point off the globe.
  if (!InRange(lat, lon)) return false;
  outLatitude = lat;
  outLongitude = lon;
  return true;
}

// Finds the JGD2000 point whose corrected position is the given one: each
// step takes the shift at the current estimate.
bool DatumGrid::RemoveCorrection(double latitude, double longitude, double& outLatitude,
                                 double& outLongitude) const {
  if (!InRange(latitude, longitude)) return false;
  double lat = latitude, lon = longitude;
  bool settled = false;
  for (int step = 0; step < kCorrectionSteps && !settled; ++step) {
    GridShift shift;
    if (!InterpolateShift(lat, lon, shift)) shift = {};
    const double nextLat = latitude - shift.dB / 3600;
    const double nextLon = longitude - shift.dL / 3600;
    settled = std::fabs(nextLat - lat) < kCorrectionTolerance && std::fabs(nextLon - lon) < kCorrectionTolerance;
    lat = nextLat;
    lon = nextLon;
  }
  // Shifts that swing wildly between cells (only a damaged file has them)
  // have no one point to go back to.
  if (!settled || !InRange(lat, lon)) return false;
  outLatitude = lat;
  outLongitude = lon;
  return true;
}

void DatumGrid::TokyoToJgdGeocentric(double latitude, double longitude, double& outLatitude, double& outLongitude) {
  static const auto table = EllipsoidTable();
  double xyz[3];
  ToShiftedGeocentric(latitude, longitude, 0, table[kEllipsoidBessel], +1, xyz);
  double phi = 0, lambda = 0, height = 0;
  TMProjection::GeocentricToGeodetic(xyz[0], xyz[1], xyz[2], table[kEllipsoidGrs80], phi, lambda, height);
  outLatitude = phi * kRadToDeg;
  outLongitude = lambda * kRadToDeg;
}

// The reverse shift lands above or below the Bessel ellipsoid; the second pass
// starts that much lower so that the result lies on it.
void DatumGrid::JgdToTokyoGeocentric(double latitude, double longitude, double& outLatitude, double& outLongitude) {
  static const auto table = EllipsoidTable();
  double xyz[3];
  ToShiftedGeocentric(latitude, longitude, 0, table[kEllipsoidGrs80], -1, xyz);
  double phi = 0, lambda = 0, height = 0;
  TMProjection::GeocentricToGeodetic(xyz[0], xyz[1], xyz[2], table[kEllipsoidBessel], phi, lambda, height);
  ToShiftedGeocentric(latitude, longitude, -height, table[kEllipsoidGrs80], -1, xyz);
  TMProjection::GeocentricToGeodetic(xyz[0], xyz[1], xyz[2], table[kEllipsoidBessel], phi, lambda, height);
  outLatitude = phi * kRadToDeg;
  outLongitude = lambda * kRadToDeg;
}
