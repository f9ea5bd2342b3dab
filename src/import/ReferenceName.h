// The short name of a coordinate reference in the import's notes, such as
// "世界測地系(JGD2011) 平面直角座標 第9系".
#pragma once

#include <string>

#include "geodesy/CoordRef.h"

std::string ReferenceName(const CoordRef& ref);
