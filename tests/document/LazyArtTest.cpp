// Art left in the map file until something reaches it: whatever a command
// changes, the map it saves is the one a whole load would have saved, byte
// for byte; what it never reached is copied from the old file; a file
// changed or damaged under it is said, and never saved over.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstdint>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "document/DocumentCompare.h"
#include "document/MapOfRuns.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"
#include "support/Process.h"
#include "support/ScratchFolder.h"

namespace {

using kztest::ScratchFolder;

// Runs close at 64 KiB here, so that the points layer is many runs.
constexpr size_t kRunBytes = 64 << 10;

// Leaves runs over so many bytes in the file while alive.
class LeavingRuns {
 public:
  explicit LeavingRuns(uint64_t over) : before(sim::LazyArt::LazyRunBytes()) { sim::LazyArt::LeaveRunsOver(over); }
  ~LeavingRuns() { sim::LazyArt::LeaveRunsOver(before); }

 private:
  uint64_t before;
};

sim::Layer& LayerTitled(sim::Document& document, const std::u16string& title) {
  for (sim::Layer* layer : document.AllLayers())
    if (layer->title == title) return *layer;
  throw std::runtime_error("no such layer");
}

struct Edit {
  const char* name;
  void (*apply)(sim::Document&);
  bool readsPoints;  // whether the edit reaches the points layer's art
  // Runs stay in the file as they are: art put on top of them goes in a run
  // of its own, and runs a deleted sublayer stood between stay apart, where
  // a whole load's save writes one run.
  bool splitsRuns = false;
};

void PrintTo(const Edit& edit, std::ostream* out) { *out << edit.name; }

void AddPathOnTop(sim::Document& document, sim::Layer& layer) {
  sim::Art* path = document.MakeArt(kPathArt);
  const AIRealPoint anchors[] = {{7, 7}, {8, 9}};
  path->Segments().AssignCorners(anchors, 2);
  ASSERT_EQ(document.Place(path, kPlaceInsideOnTop, layer.group), kNoErr);
}

// A new shape goes on top of the current layer, then to its own (as an import draws points).
void PlaceOnTopAndMove(sim::Document& d) {
  sim::Art* shape = d.MakeArt(kPathArt);
  const AIRealPoint anchors[] = {{1, 1}, {2, 1}, {2, 2}};
  shape->Segments().AssignCorners(anchors, 3);
  ASSERT_EQ(d.Place(shape, kPlaceInsideOnTop, LayerTitled(d, u"points").group), kNoErr);
  ASSERT_EQ(d.Place(shape, kPlaceInsideOnTop, LayerTitled(d, u"empty").group), kNoErr);
}

const Edit kEdits[] = {
    {"Nothing", [](sim::Document&) {}, false},
    {"AddToTheBigLayer", [](sim::Document& d) { AddPathOnTop(d, LayerTitled(d, u"points")); }, false, true},
    {"AddToTheBottomOfTheBigLayer",
     [](sim::Document& d) {
       sim::Art* path = d.MakeArt(kPathArt);
       ASSERT_EQ(d.Place(path, kPlaceInsideOnBottom, LayerTitled(d, u"points").group), kNoErr);
     },
     true},
    {"AddToAnEmptyLayer", [](sim::Document& d) { AddPathOnTop(d, LayerTitled(d, u"empty")); }, false},
    {"AddToASublayer", [](sim::Document& d) { AddPathOnTop(d, LayerTitled(d, u"last")); }, false, true},
    {"PlaceOnTopOfTheBigLayerAndMove", PlaceOnTopAndMove, false},
    {"ChangeARowBetweenSublayers",
     [](sim::Document& d) { LayerTitled(d, u"mixed").group->children[2]->Dict() = kztest::FieldRow(u"f", 0, u"v"); },
     false},
    {"DisposeAPoint", [](sim::Document& d) { d.Dispose(LayerTitled(d, u"points").group->children[5]); }, true},
    {"SelectAPoint", [](sim::Document& d) { d.SetSelected(LayerTitled(d, u"points").group->children[3], true); }, true},
    {"DeleteASublayer", [](sim::Document& d) { d.DeleteLayer(&LayerTitled(d, u"between")); }, false, true},
    {"MoveAPointToAnotherLayer",
     [](sim::Document& d) {
       sim::Art* point = LayerTitled(d, u"points").group->children[7];
       d.Detach(point);
       ASSERT_EQ(d.Place(point, kPlaceInsideOnBottom, LayerTitled(d, u"empty").group), kNoErr);
     },
     true},
    {"RenameTheBigLayer", [](sim::Document& d) { LayerTitled(d, u"points").title = u"地点"; }, false},
};

class LazyArtEdit : public ::testing::TestWithParam<Edit> {
 protected:
  void SetUp() override {
    sim::Host host;
    kztest::BuildMapOfRuns(host);
    saved = folder.Write("map.kzmap", sim::DocumentToBytes(*host.CurrentDocument(), kRunBytes));
  }

