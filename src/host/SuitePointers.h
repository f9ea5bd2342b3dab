// Every host suite the plug-in holds, by name and version, with the
// process-wide pointer through which the system calls it. The pointers are
// filled by the plug-in's suite set at start-up and reload and are null while
// no suites are held. A suite's operations are declared in its own header
// (host/<Type>.h); suites the system never calls stay forward-declared.
#pragma once

#include <cstdint>

#include "host/SPBasicSuite.h"

struct HostSuiteInfo {
  const char* name;
  int32_t version;
};

extern const SPBasicSuite* sSPBasic;

#define KZ_HOST_SUITES(X) \
  X(SPAccess, "SP Access Suite", 3) \
  X(SPPlugins, "SP Plug-ins Suite", 4) \
  X(AINotifier, "AI Notifier Suite", 3) \
  X(AIContext, "AI Context Suite", 6) \
  X(AIUser, "AI User Suite", 10) \
  X(AIFilePath, "AI File Path Suite", 3) \
  X(AIFolders, "AI Folders Suite", 4) \
  X(SPBlocks, "SP Blocks Suite", 2) \
  X(SPFiles, "SP Files Suite", 3) \
  X(AIUnicodeString, "AI Unicode String Suite", 7) \
  X(AIActionManager, "AI Action Manager Suite", 4) \
  X(AIArray, "AI Array Suite", 5) \
  X(AIArt, "AI Art Suite", 16) \
  X(AIArtSet, "AI Art Set Suite", 7) \
  X(AIArtStyle, "AI Art Style Suite", 6) \
  X(AIATEPaint, "AIATE Paint Suite", 2) \
  X(AIBlendStyle, "AI Blend Style Suite", 4) \
  X(AIDictionary, "AI Dictionary Suite", 7) \
  X(AIDictionaryIterator, "AI Dictionary Iterator Suite", 2) \
  X(AIDocument, "AI Document Suite", 13) \
  X(AIDocumentView, "AI Document View Suite", 11) \
  X(AIEntry, "AI Entry Suite", 6) \
  X(AIGroup, "AI Group Suite", 4) \
  X(AIHitTest, "AI Hit Test Suite", 5) \
  X(AILayer, "AI Layer Suite", 12) \
  X(AIMdMemory, "AI MdMemory Suite", 2) \
  X(AIMenu, "AI Menu Suite", 10) \
  X(AIModalParent, "AI Modal Parent Suite", 1) \
  X(AIPanel, "AI Panel Suite", 1) \
  X(AIPanelFlyoutMenu, "AI Panel Flyout Menu Suite", 1) \
  X(AIPath, "AI Path Suite", 10) \
  X(AIPathStyle, "AI Path Style Suite", 12) \
  X(AIPlugin, "AI Plugin Suite", 4) \
  X(AIPluginGroup, "AI Plugin Group Suite", 5) \
  X(AIPreference, "AI Preference Suite", 5) \
  X(AIRealBezier, "AI Real Bezier Suite", 3) \
  X(AIRealMath, "AI Real Math Suite", 2) \
  X(AIShapeConstruction, "AI Shape Construction Suite", 5) \
  X(AITag, "AI Tag Suite", 3) \
  X(AITextFrame, "AI Text Frame Suite", 3) \
  X(AITransformArt, "AI Transform Art Suite", 2) \
  X(AIUserInterfaceTheme, "AI User Interface Theme Suite", 1) \
  X(AIURL, "AI URL Suite", 2) \
  X(ATEApplicationPaint, "ATE ApplicationPaint Suite", 1) \
  X(ATECompFont, "ATE CompFont Suite", 1) \
  X(ATECompFontClass, "ATE CompFontClass Suite", 1) \
  X(ATECompFontClassSet, "ATE CompFontClassSet Suite", 1) \
  X(ATECompFontComponent, "ATE CompFontComponent Suite", 1) \
  X(ATECompFontSet, "ATE CompFontSet Suite", 1) \
  X(ATEGlyphRun, "ATE GlyphRun Suite", 1) \
  X(ATEGlyphRunsIterator, "ATE GlyphRunsIterator Suite", 1) \
  X(ATEMojiKumi, "ATE MojiKumi Suite", 1) \
  X(ATEMojiKumiSet, "ATE MojiKumiSet Suite", 1) \
  X(ATETextFrame, "ATE TextFrame Suite", 101) \
  X(ATETextFramesIterator, "ATE TextFramesIterator Suite", 1) \
  X(ATETextLine, "ATE TextLine Suite", 1) \
  X(ATETextLinesIterator, "ATE TextLinesIterator Suite", 1) \
  X(ATETextResources, "ATE TextResources Suite", 1) \
  X(ATEApplicationTextResources, "ATE ApplicationTextResources Suite", 1) \
  X(ATEDocumentTextResources, "ATE DocumentTextResources Suite", 101) \
  X(ATEVersionInfo, "ATE VersionInfo Suite", 1) \
  X(ATEArrayApplicationPaintRef, "ATE ArrayApplicationPaintRef Suite", 1) \
  X(ATEArrayReal, "ATE ArrayReal Suite", 1) \
  X(ATEArrayBool, "ATE ArrayBool Suite", 1) \
  X(ATEArrayInteger, "ATE ArrayInteger Suite", 1) \
  X(ATEArrayLineCapType, "ATE ArrayLineCapType Suite", 1) \
  X(ATEArrayFigureStyle, "ATE ArrayFigureStyle Suite", 1) \
  X(ATEArrayLineJoinType, "ATE ArrayLineJoinType Suite", 1) \
  X(ATEArrayWariChuJustification, "ATE ArrayWariChuJustification Suite", 1) \
  X(ATEArrayStyleRunAlignment, "ATE ArrayStyleRunAlignment Suite", 1) \
  X(ATEArrayAutoKernType, "ATE ArrayAutoKernType Suite", 1) \
  X(ATEArrayBaselineDirection, "ATE ArrayBaselineDirection Suite", 1) \
  X(ATEArrayLanguage, "ATE ArrayLanguage Suite", 1) \
  X(ATEArrayFontCapsOption, "ATE ArrayFontCapsOption Suite", 1) \
  X(ATEArrayFontBaselineOption, "ATE ArrayFontBaselineOption Suite", 1) \
  X(ATEArrayFontOpenTypePositionOption, "ATE ArrayFontOpenTypePositionOption Suite", 1) \
  X(ATEArrayUnderlinePosition, "ATE ArrayUnderlinePosition Suite", 1) \
  X(ATEArrayStrikethroughPosition, "ATE ArrayStrikethroughPosition Suite", 1) \
  X(ATEArrayParagraphJustification, "ATE ArrayParagraphJustification Suite", 1) \
  X(ATEArrayArrayReal, "ATE ArrayArrayReal Suite", 1) \
  X(ATEArrayBurasagariType, "ATE ArrayBurasagariType Suite", 1) \
  X(ATEArrayPreferredKinsokuOrder, "ATE ArrayPreferredKinsokuOrder Suite", 1) \
  X(ATEArrayKinsokuRef, "ATE ArrayKinsokuRef Suite", 1) \
  X(ATEArrayMojiKumiRef, "ATE ArrayMojiKumiRef Suite", 1) \
  X(ATEArrayMojiKumiSetRef, "ATE ArrayMojiKumiSetRef Suite", 1) \
  X(ATEArrayTabStopsRef, "ATE ArrayTabStopsRef Suite", 1) \
  X(ATEArrayLeadingType, "ATE ArrayLeadingType Suite", 1) \
  X(ATEArrayFontRef, "ATE ArrayFontRef Suite", 1) \
  X(ATEArrayGlyphID, "ATE ArrayGlyphID Suite", 1) \
  X(ATEArrayRealPoint, "ATE ArrayRealPoint Suite", 1) \
  X(ATEArrayRealMatrix, "ATE ArrayRealMatrix Suite", 1) \
  X(ATEArrayParagraphDirection, "ATE ArrayParagraphDirection Suite", 1) \
  X(ATEArrayJustificationMethod, "ATE ArrayJustificationMethod Suite", 1) \
  X(ATEArrayKashidaWidth, "ATE ArrayKashidaWidth Suite", 1) \
  X(ATEArrayKashidas, "ATE ArrayKashidas Suite", 1) \
  X(ATEArrayDirOverride, "ATE ArrayDirOverride Suite", 1) \
  X(ATEArrayDigitSet, "ATE ArrayDigitSet Suite", 1) \
  X(ATEArrayDiacVPos, "ATE ArrayDiacVPos Suite", 1) \
  X(ATECharFeatures, "ATE CharFeatures Suite", 101) \
  X(ATECharInspector, "ATE CharInspector Suite", 101) \
  X(ATECharStyle, "ATE CharStyle Suite", 1) \
  X(ATECharStyles, "ATE CharStyles Suite", 1) \
  X(ATECharStylesIterator, "ATE CharStylesIterator Suite", 1) \
  X(ATEFind, "ATE Find Suite", 101) \
  X(ATEFont, "ATE Font Suite", 1) \
  X(ATEGlyph, "ATE Glyph Suite", 1) \
  X(ATEGlyphs, "ATE Glyphs Suite", 1) \
  X(ATEGlyphsIterator, "ATE GlyphsIterator Suite", 1) \
  X(ATEKinsoku, "ATE Kinsoku Suite", 1) \
  X(ATEKinsokuSet, "ATE KinsokuSet Suite", 1) \
  X(ATEParaFeatures, "ATE ParaFeatures Suite", 101) \
  X(ATEParagraph, "ATE Paragraph Suite", 1) \
  X(ATEParagraphsIterator, "ATE ParagraphsIterator Suite", 1) \
  X(ATEParaInspector, "ATE ParaInspector Suite", 101) \
  X(ATEParaStyle, "ATE ParaStyle Suite", 1) \
  X(ATEParaStyles, "ATE ParaStyles Suite", 1) \
  X(ATEParaStylesIterator, "ATE ParaStylesIterator Suite", 1) \
  X(ATESpell, "ATE Spell Suite", 101) \
  X(ATEStories, "ATE Stories Suite", 1) \
  X(ATEStory, "ATE Story Suite", 1) \
  X(ATETabStop, "ATE TabStop Suite", 1) \
  X(ATETabStops, "ATE TabStops Suite", 1) \
  X(ATETabStopsIterator, "ATE TabStopsIterator Suite", 1) \
  X(ATETextRange, "ATE TextRange Suite", 1) \
  X(ATETextRanges, "ATE TextRanges Suite", 1) \
  X(ATETextRangesIterator, "ATE TextRangesIterator Suite", 1) \
  X(ATETextRunsIterator, "ATE TextRunsIterator Suite", 1) \
  X(ATEWordsIterator, "ATE WordsIterator Suite", 1) \
  X(ATEArrayLine, "ATE ArrayLine Suite", 1) \
  X(ATEArrayComposerEngine, "ATE ArrayComposerEngine Suite", 1)

#define KZ_DECLARE_SUITE(Id, Name, Version)                  \
  struct Id##Suite;                                         \
  inline constexpr HostSuiteInfo k##Id##SuiteInfo{Name, Version}; \
  extern const Id##Suite* s##Id;
KZ_HOST_SUITES(KZ_DECLARE_SUITE)
#undef KZ_DECLARE_SUITE

// Number of base entries (always acquired first) and of the plug-in's own list.
inline constexpr int kBaseSuiteCount = 7;
inline constexpr int kPluginSuiteCount = 123;
