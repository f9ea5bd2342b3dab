// The stand-in host's document: plain data that can be walked and written out
// whole. A document owns every layer and art object it ever made (disposed
// ones are only marked), so host handles stay valid pointers for the life of
// the document.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "host/AIPathStyleSuite.h"
#include "host/AIPathSuite.h"
#include "host/AITextFrameSuite.h"
#include "host/HostTypes.h"
#include "sim/ArtArena.h"
#include "sim/ArtList.h"
#include "sim/ArtSpill.h"
#include "sim/LazyArt.h"
#include "sim/PathSegments.h"
#include "sim/StylePool.h"
#include "sim/Values.h"

namespace sim {

// An old-style tag on art: typed by name ("string", "boolean", "real").
struct Tag {
  std::string name;
  std::string type;
  std::string text;  // 8-bit text of string tags
  double real = 0;
  bool boolean = false;
};

struct TextData {
  AIRealPoint anchor;
  AITextOrientation orientation = kHorizontalTextOrientation;
  AITextFrameType frameType = kPointTextType;
  std::u16string contents;
  bool fillAssigned = false;
  AIColor fill;
  bool justificationAssigned = false;
  int32_t justification = 0;
  AIReal fontSize = 12;  // points
};

struct Layer;

// What few objects have: kept out of line, made on first use.
struct ArtExtras {
  TextData text;            // text frames
  std::string symbolName;   // symbol instances
  AIRealRect symbolBounds;  // symbol instances: the placed symbol's bounds
  std::vector<Tag> tags;
};

// Fields ordered by size, so that a million of them waste nothing on padding.
struct Art {
 private:
  friend class ArtSpill;
  const AIPathStyle* style = nullptr;  // kept by the document's StylePool
  std::unique_ptr<ArtExtras> extras;
  // The body: what most of a big map's memory is. A document may set it
  // aside on disk (ArtSpill); reaching it through Segments() or Dict()
  // brings it back first.
  PathSegments segments;        // paths
  DictPtr dictionary;           // made on first use

 public:
  Art* parent = nullptr;
  ArtList children;             // topmost first
  Layer* ownerLayer = nullptr;  // set on a layer's group only
  AIArtType type = kUnknownArt;
  int32_t userAttributes = 0;   // kArtSelected, kArtLocked, kArtHidden
  AIReal opacity = 1;
  uint32_t siblingHint = 0;     // where the art last stood among its siblings (checked before use)
  bool disposed = false;
  bool skipped = false;         // the host's own art that plug-ins leave alone
  bool closed = false;          // paths
  bool guide = false;           // paths
  bool clip = false;            // paths and compound paths

 private:
  bool setAside = false;        // the body is on disk

 public:
  const PathSegments& Segments() const {
    if (setAside) BringBack();
    return segments;
  }
  PathSegments& Segments() {
    if (setAside) BringBack();
    return segments;
  }
  const DictPtr& Dict() const {
    if (setAside) BringBack();
    return dictionary;
  }
  DictPtr& Dict() {
    if (setAside) BringBack();
    return dictionary;
  }
  bool BodySetAside() const { return setAside; }

  bool IsContainer() const { return type == kGroupArt || type == kCompoundPathArt; }
  bool IsLayerGroup() const { return ownerLayer != nullptr; }
  // Where the art stands among its parent's children (it must have a
  // parent); walking siblings in order finds each at once.
  size_t IndexInParent();

  // Paint of paths and compound paths; a document keeps each distinct
  // style once (Document::SetStyle).
  const AIPathStyle& Style() const { return style ? *style : StylePool::Default(); }
  const AIPathStyle* StylePointer() const { return style; }
  void ShareStyle(const AIPathStyle* kept) { style = kept; }

  // Text, symbol and tags: empty ones when the art has none.
  const ArtExtras& Extras() const { return extras ? *extras : NoExtras(); }
  // Makes them on first use.
  ArtExtras& EditExtras();
  bool HasExtras() const { return extras != nullptr; }

