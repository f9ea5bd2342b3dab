// BoundsAccumulator: the running x/y extent of what has been written.
// A range that never received a value reads as 0 at both ends.
#pragma once

struct BoundsAccumulator {
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  double zmin = 0, zmax = 0, mmin = 0, mmax = 0;  // never filled: written as 0
  bool hasX = false, hasY = false, hasZ = false, hasM = false;

  void AddX(double x) { Add(x, xmin, xmax, hasX); }
  void AddY(double y) { Add(y, ymin, ymax, hasY); }
  void AddPoint(double x, double y) {
    AddX(x);
    AddY(y);
  }
  void Clear() { hasX = hasY = hasZ = hasM = false; }

  double XMin() const { return hasX ? xmin : 0; }
  double XMax() const { return hasX ? xmax : 0; }
  double YMin() const { return hasY ? ymin : 0; }
  double YMax() const { return hasY ? ymax : 0; }
  double ZMin() const { return hasZ ? zmin : 0; }
  double ZMax() const { return hasZ ? zmax : 0; }
  double MMin() const { return hasM ? mmin : 0; }
  double MMax() const { return hasM ? mmax : 0; }

 private:
  static void Add(double value, double& low, double& high, bool& has) {
    if (!has) {
      low = high = value;
      has = true;
      return;
    }
    if (value < low) low = value;
    if (value > high) high = value;
  }
};
