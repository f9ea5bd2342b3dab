// Each suite header's name and version must be the ones of the suite table,
// or the plug-in would acquire one suite and call it as another.
#include <gtest/gtest.h>

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
#include "host/AIFilePathSuite.h"
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
#include "host/AIUnicodeStringSuite.h"
#include "host/AIUserInterfaceThemeSuite.h"
#include "host/AIUserSuite.h"
#include "host/ATEApplicationPaintSuite.h"
#include "host/ATECharFeaturesSuite.h"
#include "host/ATEParaFeaturesSuite.h"
#include "host/ATETextRangeSuite.h"
#include "host/HostRef.h"
#include "host/SuitePointers.h"

namespace {

struct Declared {
  const char* name;
  int32_t version;
  HostSuiteInfo table;
};

#define KZ_DECLARED(Id) Declared{k##Id##Suite, k##Id##SuiteVersion, k##Id##SuiteInfo}
const Declared kDeclared[] = {
    KZ_DECLARED(AIATEPaint),       KZ_DECLARED(AIArray),          KZ_DECLARED(AIArtSet),
    KZ_DECLARED(AIArt),            KZ_DECLARED(AIBlendStyle),     KZ_DECLARED(AIContext),
    KZ_DECLARED(AIDictionary),     KZ_DECLARED(AIDocument),       KZ_DECLARED(AIEntry),
    KZ_DECLARED(AIFilePath),       KZ_DECLARED(AILayer),          KZ_DECLARED(AIMenu),
    KZ_DECLARED(AIModalParent),    KZ_DECLARED(AIPanelFlyoutMenu), KZ_DECLARED(AIPanel),
    KZ_DECLARED(AIPathStyle),      KZ_DECLARED(AIPath),           KZ_DECLARED(AIPreference),
    KZ_DECLARED(AIRealBezier),     KZ_DECLARED(AIRealMath),       KZ_DECLARED(AIShapeConstruction),
    KZ_DECLARED(AITag),            KZ_DECLARED(AITextFrame),      KZ_DECLARED(AIURL),
    KZ_DECLARED(AIUnicodeString),  KZ_DECLARED(AIUserInterfaceTheme), KZ_DECLARED(AIUser),
    KZ_DECLARED(ATEApplicationPaint), KZ_DECLARED(ATECharFeatures), KZ_DECLARED(ATEParaFeatures),
    KZ_DECLARED(ATETextRange),
};
#undef KZ_DECLARED

TEST(SuiteDeclarationTest, HeadersMatchTheSuiteTable) {
  for (const Declared& d : kDeclared) {
    SCOPED_TRACE(d.name);
    EXPECT_EQ(std::string(d.name), d.table.name);
    EXPECT_EQ(d.version, d.table.version);
  }
}

TEST(SuiteDeclarationTest, PathSegmentHasTheHostLayout) {
  // The segment buffers of importers and exporters are sized by this.
  EXPECT_EQ(sizeof(AIPathSegment), 28u);
}

}  // namespace
