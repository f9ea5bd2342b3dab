// A map read for its summary alone (kzmap info, the import's look for a
// georeference): big runs of art are stepped over and only counted, while
// the layers the georeference is read from are read whole.
#pragma once

#include <cstdint>
#include <string>

#include "sim/DocumentFormat.h"

namespace sim {
class Host;
struct Document;
}  // namespace sim

namespace kzmap {

// Reads runs of up to runsUpTo bytes, and every run of the data frame and
// marker layers.
sim::SummaryReading GeoreferenceSummary(uint64_t runsUpTo = sim::kSummaryReadsRunsUpTo);

// Opens the map at path in the host that way; throws as LoadDocumentFile.
sim::Document& LoadMapSummary(sim::Host& host, const std::string& path,
                              uint64_t runsUpTo = sim::kSummaryReadsRunsUpTo);

}  // namespace kzmap
