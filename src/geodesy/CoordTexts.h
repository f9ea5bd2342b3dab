// The tables and texts that go with coordinate references: the packed origin
// table of the plane rectangular systems, the labels of the system and zone
// lists, and the one-line description of a data frame's reference. Texts are
// UTF-8; callers turn them into host strings.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "geodesy/CoordRef.h"

struct PackedOrigin {
  double latitude;   // DDDMMSS.s
  double longitude;  // DDDMMSS.s
};

// Indexed by system number; row 0 is empty.
const std::array<PackedOrigin, kPlaneSystemCount + 1>& PackedOriginTable();

// The origin table decoded into (latitude, longitude) decimal degrees.
std::vector<std::pair<double, double>> DecodedOriginTable();

// List item `index` of the plane rectangular system list: 0 is the prompt.
std::string PlaneSystemLabel(int32_t index);
// List item `index` of the UTM zone list: 0 is the prompt.
std::string UtmZoneLabel(int32_t index);

constexpr int kPlaneSystemListWidth = 300;  // dropped width, pixels
constexpr int kUtmZoneListWidth = 180;

// "(世界測地系 平面直角座標 第9系)" and the like; "無効な設定" without a data frame.
std::string DescribeDataFrame(const std::optional<CoordRef>& dataFrameRef);

// Central meridian of a UTM zone in degrees; nothing for zones outside 1..60.
std::optional<double> UtmCentralMeridian(int32_t zone);
