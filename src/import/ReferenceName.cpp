#include "import/ReferenceName.h"

#include <string>

namespace {

std::string DatumName(int32_t datum) {
  switch (datum) {
    case kDatumTokyo: return "日本測地系(TKY97)";
    case kDatumJgd2000: return "世界測地系(JGD2000)";
    case kDatumJgd2011: return "世界測地系(JGD2011)";
    case kDatumWgs84: return "WGS 84";
    default: return "測地系 " + std::to_string(datum);
  }
}

}  // namespace

std::string ReferenceName(const CoordRef& ref) {
  const std::string datum = DatumName(ref.datum);
  switch (ref.kind) {
    case kKindPlane: return datum + " 平面直角座標 第" + std::to_string(ref.system) + "系";
    case kKindUtm: return datum + " UTM座標 第" + std::to_string(ref.zone) + "帯";
    default: return datum + " 緯度経度";
  }
}
