// Runs of art in the map file: a summary load steps over big runs and keeps
// their counts, which must add up to what a whole load finds; the string and
// style tables forget what a run remembered, on both sides, so that a run
// can be stepped over; a run whose length or summary does not match its
// bytes is refused with the file and the place named.
#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <map>
#include <optional>
#include <ostream>
#include <tuple>
#include <string>
#include <vector>

#include "document/DocumentCompare.h"
#include "document/MapOfRuns.h"
#include "document/PackedBytes.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "sim/TextCodec.h"
#include "support/ScratchFolder.h"

namespace {

using kztest::BuildMapOfRuns;
using kztest::FieldRow;

// What a layer holds by its own art, counted here from the tree.
struct LayerTally {
  std::map<AIArtType, uint64_t> kinds;  // compound members not counted
  uint64_t members = 0, segments = 0;
  float extent = 0;
  bool operator==(const LayerTally&) const = default;
};

void Widen(float value, float& extent) { extent = std::max(extent, std::fabs(value)); }

void TallyArt(const sim::Art& art, bool member, LayerTally& tally) {
  if (member) {
    ++tally.members;
  } else {
    ++tally.kinds[art.type];
  }
  tally.segments += art.Segments().size();
  for (const AIPathSegment& segment : art.Segments()) {
    Widen(segment.p.h, tally.extent);
    Widen(segment.p.v, tally.extent);
  }
  if (art.type == kTextFrameArt) {
    Widen(art.Extras().text.anchor.h, tally.extent);
    Widen(art.Extras().text.anchor.v, tally.extent);
  }
  for (const sim::Art* child : art.children) TallyArt(*child, art.type == kCompoundPathArt, tally);
}

// Read art plus the summaries of what was stepped over, by layer title.
std::map<std::u16string, LayerTally> Tallies(const sim::Document& document) {
  std::map<std::u16string, LayerTally> result;
  for (const sim::Layer* layer : document.AllLayers()) {
    LayerTally& tally = result[layer->title];
    for (const sim::Art* art : layer->group->children)
      if (!art->ownerLayer) TallyArt(*art, false, tally);
    const auto unread = document.unread.find(layer);
    if (unread == document.unread.end()) continue;
    const sim::UnreadArt& summary = unread->second;
    const AIArtType types[] = {kGroupArt, kPathArt, kCompoundPathArt, kTextFrameArt, kSymbolArt};
    for (size_t i = 0; i < 5; ++i)
      if (summary.kinds[i]) tally.kinds[types[i]] += summary.kinds[i];
    if (summary.kinds[5]) tally.kinds[kUnknownArt] += summary.kinds[5];
    tally.members += summary.members;
    tally.segments += summary.segments;
    tally.extent = std::max(tally.extent, summary.extent);
  }
  return result;
}

// Other art counts as one kind in a summary.
std::map<std::u16string, LayerTally> WithOthersMerged(std::map<std::u16string, LayerTally> tallies) {
  for (auto& [title, tally] : tallies) {
    for (auto it = tally.kinds.begin(); it != tally.kinds.end();) {
      const AIArtType type = it->first;
      if (type == kGroupArt || type == kPathArt || type == kCompoundPathArt || type == kTextFrameArt ||
          type == kSymbolArt || type == kUnknownArt) {
        ++it;
        continue;
      }
      tally.kinds[kUnknownArt] += it->second;
      it = tally.kinds.erase(it);
    }
  }
  return tallies;
}

// Runs close here in these tests, so that a layer of a megabyte is many runs.
constexpr size_t kRunBytes = 64 << 10;
constexpr uint64_t kRunAndAHalf = kRunBytes * 3 / 2;

struct Reading {
  const char* name;
  uint64_t runsUpTo;
};

// How much the writer holds: a run longer than that has its head filled in
// at full width after its art.
struct Pieces {
  const char* name;
  size_t bytes;
};

void PrintTo(const Reading& reading, std::ostream* out) { *out << reading.name; }
void PrintTo(const Pieces& pieces, std::ostream* out) { *out << pieces.name; }

class SummaryLoad : public ::testing::TestWithParam<std::tuple<Reading, Pieces>> {};

// Whatever a summary steps over, its counts and largest coordinate per
// layer are those of the whole map, whichever form the runs' heads take;
// and it is never saved.
TEST_P(SummaryLoad, CountsWhatAWholeLoadFinds) {
  const auto& [reading, pieces] = GetParam();
  sim::Host host;
  BuildMapOfRuns(host);
  const std::string bytes = sim::DocumentToBytes(*host.CurrentDocument(), kRunBytes, pieces.bytes);
  // Runs held whole have their heads as short as they go; others padded.
  const std::string shortHeads = sim::DocumentToBytes(*host.CurrentDocument(), kRunBytes);
  if (pieces.bytes < kRunBytes) {
    EXPECT_GT(bytes.size(), shortHeads.size());
  } else {
    EXPECT_TRUE(bytes == shortHeads);
  }
  sim::Document whole;
  sim::DocumentFromBytes(whole, bytes, "runs.kzmap");
  kztest::ExpectSameDocument(*host.CurrentDocument(), whole);

  // From a file, so that runs beyond the reader's buffer are sought past.
  kztest::ScratchFolder folder;
  sim::Host opened;
  const sim::Document& summary =
      sim::LoadDocumentSummary(opened, folder.Write("runs.kzmap", bytes), {reading.runsUpTo, {}});
  EXPECT_EQ(summary.AllLayers().size(), whole.AllLayers().size());
  const auto expected = WithOthersMerged(Tallies(whole));
  const auto actual = WithOthersMerged(Tallies(summary));
  for (const auto& [title, tally] : expected) {
    ASSERT_TRUE(actual.count(title)) << sim::Utf16ToUtf8(title);
    const LayerTally& got = actual.at(title);
    EXPECT_EQ(got.kinds, tally.kinds) << sim::Utf16ToUtf8(title);
    EXPECT_EQ(got.members, tally.members) << sim::Utf16ToUtf8(title);
    EXPECT_EQ(got.segments, tally.segments) << sim::Utf16ToUtf8(title);
    EXPECT_EQ(got.extent, tally.extent) << sim::Utf16ToUtf8(title);
  }
  EXPECT_EQ(expected.at(u"points").extent, 123456.5f);
  EXPECT_EQ(expected.at(u"mixed").extent, 700.5f);
  // The points layer is over a megabyte: its runs close after kRunBytes, so
  // a summary reading runs of half as much again reads them all.
  EXPECT_EQ(summary.unread.empty(), reading.runsUpTo >= kRunAndAHalf);
  if (summary.unread.empty()) kztest::ExpectSameDocument(whole, summary);
  EXPECT_THROW(sim::DocumentToBytes(summary), sim::DocumentFileError);
}

INSTANTIATE_TEST_SUITE_P(
    Thresholds, SummaryLoad,
    ::testing::Combine(::testing::Values(Reading{"NothingRead", 0}, Reading{"SmallRunsRead", 4096},
                                         Reading{"AlmostEveryRunRead", kRunBytes - 1},
                                         Reading{"Default", sim::kSummaryReadsRunsUpTo},
                                         Reading{"EveryRunRead", kRunAndAHalf}, Reading{"EverythingRead", UINT64_MAX}),
                       // Runs held whole; heads handed on mid-art; every head handed on before its art.
                       ::testing::Values(Pieces{"SavedPieces", sim::kPackPieceBytes}, Pieces{"SmallPieces", 4096},
                                         Pieces{"OneBytePieces", 1})),
    [](const ::testing::TestParamInfo<std::tuple<Reading, Pieces>>& info) {
      return std::string(std::get<0>(info.param).name) + std::get<1>(info.param).name;
    });

// Each layer's strings and styles are its run's own: the second layer's
// field name, value and style take the table places the first layer's had,
// whether the first run was read or stepped over.
TEST(ArtRun, TablesForgetWhatARunRemembered) {
  sim::Host host;
  sim::Document& document = host.NewDocument();
  sim::Layer& first = host.AddLayer("first");
  for (int i = 0; i < 200; ++i) {
    sim::Art& mark = host.AddPath(*first.group, {{0, 0}, {1, 1}}, false);
    host.EditStyle(&mark, [](AIPathStyle& style) { style.stroke.width = 3; });
    mark.Dict() = FieldRow(u"a", 0, u"x");
    mark.Dict()->Set("first", sim::Value{1});
  }
  // Two marks, so that the second refers to what the first remembered.
  sim::Layer& second = host.AddLayer("second");
  for (int i = 0; i < 2; ++i) {
    sim::Art& mark = host.AddPath(*second.group, {{0, 0}, {1, 1}}, false);
    host.EditStyle(&mark, [](AIPathStyle& style) { style.stroke.width = 7; });
    mark.Dict() = FieldRow(u"b", 0, u"y");
    mark.Dict()->Set("second", sim::Value{2});
  }
  const std::string bytes = sim::DocumentToBytes(document);

  sim::Document whole;
  sim::DocumentFromBytes(whole, bytes, "tables.kzmap");
  kztest::ExpectSameDocument(document, whole);

  sim::Document summary;
  sim::DocumentSummaryFromBytes(summary, bytes, "tables.kzmap", {1000, {}});
  ASSERT_EQ(summary.layers.size(), 2u);
  EXPECT_TRUE(summary.layers[0]->group->children.empty());
  EXPECT_EQ(summary.unread.at(summary.layers[0]).kinds[1], 200u);
  ASSERT_EQ(summary.layers[1]->group->children.size(), 2u);
  for (const sim::Art* read : summary.layers[1]->group->children) {
    EXPECT_EQ(read->Style().stroke.width, 7);
    ASSERT_TRUE(read->Dict());
    const sim::Value* row = read->Dict()->Find("KartzmapField");
    ASSERT_TRUE(row && row->IsArray());
    const sim::Array& field = *(*row->AsArray())[0].AsArray();
    EXPECT_EQ(field[0].String(), u"b");
    EXPECT_EQ(field[4].String(), u"y");
    EXPECT_TRUE(read->Dict()->Has("second"));
  }
}

// --- Hostile runs ---------------------------------------------------------------

using kztest::Floats;
using kztest::Varint;

// The header's counts of a map of one layer "L" holding one two-anchor path,
// as a save writes them: layers, art, segments, values, text units.
const std::string kOnePathCounts = Varint(1) + Varint(2) + Varint(2) + Varint(0) + Varint(1);

// A packed file (version 4 unless given), assembled here byte by byte: one layer "L" whose art
// (children entries in all) is body.
std::string Packed4(uint64_t children, const std::string& body, uint64_t version = 4,
                    const std::string& counts = Varint(2) + Varint(4) + Varint(4) + Varint(8) + Varint(64)) {
  return std::string("\x89KZMAP\r\n", 8) + Varint(version) + counts + Floats({0, 842, 595, 0}) + Varint(1) +
         Varint(1) + Varint(2) + "L" + "\x01" + Floats({0, 0, 1}) + Varint(0) + Varint(children) + body + Varint(1);
}

// A straight path of two anchors, (1, 2) and (3, -4), with a new style.
const std::string kStyle = std::string("\x00\x00", 2) + Varint(12) + Varint(12) + Floats({1}) +
                           std::string("\x00", 1) + Floats({0}) + std::string(8, '\0') + Floats({4});
const std::string kPath = "\x01" + Varint(1 << 11) + kStyle + Varint(2) + Floats({1, 2, 3, -4});
// The same as a save writes it: the style remembered, not inline.
const std::string kSavedPath = "\x01" + Varint(1 << 11) + "\x01" + kStyle.substr(1) + Varint(2) + Floats({1, 2, 3, -4});
// kPath selected.
const std::string kSelectedPath = "\x01" + Varint(1 << 11 | 1) + kStyle + Varint(2) + Floats({1, 2, 3, -4});

// Point text at (1, 2) whose contents refer to the first string remembered.
const std::string kTextOfTheTitle =
    "\x03" + Varint(0) + Floats({1, 2}) + Varint(0) + Varint(0) + Varint(2) + Floats({12});

struct Summary {
  std::vector<uint64_t> kinds{0, 1, 0, 0, 0, 0};
  uint64_t members = 0, segments = 2, values = 0, textUnits = 0;
  float extent = 4;
  uint64_t objects = 1;
  std::optional<uint64_t> selected;  // from version 6
};

// A run's tag, length, summary and art; padded, every number at ten bytes.
std::string RunBytes(const Summary& summary, const std::string& art, int64_t lengthOff = 0, bool padded = false) {
  const auto number = [padded](uint64_t value) { return padded ? kztest::PaddedVarint(value) : Varint(value); };
  std::string head;
  for (uint64_t count : summary.kinds) head += number(count);
  for (uint64_t count : {summary.members, summary.segments, summary.values, summary.textUnits}) head += number(count);
  head += Floats({summary.extent}) + number(summary.objects);
  if (summary.selected) head += number(*summary.selected);
  const auto length = static_cast<uint64_t>(static_cast<int64_t>(head.size() + art.size()) + lengthOff);
  return "\x07" + number(length) + head + art;
}

std::string PaddedRunBytes(const Summary& summary, const std::string& art, int64_t lengthOff = 0) {
  return RunBytes(summary, art, lengthOff, true);
}

// A padded run whose length is given as these bytes.
std::string RunWithLength(const std::string& length, const std::string& art) {
  const std::string run = PaddedRunBytes({}, art);
  return "\x07" + length + run.substr(11);
}

Summary With(void (*change)(Summary&)) {
  Summary summary;
  change(summary);
  return summary;
}

const Summary kTextSummary{{0, 0, 0, 1, 0, 0}, 0, 0, 0, 1, 2, 1};
// A path's summary in version 6, with selected objects counted.
Summary Six(uint64_t selected = 0) {
  Summary summary;
  summary.selected = selected;
  return summary;
}

// A layer's flags: visible and locked; from version 5 also whether its
// art may be selected. Others are refused.
TEST(ArtRun, LayerFlagsOfEachVersion) {
  const struct {
    uint64_t version;
    char flags;
    bool loads;
  } cases[] = {{4, 3, true}, {4, 4, false}, {5, 7, true}, {5, 8, false}, {6, 7, true}, {6, 8, false}};
  for (const auto& given : cases) {
    std::string bytes = Packed4(1, RunBytes(given.version >= 6 ? Six() : Summary{}, kPath), given.version);
    const size_t at = bytes.find(std::string("L\x01", 2));
    ASSERT_NE(at, std::string::npos);
    bytes[at + 1] = given.flags;
    sim::Document document;
    if (given.loads) {
      sim::DocumentFromBytes(document, bytes, "hand.kzmap");
      EXPECT_FALSE(document.layers.at(0)->editable);
    } else {
      try {
        sim::DocumentFromBytes(document, bytes, "hand.kzmap");
        ADD_FAILURE() << "version " << given.version << " loaded flags " << int(given.flags);
      } catch (const sim::DocumentFileError& error) {
        EXPECT_NE(error.Problem().find("unknown layer flags"), std::string::npos) << error.what();
      }
    }
  }
}

// Before version 5 a run could refer to what was remembered before it.
TEST(ArtRun, AVersion4RunRefersToStringsBeforeIt) {
  sim::Document document;
  sim::DocumentFromBytes(document, Packed4(1, RunBytes(kTextSummary, kTextOfTheTitle)), "hand.kzmap");
  ASSERT_EQ(document.layers.at(0)->group->children.size(), 1u);
  EXPECT_EQ(document.layers[0]->group->children[0]->Extras().text.contents, u"L");
}

class HandMadeRun : public ::testing::TestWithParam<bool> {};

TEST_P(HandMadeRun, LoadsWholeAndAsASummary) {
  const std::string bytes = Packed4(1, RunBytes({}, kPath, 0, GetParam()));
  sim::Document whole;
  sim::DocumentFromBytes(whole, bytes, "hand.kzmap");
  ASSERT_EQ(whole.layers.at(0)->group->children.size(), 1u);
  EXPECT_EQ(whole.layers[0]->group->children[0]->Segments()[1].p.v, -4);
  sim::Document summary;
  sim::DocumentSummaryFromBytes(summary, bytes, "hand.kzmap", {0, {}});
  EXPECT_TRUE(summary.layers.at(0)->group->children.empty());
  sim::UnreadArt expected;
  expected.kinds[1] = 1;
  expected.segments = 2;
  expected.extent = 4;
  EXPECT_TRUE(summary.unread.at(summary.layers[0]) == expected);
  // The layers a summary reads whole are read whole.
  sim::Document georeference;
  sim::DocumentSummaryFromBytes(georeference, bytes, "hand.kzmap", {0, {u"L"}});
  EXPECT_EQ(georeference.layers.at(0)->group->children.size(), 1u);
  EXPECT_TRUE(georeference.unread.empty());
}

INSTANTIATE_TEST_SUITE_P(Heads, HandMadeRun, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return std::string(info.param ? "Padded" : "Short");
                         });

