// The document file: a document saved and loaded compares equal property by
// property for every kind of art; older files upgrade; hostile files are
// clean errors naming the file and the place; saving never leaves a
// half-written file.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <cstring>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "document/DocumentCompare.h"
#include "document/PackedBytes.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "sim/JsonWriter.h"
#include "sim/TextCodec.h"
#include "support/ScratchFolder.h"

namespace {

using kztest::ScratchFolder;

sim::Value Integer(int32_t v) { return sim::Value{v}; }
sim::Value Real(double v) { return sim::Value{v}; }
sim::Value Text(const std::u16string& v) { return sim::Value{v}; }

using kztest::Curve;
using kztest::FieldRow;

// One of everything the file holds.
void BuildEveryKindOfArt(sim::Host& host) {
  sim::Document& document = host.NewDocument({-10.5f, 1190.55f, 841.89f, 0.1f});
  sim::Layer& map = host.AddLayer("地図");
  map.color = {0.25f, 0.75f, 0.125f};
  map.group->Dict() = FieldRow(u"名前", 0, u"");
  sim::Layer& hidden = host.AddSublayer(map, "下位");
  hidden.visible = false;
  hidden.editable = false;
  sim::Layer& second = host.AddLayer("Second");
  document.currentLayer = &hidden;

  sim::Art& square = host.AddPath(*map.group, {{0, 0}, {0, 100}, {100, 100}, {100, 0}}, true);
  host.SetStyle(square, kztest::EveryPropertyStyle(true));
  square.opacity = 0.3f;
  square.userAttributes = kArtSelected | kArtLocked | kArtHidden;
  square.guide = true;
  square.Dict() = FieldRow(u"名前", 0, u"東京タワー");

  sim::Art& curve = host.AddCurvedPath(*map.group,
                                       {Curve(0.1f, -0.0f, 1e-30f, 3e30f, 0.1f, -0.0f, false),
                                        Curve(16777217.0f, 1.0f / 3, 2, 3, 4, 5, true),
                                        Curve(7, 8, 7, 8, 7, 8, false)},
                                       false);
  host.EditStyle(&curve, [&](AIPathStyle& style) {
    style.stroke.color.kind = kGrayColor;
    style.stroke.color.c.g.gray = 0.75f;
  });
  host.EditStyle(&curve, [&](AIPathStyle& style) {
    style.fill.color.kind = 9;  // a colour kind the stand-in does not know
    style.fill.color.c.f = {1, 2, 3, 4};
  });
  curve.skipped = true;
  // Corners with a handle on one side only, either side.
  host.AddCurvedPath(*map.group,
                     {Curve(10, 10, 10, 10, 20, 30, true), Curve(40, 10, 30, 30, 40, 10, true),
                      Curve(60, 10, 60, 10, 60, 10, true)},
                     false);

  sim::Art& compound = host.AddCompoundPath(*hidden.group);
  compound.clip = true;
  host.EditStyle(&compound, [&](AIPathStyle& style) {
    style.fillPaint = true;
    style.fill.color = AIColor::Three(0, 0, 1);
  });
  host.EditStyle(&host.AddPath(compound, {{0, 0}, {50, 0}, {50, 50}}, true),
                 [&](AIPathStyle& style) { style = compound.Style(); });
  host.AddPath(compound, {{10, 10}, {20, 10}, {20, 20}}, true);
  compound.opacity = 0;

  sim::Art& group = host.AddGroup(*second.group);
  group.userAttributes = kArtSelected;
  sim::Art& label = host.AddPointText(group, {300.25f, 400.5f}, "渋谷区\r2行目 \"quoted\" \\ tab\t");
  kztest::SetEveryTextProperty(label.EditExtras().text);
  sim::Art& plain = host.AddPointText(group, {0, 0}, "");
  plain.EditExtras().text.contents = u"lone \xD800 surrogate";
  host.AddSymbol(group, {1, 20, 30, 4}, "記号");
  sim::Art& placed = *document.MakeArt(kPlacedArt);
  document.Place(&placed, kPlaceInsideOnBottom, &group);
  document.Place(document.MakeArt(kUnknownArt), kPlaceInsideOnBottom, &group);
  host.AddGroup(group);  // empty group

  // Disposed art is gone from the file.
  document.Dispose(&host.AddPath(*second.group, {{1, 1}, {2, 2}}, false));

  auto nested = sim::NewDictionary();
  nested->Set("inner", sim::Value{true});
  nested->Set("null", sim::Value{});
  auto list = sim::NewArray();
  *list = {Real(0.1), Real(-0.0), Real(std::numeric_limits<double>::quiet_NaN()),
                 Real(-std::numeric_limits<double>::infinity()), Real(1.7976931348623157e308),
                 Integer(INT32_MIN), sim::Value{nested}, sim::Value{sim::ArrayPtr{}}};
  auto dictionary = sim::NewDictionary();
  dictionary->Set("list", sim::Value{list});
  dictionary->Set("日本語キー", Text(u"値"));
  dictionary->Set("", sim::Value{false});
  group.Dict() = dictionary;

  group.EditExtras().tags = {sim::Tag{"KzMapTag0000001", "string", "名前|C|20|0|値", 0, false},
                sim::Tag{"KzMapTag0000002", "string", sim::EncodeText(u"ｼﾌﾄJIS 日本", kAIShiftJISCharacterEncoding), 0, false},
                sim::Tag{"raw", "string", std::string("\xff\x00\x81", 3), 0, false},
                sim::Tag{"scale", "real", "", 25000.5, false},
                sim::Tag{"flag", "boolean", "", 0, true}};
}

TEST(DocumentFile, EveryPropertySurvivesSaveAndLoad) {
  ScratchFolder folder;
  sim::Host host;
  BuildEveryKindOfArt(host);
  const sim::Document& original = *host.CurrentDocument();
  const std::string path = folder.Path("地図.kzmap");
  sim::SaveDocumentFile(original, path);

  sim::Host other;
  const sim::Document& loaded = sim::LoadDocumentFile(other, path);
  EXPECT_EQ(other.CurrentDocument(), &loaded);
  EXPECT_EQ(loaded.filePath, path);
  kztest::ExpectSameDocument(original, loaded);

  // The file reads the same when written again.
  const std::string again = folder.Path("again.kzmap");
  sim::SaveDocumentFile(loaded, again);
  EXPECT_EQ(ScratchFolder::Read(path), ScratchFolder::Read(again));
}

TEST(DocumentFile, NumbersAreWrittenInTheirShortestForm) {
  sim::Host host;
  sim::Document& document = host.NewDocument({0, 842, 595, 0});
  sim::Layer& layer = host.AddLayer("L");
  host.AddPath(*layer.group, {{0.1f, 100.3f}, {-0.0f, 1e-45f}}, false);
  const std::string text = sim::DocumentToJson(document);
  EXPECT_NE(text.find("[[0.1, 100.3], [-0.0, 1e-45]]"), std::string::npos) << text;
  EXPECT_NE(text.find("\"artboard\": [0, 842, 595, 0]"), std::string::npos) << text;
}

// A version 1 file, written by hand: segments were objects then.
TEST(DocumentFile, VersionOneFilesAreUpgraded) {
  ScratchFolder folder;
  const std::string path = folder.Write("old.kzmap", R"({
    "format": "Kartzmap document", "version": 1, "artboard": [0, 842, 595, 0], "currentLayer": 0,
    "layers": [{"title": "古い", "visible": true, "locked": false, "art": [
      {"type": "group", "art": [{"type": "path", "closed": true, "segments": [
        {"anchor": [1, 2], "in": [1, 2], "out": [1, 2], "corner": true},
        {"anchor": [3.5, 4], "in": [3, 4], "out": [4, 4], "corner": false}]}]},
      {"type": "layer", "title": "sub", "art": [{"type": "compound", "members": [
        {"type": "path", "segments": [{"anchor": [5, 6], "in": [7, 8], "out": [9, 10], "corner": true}]}]}]}]}]})");
  sim::Host host;
  const sim::Document& document = sim::LoadDocumentFile(host, path);
  ASSERT_EQ(document.layers.size(), 1u);
  const sim::Layer& layer = *document.layers[0];
  EXPECT_EQ(sim::Host::Title(layer), "古い");
  EXPECT_EQ(layer.color.blue, 1.0f);  // version 1 had no layer colours
  const sim::Art& path1 = *layer.group->children[0]->children[0];
  ASSERT_EQ(path1.Segments().size(), 2u);
  EXPECT_EQ(path1.Segments()[0].p.h, 1);
  EXPECT_EQ(path1.Segments()[0].out.v, 2);
  EXPECT_TRUE(path1.Segments()[0].corner);
  EXPECT_EQ(path1.Segments()[1].p.h, 3.5f);
  EXPECT_EQ(path1.Segments()[1].in.h, 3);
  EXPECT_EQ(path1.Segments()[1].out.h, 4);
  EXPECT_FALSE(path1.Segments()[1].corner);
  const sim::Art& member = *layer.group->children[1]->children[0]->children[0];
  EXPECT_EQ(member.Segments()[0].in.h, 7);
  EXPECT_EQ(member.Segments()[0].out.v, 10);
}

