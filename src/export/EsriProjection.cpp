#include "export/EsriProjection.h"

#include <proj.h>
#include <proj_experimental.h>

#include <memory>

namespace {

struct ContextDeleter {
  void operator()(PJ_CONTEXT* context) const { proj_context_destroy(context); }
};
struct ObjectDeleter {
  void operator()(PJ* object) const { proj_destroy(object); }
};
using Context = std::unique_ptr<PJ_CONTEXT, ContextDeleter>;
using Object = std::unique_ptr<PJ, ObjectDeleter>;

constexpr int kFirstEpsgUtmZone = 51;
constexpr int kLastEpsgUtmZone = 55;

bool KnownDatum(int32_t datum) { return datum == kDatumTokyo || datum == kDatumJgd2000; }

int GeographicCode(int32_t datum) { return datum == kDatumTokyo ? 4301 : 4612; }

Object FromEpsg(PJ_CONTEXT* context, int code) {
  const std::string text = std::to_string(code);
  return Object(proj_create_from_database(context, "EPSG", text.c_str(), PJ_CATEGORY_CRS, 0, nullptr));
}

// A UTM zone EPSG has no code for: the zone's projection on the datum's own
// geographic system.
Object UtmOnDatum(PJ_CONTEXT* context, const CoordRef& ref) {
  Object geographic = FromEpsg(context, GeographicCode(ref.datum));
  Object conversion(proj_create_conversion_utm(context, ref.zone, 1));
  Object axes(proj_create_cartesian_2D_cs(context, PJ_CART2D_EASTING_NORTHING, "metre", 1.0));
  if (!geographic || !conversion || !axes) return nullptr;
  const std::string name = (ref.datum == kDatumTokyo ? "Tokyo / UTM zone " : "JGD2000 / UTM zone ") +
                           std::to_string(ref.zone) + "N";
  return Object(proj_create_projected_crs(context, name.c_str(), geographic.get(), conversion.get(), axes.get()));
}

}  // namespace

int EpsgCode(const CoordRef& ref) {
  if (!KnownDatum(ref.datum)) return 0;
  const bool tokyo = ref.datum == kDatumTokyo;
  switch (ref.kind) {
    case kKindLatLong:
      return GeographicCode(ref.datum);
    case kKindPlane:
      if (ref.system < 1 || ref.system > kPlaneSystemCount) return 0;
      return (tokyo ? 30160 : 2442) + ref.system;
    case kKindUtm:
      if (ref.zone < kFirstEpsgUtmZone || ref.zone > kLastEpsgUtmZone) return 0;
      return (tokyo ? 3041 : 3046) + ref.zone;
    default:
      return 0;
  }
}

std::string EsriProjectionText(const CoordRef& ref) {
  if (!KnownDatum(ref.datum)) return {};
  const bool utm = ref.kind == kKindUtm && ref.zone >= 1 && ref.zone <= kUtmZoneCount;
  const int code = EpsgCode(ref);
  if (code == 0 && !utm) return {};
  Context context(proj_context_create());
  if (!context) return {};
  // PROJ's messages would go to standard error; the caller reports failure.
  proj_log_level(context.get(), PJ_LOG_NONE);
  Object crs = code != 0 ? FromEpsg(context.get(), code) : UtmOnDatum(context.get(), ref);
  if (!crs) return {};
  const char* text = proj_as_wkt(context.get(), crs.get(), PJ_WKT1_ESRI, nullptr);
  return text != nullptr ? std::string(text) : std::string();
}