struct Form {
  const char* name;
  size_t pieceBytes;
  bool padded;
};

void PrintTo(const Form& form, std::ostream* out) { *out << form.name; }

class RunHead : public ::testing::TestWithParam<Form> {};

// A run the writer holds whole gets its head as short as it goes, the form
// files had before; one handed on before it closed gets every number at ten
// bytes, at the place its hole was left.
TEST_P(RunHead, TakesTheFormItsPiecesAllow) {
  const std::string saved = Packed4(1, RunBytes(Six(), kSavedPath), 6, kOnePathCounts);
  sim::Document document;
  sim::DocumentFromBytes(document, saved, "hand.kzmap");
  const std::string expected = Packed4(1, RunBytes(Six(), kSavedPath, 0, GetParam().padded), 6, kOnePathCounts);
  const std::string written = sim::DocumentToBytes(document, sim::kArtRunBytes, GetParam().pieceBytes);
  EXPECT_TRUE(written == expected) << testing::PrintToString(written) << "\n" << testing::PrintToString(expected);
  sim::Document again;
  sim::DocumentFromBytes(again, written, "again.kzmap");
  kztest::ExpectSameDocument(document, again);
}

INSTANTIATE_TEST_SUITE_P(Pieces, RunHead,
                         ::testing::Values(Form{"HeldWhole", sim::kPackPieceBytes, false},
                                           Form{"HandedOnAtOnce", 1, true}, Form{"HandedOnWithItsTag", 64, true}),
                         [](const ::testing::TestParamInfo<Form>& info) { return std::string(info.param.name); });

