#include "export/EsriProjection.h"

#include <proj.h>
#include <proj_experimental.h>

#include <memory>

#include "geodesy/CoordTexts.h"

namespace {

struct ContextDeleter {
  void operator()(PJ_CONTEXT* context) const { proj_context_destroy(context); }
};
struct ObjectDeleter {
  void operator()(PJ* object) const { proj_destroy(object); }
};
using Context = std::unique_ptr<PJ_CONTEXT, ContextDeleter>;
using Object = std::unique_ptr<PJ, ObjectDeleter>;

constexpr int kFirstJapanUtmZone = 51;
constexpr int kLastJapanUtmZone = 55;

bool KnownDatum(int32_t datum) {
  return datum == kDatumTokyo || datum == kDatumJgd2000 || datum == kDatumJgd2011 || datum == kDatumWgs84;
}

int GeographicCode(int32_t datum) {
  switch (datum) {
    case kDatumTokyo: return 4301;
    case kDatumJgd2011: return 6668;
    case kDatumWgs84: return 4326;
    default: return 4612;
  }
}

const char* DatumLabel(int32_t datum) {
  switch (datum) {
    case kDatumTokyo: return "Tokyo";
    case kDatumJgd2011: return "JGD2011";
    case kDatumWgs84: return "WGS 84";
    default: return "JGD2000";
  }
}

Object FromEpsg(PJ_CONTEXT* context, int code) {
  const std::string text = std::to_string(code);
  return Object(proj_create_from_database(context, "EPSG", text.c_str(), PJ_CATEGORY_CRS, 0, nullptr));
}

// A system or zone EPSG has no code for: its transverse Mercator on the
// datum's own geographic system.
Object ProjectedOnDatum(PJ_CONTEXT* context, const CoordRef& ref) {
  Object geographic = FromEpsg(context, GeographicCode(ref.datum));
  std::string name = std::string(DatumLabel(ref.datum)) + " / ";
  Object conversion;
  if (ref.kind == kKindUtm) {
    conversion.reset(proj_create_conversion_utm(context, ref.zone, 1));
    name += "UTM zone " + std::to_string(ref.zone) + "N";
  } else {
    const auto origins = DecodedOriginTable();
    const auto& [latitude, longitude] = origins[static_cast<size_t>(ref.system)];
    conversion.reset(proj_create_conversion_transverse_mercator(context, latitude, longitude, 0.9999, 0, 0, "Degree",
                                                                 0.0174532925199433, "metre", 1.0));
    name += "Japan Plane Rectangular CS " + std::to_string(ref.system);
  }
  Object axes(proj_create_cartesian_2D_cs(context, PJ_CART2D_EASTING_NORTHING, "metre", 1.0));
  if (!geographic || !conversion || !axes) return nullptr;
  return Object(proj_create_projected_crs(context, name.c_str(), geographic.get(), conversion.get(), axes.get()));
}

}  // namespace

int EpsgCode(const CoordRef& ref) {
  if (!KnownDatum(ref.datum)) return 0;
  switch (ref.kind) {
    case kKindLatLong:
      return GeographicCode(ref.datum);
    case kKindPlane:
      if (ref.system < 1 || ref.system > kPlaneSystemCount) return 0;
      switch (ref.datum) {
        case kDatumTokyo: return 30160 + ref.system;
        case kDatumJgd2000: return 2442 + ref.system;
        case kDatumJgd2011: return 6668 + ref.system;
        default: return 0;  // WGS 84 has no plane systems of its own
      }
    case kKindUtm:
      if (ref.datum == kDatumWgs84) return ref.zone >= 1 && ref.zone <= kUtmZoneCount ? 32600 + ref.zone : 0;
      if (ref.zone < kFirstJapanUtmZone || ref.zone > kLastJapanUtmZone) return 0;
      switch (ref.datum) {
        case kDatumTokyo: return 3041 + ref.zone;
        case kDatumJgd2000: return 3046 + ref.zone;
        default: return 6637 + ref.zone;
      }
    default:
      return 0;
  }
}

std::string EsriProjectionText(const CoordRef& ref) {
  if (!KnownDatum(ref.datum)) return {};
  const bool utm = ref.kind == kKindUtm && ref.zone >= 1 && ref.zone <= kUtmZoneCount;
  const bool plane = ref.kind == kKindPlane && ref.system >= 1 && ref.system <= kPlaneSystemCount;
  const int code = EpsgCode(ref);
  if (code == 0 && !utm && !plane) return {};
  Context context(proj_context_create());
  if (!context) return {};
  // PROJ's messages would go to standard error; the caller reports failure.
  proj_log_level(context.get(), PJ_LOG_NONE);
  Object crs = code != 0 ? FromEpsg(context.get(), code) : ProjectedOnDatum(context.get(), ref);
  if (!crs) return {};
  const char* text = proj_as_wkt(context.get(), crs.get(), PJ_WKT1_ESRI, nullptr);
  return text != nullptr ? std::string(text) : std::string();
}