  // The map loaded with runs over `over` bytes left in the file, edited
  // and saved (in runs as short as the file's, so that a layer never
  // reached is copied as it would be written).
  std::string EditedAndSaved(uint64_t over, size_t* waiting = nullptr) {
    const LeavingRuns leaving(over);
    sim::Host host;
    sim::Document& document = sim::LoadDocumentFile(host, saved);
    const sim::Layer& points = LayerTitled(document, u"points");
    GetParam().apply(document);
    if (waiting) {
      *waiting = document.lazy.Waiting();
      EXPECT_EQ(points.group->children.Pending() == nullptr, GetParam().readsPoints);
    }
    const std::string bytes = sim::DocumentToBytes(document, kRunBytes);
    // A save to a file copies the same bytes.
    const std::string path = folder.PathText("saved.kzmap");
    sim::SaveDocumentFile(document, path);
    EXPECT_EQ(document.lazy.Waiting(), waiting ? *waiting : 0u);
    if (waiting && std::string(GetParam().name) == "Nothing") EXPECT_TRUE(ScratchFolder::Read(path) == bytes);
    return bytes;
  }

  ScratchFolder folder;
  std::string saved;
};

// Whatever the edit, the map saved holds what a whole load saves, and but
// for runs it splits differently is the same bytes; what it never reached
// stays in the file until the save copies it.
TEST_P(LazyArtEdit, SavesWhatAWholeLoadSaves) {
  const std::string whole = EditedAndSaved(UINT64_MAX);
  size_t waiting = 0;
  const std::string lazy = EditedAndSaved(0, &waiting);
  if (!GetParam().splitsRuns) EXPECT_TRUE(lazy == whole) << "sizes " << lazy.size() << " and " << whole.size();
  sim::Document fromWhole, fromLazy;
  sim::DocumentFromBytes(fromWhole, whole, "whole.kzmap");
  sim::DocumentFromBytes(fromLazy, lazy, "lazy.kzmap");
  kztest::ExpectSameDocument(fromWhole, fromLazy);
  EXPECT_GT(waiting, 0u);
  if (std::string(GetParam().name) == "Nothing") {
    EXPECT_TRUE(lazy == ScratchFolder::Read(saved));
    // mixed, last and points: every layer with art of its own.
    EXPECT_EQ(waiting, 3u);
  }
}

INSTANTIATE_TEST_SUITE_P(Edits, LazyArtEdit, ::testing::ValuesIn(kEdits),
                         [](const ::testing::TestParamInfo<Edit>& info) { return std::string(info.param.name); });

struct LazyMap : ::testing::Test {
  void SetUp() override {
    kztest::BuildMapOfRuns(built);
    path = folder.Write("map.kzmap", sim::DocumentToBytes(*built.CurrentDocument(), kRunBytes));
  }

