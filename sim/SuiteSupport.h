// Shared by the stand-in suites' C entry points: finding the host, the
// current document and the objects behind handles.
#pragma once

#include "sim/Host.h"

namespace sim::support {

inline Host* H() { return Host::Current(); }
inline Document* Doc() {
  Host* host = H();
  return host ? host->CurrentDocument() : nullptr;
}
// The entry of a suite call that names art: a safe point, where no
// reference into any art's body is held.
inline Art* ArtOf(AIArtHandle handle) {
  Host* host = H();
  if (!host) return nullptr;
  if (const Document* document = host->CurrentDocument()) document->Trim();
  return host->ArtOf(handle);
}
inline Layer* LayerOf(AILayerHandle handle) { return H() ? H()->LayerOf(handle) : nullptr; }
inline AIArtHandle HandleOf(Art* art) { return reinterpret_cast<AIArtHandle>(art); }
inline AILayerHandle HandleOf(Layer* layer) { return reinterpret_cast<AILayerHandle>(layer); }

// Reference objects behind counted handles.
template <typename T, typename Handle>
T* Raw(Handle handle) {
  return reinterpret_cast<T*>(handle);
}
template <typename Handle, typename T>
Handle HandleTo(T* object) {
  return reinterpret_cast<Handle>(object);
}

}  // namespace sim::support

// Early returns for the common argument checks.
#define SIM_REQUIRE(condition, code) \
  do {                               \
    if (!(condition)) return (code); \
  } while (0)
#define SIM_ART(var, handle)              \
  ::sim::Art* var = support::ArtOf(handle); \
  if (!var) return kBadArtErr
#define SIM_LAYER(var, handle)                  \
  ::sim::Layer* var = support::LayerOf(handle); \
  if (!var) return kBadArtErr
#define SIM_DOC(var)                     \
  ::sim::Document* var = support::Doc(); \
  if (!var) return kNoDocumentErr
