// The parameter string a data frame keeps in its point text, e.g.
// G=JGD|P=XY9|X=-5000.000000|Y=-35000.000000|S=25000|R=0.000000
// A frame on JGD2011 has D=JGD2011 in place of the G item.
#pragma once

#include <string>
#include <string_view>

#include "georef/DataFrameParams.h"

// Longest stored text that is read; anything beyond is ignored.
inline constexpr size_t kMaxGeorefTextLength = 255;

std::string FormatDataFrameText(const DataFrameParams& params);

// Fills every field but the anchor. False, leaving `params` alone, when the
// text (cut to its first 255 characters) is not six "|"-separated items with
// each of the keys G (or D), P, X, Y, S, R exactly once, when G, D or P is none of the
// recognised forms, when a number is not finite or when the scale is not
// positive.
bool ParseDataFrameText(std::string_view text, DataFrameParams& params);