  const LeavingRuns leaving{0};
  ScratchFolder folder;
  sim::Host built;
  std::string path;
};

// The value of the art's first field, as a row holds it.
std::u16string FirstValue(const sim::Art& art) {
  const sim::Value* row = art.Dict() ? art.Dict()->Find("KartzmapField") : nullptr;
  if (!row || !row->IsArray()) return u"(no row)";
  return std::u16string((*(*row->AsArray())[0].AsArray())[4].String());
}

// Finding the selection reads only the runs whose heads count selected
// art; a change to what it found is saved with the rest copied.
TEST_F(LazyMap, FindingTheSelectionReadsOnlyRunsWithSelectedArt) {
  sim::Document& made = *built.CurrentDocument();
  made.SetSelected(LayerTitled(made, u"mixed").group->children[0], true);
  sim::ArtList& points = LayerTitled(made, u"points").group->children;
  sim::Art* point = points[points.size() / 2];
  made.SetSelected(point, true);
  folder.Write("map.kzmap", sim::DocumentToBytes(made, kRunBytes));

  sim::Host host;
  sim::Document& document = sim::LoadDocumentFile(host, path);
  const size_t runs = document.lazy.RunsWaiting();
  const std::vector<sim::Art*> selected = host.SelectedArt();
  ASSERT_EQ(selected.size(), 2u);
  EXPECT_EQ(document.lazy.RunsWaiting(), runs - 2);
  EXPECT_TRUE(document.LayerHasSelection(&LayerTitled(document, u"mixed")));
  EXPECT_TRUE(document.LayerHasSelection(&LayerTitled(document, u"points")));
  EXPECT_FALSE(document.LayerHasSelection(&LayerTitled(document, u"last")));
  EXPECT_EQ(document.lazy.RunsWaiting(), runs - 2);
  sim::Art* found = document.LayerOfArt(selected[1])->title == u"points" ? selected[1] : selected[0];
  EXPECT_TRUE(FirstValue(*found) == FirstValue(*point));

  found->Dict() = kztest::FieldRow(u"名前", 0, u"選んだ地点");
  point->Dict() = kztest::FieldRow(u"名前", 0, u"選んだ地点");
  const std::string copy = folder.PathText("copy.kzmap");
  sim::SaveDocumentFile(document, copy);
  EXPECT_EQ(document.lazy.RunsWaiting(), runs - 2);
  sim::Document again;
  sim::DocumentFromBytes(again, ScratchFolder::Read(copy), copy);
  kztest::ExpectSameDocument(made, again);
}

struct SelectionCommand {
  const char* name;
  const char* arguments;  // after the map
  void (*check)(sim::Document&, sim::Host&);
};

void PrintTo(const SelectionCommand& command, std::ostream* out) { *out << command.name; }

uint64_t Texts(const sim::Document& document) {
  uint64_t count = 0;
  for (const sim::Layer* layer : document.layers) count += document.CountOfType(layer->group, kTextFrameArt);
  return count;
}

const SelectionCommand kSelectionCommands[] = {
    {"Set", " set 名前=選んだ地点",
     [](sim::Document&, sim::Host& host) {
       const std::vector<sim::Art*> selected = host.SelectedArt();
       ASSERT_EQ(selected.size(), 1u);
       EXPECT_TRUE(FirstValue(*selected[0]) == u"選んだ地点");
     }},
    // The map holds one text before.
    {"Label", " label 名前", [](sim::Document& document, sim::Host&) { EXPECT_EQ(Texts(document), 2u); }},
};

class SelectionCommandOnALazyMap : public LazyMap, public ::testing::WithParamInterface<SelectionCommand> {};

// A command that works on the selected objects reads only the runs that
// hold them: damage in another run does not stop it (and stays as it was).
TEST_P(SelectionCommandOnALazyMap, ReadsOnlyTheRunsOfTheSelection) {
  sim::Document& made = *built.CurrentDocument();
  made.SetSelected(LayerTitled(made, u"points").group->children[3], true);
  std::string damaged = sim::DocumentToBytes(made, kRunBytes);
  const std::string far("\x40\x20\xF1\x47", 4);
  const size_t at = damaged.find(far);
  ASSERT_NE(at, std::string::npos);
  damaged[at + 3] = '\x67';
  folder.Write("map.kzmap", damaged);
  const auto run = kztest::RunKzmap("attr " + kztest::Quote(path) + GetParam().arguments, "", "KZMAP_LAZY_RUN_BYTES=0");
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string changed = ScratchFolder::Read(path);
  EXPECT_NE(changed.find(std::string(far.data(), 3) + "\x67"), std::string::npos);
  sim::Host host;
  sim::Document& document = sim::LoadDocumentFile(host, path);
  GetParam().check(document, host);
  EXPECT_TRUE(document.lazy.Failure().empty()) << document.lazy.Failure();
}

INSTANTIATE_TEST_SUITE_P(Commands, SelectionCommandOnALazyMap, ::testing::ValuesIn(kSelectionCommands),
                         [](const ::testing::TestParamInfo<SelectionCommand>& info) {
                           return std::string(info.param.name);
                         });

// Objects of a type are counted from the heads of runs left in the file,
// as a walk over the whole document counts them.
TEST_F(LazyMap, CountingArtOfATypeReadsNothing) {
  sim::Host host;
  sim::Document& document = sim::LoadDocumentFile(host, path);
  const size_t runs = document.lazy.RunsWaiting();
  const sim::Document& made = *built.CurrentDocument();
  ASSERT_EQ(document.layers.size(), made.layers.size());
  for (AIArtType type : {kGroupArt, kPathArt, kCompoundPathArt, kTextFrameArt, kSymbolArt}) {
    for (size_t i = 0; i < made.layers.size(); ++i) {
      uint64_t expected = 0;
      made.Walk(made.layers[i]->group, [&expected, type](sim::Art* art) {
        expected += art->type == type && !(type == kPathArt && art->parent->type == kCompoundPathArt) ? 1 : 0;
      });
      EXPECT_EQ(document.CountOfType(document.layers[i]->group, type), expected) << "type " << type << ", layer " << i;
    }
  }
  EXPECT_EQ(document.lazy.RunsWaiting(), runs);
}

// A save renames a new file over the old one: the art still in the old one
// is read from it afterwards as before.
TEST_F(LazyMap, SavingOverItsFileStillReadsTheOldOne) {
  const std::string before = ScratchFolder::Read(path);
  sim::Host host;
  sim::Document& document = sim::LoadDocumentFile(host, path);
  sim::SaveDocumentFile(document, path);
  EXPECT_TRUE(ScratchFolder::Read(path) == before);
  ASSERT_GT(document.lazy.Waiting(), 0u);
  folder.Write("map.kzmap", "not a map any more");
  kztest::ExpectSameDocument(*built.CurrentDocument(), document);
  EXPECT_EQ(document.lazy.Waiting(), 0u);
  EXPECT_TRUE(document.lazy.Failure().empty()) << document.lazy.Failure();
}

// Another program writes into the file in place: nothing more is read from
// it, what could not be read is said, and the map is never saved.
TEST_F(LazyMap, AFileChangedInPlaceIsNeitherReadNorSaved) {
  sim::Host host;
  sim::Document& document = sim::LoadDocumentFile(host, path);
  std::string changed = ScratchFolder::Read(path);
  changed.back() ^= 1;
  folder.Write("map.kzmap", changed);
  struct timespec later[2] = {{0, UTIME_OMIT}, {2000000000, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), later, 0), 0);