 private:
  static const ArtExtras& NoExtras();
  // Reads the body back from the document's store (ArtSpill.cpp).
  void BringBack() const;
};

struct Layer {
  std::u16string title;
  bool visible = true;
  bool editable = true;
  AIThreeColorStyle color{0.31f, 0.5f, 1.0f};  // selection colour shown for the layer's art
  Art* group = nullptr;    // root of the layer's art tree
  Layer* parent = nullptr; // null for top-level layers
  std::vector<Layer*> sublayers;  // topmost first, in the order of their groups among the group's art
  bool deleted = false;
};

struct Document {
  AIRealRect bounds{0, 842, 595, 0};  // page rectangle, y up
  std::string filePath;               // empty until saved
  std::vector<Layer*> layers;         // top-level layers, topmost first
  Layer* currentLayer = nullptr;
  int textCreationDepth = 0;
  int textCreationCount = 0;  // brackets opened so far

  bool closed = false;
  // Set by a summary load: the big art runs were skipped, so the document
  // is not the map and is never saved.
  bool summaryOnly = false;
  std::unordered_map<const Layer*, UnreadArt> unread;

  Arena<Art> artStore;
  // Bodies of art not used lately, set aside at safe points (Trim); what
  // the document holds does not change by it.
  mutable ArtSpill spill{artStore};
  // Layers' art left in the map file until something reaches it.
  LazyArt lazy{*this};
  StylePool styles;
  std::vector<std::unique_ptr<Layer>> layerStore;
  std::unordered_set<const void*> owned;  // every layer made here

  // Whether the handle names live art or a live layer of this document.
  bool Owns(const Art* art) const { return art && artStore.Holds(art) && !art->disposed; }
  bool Owns(const Layer* layer) const { return layer && owned.count(layer) && !layer->deleted; }

  // New detached art of the type.
  Art* MakeArt(AIArtType type);
  // A safe point: nobody holds a reference into any art's segments or
  // dictionary, so the bodies of art not used lately may be set aside.
  void Trim() const { spill.Trim(); }
  // Gives art the style, shared with every other art of the same style.
  void SetStyle(Art* art, const AIPathStyle& style) { art->ShareStyle(styles.Intern(style)); }
  // Changes art's style through edit, leaving any art that shared it alone.
  template <typename Edit>
  void EditStyle(Art* art, Edit edit) {
    AIPathStyle style = art->Style();
    edit(style);
    SetStyle(art, style);
  }
  // Inserts detached art by the paint order relative to prep; kNoErr or a
  // host code. The AboveAll/BelowAll orders use the current layer's group.
  AIErr Place(Art* art, AIPaintOrder order, Art* prep);
  void Detach(Art* art);
  // Detaches and marks the art and its contents disposed.
  void Dispose(Art* art);
  bool Contains(const Art* ancestor, const Art* art) const;

  // New layer placed by the paint order relative to reference.
  AIErr InsertLayer(Layer* reference, AIPaintOrder order, Layer** newLayer);
  // New empty layer below every other of parent's sublayers (or of the
  // top-level layers), as a file lists them from the top down.
  Layer* AppendLayer(Layer* parent);
  // A new layer with its group, not yet placed.
  Layer* NewLayer();
  void DeleteLayer(Layer* layer);
  const std::vector<Layer*>& Sublayers(const Layer* layer) const { return layer->sublayers; }
  // The list (top-level, or the parent's sublayers) that holds the layer.
  const std::vector<Layer*>& SiblingLayers(const Layer* layer) const {
    return layer->parent ? layer->parent->sublayers : layers;
  }
  // Every layer, sublayers after their parent, topmost first.
  std::vector<Layer*> AllLayers() const;
  Layer* LayerOfArt(const Art* art) const;

  // Every art object below root in document order (each before its
  // contents), root itself excluded.
  void Walk(const Art* root, const std::function<void(Art*)>& visit) const;

  // The same, stepping over the runs of art a layer left in its file that
  // hold nothing selected (walks that look for the selection).
  void WalkMaybeSelected(const Art* root, const std::function<void(Art*)>& visit) const;

  // Selection: selecting art selects all its contents and marks its
  // containers (below the layer group) as partly selected.
  void SetSelected(Art* art, bool selected);
  bool FullySelected(const Art* art) const;
  bool LayerHasSelection(const Layer* layer) const;
  // How many objects of a type the art under root holds (sublayers'
  // too), without reading art left in the file: its runs' heads count it.
  // Types the file counts apart only: group, path (not compound members),
  // compound path, text, symbol.
  uint64_t CountOfType(const Art* root, AIArtType type) const;
};

}  // namespace sim
