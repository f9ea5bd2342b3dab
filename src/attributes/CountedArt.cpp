#include "attributes/CountedArt.h"

#include "host/AIArtSuite.h"
#include "host/AIPathSuite.h"
#include "host/SuitePointers.h"

namespace {

AIErr CountsByType(AIArtHandle art, AIArtType* type, bool* counts) {
  *counts = false;
  AIErr error = sAIArt->GetArtType(art, type);
  if (error != kNoErr) return error;
  switch (*type) {
    case kGroupArt: {
      AIBoolean layerGroup = false;
      error = sAIArt->IsArtLayerGroup(art, &layerGroup);
      if (error != kNoErr) return error;
      *counts = !layerGroup;
      return kNoErr;
    }
    case kPathArt:
    case kCompoundPathArt:
    case kTextFrameArt:
    case kSymbolArt:
      *counts = true;
      return kNoErr;
    default:
      return kNoErr;
  }
}

AIErr IsFullySelected(AIArtHandle art, bool* selected) {
  int32_t attributes = 0;
  AIErr error = sAIArt->GetArtUserAttr(art, kArtFullySelected, &attributes);
  *selected = error == kNoErr && (attributes & kArtFullySelected) != 0;
  return error;
}

}  // namespace

AIErr CountsByType(AIArtHandle art, bool* counts) {
  AIArtType type = kUnknownArt;
  return CountsByType(art, &type, counts);
}

AIErr CountsInSelection(AIArtHandle art, bool* counts) {
  AIArtType type = kUnknownArt;
  AIErr error = CountsByType(art, &type, counts);
  if (error != kNoErr || !*counts) return error;
  *counts = false;
  if (type == kGroupArt || type == kCompoundPathArt) {
    bool fully = false;
    error = IsFullySelected(art, &fully);
    if (error != kNoErr || !fully) return error;
  }
  if (type == kPathArt) {
    AIBoolean guide = false;
    error = sAIPath->GetPathGuide(art, &guide);
    if (error != kNoErr || guide) return error;
  }
  if (type == kPathArt || type == kCompoundPathArt) {
    AIBoolean clip = false;
    error = sAIPath->GetPathIsClip(art, &clip);
    if (error != kNoErr || clip) return error;
  }
  *counts = true;
  return kNoErr;
}