  // Saved before anything is read: nothing is copied from it.
  const std::string copy = folder.PathText("copy.kzmap");
  const auto refused = [&](const char* problem) {
    try {
      sim::SaveDocumentFile(document, copy);
      ADD_FAILURE() << "saved";
    } catch (const sim::DocumentFileError& error) {
      EXPECT_NE(error.Problem().find(problem), std::string::npos) << error.what();
    }
    EXPECT_FALSE(std::filesystem::exists(copy));
  };
  refused("the file was changed by another program");
  EXPECT_TRUE(LayerTitled(document, u"points").group->children.empty());
  EXPECT_NE(document.lazy.Failure().find(path + ": the file was changed by another program"), std::string::npos)
      << document.lazy.Failure();
  refused("cannot be saved");
}

// A run is only checked when it is read: damage inside it shows then,
// naming the file, and the map is not saved.
TEST_F(LazyMap, DamageInALeftRunShowsWhenReached) {
  std::string damaged = ScratchFolder::Read(path);
  // 123456.5 (0x47F12040), the farthest anchor, made about 10^24.
  const std::string far("\x40\x20\xF1\x47", 4);
  const size_t at = damaged.find(far);
  ASSERT_NE(at, std::string::npos);
  damaged[at + 3] = '\x67';
  folder.Write("map.kzmap", damaged);
  sim::Host host;
  sim::Document& document = sim::LoadDocumentFile(host, path);
  EXPECT_TRUE(document.lazy.Failure().empty());
  (void)LayerTitled(document, u"points").group->children.size();
  EXPECT_NE(document.lazy.Failure().find(path + ": "), std::string::npos) << document.lazy.Failure();
  EXPECT_NE(document.lazy.Failure().find("does not match its art"), std::string::npos) << document.lazy.Failure();
  EXPECT_THROW(sim::SaveDocumentFile(document, folder.PathText("copy.kzmap")), sim::DocumentFileError);
}