// Where in the file the first padded run starts (its tag), or npos.
size_t FirstPaddedRun(const std::string& bytes) {
  for (size_t at = 0; at + 11 <= bytes.size(); ++at) {
    if (bytes[at] != '\x07') continue;
    bool padded = static_cast<unsigned char>(bytes[at + 10]) <= 1;
    for (size_t i = 1; i < 10 && padded; ++i) padded = static_cast<unsigned char>(bytes[at + i]) >= 0x80;
    if (padded) return at;
  }
  return std::string::npos;
}

// A layer of over a megabyte saved at the saved run size is a run longer than
// a piece: the file's hole for its head is filled in place, the file holds
// the same bytes as a save to memory, and a check against the file sees a
// change in the head as in the art.
TEST(ArtRun, ARunLongerThanAPieceIsFilledInPlaceInTheFile) {
  sim::Host host;
  BuildMapOfRuns(host);
  const sim::Document& document = *host.CurrentDocument();
  kztest::ScratchFolder folder;
  const std::string path = folder.PathText("big.kzmap");
  sim::SaveDocumentFile(document, path);
  const std::string saved = kztest::ScratchFolder::Read(path);
  EXPECT_TRUE(saved == sim::DocumentToBytes(document));
  const size_t run = FirstPaddedRun(saved);
  ASSERT_NE(run, std::string::npos);
  EXPECT_GT(saved.size() - run, sim::kPackPieceBytes);

  sim::Host opened;
  kztest::ExpectSameDocument(document, sim::LoadDocumentFile(opened, path));
  sim::Host summarised;
  const sim::Document& summary = sim::LoadDocumentSummary(summarised, path, {0, {}});
  const sim::Layer* points = nullptr;
  for (const sim::Layer* layer : summary.AllLayers())
    if (layer->title == u"points") points = layer;
  ASSERT_TRUE(points && summary.unread.count(points));
  EXPECT_EQ(summary.unread.at(points).kinds[1], 30001u);

  EXPECT_TRUE(sim::DocumentFileHolds(document, path));
  // The length's first byte and last, the objects' count, the first art byte.
  for (const size_t at : {run + 1, run + 10, run + 1 + 120, run + 125}) {
    std::string changed = saved;
    changed[at] = static_cast<char>(changed[at] ^ 1);
    folder.Write("big.kzmap", changed);
    EXPECT_FALSE(sim::DocumentFileHolds(document, path)) << "byte " << at - run << " of the run";
  }
}

