#include "document/DocumentCompare.h"

#include <algorithm>

namespace kztest {

namespace {

using sim::Art;
using sim::Layer;

#define EXPECT_BITS(a, b) EXPECT_TRUE(SameBits(a, b)) << where << ": " #a " " << (a) << " vs " << (b)

void ExpectSameColor(const AIColor& a, const AIColor& b, const std::string& where) {
  ASSERT_EQ(a.kind, b.kind) << where;
  if (a.kind == kNoneColor) return;
  EXPECT_BITS(a.c.f.cyan, b.c.f.cyan);
  if (a.kind == kGrayColor) return;
  EXPECT_BITS(a.c.f.magenta, b.c.f.magenta);
  EXPECT_BITS(a.c.f.yellow, b.c.f.yellow);
  if (a.kind == kThreeColor) return;
  EXPECT_BITS(a.c.f.black, b.c.f.black);
}

void ExpectSameValue(const sim::Value& a, const sim::Value& b, const std::string& where);

void ExpectSameDictionary(const sim::Dictionary* a, const sim::Dictionary* b, const std::string& where) {
  ASSERT_EQ(a == nullptr, b == nullptr) << where;
  if (!a) return;
  ASSERT_EQ(a->size(), b->size()) << where;
  for (const auto& [key, value] : *a) {
    const sim::Value* found = b->Find(key);
    ASSERT_NE(found, nullptr) << where << " key " << key.View();
    ExpectSameValue(value, *found, where + "/" + std::string(key.View()));
  }
}

void ExpectSameValue(const sim::Value& a, const sim::Value& b, const std::string& where) {
  ASSERT_EQ(a.Type(), b.Type()) << where;
  if (a.IsInt()) EXPECT_EQ(a.Int(), b.Int()) << where;
  if (a.IsBool()) EXPECT_EQ(a.Bool(), b.Bool()) << where;
  if (a.IsReal()) EXPECT_TRUE(SameBits(a.Real(), b.Real())) << where;
  if (a.IsString()) EXPECT_TRUE(a.String() == b.String()) << where;
  if (a.IsArray()) {
    const sim::Array* x = a.AsArray();
    const sim::Array* y = b.AsArray();
    ASSERT_EQ(x == nullptr, y == nullptr) << where;
    if (!x) return;
    ASSERT_EQ(x->size(), y->size()) << where;
    for (size_t i = 0; i < y->size(); ++i) ExpectSameValue((*x)[i], (*y)[i], where + "/" + std::to_string(i));
  }
  if (a.IsDictionary()) ExpectSameDictionary(a.AsDictionary(), b.AsDictionary(), where);
}

void ExpectSameStyle(const AIPathStyle& a, const AIPathStyle& b, const std::string& where) {
  EXPECT_EQ(a.fillPaint, b.fillPaint) << where;
  EXPECT_EQ(a.strokePaint, b.strokePaint) << where;
  ExpectSameColor(a.fill.color, b.fill.color, where + " fill");
  ExpectSameColor(a.stroke.color, b.stroke.color, where + " stroke");
  EXPECT_EQ(a.fill.overprint, b.fill.overprint) << where;
  EXPECT_EQ(a.stroke.overprint, b.stroke.overprint) << where;
  EXPECT_BITS(a.stroke.width, b.stroke.width);
  ASSERT_EQ(a.stroke.dash.length, b.stroke.dash.length) << where;
  for (int i = 0; i < a.stroke.dash.length; ++i) EXPECT_BITS(a.stroke.dash.array[i], b.stroke.dash.array[i]);
  EXPECT_BITS(a.stroke.dash.offset, b.stroke.dash.offset);
  EXPECT_EQ(a.stroke.cap, b.stroke.cap) << where;
  EXPECT_EQ(a.stroke.join, b.stroke.join) << where;
  EXPECT_BITS(a.stroke.miterLimit, b.stroke.miterLimit);
  EXPECT_EQ(a.evenOdd, b.evenOdd) << where;
}

void ExpectSameCommon(const Art& a, const Art& b, const std::string& where) {
  EXPECT_EQ(a.userAttributes, b.userAttributes) << where;
  EXPECT_EQ(a.skipped, b.skipped) << where;
  EXPECT_EQ(a.guide, b.guide) << where;
  EXPECT_EQ(a.clip, b.clip) << where;
  EXPECT_BITS(a.opacity, b.opacity);
  ExpectSameDictionary(a.Dict().get(), b.Dict().get(), where + " dictionary");
  ASSERT_EQ(a.Extras().tags.size(), b.Extras().tags.size()) << where;
  for (size_t i = 0; i < a.Extras().tags.size(); ++i) {
    EXPECT_EQ(a.Extras().tags[i].name, b.Extras().tags[i].name) << where;
    EXPECT_EQ(a.Extras().tags[i].type, b.Extras().tags[i].type) << where;
    EXPECT_EQ(a.Extras().tags[i].text, b.Extras().tags[i].text) << where;
    EXPECT_TRUE(SameBits(a.Extras().tags[i].real, b.Extras().tags[i].real)) << where;
    EXPECT_EQ(a.Extras().tags[i].boolean, b.Extras().tags[i].boolean) << where;
  }
}

std::vector<const Art*> Live(const Art& art) {
  std::vector<const Art*> result;
  for (const Art* child : art.children)
    if (!child->disposed) result.push_back(child);
  return result;
}

void ExpectSameLayer(const Layer& a, const Layer& b, const std::string& where);

void ExpectSameArt(const Art& a, const Art& b, const std::string& where) {
  ASSERT_EQ(a.type, b.type) << where;
  ASSERT_EQ(a.IsLayerGroup(), b.IsLayerGroup()) << where;
  if (a.IsLayerGroup()) return ExpectSameLayer(*a.ownerLayer, *b.ownerLayer, where);
  ExpectSameCommon(a, b, where);
  if (a.type == kPathArt || a.type == kCompoundPathArt) ExpectSameStyle(a.Style(), b.Style(), where + " style");
  if (a.type == kPathArt) {
    EXPECT_EQ(a.closed, b.closed) << where;
    ASSERT_EQ(a.Segments().size(), b.Segments().size()) << where;
    for (size_t i = 0; i < a.Segments().size(); ++i) {
      const AIPathSegment &s = a.Segments()[i], &t = b.Segments()[i];
      for (auto [x, y] : {std::pair{s.p, t.p}, {s.in, t.in}, {s.out, t.out}}) {
        EXPECT_BITS(x.h, y.h);
        EXPECT_BITS(x.v, y.v);
      }
      EXPECT_EQ(s.corner, t.corner) << where << " segment " << i;
    }
  }
  if (a.type == kTextFrameArt) {
    const sim::TextData &s = a.Extras().text, &t = b.Extras().text;
    EXPECT_BITS(s.anchor.h, t.anchor.h);
    EXPECT_BITS(s.anchor.v, t.anchor.v);
    EXPECT_EQ(s.orientation, t.orientation) << where;
    EXPECT_EQ(s.frameType, t.frameType) << where;
    EXPECT_TRUE(s.contents == t.contents) << where;
    EXPECT_BITS(s.fontSize, t.fontSize);
    ASSERT_EQ(s.fillAssigned, t.fillAssigned) << where;
    if (s.fillAssigned) ExpectSameColor(s.fill, t.fill, where + " text fill");
    ASSERT_EQ(s.justificationAssigned, t.justificationAssigned) << where;
    if (s.justificationAssigned) {
      EXPECT_EQ(s.justification, t.justification) << where;
    }
  }
  if (a.type == kSymbolArt) {
    EXPECT_EQ(a.Extras().symbolName, b.Extras().symbolName) << where;
    const AIRealRect &r = a.Extras().symbolBounds, &q = b.Extras().symbolBounds;
    for (auto [x, y] : {std::pair{r.left, q.left}, {r.top, q.top}, {r.right, q.right}, {r.bottom, q.bottom}}) {
      EXPECT_BITS(x, y);
    }
  }
  const auto x = Live(a), y = Live(b);
  ASSERT_EQ(x.size(), y.size()) << where;
  for (size_t i = 0; i < x.size(); ++i) {
    ASSERT_EQ(y[i]->parent, &b) << where;
    ExpectSameArt(*x[i], *y[i], where + "/" + std::to_string(i));
  }
}

void ExpectSameLayer(const Layer& a, const Layer& b, const std::string& where) {
  EXPECT_TRUE(a.title == b.title) << where;
  EXPECT_EQ(a.visible, b.visible) << where;
  EXPECT_EQ(a.editable, b.editable) << where;
  EXPECT_BITS(a.color.red, b.color.red);
  EXPECT_BITS(a.color.green, b.color.green);
  EXPECT_BITS(a.color.blue, b.color.blue);
  ExpectSameCommon(*a.group, *b.group, where + " group");
  const auto x = Live(*a.group), y = Live(*b.group);
  ASSERT_EQ(x.size(), y.size()) << where;
  for (size_t i = 0; i < x.size(); ++i) {
    ASSERT_EQ(y[i]->parent, b.group) << where;
    ExpectSameArt(*x[i], *y[i], where + "/" + std::to_string(i));
  }
}

size_t IndexOf(const std::vector<Layer*>& layers, const Layer* layer) {
  return static_cast<size_t>(std::find(layers.begin(), layers.end(), layer) - layers.begin());
}

}  // namespace

void ExpectSameDocument(const sim::Document& expected, const sim::Document& actual) {
  const std::string where = "document";
  EXPECT_BITS(expected.bounds.left, actual.bounds.left);
  EXPECT_BITS(expected.bounds.top, actual.bounds.top);
  EXPECT_BITS(expected.bounds.right, actual.bounds.right);
  EXPECT_BITS(expected.bounds.bottom, actual.bounds.bottom);
  ASSERT_EQ(expected.layers.size(), actual.layers.size());
  for (size_t i = 0; i < expected.layers.size(); ++i)
    ExpectSameLayer(*expected.layers[i], *actual.layers[i], "layer " + std::to_string(i));
  const auto a = expected.AllLayers(), b = actual.AllLayers();
  ASSERT_EQ(a.size(), b.size());
  EXPECT_EQ(IndexOf(a, expected.currentLayer), IndexOf(b, actual.currentLayer));
  for (size_t i = 0; i < b.size(); ++i) {
    EXPECT_TRUE(actual.Owns(b[i]));
    EXPECT_EQ(b[i]->parent ? IndexOf(b, b[i]->parent) : SIZE_MAX, a[i]->parent ? IndexOf(a, a[i]->parent) : SIZE_MAX);
  }
}

sim::DictPtr FieldRow(const std::u16string& name, int32_t type, const std::u16string& value, int32_t width) {
  auto field = sim::NewArray();
  *field = {sim::Value{name}, sim::Value{type}, sim::Value{width}, sim::Value{int32_t{0}}, sim::Value{value}};
  auto row = sim::NewArray();
  *row = {sim::Value{field}};
  auto dictionary = sim::NewDictionary();
  dictionary->Set("KartzmapField", sim::Value{row});
  return dictionary;
}

AIPathStyle EveryPropertyStyle(bool withStrokeOverprint) {
  AIPathStyle style;
  style.fillPaint = true;
  style.fill.color = AIColor::Four(0.1f, 0.2f, 0.3f, 0.4f);
  style.fill.overprint = true;
  style.strokePaint = true;
  style.stroke.color = AIColor::Three(1, 0.5f, 0);
  style.stroke.overprint = withStrokeOverprint;
  style.stroke.width = 0.35f;
  style.stroke.dash.length = 3;
  style.stroke.dash.array[0] = 4;
  style.stroke.dash.array[1] = 2.5f;
  style.stroke.dash.array[2] = 1e-7f;
  style.stroke.dash.offset = 1;
  style.stroke.cap = 1;
  style.stroke.join = 2;
  style.stroke.miterLimit = 10;
  style.evenOdd = true;
  return style;
}

void SetEveryTextProperty(sim::TextData& text) {
  text.fontSize = 18;
  text.orientation = kVerticalTextOrientation;
  text.fillAssigned = true;
  text.fill = AIColor::Four(0, 0, 0, 0.5f);
  text.justificationAssigned = true;
  text.justification = 2;
}

}  // namespace kztest
