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

#include "document/DocumentCompare.h"
#include "document/MapOfRuns.h"
#include "sim/DocumentFile.h"
#include "sim/Host.h"
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
};

void PrintTo(const Edit& edit, std::ostream* out) { *out << edit.name; }

void AddPathOnTop(sim::Document& document, sim::Layer& layer) {
  sim::Art* path = document.MakeArt(kPathArt);
  const AIRealPoint anchors[] = {{7, 7}, {8, 9}};
  path->Segments().AssignCorners(anchors, 2);
  ASSERT_EQ(document.Place(path, kPlaceInsideOnTop, layer.group), kNoErr);
}

const Edit kEdits[] = {
    {"Nothing", [](sim::Document&) {}},
    {"AddToTheBigLayer", [](sim::Document& d) { AddPathOnTop(d, LayerTitled(d, u"points")); }},
    {"AddToAnEmptyLayer", [](sim::Document& d) { AddPathOnTop(d, LayerTitled(d, u"empty")); }},
    {"AddToASublayer", [](sim::Document& d) { AddPathOnTop(d, LayerTitled(d, u"last")); }},
    {"ChangeARowBetweenSublayers",
     [](sim::Document& d) { LayerTitled(d, u"mixed").group->children[2]->Dict() = kztest::FieldRow(u"f", 0, u"v"); }},
    {"DisposeAPoint", [](sim::Document& d) { d.Dispose(LayerTitled(d, u"points").group->children[5]); }},
    {"DeleteASublayer", [](sim::Document& d) { d.DeleteLayer(&LayerTitled(d, u"between")); }},
    {"MoveAPointToAnotherLayer",
     [](sim::Document& d) {
       sim::Art* point = LayerTitled(d, u"points").group->children[7];
       d.Detach(point);
       ASSERT_EQ(d.Place(point, kPlaceInsideOnBottom, LayerTitled(d, u"empty").group), kNoErr);
     }},
    {"RenameTheBigLayer", [](sim::Document& d) { LayerTitled(d, u"points").title = u"地点"; }},
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
    GetParam().apply(document);
    if (waiting) *waiting = document.lazy.Waiting();
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

// Whatever the edit, the map saved is the one a whole load saves; what it
// never reached stays in the file until the save copies it.
TEST_P(LazyArtEdit, SavesWhatAWholeLoadSaves) {
  const std::string whole = EditedAndSaved(UINT64_MAX);
  size_t waiting = 0;
  const std::string lazy = EditedAndSaved(0, &waiting);
  EXPECT_TRUE(lazy == whole) << "sizes " << lazy.size() << " and " << whole.size();
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

  EXPECT_TRUE(LayerTitled(document, u"points").group->children.empty());
  EXPECT_NE(document.lazy.Failure().find(path + ": the file was changed by another program"), std::string::npos)
      << document.lazy.Failure();
  const std::string copy = folder.PathText("copy.kzmap");
  try {
    sim::SaveDocumentFile(document, copy);
    ADD_FAILURE() << "saved";
  } catch (const sim::DocumentFileError& error) {
    EXPECT_NE(error.Problem().find("cannot be saved"), std::string::npos) << error.what();
  }
  EXPECT_FALSE(std::filesystem::exists(copy));
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

// Maps before version 5 may refer from a run to what came before it, so
// they are read whole.
TEST_F(LazyMap, OlderMapsAreReadWhole) {
  sim::Host host;
  const sim::Document& older = sim::LoadDocumentFile(host, KZ_SOURCE_DIR "/tests/document/maps/version4.kzmap");
  EXPECT_EQ(older.lazy.Waiting(), 0u);
  const sim::Document& current = sim::LoadDocumentFile(host, KZ_SOURCE_DIR "/tests/document/maps/version5.kzmap");
  EXPECT_GT(current.lazy.Waiting(), 0u);
}

}  // namespace
