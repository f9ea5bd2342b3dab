// A map whose layers are saved as many runs of art, with sublayers between
// them and every kind of art: what tests of runs and of art left in the
// file work on.
#pragma once

#include "sim/Host.h"

namespace kztest {

// Layers of every kind of art, sublayers between runs, points with rows
// over a megabyte (several runs of kRunBytes), and the farthest coordinate
// in a big run, another in a small one (runs of 64 KiB: kRunBytes).
void BuildMapOfRuns(sim::Host& host);

}  // namespace kztest
