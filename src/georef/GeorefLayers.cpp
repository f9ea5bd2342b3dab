#include "georef/GeorefLayers.h"

#include <string>

#include "host/AILayerSuite.h"
#include "host/SuitePointers.h"
#include "host/UnicodeString.h"

bool IsGeorefLayer(AILayerHandle layer) {
  AIUnicodeStringRef titleRef = nullptr;
  if (sAILayer->GetLayerTitle(layer, &titleRef) != kNoErr || !titleRef) return false;
  const std::string title = ai::UnicodeString::Adopt(titleRef).as_UTF8();
  if (title == kDataFrameLayerTitle) return true;
  for (const char* marker : kFourPointMarkerTitles) {
    if (title == marker) return true;
  }
  for (const char* marker : kThreePointMarkerTitles) {
    if (title == marker) return true;
  }
  return false;
}

AIErr FindLayerByTitle(const char* utf8Title, AILayerHandle& layer) {
  layer = nullptr;
  const ai::UnicodeString title(utf8Title);
  return sAILayer->GetLayerByTitle(&layer, title.Ref());
}

AIErr InsertTitledLayer(AIPaintOrder paintOrder, const char* utf8Title, AILayerHandle& layer) {
  layer = nullptr;
  if (AIErr err = sAILayer->InsertLayer(nullptr, paintOrder, &layer)) return err;
  const ai::UnicodeString title(utf8Title);
  return sAILayer->SetLayerTitle(layer, title.Ref());
}
