#include <gtest/gtest.h>

#include <string>

#include "georef/DataFrame.h"
#include "georef/GeorefLayers.h"
#include "georef/MapTransform.h"
#include "georef/GeorefHostTest.h"

namespace {

class DataFrameTest : public kztest::GeorefHostTest {
 protected:
  // A data frame layer made by hand, as a user or an older document may hold it.
  sim::Art& AddFrame(const std::string& title, const std::string& text, AIRealPoint anchor = {300, 400}) {
    sim::Layer& layer = Sim().AddLayer(title);
    return Sim().AddPointText(*layer.group, anchor, text);
  }
};

DataFrameParams Sample() {
  DataFrameParams p;
  p.datum = 2;
  p.kind = 3;
  p.system = 9;
  p.originX = -5000;
  p.originY = -35000;
  p.scale = 25000.9;
  p.rotation = 1.25;
  p.anchorX = 297.5f;
  p.anchorY = 421;
  return p;
}

TEST_F(DataFrameTest, WrittenFrameReadsBack) {
  Sim().AddLayer("道路");
  Sim().AddLayer("河川");
  ASSERT_EQ(WriteDataFrame(Sample()), kNoErr);

  const sim::Document& doc = *Sim().CurrentDocument();
  ASSERT_EQ(doc.layers.size(), 3u);
  EXPECT_EQ(sim::Host::Title(*doc.layers[0]), kDataFrameLayerTitle);  // above all layers
  const sim::Art& group = *doc.layers[0]->group;
  ASSERT_EQ(group.children.size(), 1u);
  const sim::Art& text = *group.children[0];
  EXPECT_EQ(text.type, kTextFrameArt);
  EXPECT_EQ(text.Extras().text.frameType, kPointTextType);
  EXPECT_EQ(text.Extras().text.orientation, kHorizontalTextOrientation);
  EXPECT_EQ(sim::Host::Text(text), "G=JGD|P=XY9|X=-5000.000000|Y=-35000.000000|S=25000|R=1.250000");
  EXPECT_EQ(text.Extras().text.anchor.h, 297.5f);
  EXPECT_EQ(text.Extras().text.anchor.v, 421.0f);
  ASSERT_TRUE(text.Extras().text.fillAssigned);
  EXPECT_EQ(text.Extras().text.fill.kind, kFourColor);
  EXPECT_EQ(text.Extras().text.fill.c.f.cyan, 0);
  EXPECT_EQ(text.Extras().text.fill.c.f.magenta, 0);
  EXPECT_EQ(text.Extras().text.fill.c.f.yellow, 0);
  EXPECT_EQ(text.Extras().text.fill.c.f.black, 0.5f);

  DataFrameParams read;
  ASSERT_TRUE(ReadDataFrame(read));
  const DataFrameParams written = Sample();
  EXPECT_EQ(read.datum, written.datum);
  EXPECT_EQ(read.kind, written.kind);
  EXPECT_EQ(read.system, written.system);
  EXPECT_EQ(read.originX, written.originX);
  EXPECT_EQ(read.originY, written.originY);
  EXPECT_EQ(read.scale, 25000);  // truncated
  EXPECT_EQ(read.rotation, written.rotation);
  EXPECT_EQ(read.anchorX, written.anchorX);
  EXPECT_EQ(read.anchorY, written.anchorY);
  EXPECT_EQ(Sim().OutstandingReferences(), 0u);
}

TEST_F(DataFrameTest, AnExistingFrameIsNeverOverwritten) {
  AddFrame(kDataFrameLayerTitle, "anything at all");
  ASSERT_EQ(WriteDataFrame(Sample()), kNoErr);
  const sim::Document& doc = *Sim().CurrentDocument();
  ASSERT_EQ(doc.layers.size(), 1u);
  EXPECT_EQ(sim::Host::Text(*doc.layers[0]->group->children[0]), "anything at all");
  DataFrameParams read;
  EXPECT_FALSE(ReadDataFrame(read));
}

TEST_F(DataFrameTest, HandMadeTexts) {
  struct Case {
    const char* text;
    bool valid;
    double rotation;
  };
  const Case cases[] = {
      {"R=0.5|S=25000|Y=2|X=1|P=XY9|G=JGD", true, 0.5},                 // keys in another order
      {"G=JGD|P=XY9|X=1|Y=2|S=25000|R=1.5|extra=9", true, 1.5},         // seventh item inside R
      {"G=JGD|P=XY9|X=1|Y=2|S=25000", false, 0},                        // five items
      {"G=WGS84|P=XY9|X=1|Y=2|S=25000|R=0", false, 0},                  // unknown datum
      {"G=JGD|P=GEO|X=1|Y=2|S=25000|R=0", false, 0},                    // unknown kind
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Sim().NewDocument();
    AddFrame(kDataFrameLayerTitle, c.text);
    DataFrameParams read;
    read.rotation = -99;
    EXPECT_EQ(ReadDataFrame(read), c.valid);
    EXPECT_EQ(read.rotation, c.valid ? c.rotation : -99);
    if (c.valid) {
      EXPECT_EQ(read.anchorX, 300);
      EXPECT_EQ(read.anchorY, 400);
    }
  }
}

TEST_F(DataFrameTest, TextsOver255CharactersAreCut) {
  const std::string head = "G=JGD|P=XY9|X=1.";
  const std::string tail = "|Y=2|S=25000|R=12";
  AddFrame(kDataFrameLayerTitle, head + std::string(256 - head.size() - tail.size(), '0') + tail);
  DataFrameParams read;
  ASSERT_TRUE(ReadDataFrame(read));
  EXPECT_EQ(read.rotation, 1);
}

TEST_F(DataFrameTest, OnlyTheExactTitleWithATextFirstMakesAFrame) {
  const std::string text = "G=JGD|P=XY9|X=1|Y=2|S=25000|R=0";
  AddFrame("Kartzmap DataFrame ", text);
  AddFrame("kartzmap DataFrame", text);
  DataFrameParams read;
  EXPECT_FALSE(ReadDataFrame(read));

  // A path above the text: the first child is not a text frame.
  sim::Layer& layer = Sim().AddLayer(kDataFrameLayerTitle);
  Sim().AddPath(*layer.group, {{0, 0}, {10, 10}}, false);
  Sim().AddPointText(*layer.group, {1, 1}, text);
  EXPECT_FALSE(ReadDataFrame(read));

  // The trailing-blank layer does not stop a new frame being written either.
  Sim().NewDocument();
  AddFrame("Kartzmap DataFrame ", text);
  ASSERT_EQ(WriteDataFrame(Sample()), kNoErr);
  EXPECT_EQ(Sim().CurrentDocument()->layers.size(), 2u);
  EXPECT_TRUE(ReadDataFrame(read));
}

TEST_F(DataFrameTest, EmptyFrameLayerIsNotAFrame) {
  Sim().AddLayer(kDataFrameLayerTitle);
  DataFrameParams read;
  EXPECT_FALSE(ReadDataFrame(read));
}

TEST_F(DataFrameTest, AnInchOnTheArtboardIsSixHundredThirtyFiveMetresAtOneTo25000) {
  AddFrame(kDataFrameLayerTitle, "G=JGD|P=XY9|X=-5000.000000|Y=-35000.000000|S=25000|R=0.000000", {300, 400});
  DataFrameParams params;
  ASSERT_TRUE(ReadDataFrame(params));
  MapTransform transform;
  ASSERT_TRUE(transform.SetFromDataFrame(params));
  double x = 0, y = 0;
  ASSERT_TRUE(transform.ArtboardToMap(372, 400, x, y));
  EXPECT_NEAR(x, params.originX + 635, 1e-9);
  EXPECT_NEAR(y, params.originY, 1e-9);
}

TEST_F(DataFrameTest, GeorefLayers) {
  struct Case {
    const char* title;
    bool georef;
  };
  const Case cases[] = {
      {"Kartzmap DataFrame", true},       {"4点座標マーカー 左上", true},  {"4点座標マーカー 左下", true},
      {"4点座標マーカー 右上", true},     {"4点座標マーカー 右下", true},  {"3点座標マーカー 1/3", true},
      {"3点座標マーカー 2/3", true},      {"3点座標マーカー 3/3", true},   {"Kartzmap DataFrame ", false},
      {"Kartzmap DataFram", false},       {"4点座標マーカー　左上", false}, {"3点座標マーカー 4/3", false},
      {"", false},                        {"道路", false},
  };
  for (const Case& c : cases) {
    sim::Layer& layer = Sim().AddLayer(c.title);
    EXPECT_EQ(IsGeorefLayer(sim::Host::Handle(layer)), c.georef) << c.title;
  }
  EXPECT_FALSE(IsGeorefLayer(nullptr));
}

TEST_F(DataFrameTest, WithoutADocumentTheHostErrorIsReturned) {
  Sim().CloseDocument();
  EXPECT_NE(WriteDataFrame(Sample()), kNoErr);
  DataFrameParams read;
  EXPECT_FALSE(ReadDataFrame(read));
}

}  // namespace
