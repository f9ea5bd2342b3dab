#include "sim/Document.h"

#include <algorithm>

#include "sim/DocumentFormat.h"

namespace sim {

namespace {


bool AcceptsChild(const Art* container, const Art* child) {
  if (container->type == kCompoundPathArt) return child->type == kPathArt;
  return container->type == kGroupArt;
}

}  // namespace

size_t Art::IndexInParent() {
  const ArtList& siblings = parent->children;
  if (siblingHint >= siblings.size() || siblings[siblingHint] != this) {
    siblingHint = static_cast<uint32_t>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
  }
  return siblingHint;
}

ArtExtras& Art::EditExtras() {
  if (!extras) extras = std::make_unique<ArtExtras>();
  return *extras;
}

const ArtExtras& Art::NoExtras() {
  static const ArtExtras none;
  return none;
}

Art* Document::MakeArt(AIArtType type) {
  Art* art = artStore.Make();
  art->type = type;
  return art;
}

bool Document::Contains(const Art* ancestor, const Art* art) const {
  for (const Art* step = art; step; step = step->parent) {
    if (step == ancestor) return true;
  }
  return false;
}

AIErr Document::Place(Art* art, AIPaintOrder order, Art* prep) {
  if (!art || art->disposed) return kBadArtErr;
  if (order == kPlaceAboveAll || order == kPlaceBelowAll) {
    if (!currentLayer) return kNoDocumentErr;
    prep = currentLayer->group;
    order = order == kPlaceAboveAll ? kPlaceInsideOnTop : kPlaceInsideOnBottom;
  }
  if (!prep || prep->disposed) return kBadParameterErr;
  if (Contains(art, prep)) return kBadParameterErr;  // art cannot go inside itself
  Art* parent = nullptr;
  size_t index = 0;
  switch (order) {
    case kPlaceInsideOnTop:
    case kPlaceInsideOnBottom:
      parent = prep;
      if (!AcceptsChild(parent, art)) return kBadParameterErr;
      index = order == kPlaceInsideOnTop ? 0 : parent->children.size();
      break;
    case kPlaceAbove:
    case kPlaceBelow: {
      parent = prep->parent;
      if (!parent || !AcceptsChild(parent, art)) return kBadParameterErr;
      break;
    }
    default:
      return kBadParameterErr;
  }
  Detach(art);
  // A layer's art still in the file stays there.
  if (order == kPlaceInsideOnTop && parent->children.Pending()) {
    lazy.PlaceOnTop(parent->children, art);
    art->parent = parent;
    art->siblingHint = 0;
    return kNoErr;
  }
  if (order == kPlaceAbove || order == kPlaceBelow) {
    index = prep->IndexInParent() + (order == kPlaceBelow ? 1 : 0);
  }
  parent->children.insert(parent->children.begin() + static_cast<std::ptrdiff_t>(index), art);
  art->parent = parent;
  art->siblingHint = static_cast<uint32_t>(index);
  return kNoErr;
}

void Document::Detach(Art* art) {
  if (!art->parent) return;
  if (art->parent->children.Pending() && lazy.TakeOut(art->parent->children, art)) {
    art->parent = nullptr;
    return;
  }
  ArtList& siblings = art->parent->children;
  siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(art->IndexInParent()));
  art->parent = nullptr;
}

void Document::Dispose(Art* art) {
  Detach(art);
  std::vector<Art*> pending{art};
  while (!pending.empty()) {
    Art* next = pending.back();
    pending.pop_back();
    next->disposed = true;
    for (Art* child : next->children) pending.push_back(child);
    if (next->ownerLayer) next->ownerLayer->deleted = true;
  }
}

Layer* Document::NewLayer() {
  layerStore.push_back(std::make_unique<Layer>());
  Layer* layer = layerStore.back().get();
  owned.insert(layer);
  layer->group = MakeArt(kGroupArt);
  layer->group->ownerLayer = layer;
  return layer;
}

Layer* Document::AppendLayer(Layer* parent) {
  Layer* layer = NewLayer();
  layer->parent = parent;
  if (parent) {
    layer->group->parent = parent->group;
    parent->group->children.push_back(layer->group);
    parent->sublayers.push_back(layer);
  } else {
    layers.push_back(layer);
  }
  return layer;
}

