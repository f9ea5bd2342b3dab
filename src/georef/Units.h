// Artboard points and ground metres. One point is 1/72 inch.
#pragma once

inline constexpr double kMetresPerPoint = 0.00035277777777777776;  // 0.0254 / 72
inline constexpr double kPointsPerMetre = 2834.645669291339;       // 72 / 0.0254

constexpr double PointsToMetres(double points) { return points * 0.0254 / 72; }
constexpr double MetresToPoints(double metres) { return metres * 72 / 0.0254; }
