// RAII holders for counted host references (dictionaries, arrays, entries,
// art sets, text ranges and features, paints), so that every reference a
// suite hands out is released exactly once on every path.
#pragma once

#include <utility>

#include "host/AIArraySuite.h"
#include "host/AIArtSetSuite.h"
#include "host/AIDictionarySuite.h"
#include "host/AIEntrySuite.h"
#include "host/ATEApplicationPaintSuite.h"
#include "host/ATECharFeaturesSuite.h"
#include "host/ATEParaFeaturesSuite.h"
#include "host/ATETextRangeSuite.h"
#include "host/SuitePointers.h"

namespace ai {

template <typename Ref, void (*ReleaseRef)(Ref)>
class HostRef {
 public:
  HostRef() = default;
  // Takes over a reference the caller owns.
  explicit HostRef(Ref adopted) : ref(adopted) {}
  HostRef(const HostRef&) = delete;
  HostRef& operator=(const HostRef&) = delete;
  HostRef(HostRef&& other) noexcept : ref(std::exchange(other.ref, nullptr)) {}
  HostRef& operator=(HostRef&& other) noexcept {
    if (this != &other) {
      reset();
      ref = std::exchange(other.ref, nullptr);
    }
    return *this;
  }
  ~HostRef() { reset(); }

  Ref get() const { return ref; }
  explicit operator bool() const { return ref != nullptr; }
  // Releases the held reference and gives the slot for an out-parameter.
  Ref* put() {
    reset();
    return &ref;
  }
  Ref release() { return std::exchange(ref, nullptr); }
  void reset() {
    if (ref) ReleaseRef(std::exchange(ref, nullptr));
  }

 private:
  Ref ref = nullptr;
};

namespace detail {
inline void ReleaseDictionary(AIDictionaryRef r) { sAIDictionary->Release(r); }
inline void ReleaseArray(AIArrayRef r) { sAIArray->Release(r); }
inline void ReleaseEntry(AIEntryRef r) { sAIEntry->Release(r); }
inline void DisposeArtSet(AIArtSet r) { sAIArtSet->DisposeArtSet(&r); }
inline void ReleaseTextRange(ATETextRangeRef r) { sATETextRange->Release(r); }
inline void ReleaseCharFeatures(ATECharFeaturesRef r) { sATECharFeatures->Release(r); }
inline void ReleaseParaFeatures(ATEParaFeaturesRef r) { sATEParaFeatures->Release(r); }
inline void ReleasePaint(ATEApplicationPaintRef r) { sATEApplicationPaint->Release(r); }
}  // namespace detail

using DictionaryRef = HostRef<AIDictionaryRef, detail::ReleaseDictionary>;
using ArrayRef = HostRef<AIArrayRef, detail::ReleaseArray>;
using EntryRef = HostRef<AIEntryRef, detail::ReleaseEntry>;
using ArtSetRef = HostRef<AIArtSet, detail::DisposeArtSet>;
using TextRangeRef = HostRef<ATETextRangeRef, detail::ReleaseTextRange>;
using CharFeaturesRef = HostRef<ATECharFeaturesRef, detail::ReleaseCharFeatures>;
using ParaFeaturesRef = HostRef<ATEParaFeaturesRef, detail::ReleaseParaFeatures>;
using PaintRef = HostRef<ATEApplicationPaintRef, detail::ReleasePaint>;

}  // namespace ai