AIErr Document::InsertLayer(Layer* reference, AIPaintOrder order, Layer** newLayer) {
  if (!newLayer) return kBadParameterErr;
  *newLayer = nullptr;
  if (reference && reference->deleted) return kBadParameterErr;
  const bool relative = order != kPlaceAboveAll && order != kPlaceBelowAll;
  if (relative && !reference) return kBadParameterErr;
  if (order < kPlaceAbove || order > kPlaceBelowAll) return kBadParameterErr;

  Layer* layer = NewLayer();
  if (order == kPlaceAboveAll) {
    layers.insert(layers.begin(), layer);
  } else if (order == kPlaceBelowAll) {
    layers.push_back(layer);
  } else if (order == kPlaceInsideOnTop || order == kPlaceInsideOnBottom) {
    layer->parent = reference;
    Place(layer->group, order, reference->group);
    auto& sublayers = reference->sublayers;
    sublayers.insert(order == kPlaceInsideOnTop ? sublayers.begin() : sublayers.end(), layer);
  } else if (reference->parent) {
    layer->parent = reference->parent;
    Place(layer->group, order, reference->group);
    auto& sublayers = reference->parent->sublayers;
    auto at = std::find(sublayers.begin(), sublayers.end(), reference);
    if (order == kPlaceBelow) ++at;
    sublayers.insert(at, layer);
  } else {
    auto at = std::find(layers.begin(), layers.end(), reference);
    if (order == kPlaceBelow) ++at;
    layers.insert(at, layer);
  }
  if (!currentLayer) currentLayer = layer;
  *newLayer = layer;
  return kNoErr;
}

void Document::DeleteLayer(Layer* layer) {
  if (layer->parent) {
    auto& sublayers = layer->parent->sublayers;
    sublayers.erase(std::remove(sublayers.begin(), sublayers.end(), layer), sublayers.end());
    Dispose(layer->group);
  } else {
    layers.erase(std::remove(layers.begin(), layers.end(), layer), layers.end());
    Dispose(layer->group);
  }
  layer->deleted = true;
  if (currentLayer && currentLayer->deleted) currentLayer = layers.empty() ? nullptr : layers.front();
}

std::vector<Layer*> Document::AllLayers() const {
  std::vector<Layer*> result;
  std::vector<Layer*> pending(layers.rbegin(), layers.rend());
  while (!pending.empty()) {
    Layer* layer = pending.back();
    pending.pop_back();
    result.push_back(layer);
    pending.insert(pending.end(), layer->sublayers.rbegin(), layer->sublayers.rend());
  }
  return result;
}

Layer* Document::LayerOfArt(const Art* art) const {
  for (const Art* step = art; step; step = step->parent) {
    if (step->ownerLayer) return step->ownerLayer;
  }
  return nullptr;
}

void Document::Walk(const Art* root, const std::function<void(Art*)>& visit) const {
  for (Art* child : root->children) {
    visit(child);
    Walk(child, visit);
  }
}

void Document::WalkMaybeSelected(const Art* root, const std::function<void(Art*)>& visit) const {
  root->children.ReadSelected();
  for (Art* child : root->children.Present()) {
    visit(child);
    WalkMaybeSelected(child, visit);
  }
}

void Document::SetSelected(Art* art, bool selected) {
  auto mark = [selected](Art* a) {
    if (a->ownerLayer) return;
    a->userAttributes = selected ? (a->userAttributes | kArtSelected) : (a->userAttributes & ~kArtSelected);
  };
  mark(art);
  Walk(art, mark);
  // Containers are selected while any of their contents is.
  for (Art* container = art->parent; container && !container->ownerLayer; container = container->parent) {
    const bool any = std::any_of(container->children.begin(), container->children.end(),
                                 [](const Art* c) { return (c->userAttributes & kArtSelected) != 0; });
    container->userAttributes = any ? (container->userAttributes | kArtSelected)
                                    : (container->userAttributes & ~kArtSelected);
  }
}

bool Document::FullySelected(const Art* art) const {
  if (!(art->userAttributes & kArtSelected)) return false;
  return std::all_of(art->children.begin(), art->children.end(), [this](const Art* c) { return FullySelected(c); });
}

uint64_t Document::CountOfType(const Art* root, AIArtType type) const {
  const size_t kind = static_cast<size_t>(PackedKindOf(type));
  uint64_t count = 0;
  if (const PendingArt* pending = root->children.Pending()) {
    for (const PendingArt::Run& run : pending->runs) count += run.summary.kinds[kind];
  }
  for (const Art* child : root->children.Present()) {
    if (child->type == type && !(type == kPathArt && root->type == kCompoundPathArt)) ++count;
    count += CountOfType(child, type);
  }
  return count;
}

bool Document::LayerHasSelection(const Layer* layer) const {
  bool any = false;
  WalkMaybeSelected(layer->group, [&any](Art* art) { any = any || (art->userAttributes & kArtSelected); });
  return any;
}

}  // namespace sim
