// The plug-in's own suite list against an independent copy, typed in from
// the host suites the plug-in is specified to acquire: any misspelt name or
// wrong version in the table would make the host refuse the start-up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/SuiteSet.h"

namespace {

struct Expected {
  const char* name;
  int32_t version;
};

const std::vector<Expected> kOwnSuites = {
    {"SP Blocks Suite", 2}, {"SP Files Suite", 3}, {"AI Unicode String Suite", 7}, {"AI Action Manager Suite", 4},
    {"AI Array Suite", 5}, {"AI Art Suite", 16}, {"AI Art Set Suite", 7}, {"AI Art Style Suite", 6},
    {"AIATE Paint Suite", 2}, {"AI Blend Style Suite", 4}, {"AI Dictionary Suite", 7},
    {"AI Dictionary Iterator Suite", 2}, {"AI Document Suite", 13}, {"AI Document View Suite", 11},
    {"AI Entry Suite", 6}, {"AI Group Suite", 4}, {"AI Hit Test Suite", 5}, {"AI Layer Suite", 12},
    {"AI MdMemory Suite", 2}, {"AI Menu Suite", 10}, {"AI Modal Parent Suite", 1}, {"AI Panel Suite", 1},
    {"AI Panel Flyout Menu Suite", 1}, {"AI Path Suite", 10}, {"AI Path Style Suite", 12}, {"AI Plugin Suite", 4},
    {"AI Plugin Group Suite", 5}, {"AI Preference Suite", 5}, {"AI Real Bezier Suite", 3},
    {"AI Real Math Suite", 2}, {"AI Shape Construction Suite", 5}, {"AI Tag Suite", 3}, {"AI Text Frame Suite", 3},
    {"AI Transform Art Suite", 2}, {"AI User Interface Theme Suite", 1}, {"AI URL Suite", 2},
    {"ATE ApplicationPaint Suite", 1}, {"ATE CompFont Suite", 1}, {"ATE CompFontClass Suite", 1},
    {"ATE CompFontClassSet Suite", 1}, {"ATE CompFontComponent Suite", 1}, {"ATE CompFontSet Suite", 1},
    {"ATE GlyphRun Suite", 1}, {"ATE GlyphRunsIterator Suite", 1}, {"ATE MojiKumi Suite", 1},
    {"ATE MojiKumiSet Suite", 1}, {"ATE TextFrame Suite", 101}, {"ATE TextFramesIterator Suite", 1},
    {"ATE TextLine Suite", 1}, {"ATE TextLinesIterator Suite", 1}, {"ATE TextResources Suite", 1},
    {"ATE ApplicationTextResources Suite", 1}, {"ATE DocumentTextResources Suite", 101},
    {"ATE VersionInfo Suite", 1}, {"ATE ArrayApplicationPaintRef Suite", 1}, {"ATE ArrayReal Suite", 1},
    {"ATE ArrayBool Suite", 1}, {"ATE ArrayInteger Suite", 1}, {"ATE ArrayLineCapType Suite", 1},
    {"ATE ArrayFigureStyle Suite", 1}, {"ATE ArrayLineJoinType Suite", 1},
    {"ATE ArrayWariChuJustification Suite", 1}, {"ATE ArrayStyleRunAlignment Suite", 1},
    {"ATE ArrayAutoKernType Suite", 1}, {"ATE ArrayBaselineDirection Suite", 1}, {"ATE ArrayLanguage Suite", 1},
    {"ATE ArrayFontCapsOption Suite", 1}, {"ATE ArrayFontBaselineOption Suite", 1},
    {"ATE ArrayFontOpenTypePositionOption Suite", 1}, {"ATE ArrayUnderlinePosition Suite", 1},
    {"ATE ArrayStrikethroughPosition Suite", 1}, {"ATE ArrayParagraphJustification Suite", 1},
    {"ATE ArrayArrayReal Suite", 1}, {"ATE ArrayBurasagariType Suite", 1},
    {"ATE ArrayPreferredKinsokuOrder Suite", 1}, {"ATE ArrayKinsokuRef Suite", 1},
    {"ATE ArrayMojiKumiRef Suite", 1}, {"ATE ArrayMojiKumiSetRef Suite", 1}, {"ATE ArrayTabStopsRef Suite", 1},
    {"ATE ArrayLeadingType Suite", 1}, {"ATE ArrayFontRef Suite", 1}, {"ATE ArrayGlyphID Suite", 1},
    {"ATE ArrayRealPoint Suite", 1}, {"ATE ArrayRealMatrix Suite", 1}, {"ATE ArrayParagraphDirection Suite", 1},
    {"ATE ArrayJustificationMethod Suite", 1}, {"ATE ArrayKashidaWidth Suite", 1}, {"ATE ArrayKashidas Suite", 1},
    {"ATE ArrayDirOverride Suite", 1}, {"ATE ArrayDigitSet Suite", 1}, {"ATE ArrayDiacVPos Suite", 1},
    {"ATE CharFeatures Suite", 101}, {"ATE CharInspector Suite", 101}, {"ATE CharStyle Suite", 1},
    {"ATE CharStyles Suite", 1}, {"ATE CharStylesIterator Suite", 1}, {"ATE Find Suite", 101},
    {"ATE Font Suite", 1}, {"ATE Glyph Suite", 1}, {"ATE Glyphs Suite", 1}, {"ATE GlyphsIterator Suite", 1},
    {"ATE Kinsoku Suite", 1}, {"ATE KinsokuSet Suite", 1}, {"ATE ParaFeatures Suite", 101},
    {"ATE Paragraph Suite", 1}, {"ATE ParagraphsIterator Suite", 1}, {"ATE ParaInspector Suite", 101},
    {"ATE ParaStyle Suite", 1}, {"ATE ParaStyles Suite", 1}, {"ATE ParaStylesIterator Suite", 1},
    {"ATE Spell Suite", 101}, {"ATE Stories Suite", 1}, {"ATE Story Suite", 1}, {"ATE TabStop Suite", 1},
    {"ATE TabStops Suite", 1}, {"ATE TabStopsIterator Suite", 1}, {"ATE TextRange Suite", 1},
    {"ATE TextRanges Suite", 1}, {"ATE TextRangesIterator Suite", 1}, {"ATE TextRunsIterator Suite", 1},
    {"ATE WordsIterator Suite", 1}, {"ATE ArrayLine Suite", 1}, {"ATE ArrayComposerEngine Suite", 1},
};

TEST(SuiteTable, EveryNameAndVersionAsTheHostKnowsThem) {
  ASSERT_EQ(kOwnSuites.size(), 123u);
  const SuiteEntry* own = SuiteSet::PluginSuites();
  size_t count = 0;
  while (own[count].name) ++count;
  ASSERT_EQ(count, kOwnSuites.size());
  for (size_t i = 0; i < count; ++i) {
    EXPECT_STREQ(own[i].name, kOwnSuites[i].name) << "entry " << i;
    EXPECT_EQ(own[i].version, kOwnSuites[i].version) << own[i].name;
  }
}

}  // namespace