struct HostileRun {
  const char* name;
  std::string bytes;
  bool wholeOnly;       // a summary that steps over the run cannot tell
  const char* place;    // expected in the message
  const char* problem;  // expected in the message
};

void PrintTo(const HostileRun& hostile, std::ostream* out) { *out << hostile.name; }

class HostileRunFile : public ::testing::TestWithParam<HostileRun> {};

void ExpectRefused(const std::string& path, const HostileRun& hostile, bool summary) {
  sim::Host host;
  try {
    if (summary) {
      sim::LoadDocumentSummary(host, path, {0, {}});
    } else {
      sim::LoadDocumentFile(host, path);
    }
    ADD_FAILURE() << "loaded" << (summary ? " as a summary" : "");
  } catch (const sim::DocumentFileError& error) {
    const std::string message = error.what();
    EXPECT_EQ(message.rfind(path + ": ", 0), 0u) << message;
    EXPECT_NE(error.Place().find(hostile.place), std::string::npos) << message;
    EXPECT_NE(error.Place().find("(byte "), std::string::npos) << message;
    EXPECT_NE(error.Problem().find(hostile.problem), std::string::npos) << message;
  }
  EXPECT_TRUE(host.Documents().empty());
}

TEST_P(HostileRunFile, IsRefusedNamingTheFileAndThePlace) {
  kztest::ScratchFolder folder;
  const std::string path = folder.Write("hostile.kzmap", GetParam().bytes);
  ExpectRefused(path, GetParam(), false);
  if (!GetParam().wholeOnly) ExpectRefused(path, GetParam(), true);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, HostileRunFile,
    ::testing::Values(
        HostileRun{"LengthOneShort", Packed4(1, RunBytes({}, kPath, -1)), true, "/layers/0/art", "takes"},
        HostileRun{"LengthOneLong", Packed4(1, RunBytes({}, kPath, 1) + "\x00"), true, "/layers/0/art", "takes"},
        HostileRun{"LengthBeyondTheFile", Packed4(1, RunBytes({}, kPath, 100)), false, "/layers/0/art",
                   "more than the bytes left"},
        HostileRun{"LengthShorterThanItsSummary", Packed4(1, RunBytes({}, kPath, -static_cast<int64_t>(kPath.size()) - 3)),
                   false, "/layers/0/art", "longer than its length"},
        HostileRun{"KindWrong", Packed4(1, RunBytes(With([](Summary& s) { s.kinds = {0, 0, 0, 0, 1, 0}; }), kPath)), true,
                   "/layers/0/art", "does not match its art"},
        HostileRun{"MemberNotAPath",
                   Packed4(1, RunBytes(With([](Summary& s) { s.kinds = {0, 0, 0, 0, 0, 0}, s.members = 1; }), kPath)),
                   true, "/layers/0/art", "does not match its art"},
        HostileRun{"SegmentsWrong", Packed4(1, RunBytes(With([](Summary& s) { s.segments = 3; }), kPath)), true,
                   "/layers/0/art", "does not match its art"},
        HostileRun{"ValuesWrong", Packed4(1, RunBytes(With([](Summary& s) { s.values = 1; }), kPath)), true,
                   "/layers/0/art", "does not match its art"},
        HostileRun{"TextWrong", Packed4(1, RunBytes(With([](Summary& s) { s.textUnits = 1; }), kPath)), true,
                   "/layers/0/art", "does not match its art"},
        HostileRun{"ExtentWrong", Packed4(1, RunBytes(With([](Summary& s) { s.extent = 3; }), kPath)), true,
                   "/layers/0/art", "does not match its art"},
        HostileRun{"ExtentNotANumber", Packed4(1, RunBytes(With([](Summary& s) { s.extent = std::nanf(""); }), kPath)),
                   false, "/layers/0/art", "from 0 up"},
        HostileRun{"ExtentNegative", Packed4(1, RunBytes(With([](Summary& s) { s.extent = -4; }), kPath)), false,
                   "/layers/0/art", "from 0 up"},
        HostileRun{"NoObjects", Packed4(1, RunBytes(With([](Summary& s) { s.objects = 0; }), kPath)), false,
                   "/layers/0/art", "a run of 0 objects"},
        HostileRun{"MoreObjectsThanTheLayer", Packed4(1, RunBytes(With([](Summary& s) { s.objects = 2; }), kPath)), false,
                   "/layers/0/art", "a run of 2 objects where the layer has 1 left"},
        HostileRun{"MoreObjectsThanArt",
                   Packed4(2, RunBytes(With([](Summary& s) { s.objects = 2; }), kPath + kPath)), false, "/layers/0/art",
                   "fewer objects than it lists"},
        HostileRun{"MoreArtThanTheHeader",
                   Packed4(1, RunBytes(With([](Summary& s) { s.kinds = {0, 1, 0, 0, 0, 9}; }), kPath)), false,
                   "/layers/0/art", "more than the file's header says"},
        HostileRun{"MoreSegmentsThanTheHeader", Packed4(1, RunBytes(With([](Summary& s) { s.segments = 5; }), kPath)),
                   false, "/layers/0/art", "more than the file's header says"},
        HostileRun{"HugeCountsThatWouldWrap",
                   Packed4(1, RunBytes(With([](Summary& s) { s.kinds = {0, 1, 0, 0, 0, UINT64_MAX}; }), kPath)), false,
                   "/layers/0/art", "more than the file's header says"},
        HostileRun{"SublayerInsideARun",
                   Packed4(1, RunBytes(With([](Summary& s) { s.kinds = {0, 0, 0, 0, 0, 0}, s.segments = 0, s.extent = 0,
                                                        s.members = 1; }),
                                  "\x06" + Varint(1) + Varint(2) + "S" + "\x01" + Floats({0, 0, 1}) + Varint(0) +
                                      Varint(0))),
                   true, "/layers/0/art/0", "a sublayer lies directly inside a layer"},
        // Each run alone is within the header; together they are not.
        HostileRun{"RunsTogetherBeyondTheHeader",
                   Packed4(3, RunBytes({}, kPath) + RunBytes({}, kPath) + RunBytes({}, kPath)), false,
                   "/layers/0/art", "than the file's header says"},
        HostileRun{"ArtOutsideARun", Packed4(1, kPath), false, "/layers/0/art", "expected a run of art or a sublayer"},
        // Heads filled in at full width are held to the same checks.
        HostileRun{"PaddedLengthOneShort", Packed4(1, PaddedRunBytes({}, kPath, -1)), true, "/layers/0/art", "takes"},
        HostileRun{"PaddedLengthOneLong", Packed4(1, PaddedRunBytes({}, kPath, 1) + "\x00"), true, "/layers/0/art",
                   "takes"},
        HostileRun{"PaddedLengthBeyondTheFile", Packed4(1, PaddedRunBytes({}, kPath, 100)), false, "/layers/0/art",
                   "more than the bytes left"},
        HostileRun{"PaddedLengthOfTheTopBit",
                   Packed4(1, RunWithLength(std::string(9, '\x80') + "\x01", kPath)), false, "/layers/0/art",
                   "more than the bytes left"},
        HostileRun{"PaddedLengthBeyondSixtyFourBits",
                   Packed4(1, RunWithLength(std::string(9, '\x80') + "\x02", kPath)), false, "/layers/0/art",
                   "a number longer than 64 bits"},
        HostileRun{"PaddedLengthOfElevenBytes",
                   Packed4(1, RunWithLength(std::string(10, '\x80') + "\x00", kPath)), false, "/layers/0/art",
                   "a number longer than 64 bits"},
        HostileRun{"PaddedSegmentsWrong", Packed4(1, PaddedRunBytes(With([](Summary& s) { s.segments = 3; }), kPath)),
                   true, "/layers/0/art", "does not match its art"},
        HostileRun{"PaddedMoreArtThanTheHeader",
                   Packed4(1, PaddedRunBytes(With([](Summary& s) { s.kinds = {0, 1, 0, 0, 0, 9}; }), kPath)), false,
                   "/layers/0/art", "more than the file's header says"},
        HostileRun{"RunInAnOlderVersion", Packed4(1, RunBytes({}, kPath), 3), false, "/layers/0/art/0",
                   "unknown art type 7"},
        // From version 5 a run starts with empty tables: the layer's title,
        // remembered before it, is not there to refer to.
        HostileRun{"RunReferringToAStringBeforeIt", Packed4(1, RunBytes(kTextSummary, kTextOfTheTitle), 5), true,
                   "/layers/0/art", "refers to string 0 but only 0 were written before"},
        // From version 6 a run counts the objects it holds selected.
        HostileRun{"SelectedNotCounted", Packed4(1, RunBytes(Six(0), kSelectedPath), 6), true, "/layers/0/art",
                   "does not match its art"},
        HostileRun{"SelectedCountedWhereNone", Packed4(1, RunBytes(Six(1), kPath), 6), true, "/layers/0/art",
                   "does not match its art"},
        HostileRun{"MoreSelectedThanItHolds", Packed4(1, RunBytes(Six(2), kSelectedPath), 6), false, "/layers/0/art",
                   "more objects selected than it holds"}),
    [](const ::testing::TestParamInfo<HostileRun>& info) { return std::string(info.param.name); });

}  // namespace
