// Layers named by title on the command line (--layer TITLE): a title that
// several layers share names none of them, so the tool refuses it rather than
// take the first.
#pragma once

#include <string>

namespace sim {
class Host;
class Layer;
}  // namespace sim

namespace kzmap {

// The one layer (top layer or sublayer) of the current document with the
// title; nothing, with the problem in the user's language, when no layer or
// several layers have it (each named by its path of titles).
sim::Layer* LayerTitled(sim::Host& host, const std::string& title, std::string& problem);

}  // namespace kzmap
