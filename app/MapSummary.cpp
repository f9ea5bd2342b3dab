#include "app/MapSummary.h"

#include "georef/GeorefLayers.h"
#include "sim/DocumentFile.h"
#include "sim/TextCodec.h"

namespace kzmap {

sim::SummaryReading GeoreferenceSummary(uint64_t runsUpTo) {
  sim::SummaryReading summary;
  summary.runsUpTo = runsUpTo;
  summary.wholeLayers.push_back(sim::Utf8ToUtf16(kDataFrameLayerTitle));
  for (const char* title : kFourPointMarkerTitles) summary.wholeLayers.push_back(sim::Utf8ToUtf16(title));
  for (const char* title : kThreePointMarkerTitles) summary.wholeLayers.push_back(sim::Utf8ToUtf16(title));
  return summary;
}

sim::Document& LoadMapSummary(sim::Host& host, const std::string& path, uint64_t runsUpTo) {
  return sim::LoadDocumentSummary(host, path, GeoreferenceSummary(runsUpTo));
}

}  // namespace kzmap
