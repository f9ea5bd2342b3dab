// The layers that hold a document's georeference: the data frame layer and
// the coordinate marker layers, found by their exact titles.
#pragma once

#include <array>

#include "host/HostTypes.h"

inline constexpr const char* kDataFrameLayerTitle = "Kartzmap DataFrame";

// Reading order: lower left, upper left, upper right, lower right.
inline constexpr std::array<const char*, 4> kFourPointMarkerTitles{
    "4点座標マーカー 左下", "4点座標マーカー 左上", "4点座標マーカー 右上", "4点座標マーカー 右下"};
inline constexpr std::array<const char*, 3> kThreePointMarkerTitles{
    "3点座標マーカー 1/3", "3点座標マーカー 2/3", "3点座標マーカー 3/3"};

// True for the data frame layer and the seven marker layers (titles compared
// byte for byte); false when the title can't be read.
bool IsGeorefLayer(AILayerHandle layer);

// The first layer (sublayers included) titled exactly `utf8Title`; null with
// 0 when there is none.
AIErr FindLayerByTitle(const char* utf8Title, AILayerHandle& layer);

// A new layer at the given place, titled `utf8Title`.
AIErr InsertTitledLayer(AIPaintOrder paintOrder, const char* utf8Title, AILayerHandle& layer);