struct Hostile {
  const char* name;
  std::string text;
  const char* place;    // expected in the message
  const char* problem;  // expected in the message
};

std::string Document(const std::string& layers, const std::string& extra = "") {
  return R"({"format": "Kartzmap document", "version": 2)" + extra + R"(, "layers": )" + layers + "}";
}

std::string Nested(const std::string& open, const std::string& inner, const std::string& close, int depth) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += open;
  text += inner;
  for (int i = 0; i < depth; ++i) text += close;
  return text;
}

std::string Segments(size_t count) {
  std::string text = "[";
  for (size_t i = 0; i < count; ++i) text += i ? ",[1,2]" : "[1,2]";
  return text + "]";
}

const std::string kGoodDocument = Document(R"([{"title": "L", "art": [{"type": "path", "segments": [[1, 2], [3, 4]]}]}])");

class HostileFile : public ::testing::TestWithParam<Hostile> {};

// Loading the bytes fails cleanly: the message starts with the file's path,
// names the place and the problem, and no document is left open.
void ExpectCleanLoadError(const std::string& bytes, const char* place, const char* problem) {
  ScratchFolder folder;
  const std::string path = folder.Write("hostile.kzmap", bytes);
  sim::Host host;
  try {
    sim::LoadDocumentFile(host, path);
    FAIL() << "loaded";
  } catch (const sim::DocumentFileError& error) {
    const std::string message = error.what();
    EXPECT_EQ(message.rfind(path + ": ", 0), 0u) << message;
    EXPECT_NE(error.Place().find(place), std::string::npos) << message;
    EXPECT_NE(error.Problem().find(problem), std::string::npos) << message;
  }
  EXPECT_TRUE(host.Documents().empty());
}

