#include "import/ShapeCompanions.h"

#include <proj.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "formats/CKzFile.h"
#include "geodesy/CoordTexts.h"

namespace {

constexpr size_t kMaxPrjBytes = 65536;
constexpr size_t kMaxCpgBytes = 256;
constexpr double kAngleTolerance = 1e-7;  // degrees

// --- PROJ objects held for one identification -----------------------------

struct ContextDeleter {
  void operator()(PJ_CONTEXT* context) const { proj_context_destroy(context); }
};
struct ObjectDeleter {
  void operator()(PJ* object) const { proj_destroy(object); }
};
using Context = std::unique_ptr<PJ_CONTEXT, ContextDeleter>;
using Object = std::unique_ptr<PJ, ObjectDeleter>;

Object Parse(PJ_CONTEXT* context, const std::string& text) {
  PROJ_STRING_LIST warnings = nullptr, errors = nullptr;
  Object crs(proj_create_from_wkt(context, text.c_str(), nullptr, &warnings, &errors));
  proj_string_list_destroy(warnings);
  proj_string_list_destroy(errors);
  if (!crs) crs.reset(proj_create(context, text.c_str()));
  return crs;
}

bool IsCrs(PJ_CONTEXT* context, const PJ* object) { return proj_is_crs(object) != 0; }

bool Near(double a, double b, double tolerance) { return std::fabs(a - b) <= tolerance; }

// The datum code of the CRS's datum: JGD2000, JGD2011, WGS 84 or Tokyo on
// their own ellipsoids, 0 for any other. PROJ gives ESRI and EPSG texts the
// same EPSG datum names.
int32_t DatumOf(PJ_CONTEXT* context, const PJ* crs) {
  Object datum(proj_crs_get_datum_forced(context, crs));
  if (!datum) return 0;
  Object ellipsoid(proj_get_ellipsoid(context, datum.get()));
  Object meridian(proj_get_prime_meridian(context, datum.get()));
  double a = 0, b = 0, inverseFlattening = 0, longitude = 0, unit = 0;
  int computed = 0;
  if (!ellipsoid || !proj_ellipsoid_get_parameters(context, ellipsoid.get(), &a, &b, &computed, &inverseFlattening)) {
    return 0;
  }
  if (meridian && proj_prime_meridian_get_parameters(context, meridian.get(), &longitude, &unit, nullptr) &&
      longitude != 0) {
    return 0;
  }
  const std::string name = proj_get_name(datum.get()) ? proj_get_name(datum.get()) : "";
  const bool grs80 = Near(a, 6378137.0, 1e-3) && Near(inverseFlattening, 298.257222101, 1e-6);
  if (name == "Japanese Geodetic Datum 2000" && grs80) return kDatumJgd2000;
  if (name == "Japanese Geodetic Datum 2011" && grs80) return kDatumJgd2011;
  // The ensemble and each of its realisations.
  if (name.rfind("World Geodetic System 1984", 0) == 0 && Near(a, 6378137.0, 1e-3) &&
      Near(inverseFlattening, 298.257223563, 1e-6)) {
    return kDatumWgs84;
  }
  if (name == "Tokyo" && Near(a, 6377397.155, 1e-3) && Near(inverseFlattening, 299.1528128, 1e-6)) return kDatumTokyo;
  return 0;
}

// The conversion factor of the CRS's first axis unit (to radians or metres).
double AxisUnit(PJ_CONTEXT* context, const PJ* crs) {
  Object cs(proj_crs_get_coordinate_system(context, crs));
  double factor = 0;
  if (!cs || !proj_cs_get_axis_info(context, cs.get(), 0, nullptr, nullptr, nullptr, &factor, nullptr, nullptr, nullptr)) {
    return 0;
  }
  return factor;
}

bool Parameter(PJ_CONTEXT* context, const PJ* operation, const char* name, double& value) {
  const int index = proj_coordoperation_get_param_index(context, operation, name);
  double factor = 0;
  if (index < 0 || !proj_coordoperation_get_param(context, operation, index, nullptr, nullptr, nullptr, &value,
                                                  nullptr, &factor, nullptr, nullptr, nullptr, nullptr)) {
    return false;
  }
  value *= factor;  // radians, metres or unity
  return true;
}

// The plane rectangular system or UTM zone of a transverse Mercator conversion.
bool ProjectionOf(PJ_CONTEXT* context, const PJ* crs, CoordRef& ref) {
  Object operation(proj_crs_get_coordoperation(context, crs));
  const char* method = nullptr;
  if (!operation || !proj_coordoperation_get_method_info(context, operation.get(), &method, nullptr, nullptr) ||
      method == nullptr || std::string(method) != "Transverse Mercator") {
    return false;
  }
  double latitude = 0, longitude = 0, scale = 0, easting = 0, northing = 0;
  if (!Parameter(context, operation.get(), "Latitude of natural origin", latitude) ||
      !Parameter(context, operation.get(), "Longitude of natural origin", longitude) ||
      !Parameter(context, operation.get(), "Scale factor at natural origin", scale) ||
      !Parameter(context, operation.get(), "False easting", easting) ||
      !Parameter(context, operation.get(), "False northing", northing)) {
    return false;
  }
  latitude *= 180 / M_PI;
  longitude *= 180 / M_PI;
  if (Near(scale, 0.9999, 1e-9) && easting == 0 && northing == 0) {
    const auto origins = DecodedOriginTable();
    for (int32_t system = 1; system <= kPlaneSystemCount; ++system) {
      const auto& [originLatitude, originLongitude] = origins[static_cast<size_t>(system)];
      if (Near(latitude, originLatitude, kAngleTolerance) && Near(longitude, originLongitude, kAngleTolerance)) {
        ref.kind = kKindPlane;
        ref.system = system;
        return true;
      }
    }
    return false;
  }
  const double zone = (longitude + 183) / 6;
  if (Near(scale, 0.9996, 1e-9) && latitude == 0 && Near(easting, 500000, 1e-6) && northing == 0 &&
      Near(zone, std::round(zone), kAngleTolerance / 6) && std::round(zone) >= 1 && std::round(zone) <= kUtmZoneCount) {
    ref.kind = kKindUtm;
    ref.zone = static_cast<int32_t>(std::round(zone));
    return true;
  }
  return false;
}

bool Identify(PJ_CONTEXT* context, const PJ* crs, CoordRef& ref) {
  ref.datum = DatumOf(context, crs);
  if (ref.datum == 0) return false;
  switch (proj_get_type(crs)) {
    case PJ_TYPE_GEOGRAPHIC_2D_CRS:
      ref.kind = kKindLatLong;
      return Near(AxisUnit(context, crs), M_PI / 180, 1e-12);
    case PJ_TYPE_PROJECTED_CRS:
      return Near(AxisUnit(context, crs), 1.0, 1e-12) && ProjectionOf(context, crs, ref);
    default:
      return false;
  }
}

// The file beside the Shapefile with the other extension, lower or upper case.
ai::FilePath Beside(const ai::FilePath& shapefile, const char* lower, const char* upper) {
  ai::FilePath path = shapefile.SetFileExtension(lower);
  if (path.Exists()) return path;
  path = shapefile.SetFileExtension(upper);
  return path.Exists() ? path : ai::FilePath();
}

// The first bytes of a small file; false when it cannot be read or is longer.
bool ReadSmallFile(const ai::FilePath& path, size_t limit, std::string& bytes) {
  CKzFile file(path);
  if (!file.Open(path, "rb")) return false;
  std::vector<char> buffer(limit + 1);
  const size_t read = std::fread(buffer.data(), 1, buffer.size(), file.GetStream());
  if (read > limit || std::ferror(file.GetStream())) return false;
  bytes.assign(buffer.data(), read);
  return true;
}

std::string Trimmed(std::string_view text) {
  const auto space = [](unsigned char c) { return std::isspace(c) != 0 || c == 0; };
  while (!text.empty() && space(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && space(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  // A UTF-8 byte order mark is no part of the text.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return std::string(text);
}

}  // namespace

FileReference IdentifyReference(std::string_view definition) {
  FileReference result;
  result.status = FileReference::Status::Unreadable;
  const std::string text = Trimmed(definition);
  if (text.empty()) return result;
  Context context(proj_context_create());
  if (!context) return result;
  proj_log_level(context.get(), PJ_LOG_NONE);
  Object crs = Parse(context.get(), text);
  if (!crs || !IsCrs(context.get(), crs.get())) return result;
  if (proj_get_type(crs.get()) == PJ_TYPE_BOUND_CRS) {
    Object source(proj_get_source_crs(context.get(), crs.get()));
    if (source) crs = std::move(source);
  }
  const char* name = proj_get_name(crs.get());
  result.name = name != nullptr ? name : "";
  CoordRef ref;
  result.status = Identify(context.get(), crs.get(), ref) ? FileReference::Status::Known
                                                           : FileReference::Status::Unsupported;
  if (result.status == FileReference::Status::Known) result.ref = ref;
  return result;
}

FileReference ReadPrjBeside(const ai::FilePath& shapefile) {
  const ai::FilePath prj = Beside(shapefile, "prj", "PRJ");
  if (prj.IsEmpty()) return {};
  std::string text;
  if (!ReadSmallFile(prj, kMaxPrjBytes, text)) {
    FileReference unreadable;
    unreadable.status = FileReference::Status::Unreadable;
    return unreadable;
  }
  return IdentifyReference(text);
}

FileEncoding EncodingOfCodePage(std::string_view text) {
  FileEncoding result;
  result.name = Trimmed(text);
  if (result.name.empty()) return result;
  std::string key;
  for (char c : result.name) {
    if (c != ' ' && c != '-' && c != '_') key.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
  }
  static const std::array<std::pair<const char*, int32_t>, 9> kNames{{
      {"UTF8", kAIUTF8CharacterEncoding},
      {"65001", kAIUTF8CharacterEncoding},
      {"932", kAIShiftJISCharacterEncoding},
      {"CP932", kAIShiftJISCharacterEncoding},
      {"MS932", kAIShiftJISCharacterEncoding},
      {"SJIS", kAIShiftJISCharacterEncoding},
      {"SHIFTJIS", kAIShiftJISCharacterEncoding},
      {"WINDOWS31J", kAIShiftJISCharacterEncoding},
      {"ANSI932", kAIShiftJISCharacterEncoding},
  }};
  result.status = FileEncoding::Status::Unsupported;
  for (const auto& [name, code] : kNames) {
    if (key == name) {
      result.status = FileEncoding::Status::Known;
      result.code = code;
    }
  }
  return result;
}

FileEncoding ReadCpgBeside(const ai::FilePath& shapefile) {
  const ai::FilePath cpg = Beside(shapefile, "cpg", "CPG");
  if (cpg.IsEmpty()) return {};
  std::string text;
  if (!ReadSmallFile(cpg, kMaxCpgBytes, text)) {
    FileEncoding unreadable;
    unreadable.status = FileEncoding::Status::Unsupported;
    unreadable.name = "?";
    return unreadable;
  }
  return EncodingOfCodePage(text.substr(0, text.find_first_of("\r\n")));
}
