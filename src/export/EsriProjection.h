// The coordinate reference of an exported file as the ESRI well-known text
// that GIS software reads from a .prj file beside a Shapefile, made by PROJ
// from its EPSG database.
#pragma once

#include <string>

#include "geodesy/CoordRef.h"

// The EPSG code of the reference: JGD2000 4612, its plane systems 2443-2461
// and UTM zones 51-55 3097-3101; JGD2011 6668, 6669-6687 and 6688-6692;
// Tokyo 4301, 30161-30179 and 3092-3096; WGS 84 4326 and UTM 32601-32660.
// 0 for references EPSG has no code for (other UTM zones of the Japanese
// datums, plane systems on WGS 84).
int EpsgCode(const CoordRef& ref);

// The text; empty when the reference names no system or PROJ cannot make it.
std::string EsriProjectionText(const CoordRef& ref);
