// The stand-in host's suite tables, and the conversions its suites share.
#pragma once

#include <string>

#include "host/AIATEPaintSuite.h"
#include "host/AIArraySuite.h"
#include "host/AIArtSetSuite.h"
#include "host/AIArtSuite.h"
#include "host/AIBlendStyleSuite.h"
#include "host/AIContextSuite.h"
#include "host/AIDictionarySuite.h"
#include "host/AIDocumentSuite.h"
#include "host/AIEntrySuite.h"
#include "host/AILayerSuite.h"
#include "host/AIMenuSuite.h"
#include "host/AIModalParentSuite.h"
#include "host/AIPanelFlyoutMenuSuite.h"
#include "host/AIPanelSuite.h"
#include "host/AIPathStyleSuite.h"
#include "host/AIPathSuite.h"
#include "host/AIPreferenceSuite.h"
#include "host/AIRealBezierSuite.h"
#include "host/AIRealMathSuite.h"
#include "host/AIShapeConstructionSuite.h"
#include "host/AITagSuite.h"
#include "host/AITextFrameSuite.h"
#include "host/AIURLSuite.h"
#include "host/AIUserInterfaceThemeSuite.h"
#include "host/AIUserSuite.h"
#include "host/ATEApplicationPaintSuite.h"
#include "host/ATECharFeaturesSuite.h"
#include "host/ATEParaFeaturesSuite.h"
#include "host/ATETextRangeSuite.h"

namespace sim {

const AIArtSuite* ArtSuite();
const AIArtSetSuite* ArtSetSuite();
const AILayerSuite* LayerSuite();
const AIDictionarySuite* DictionarySuite();
const AIArraySuite* ArraySuite();
const AIEntrySuite* EntrySuite();
const AITagSuite* TagSuite();
const AIPathSuite* PathSuite();
const AIPathStyleSuite* PathStyleSuite();
const AIBlendStyleSuite* BlendStyleSuite();
const AIShapeConstructionSuite* ShapeConstructionSuite();
const AIRealBezierSuite* RealBezierSuite();
const AIRealMathSuite* RealMathSuite();
const AITextFrameSuite* TextFrameSuite();
const ATETextRangeSuite* TextRangeSuite();
const ATECharFeaturesSuite* CharFeaturesSuite();
const ATEParaFeaturesSuite* ParaFeaturesSuite();
const AIATEPaintSuite* ATEPaintSuite();
const ATEApplicationPaintSuite* ApplicationPaintSuite();
const AIDocumentSuite* DocumentSuite();
const AIUserSuite* UserSuite();
const AIContextSuite* ContextSuite();
const AIModalParentSuite* ModalParentSuite();
const AIPreferenceSuite* PreferenceSuite();
const AIUserInterfaceThemeSuite* UserInterfaceThemeSuite();
const AIURLSuite* URLSuite();
const AIMenuSuite* MenuSuite();
const AIPanelSuite* PanelSuite();
const AIPanelFlyoutMenuSuite* PanelFlyoutMenuSuite();

// Host strings and paths to and from the model's texts.
std::u16string UnitsOf(AIUnicodeStringRef text);
AIUnicodeStringRef NewString(const std::u16string& units);
std::string PathOf(AIFilePathRef path);  // empty for null
AIFilePathRef NewPath(const std::string& path);

}  // namespace sim
