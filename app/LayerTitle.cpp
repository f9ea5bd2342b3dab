#include "app/LayerTitle.h"

#include <vector>

#include "app/TerminalText.h"
#include "app/Translate.h"
#include "sim/Host.h"

namespace kzmap {

namespace {

// "地図 > 道路": the titles from the top layer down.
std::string PathOf(const sim::Layer& layer) {
  std::string path;
  for (const sim::Layer* at = &layer; at; at = at->parent)
    path = "\"" + TerminalSafe(sim::Host::Title(*at)) + "\"" + (path.empty() ? "" : " > " + path);
  return path;
}

}  // namespace

sim::Layer* LayerTitled(sim::Host& host, const std::string& title, std::string& problem) {
  const sim::Document* document = host.CurrentDocument();
  if (!document) return nullptr;
  std::vector<sim::Layer*> found;
  for (sim::Layer* layer : document->AllLayers())
    if (sim::Host::Title(*layer) == title) found.push_back(layer);
  if (found.size() == 1) return found.front();
  if (found.empty()) {
    std::string titles;
    for (const sim::Layer* layer : document->AllLayers()) titles += (titles.empty() ? "" : ", ") + PathOf(*layer);
    problem = Format(Tr("no layer is titled \"%s\" (layers: %s)"), TerminalSafe(title).c_str(), titles.c_str());
    return nullptr;
  }
  std::string paths;
  for (const sim::Layer* layer : found) paths += (paths.empty() ? "" : "; ") + PathOf(*layer);
  problem = Format(Tr("%zu layers are titled \"%s\": %s; give each layer a title of its own to choose one"),
                   found.size(), TerminalSafe(title).c_str(), paths.c_str());
  return nullptr;
}

}  // namespace kzmap
