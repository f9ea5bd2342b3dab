#include "geodesy/CoordTexts.h"

#include <cstdio>
#include <cstdlib>

#include "geodesy/Angles.h"

namespace {

constexpr const char* kPlaneSystemLabels[kPlaneSystemCount + 1] = {
    "(座標系を選択)",
    "1系（長崎と周辺島嶼）",
    "2系（福岡, 佐賀, 熊本, 大分, 宮崎, 鹿児島）",
    "3系（山口, 島根, 広島）",
    "4系（香川, 愛媛, 徳島, 高知）",
    "5系（兵庫, 鳥取, 岡山）",
    "6系（京都, 大阪, 福井, 滋賀, 三重, 奈良, 和歌山）",
    "7系（石川, 富山, 岐阜, 愛知）",
    "8系（新潟, 長野, 山梨, 静岡）",
    "9系（東京, 福島, 栃木, 茨城, 埼玉, 千葉, 群馬, 神奈川）",
    "10系（青森, 秋田, 山形, 岩手, 宮城）",
    "11系（北海道西部）",
    "12系（北海道中部）",
    "13系（北海道東部）",
    "14系（小笠原諸島）",
    "15系（沖縄主要部）",
    "16系（宮古列島・八重山列島）",
    "17系（大東島）",
    "18系（沖ノ鳥島）",
    "19系（南鳥島）",
};

// One edge of a zone: west longitudes carry "W", east ones "E", 0 neither.
std::string EdgeText(int degrees) {
  char text[16];
  if (degrees < 0)
    std::snprintf(text, sizeof text, "%d度W", -degrees);
  else if (degrees == 0)
    std::snprintf(text, sizeof text, "%d度", degrees);
  else
    std::snprintf(text, sizeof text, "%d度E", degrees);
  return text;
}

}  // namespace

const std::array<PackedOrigin, kPlaneSystemCount + 1>& PackedOriginTable() {
  static const std::array<PackedOrigin, kPlaneSystemCount + 1> table = {{
      {0, 0},
      {330000, 1293000}, {330000, 1310000}, {360000, 1321000}, {330000, 1333000},
      {360000, 1342000}, {360000, 1360000}, {360000, 1371000}, {360000, 1383000},
      {360000, 1395000}, {400000, 1405000}, {440000, 1401500}, {440000, 1421500},
      {440000, 1441500}, {260000, 1420000}, {260000, 1273000}, {260000, 1240000},
      {260000, 1310000}, {200000, 1360000}, {260000, 1540000},
  }};
  return table;
}

std::vector<std::pair<double, double>> DecodedOriginTable() {
  std::vector<std::pair<double, double>> origins;
  origins.reserve(PackedOriginTable().size());
  for (const PackedOrigin& row : PackedOriginTable())
    origins.emplace_back(DecodePackedDms(row.latitude), DecodePackedDms(row.longitude));
  return origins;
}

std::string PlaneSystemLabel(int32_t index) {
  if (index < 0 || index > kPlaneSystemCount) return {};
  return kPlaneSystemLabels[index];
}

std::string UtmZoneLabel(int32_t index) {
  if (index == 0) return "(座標帯を選択)";
  if (index < 0 || index > kUtmZoneCount) return {};
  const int west = -180 + 6 * (index - 1);
  const int east = west + 6;
  char label[48];
  std::snprintf(label, sizeof label, "第%d帯(%s～%s)", index, EdgeText(west).c_str(), EdgeText(east).c_str());
  return label;
}

std::string DescribeDataFrame(const std::optional<CoordRef>& dataFrameRef) {
  if (!dataFrameRef) return "無効な設定";
  const CoordRef& ref = *dataFrameRef;
  // JGD2011 is named, so that it is not taken for the JGD2000 of earlier maps.
  const char* datum = ref.datum == kDatumJgd2000   ? "世界測地系"
                      : ref.datum == kDatumJgd2011 ? "世界測地系(JGD2011)"
                                                   : "日本測地系";
  char text[128];
  if (ref.kind == kKindUtm)
    std::snprintf(text, sizeof text, "(%s UTM座標 第%d帯)", datum, ref.zone);
  else if (ref.kind == kKindPlane)
    std::snprintf(text, sizeof text, "(%s 平面直角座標 第%d系)", datum, ref.system);
  else
    std::snprintf(text, sizeof text, "(%s 緯度経度座標)", datum);
  return text;
}

std::optional<double> UtmCentralMeridian(int32_t zone) {
  if (zone < 1 || zone > kUtmZoneCount) return std::nullopt;
  return 6.0 * zone - 183;
}
