// Points and parts in the output system: x is longitude, plane Y or UTM E;
// y is latitude, plane X or UTM N. The same two doubles the Shapefile writer
// takes, so that parts go to it without a copy.
#pragma once

#include <vector>

#include "formats/ShapePolyRecord.h"

using MapPoint = ShapePoint;
using PointPart = ShapePart;