TEST_P(HostileFile, IsACleanErrorNamingTheFileAndThePlace) {
  ExpectCleanLoadError(GetParam().text, GetParam().place, GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, HostileFile,
    ::testing::Values(
        Hostile{"Empty", "", "", "empty"},
        Hostile{"Truncated", kGoodDocument.substr(0, kGoodDocument.size() / 2), "line 1, column", "unexpected end"},
        Hostile{"NotJson", "G=JGD|P=XY9\n", "line 1, column 1", "not a Kartzmap document"},
        Hostile{"BadUtf8", "{\"format\": \"\xff\"}", "line 1, column 13", "not a Kartzmap document"},
        Hostile{"Array", "[]", "/", "no JSON object"},
        Hostile{"OtherFormat", R"({"format": "GeoJSON", "version": 2})", "/format", "not a Kartzmap document"},
        Hostile{"NoVersion", R"({"format": "Kartzmap document"})", "/version", "missing"},
        Hostile{"NewerVersion", R"({"format": "Kartzmap document", "version": 3})", "/version", "newer"},
        Hostile{"LayersNotArray", Document(R"("x")"), "/layers", "expected an array of layers, found string"},
        Hostile{"TitleNotText", Document(R"([{"title": 5}])"), "/layers/0/title", "expected a string"},
        Hostile{"UnknownMember", Document(R"([{"titel": "x"}])"), "/layers/0/titel", "unknown member"},
        Hostile{"BadSegment",
                Document(R"([{"art": [{"type": "path", "segments": [[1, 2], [1, "2"]]}]}])"),
                "/layers/0/art/0/segments/1/1", "expected a number"},
        Hostile{"ObjectAmongSegments",
                Document(R"([{"art": [{"type": "path", "segments": [[1, 2], {"anchor": [1, 2]}]}]}])"),
                "/layers/0/art/0/segments/1", "expected a segment"},
        Hostile{"FlagForNumber", Document(R"([{"art": [{"type": "path", "segments": [[1, 2], [1, true]]}]}])"),
                "/layers/0/art/0/segments/1/1", "expected a number, found boolean"},
        Hostile{"EightNumbers", Document(R"([{"art": [{"type": "path", "segments": [[1, 2, 3, 4, 5, 6, 7, 8]]}]}])"),
                "/layers/0/art/0/segments/0", "expected a segment"},
        Hostile{"NestedSegment", Document(R"([{"art": [{"type": "path", "segments": [[[1, 2]]]}]}])"),
                "/layers/0/art/0/segments/0/0", "expected a number, found array"},
        Hostile{"SegmentsAsDictionaryKey",
                Document(R"([{"group": {"dictionary": {"segments": [[1, 2]]}}}])"),
                "/layers/0/group/dictionary/segments", "expected an object, found array"},
        Hostile{"ShortSegment", Document(R"([{"art": [{"type": "path", "segments": [[1]]}]}])"),
                "/layers/0/art/0/segments/0", "expected a segment"},
        Hostile{"FloatOverflow", Document(R"([{"art": [{"type": "path", "segments": [[1e39, 2]]}]}])"),
                "/layers/0/art/0/segments/0/0", "out of range"},
        Hostile{"NumberOverflow", Document(R"([{"art": [{"type": "path", "segments": [[1e999, 2]]}]}])"), "",
                "not a Kartzmap document"},
        Hostile{"IntegerOverflow",
                Document(R"([{"group": {"dictionary": {"n": {"integer": 4294967296}}}}])"),
                "/layers/0/group/dictionary/n/integer", "out of range"},
        Hostile{"UnknownArtType", Document(R"([{"art": [{"type": "mesh"}]}])"), "/layers/0/art/0/type",
                "unknown art type"},
        Hostile{"GroupInCompound", Document(R"([{"art": [{"type": "compound", "members": [{"type": "group"}]}]}])"),
                "/layers/0/art/0/members/0/type", "only paths"},
        Hostile{"NoSuchCurrentLayer", Document("[{}]", R"(, "currentLayer": 5)"), "/currentLayer", "no layer"},
        Hostile{"BadColour", Document(R"([{"art": [{"type": "path", "style": {"fillColor": {"hsv": [1, 2, 3]}}}]}])"),
                "/layers/0/art/0/style/fillColor", "expected a colour"},
        Hostile{"BadCap", Document(R"([{"art": [{"type": "path", "style": {"cap": "square"}}]}])"),
                "/layers/0/art/0/style/cap", "unknown value \"square\""},
        Hostile{"LongDash", Document(R"([{"art": [{"type": "path", "style": {"dash": [1,1,1,1,1,1,1]}}]}])"),
                "/layers/0/art/0/style/dash", "at most 6"},
        Hostile{"HugePath", Document(R"([{"art": [{"type": "path", "segments": )" + Segments(32001) + "}]}]"),
                "/layers/0/art/0/segments", "at most 32000"},
        Hostile{"DeepGroups", Document("[{\"art\": [" + Nested(R"({"type": "group", "art": [)", "", "]}", 300) + "]}]"),
                "/art/0/art/0", "nested deeper than 256"},
        Hostile{"DeepValues",
                Document("[{\"group\": {\"dictionary\": {\"a\": " + Nested(R"({"array": [)", "", "]}", 300) + "}}}]"),
                "/layers/0/group/dictionary/a/array/0", "nested deeper than 256"},
        Hostile{"DeepJson", Document(Nested("[", "", "]", 100000)), "/layers/0", "expected an object"},
        Hostile{"BadHex", Document(R"([{"art": [{"type": "symbol", "name": {"hex": "4g"}}]}])"),
                "/layers/0/art/0/name/hex", "not a hex digit"},
        Hostile{"BadOldSegment",
                R"({"format": "Kartzmap document", "version": 1, "layers": [{"art": [{"type": "path", "segments": [[1, 2]]}]}]})",
                "/layers/0/art/0/segments/0", "expected a segment"}),
    [](const ::testing::TestParamInfo<Hostile>& info) { return std::string(info.param.name); });

// Maps kept by users in each earlier form load to the document they hold.
// The files were written by the Kartzmap of their time from the document
// BuildEveryKindOfArt makes; version 1 had no layer colours.
struct OldMap {
  const char* file;
  bool layerColours;
};

class CommittedMap : public ::testing::TestWithParam<OldMap> {};

TEST_P(CommittedMap, LoadsToTheDocumentItHolds) {
  sim::Host made;
  BuildEveryKindOfArt(made);
  sim::Document& expected = *made.CurrentDocument();
  if (!GetParam().layerColours) {
    for (sim::Layer* layer : expected.AllLayers()) layer->color = sim::Layer().color;
  }
  sim::Host host;
  const std::string path = std::string(KZ_SOURCE_DIR "/tests/document/maps/") + GetParam().file;
  const sim::Document& loaded = sim::LoadDocumentFile(host, path);
  kztest::ExpectSameDocument(expected, loaded);
}

INSTANTIATE_TEST_SUITE_P(Versions, CommittedMap,
                         ::testing::Values(OldMap{"version1.kzmap", false}, OldMap{"version2.kzmap", true},
                                           OldMap{"version3.kzmap", true}, OldMap{"version4.kzmap", true},
                                           OldMap{"version5.kzmap", true}, OldMap{"version6.kzmap", true}),
                         [](const ::testing::TestParamInfo<OldMap>& info) {
                           return std::string(info.param.file).substr(0, 8);
                         });

std::string CommittedBytes(const char* name) {
  std::ifstream in(std::string(KZ_SOURCE_DIR "/tests/document/maps/") + name, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// A map of the current version loaded and saved again is the same bytes: how
// the document is held in memory never shows in the file. A map of the
// packed version before is saved as the current one, the same bytes as a
// map made now.
TEST(DocumentFile, ACurrentMapIsSavedAgainByteForByte) {
  const std::string current = CommittedBytes("version6.kzmap");
  ASSERT_FALSE(current.empty());
  for (const char* name : {"version6.kzmap", "version5.kzmap", "version4.kzmap", "version3.kzmap"}) {
    sim::Document loaded;
    sim::DocumentFromBytes(loaded, CommittedBytes(name), name);
    EXPECT_TRUE(sim::DocumentToBytes(loaded) == current) << name;
  }
}

// Maps are saved packed, and read back the same whichever form they came in.
TEST(DocumentFile, SavesPackedAndReadsEitherForm) {
  sim::Host host;
  BuildEveryKindOfArt(host);
  const sim::Document& original = *host.CurrentDocument();
  const std::string packed = sim::DocumentToBytes(original);
  ASSERT_EQ(packed.substr(0, 8), std::string("\x89KZMAP\r\n", 8));
  for (const std::string& bytes : {packed, sim::DocumentToJson(original)}) {
    sim::Document loaded;
    sim::DocumentFromBytes(loaded, bytes, "memory.kzmap");
    kztest::ExpectSameDocument(original, loaded);
  }
}

// Keys and tag texts are bytes: the packed file keeps any of them, where
// JSON could hold only UTF-8 keys and refused to save the map.
TEST(DocumentFile, KeysThatAreNotUtf8Survive) {
  sim::Host host;
  sim::Document& document = host.NewDocument();
  sim::Layer& layer = host.AddLayer("L");
  layer.group->Dict() = sim::NewDictionary();
  layer.group->Dict()->Set(std::string("\xff\x00k", 3), sim::Value{1});
  EXPECT_THROW(sim::DocumentToJson(document), sim::DocumentFileError);
  sim::Document loaded;
  sim::DocumentFromBytes(loaded, sim::DocumentToBytes(document), "keys.kzmap");
  kztest::ExpectSameDocument(document, loaded);
}

// Paths are packed by what their segments are: anchors only when every
// segment is a straight corner, else a kind per segment. Each shape comes
// back as it was, bit for bit.
struct PathShape {
  const char* name;
  std::vector<AIPathSegment> segments;
};

class PackedPath : public ::testing::TestWithParam<PathShape> {};

TEST_P(PackedPath, ComesBackAsItWas) {
  sim::Host host;
  sim::Document& document = host.NewDocument();
  sim::Layer& layer = host.AddLayer("L");
  host.AddCurvedPath(*layer.group, GetParam().segments, true);
  sim::Document loaded;
  sim::DocumentFromBytes(loaded, sim::DocumentToBytes(document), "paths.kzmap");
  kztest::ExpectSameDocument(document, loaded);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, PackedPath,
    ::testing::Values(
        PathShape{"StraightCorners", {Curve(1, 2, 1, 2, 1, 2, true), Curve(3, 4, 3, 4, 3, 4, true)}},
        PathShape{"StraightButOneSmooth", {Curve(1, 2, 1, 2, 1, 2, true), Curve(3, 4, 3, 4, 3, 4, false)}},
        PathShape{"OneCurve", {Curve(1, 2, 1, 2, 1, 2, true), Curve(3, 4, 2, 4, 5, 4, true)}},
        PathShape{"SmoothCurve", {Curve(3, 4, 2, 4, 5, 4, false)}},
        PathShape{"NegativeZeroHandle", {Curve(0, 0, -0.0f, 0, 0, 0, true)}},
        PathShape{"NoSegments", {}}),
    [](const ::testing::TestParamInfo<PathShape>& info) { return std::string(info.param.name); });

// Repeated strings and styles are written once: a thousand points with the
// same style and field names cost little more than their coordinates and
// values each.
TEST(DocumentFile, RepeatedStylesAndFieldNamesAreWrittenOnce) {
  sim::Host host;
  sim::Document& document = host.NewDocument();
  sim::Layer& layer = host.AddLayer("points");
  constexpr int kPoints = 1000;
  for (int i = 0; i < kPoints; ++i) {
    const float x = static_cast<float>(i);
    sim::Art& mark = host.AddPath(*layer.group, {{x, 0}, {x + 1, 0}, {x + 1, 1}, {x, 1}}, true);
    host.EditStyle(&mark, [&](AIPathStyle& style) {
      style.fillPaint = true;
      style.fill.color = AIColor::Four(0, 1, 1, 0);
    });
    mark.Dict() = FieldRow(u"施設の名前", 0, u"V" + sim::Utf8ToUtf16(std::to_string(i)));
  }
  const size_t size = sim::DocumentToBytes(document).size();
  // Per point: type, flags, style reference, segment count, four anchors of
  // eight bytes, and a row of about twenty bytes.
  EXPECT_LT(size, static_cast<size_t>(kPoints) * 70) << size;
  EXPECT_GT(size, static_cast<size_t>(kPoints) * 32) << size;

  // Loaded, the marks share one style again and keep their anchors alone.
  sim::Document loaded;
  sim::DocumentFromBytes(loaded, sim::DocumentToBytes(document), "points.kzmap");
  std::set<const AIPathStyle*> styles;
  size_t straight = 0;
  for (const sim::Art* mark : loaded.layers.at(0)->group->children) {
    styles.insert(mark->StylePointer());
    straight += mark->Segments().Straight() ? 1 : 0;
  }
  EXPECT_EQ(styles.size(), 1u);
  EXPECT_EQ(straight, static_cast<size_t>(kPoints));
}

using kztest::Floats;
using kztest::Varint;

// A packed file, assembled here byte by byte: one layer "L" holding body.
std::string Packed(const std::string& body, const std::string& counts = Varint(1) + Varint(3) + Varint(4) +
                                                                         Varint(8) + Varint(64),
                   uint64_t version = 3) {
  return std::string("\x89KZMAP\r\n", 8) + Varint(version) + counts + Floats({0, 842, 595, 0}) + Varint(1) +
         /* title "L", remembered */ Varint(1) + Varint(2) + "L" + /* visible */ "\x01" + Floats({0, 0, 1}) +
         /* group flags */ Varint(0) + body + /* current layer */ Varint(1);
}

// A straight path of two anchors with a new style.
// reference: inline; flags: none; no fill or stroke colour; width 1; no
// dashes; dash offset 0; butt caps; miter joins; miter limit 4.
const std::string kStyle = std::string("\x00\x00", 2) + Varint(12) + Varint(12) + Floats({1}) +
                           std::string("\x00", 1) + Floats({0}) + std::string(8, '\0') + Floats({4});
const std::string kPath = "\x01" + Varint(1 << 11) + kStyle + Varint(2) + Floats({1, 2, 3, 4});
const std::string kOnePath = Packed(Varint(1) + kPath);

TEST(DocumentFile, HandMadePackedFileLoads) {
  sim::Document document;
  sim::DocumentFromBytes(document, kOnePath, "hand.kzmap");
  ASSERT_EQ(document.layers.size(), 1u);
  EXPECT_EQ(sim::Utf16ToUtf8(document.layers[0]->title), "L");
  EXPECT_EQ(document.currentLayer, document.layers[0]);
  ASSERT_EQ(document.layers[0]->group->children.size(), 1u);
  const sim::Art& path = *document.layers[0]->group->children[0];
  ASSERT_EQ(path.Segments().size(), 2u);
  EXPECT_EQ(path.Segments()[1].p.h, 3);
  EXPECT_EQ(path.Segments()[1].out.v, 4);
  EXPECT_TRUE(path.Segments()[1].corner);
  EXPECT_EQ(path.Style().stroke.miterLimit, 4);
}

// Every cut of a good packed file is a clean error at the cut.
TEST(DocumentFile, EveryTruncationOfAPackedFileIsACleanError) {
  sim::Host host;
  BuildEveryKindOfArt(host);
  const std::string packed = sim::DocumentToBytes(*host.CurrentDocument());
  for (size_t length = 0; length < packed.size(); ++length) {
    sim::Document document;
    try {
      sim::DocumentFromBytes(document, packed.substr(0, length), "cut.kzmap");
      FAIL() << "a file cut at byte " << length << " loaded";
    } catch (const sim::DocumentFileError& error) {
      if (length > 8) {
        EXPECT_NE(error.Place().find("(byte "), std::string::npos) << length << ": " << error.what();
      }
    }
  }
}

struct HostilePacked {
  const char* name;
  std::string bytes;
  const char* place;    // expected in the message
  const char* problem;  // expected in the message
};

class HostilePackedFile : public ::testing::TestWithParam<HostilePacked> {};

TEST_P(HostilePackedFile, IsACleanErrorNamingTheFileAndThePlace) {
  ExpectCleanLoadError(GetParam().bytes, GetParam().place, GetParam().problem);
}

const std::string kZero(1, '\0');
const std::string kCounts = Varint(1) + Varint(3) + Varint(4) + Varint(8) + Varint(64);

INSTANTIATE_TEST_SUITE_P(
    Documents, HostilePackedFile,
    ::testing::Values(
        HostilePacked{"NewerVersion", Packed(Varint(0), kCounts, 7), "/", "newer Kartzmap"},
        HostilePacked{"NoSuchVersion", Packed(Varint(0), kCounts, 2), "/", "no packed format version 2"},
        HostilePacked{"CountsBeyondTheFile", Packed(Varint(0), Varint(1) + Varint(1u << 30) + Varint(0) + Varint(0) + Varint(0)),
                      "/counts", "more than the file can hold"},
        HostilePacked{"MoreArtThanCounted", Packed(Varint(3) + kPath + kPath + kPath), "/layers/0/art", "more art objects than"},
        HostilePacked{"MoreSegmentsThanCounted",
                      Packed(Varint(1) + "\x01" + Varint(1 << 11) + kStyle + Varint(5) + Floats({1, 2, 3, 4, 5, 6, 7, 8, 9, 10})),
                      "/layers/0/art/0/segments", "more segments than"},
        HostilePacked{"SegmentsBeyondTheFile",
                      Packed(Varint(1) + "\x01" + Varint(1 << 11) + kStyle + Varint(30000)),
                      "/layers/0/art/0/segments", "cannot fit"},
        HostilePacked{"ArtBeyondTheFile", Packed(Varint(2)), "/layers/0/art", "2 art objects cannot fit"},
        HostilePacked{"HugePath", Packed(Varint(1) + "\x01" + Varint(1 << 11) + kStyle + Varint(32001)),
                      "/layers/0/art/0/segments", "at most 32000"},
        HostilePacked{"UnknownArtTag", Packed(Varint(1) + "\x09"), "/layers/0/art/0", "unknown art type 9"},
        HostilePacked{"UnknownFlags", Packed(Varint(1) + kZero + Varint(1 << 20)), "/layers/0/art/0", "flags"},
        HostilePacked{"ClosedGroup", Packed(Varint(1) + kZero + Varint(1 << 10) + Varint(0)), "/layers/0/art/0",
                      "flags that do not belong"},
        HostilePacked{"StyleNotYetWritten", Packed(Varint(1) + "\x01" + Varint(0) + Varint(2) + Varint(0)),
                      "/layers/0/art/0/style", "refers to style 0 but only 0"},
        HostilePacked{"StringNotYetWritten", Packed(Varint(1) + "\x04" + Varint(0) + Varint(7)), "/layers/0/art/0",
                      "refers to string 5 but only 0"},
        HostilePacked{"OpacityAboveOne", Packed(Varint(1) + kZero + Varint(1 << 7) + Floats({1.5f}) + Varint(0)),
                      "/layers/0/art/0/opacity", "opacity must lie from 0 to 1"},
        HostilePacked{"UnknownValueTag",
                      Packed(Varint(1) + kZero + Varint(1 << 8) + Varint(1) + Varint(0) + Varint(2) + "k" + "\x0c"),
                      "/layers/0/art/0/dictionary/k", "unknown value tag 12"},
        HostilePacked{"KeyTwice",
                      Packed(Varint(1) + kZero + Varint(1 << 8) + Varint(2) + Varint(1) + Varint(2) + "k" + kZero +
                             Varint(2) + kZero),
                      "/layers/0/art/0/dictionary/k", "twice"},
        HostilePacked{"WideByteString", Packed(Varint(1) + "\x04" + Varint(0) + Varint(0) + Varint(3) + "ab"),
                      "/layers/0/art/0", "byte string marked as UTF-16"},
        HostilePacked{"LongNumber", Packed(Varint(1) + kZero + std::string(10, '\xff') + "\x01"), "/layers/0/art/0",
                      "longer than 64 bits"},
        HostilePacked{"GroupInCompound", Packed(Varint(1) + "\x02" + Varint(0) + kStyle + Varint(1) + kZero),
                      "/layers/0/art/0/members/0", "only paths"},
        HostilePacked{"NoSuchCurrentLayer", Packed(Varint(0)).substr(0, Packed(Varint(0)).size() - 1) + Varint(5),
                      "/currentLayer", "no layer has the number 4"},
        HostilePacked{"TrailingBytes", kOnePath + "x", "/currentLayer", "bytes follow the end"},
        HostilePacked{"OnlyTheMagic", "\x89KZMAP\r\n" + std::string(""), "/", "ends early"}),
    [](const ::testing::TestParamInfo<HostilePacked>& info) { return std::string(info.param.name); });

// A map that would not fit in the memory available is refused up front,
// naming the sizes, whichever form it is in.
TEST(DocumentFile, AMapTooBigForMemoryIsRefusedUpFront) {
  ScratchFolder folder;
  sim::Host made;
  BuildEveryKindOfArt(made);
  const std::string packed = folder.Write("packed.kzmap", sim::DocumentToBytes(*made.CurrentDocument()));
  const std::string json = folder.Write("json.kzmap", sim::DocumentToJson(*made.CurrentDocument()));
  ::setenv("KZMAP_MEMORY_AVAILABLE", "2000", 1);
  for (const std::string& path : {packed, json}) {
    sim::Host host;
    try {
      sim::LoadDocumentFile(host, path);
      ADD_FAILURE() << path << " loaded";
    } catch (const sim::DocumentFileError& error) {
      EXPECT_NE(error.Problem().find("needs about "), std::string::npos) << error.what();
      EXPECT_NE(error.Problem().find(" MB of memory to open, but only 1 MB is available"), std::string::npos)
          << error.what();
    }
    EXPECT_TRUE(host.Documents().empty());
  }
  ::setenv("KZMAP_MEMORY_AVAILABLE", "100000000", 1);
  for (const std::string& path : {packed, json}) {
    sim::Host host;
    EXPECT_NO_THROW(sim::LoadDocumentFile(host, path)) << path;
  }
  ::unsetenv("KZMAP_MEMORY_AVAILABLE");
}

TEST(DocumentFile, MissingFileAndFolderAreErrorsNamingThem) {
  ScratchFolder folder;
  sim::Host host;
  EXPECT_THROW(
      try { sim::LoadDocumentFile(host, folder.Path("none.kzmap")); } catch (const sim::DocumentFileError& e) {
        EXPECT_NE(std::string(e.what()).find("none.kzmap: cannot open"), std::string::npos) << e.what();
        throw;
      },
      sim::DocumentFileError);
  EXPECT_THROW(sim::LoadDocumentFile(host, folder.Path("")), sim::DocumentFileError);
}

// A document the file cannot hold fails before the old file is touched, and
// no temporary file is left behind.
TEST(DocumentFile, AFailedSaveLeavesTheOldFileWhole) {
  ScratchFolder folder;
  const std::string path = folder.Write("map.kzmap", "old contents");
  sim::Host host;
  sim::Document& document = host.NewDocument();
  sim::Layer& layer = host.AddLayer("L");
  // Dictionaries nested deeper than a file may hold.
  layer.group->Dict() = sim::NewDictionary();
  sim::Dictionary* inner = layer.group->Dict().get();
  for (int depth = 0; depth < 300; ++depth) {
    auto next = sim::NewDictionary();
    inner->Set("d", sim::Value{next});
    inner = next.get();
  }
  EXPECT_THROW(sim::SaveDocumentFile(document, path), sim::DocumentFileError);
  EXPECT_EQ(ScratchFolder::Read(path), "old contents");
  EXPECT_EQ(folder.FileCount(), 1u);

  EXPECT_THROW(sim::SaveDocumentFile(document, folder.Path("no/such/folder.kzmap")), sim::DocumentFileError);
}

}  // namespace

// Floats are written as their shortest text unless a reader, taking the text
// as a double and rounding that to a float, would land elsewhere; then the
// float's exact double is written. The expected text comes from the standard
// library's conversions and strtod, across every range of float magnitudes.
TEST(DocumentFile, FloatsReadBackThroughADouble) {
  std::vector<float> samples = {0.1f, 100.3f, 1e-45f, 3.4028235e38f, 1.17549435e-38f, 16777217.0f, 1e22f, 1e23f,
                                123456789.0f, 0.3f, 2.5e-8f, 9.999999e-5f};
  // Floats whose shortest text, read as a double, rounds to a neighbour
  // (found by an exhaustive search with strtod).
  for (uint32_t bits : {0x15ae43fdu, 0x95ae43fdu}) {
    float value = 0;
    std::memcpy(&value, &bits, sizeof value);
    samples.push_back(value);
  }
  uint32_t state = 12345;
  for (int i = 0; i < 200000; ++i) {
    state = state * 1664525u + 1013904223u;
    float value = 0;
    const uint32_t bits = state & 0xFF7FFFFFu;  // finite, either sign
    std::memcpy(&value, &bits, sizeof value);
    if (value != 0) samples.push_back(value);  // zeros have their own test above
  }
  for (float value : samples) {
    char shortest[64];
    *std::to_chars(shortest, shortest + sizeof shortest - 1, value).ptr = '\0';
    char exact[64];
    *std::to_chars(exact, exact + sizeof exact - 1, static_cast<double>(value)).ptr = '\0';
    const bool roundTrips = static_cast<float>(std::strtod(shortest, nullptr)) == value;
    std::string text;
    {
      sim::JsonWriter out(text);
      out.BeginArray(true);
      out.Number(value);
      out.EndArray();
      out.Flush();
    }
    ASSERT_EQ(text, std::string("[") + (roundTrips ? shortest : exact) + "]\n") << value;
  }
}