// Commands: one that changes the map and reaches damaged art fails naming
// the file and leaves the map as it was; one that goes over every object
// reads it all first and fails before writing anything.
TEST_F(LazyMap, CommandsThatReachDamagedArtFailAndWriteNothing) {
  std::string damaged = ScratchFolder::Read(path);
  const size_t at = damaged.find(std::string("\x40\x20\xF1\x47", 4));
  ASSERT_NE(at, std::string::npos);
  damaged[at + 3] = '\x67';
  folder.Write("map.kzmap", damaged);
  const std::string picture = folder.PathText("map.png");
  for (const std::string& command : {"attr " + kztest::Quote(path) + " search 名前 --text 地点1 --layer points",
                                     "render " + kztest::Quote(path) + " " + kztest::Quote(picture)}) {
    const auto run = kztest::RunKzmap(command, "", "KZMAP_LAZY_RUN_BYTES=0");
    EXPECT_EQ(run.status, 1) << command << "\n" << run.err;
    EXPECT_NE(run.err.find(path + ": "), std::string::npos) << command << "\n" << run.err;
    EXPECT_NE(run.err.find("does not match its art"), std::string::npos) << command << "\n" << run.err;
  }
  EXPECT_TRUE(ScratchFolder::Read(path) == damaged);
  EXPECT_FALSE(std::filesystem::exists(picture));
}

// Maps before version 6 are read whole: before version 5 a run could refer
// to what came before it.
TEST_F(LazyMap, OlderMapsAreReadWhole) {
  sim::Host host;
  const sim::Document& older = sim::LoadDocumentFile(host, KZ_SOURCE_DIR "/tests/document/maps/version4.kzmap");
  EXPECT_EQ(older.lazy.Waiting(), 0u);
  // Runs of version 5 do not count their selected art.
  const sim::Document& five = sim::LoadDocumentFile(host, KZ_SOURCE_DIR "/tests/document/maps/version5.kzmap");
  EXPECT_EQ(five.lazy.Waiting(), 0u);
  const sim::Document& current = sim::LoadDocumentFile(host, KZ_SOURCE_DIR "/tests/document/maps/version6.kzmap");
  EXPECT_GT(current.lazy.Waiting(), 0u);
}

}  // namespace
