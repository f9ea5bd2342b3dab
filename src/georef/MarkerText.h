// The text of a coordinate marker: northing or latitude, "&", easting or
// longitude. Each part is a decimal number ("%f&%f") or, when the text holds
// at least four "/", degrees/minutes/seconds ("35/30/0.000000&139/45/0.000000").
#pragma once

#include <string>
#include <string_view>

#include "georef/MarkerSet.h"
#include "georef/Point2D.h"

// An angle split into degrees, minutes and seconds; the sign is kept apart so
// that angles between −1° and 0° keep it.
struct DmsParts {
  bool negative = false;
  int degrees = 0;  // magnitude
  int minutes = 0;
  double seconds = 0;
};

// The text (cut to its first 255 characters) split at its first "&" and read;
// `map` gets (easting, northing). False when there is no "&" or a value is not
// finite; `parts` holds the two texts whenever there is an "&".
bool ParseMarkerText(std::string_view text, Point2D& map, MarkerTextParts& parts);

// One D/M/S part: "-" before the degrees makes the whole angle negative.
double ParseDmsText(std::string_view part);

std::string FormatDecimalMarkerText(double northing, double easting);
std::string FormatDmsMarkerText(const DmsParts& latitude, const DmsParts& longitude);
