// The TKY2JGD grid of datum shifts between the Tokyo datum and JGD2000: one
// (dB, dL) pair in seconds of arc for every third-order mesh cell (30" by 45"),
// interpolated bilinearly, with a three-parameter geocentric shift where the
// grid has no cell.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

namespace ai {
class FilePath;
}

// Where a point lies in the standard regional mesh.
struct MeshPosition {
  int32_t p = 0, u = 0;  // first order: latitude·1.5 and longitude − 100
  int32_t q = 0, v = 0;  // second order: 0..7
  int32_t r = 0, w = 0;  // third order: 0..9
  int32_t firstOrderCode = 0;
  int32_t secondOrderCode = 0;
  int32_t thirdOrderCode = 0;
  int32_t meshCode = 0;
  double latFraction = 0;  // 0..1 from the southern edge
  double lonFraction = 0;  // 0..1 from the western edge
};

struct NeighbourCodes {
  int32_t east = 0;
  int32_t north = 0;
  int32_t northEast = 0;
};

struct GridShift {
  double dB = 0;  // latitude shift, seconds (JGD2000 − Tokyo)
  double dL = 0;  // longitude shift, seconds
};

struct GridRecord {
  int32_t meshCode = 0;
  GridShift shift;
};

// One record of the binary parameter file: code, dB, dL, little-endian.
constexpr size_t kGridRecordSize = 20;

class DatumGrid {
 public:
  // Reads "TKY2JGD_Win.dat". False only when the file cannot be opened.
  bool LoadDatumGrid(const ai::FilePath& path);
  // Reads records to the end of the stream or the first read error; a
  // trailing partial record is ignored.
  void ReadDatumGrid(std::FILE* stream);
  // Replaces the grid; a code that occurs twice keeps its later shift.
  void Assign(std::vector<GridRecord> records);
  void Clear();
  size_t Size() const { return codes.size(); }
  const GridShift* Find(int32_t meshCode) const;

  static bool MeshOfPoint(double latitude, double longitude, MeshPosition& out);
  static NeighbourCodes NeighbourMeshes(const MeshPosition& position);

  // Shift at a point, in seconds; false outside 20..46°N, 120..154°E or where
  // the point's cell or one of its three neighbours is missing.
  bool InterpolateShift(double latitude, double longitude, GridShift& out) const;

  // Both fail (and leave the outputs alone) for latitudes outside ±90 or
  // longitudes outside ±180; outside the grid they use the geocentric shift.
  bool TokyoToJgd(double latitude, double longitude, double& outLatitude, double& outLongitude) const;
  bool JgdToTokyo(double latitude, double longitude, double& outLatitude, double& outLongitude) const;

  // The earthquake correction from JGD2000 to JGD2011 and back, with this
  // grid holding its shifts. A point whose cell or one of its neighbours is
  // missing lies outside the corrected area and keeps its coordinates. Both
  // fail (leaving the outputs alone) where the shifts above do.
  bool AddCorrection(double latitude, double longitude, double& outLatitude, double& outLongitude) const;
  bool RemoveCorrection(double latitude, double longitude, double& outLatitude, double& outLongitude) const;

  static void TokyoToJgdGeocentric(double latitude, double longitude, double& outLatitude, double& outLongitude);
  static void JgdToTokyoGeocentric(double latitude, double longitude, double& outLatitude, double& outLongitude);

 private:
  // A code that sorts after the entry at `from`.
  const GridShift* FindAfter(size_t from, int32_t meshCode) const;

  // Sorted by code; shifts[i] belongs to codes[i]. Kept apart so that the
  // search runs over a compact array.
  std::vector<int32_t> codes;
  std::vector<GridShift> shifts;
};

// Encodes and decodes one record of the binary parameter file.
void EncodeGridRecord(const GridRecord& record, unsigned char (&bytes)[kGridRecordSize]);
GridRecord DecodeGridRecord(const unsigned char (&bytes)[kGridRecordSize]);
