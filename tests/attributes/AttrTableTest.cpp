// The attribute table of the selection, with art built in the headless host.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "AttributeHost.h"
#include "attributes/AttrTable.h"
#include "attributes/CKzShapeAttr.h"

namespace {

using kztest::Field;

constexpr const char* kDuplicate = "指定されたフィールド名が重複しています";

class AttrTableTest : public kztest::AttributeHost {
 protected:
  AttrTableTest() {
    roads = &host.AddLayer("道路");
    rivers = &host.AddLayer("河川");
  }
  ~AttrTableTest() override { EXPECT_EQ(host.OutstandingReferences(), 0u); }

  sim::Art& NewPath(sim::Layer& layer, std::vector<ShapeField> fields = {}, bool select = true) {
    sim::Art& art = host.AddPath(*layer.group, std::vector<AIRealPoint>{{0, 0}, {10, 10}}, false);
    if (!fields.empty()) Write(art, fields);
    if (select) host.Select(art);
    return art;
  }

  void Write(sim::Art& art, const std::vector<ShapeField>& fields) {
    CKzShapeAttr record;
    record.Load(H(art));
    ASSERT_EQ(record.ReplaceAll(fields), kNoErr);
  }

  std::vector<ShapeField> Read(sim::Art& art) {
    CKzShapeAttr record;
    record.Load(H(art));
    std::vector<ShapeField> fields(static_cast<size_t>(record.Count()));
    for (int32_t i = 0; i < record.Count(); ++i) EXPECT_TRUE(record.Get(i, fields[static_cast<size_t>(i)]));
    return fields;
  }

  // name=value, with [mixed], [unset], [conflict] marks.
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int32_t i = 0; i < table.RowCount(); ++i) {
      const AttrTableRow& row = table.Row(i);
      std::string text = row.field.name.as_UTF8() + "/" + std::to_string(row.field.type) + "/" +
                         std::to_string(row.field.totalDigits) + "=" + row.field.value.as_UTF8();
      if (row.unset) text += " [unset]";
      if (row.mixed) text += " [mixed]";
      if (row.conflict) text += " [conflict]";
      rows.push_back(text);
    }
    return rows;
  }

  using Rows_t = std::vector<std::string>;
  AttrTable table;
  sim::Layer* roads = nullptr;
  sim::Layer* rivers = nullptr;
};

TEST_F(AttrTableTest, SameNameWithOtherWidthsInTwoLayersGivesTwoConflictRows) {
  NewPath(*roads, {Field("NAME", 0, 20, 0, "a")});
  NewPath(*rivers, {Field("NAME", 0, 30, 0, "b"), Field("ID", 1, 5, 0, "7")});
  table.Refresh();
  // Each object lacks the other layer's fields, which counts as an empty value.
  EXPECT_EQ(Rows(), (Rows_t{"NAME/0/20=a [mixed] [conflict]", "NAME/0/30= [mixed] [conflict]", "ID/1/5= [mixed]"}));
  // The selection's fields were added to each layer's own list.
  EXPECT_EQ(Read(*roads->group).size(), 1u);
  EXPECT_EQ(Read(*rivers->group).size(), 2u);
  EXPECT_TRUE(Read(*rivers->group)[1].value.empty());
}

TEST_F(AttrTableTest, NothingSelectedShowsTheCurrentLayersFieldsUnset) {
  NewPath(*rivers, {Field("幅", 2, 6, 1, "3.5")}, false);
  NewPath(*roads, {Field("名称", 0, 20, 0, "x")});
  table.Refresh();  // grows the roads list
  host.Select(*roads->group->children[0], false);
  document->currentLayer = roads;
  table.Refresh();
  EXPECT_EQ(table.Layers(), std::vector<AILayerHandle>{H(*roads)});
  EXPECT_EQ(Rows(), (Rows_t{"名称/0/20= [unset]"}));
}

struct MergeCase {
  const char* label;
  std::vector<const char*> values;  // nullptr: the object lacks the field
  const char* expected;
};

class ValueMergeTest : public AttrTableTest, public ::testing::WithParamInterface<MergeCase> {};

TEST_P(ValueMergeTest, MarksRowsWhoseObjectsDiffer) {
  for (const char* value : GetParam().values) {
    if (value == nullptr) {
      NewPath(*roads, {Field("OTHER", 0, 5, 0, "o")});
    } else {
      NewPath(*roads, {Field("F", 0, 10, 0, value)});
    }
  }
  table.Refresh();
  std::string row;
  for (const std::string& text : Rows()) {
    if (text.starts_with("F/")) row = text;
  }
  EXPECT_EQ(row, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ValueMergeTest,
    ::testing::Values(MergeCase{"AllEqual", {"A", "A", "A"}, "F/0/10=A"},
                      MergeCase{"EmptyAmongEqual", {"A", "A", ""}, "F/0/10=A [mixed]"},
                      MergeCase{"MissingAfterValue", {"A", nullptr}, "F/0/10=A [mixed]"},
                      MergeCase{"MissingBeforeValue", {nullptr, "A"}, "F/0/10= [mixed]"},
                      MergeCase{"MissingAndEmpty", {nullptr, ""}, "F/0/10="}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(AttrTableTest, SelectionConditionsLeaveOutGuidesClipsAndPartlySelectedGroups) {
  sim::Art& guide = NewPath(*roads, {Field("F", 0, 10, 0, "guide")});
  guide.guide = true;
  sim::Art& group = host.AddGroup(*roads->group);
  sim::Art& inner = host.AddPath(group, std::vector<AIRealPoint>{{0, 0}, {1, 1}}, false);
  host.AddPath(group, std::vector<AIRealPoint>{{0, 0}, {2, 2}}, false);
  Write(group, {Field("F", 0, 10, 0, "group")});
  Write(inner, {Field("F", 0, 10, 0, "inner")});
  host.Select(inner);  // the group is only partly selected
  table.Refresh();
  EXPECT_EQ(Rows(), (Rows_t{"F/0/10=inner"}));
  host.Select(group);
  table.Refresh();
  EXPECT_EQ(Rows(), (Rows_t{"F/0/10=group [mixed]"}));
}

TEST_F(AttrTableTest, AddFieldRefusesAnExistingNameWhateverItsType) {
  NewPath(*roads, {Field("名称", 0, 20, 0, "x")});
  NewPath(*rivers, {Field("幅", 2, 6, 1, "1.0")});
  table.Refresh();
  EXPECT_FALSE(table.AddField(Field("名称", 1, 5, 0)));
  EXPECT_EQ(AlertTexts(), std::vector<std::string>{kDuplicate});
  EXPECT_EQ(Read(*roads->group).size(), 1u);

  ASSERT_TRUE(table.AddField(Field("番号", 1, 5, 0, "ignored")));
  for (sim::Layer* layer : {roads, rivers}) {
    std::vector<ShapeField> list = Read(*layer->group);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].name.as_UTF8(), "番号");
    EXPECT_TRUE(list[1].value.empty());
  }
}

TEST_F(AttrTableTest, EditFieldChecksOtherRowsOnly) {
  NewPath(*roads, {Field("A", 0, 10, 0, "a"), Field("B", 0, 10, 0, "b")});
  table.Refresh();
  EXPECT_FALSE(table.EditField(0, Field("B", 0, 12, 0)));
  EXPECT_EQ(AlertTexts(), std::vector<std::string>{kDuplicate});
  EXPECT_TRUE(table.EditField(0, Field("A", 0, 12, 0)));  // keeps its own name
  table.Refresh();
  EXPECT_TRUE(table.EditField(1, Field("", 0, 12, 0)));  // an empty name is not checked
  EXPECT_FALSE(table.EditField(2, Field("C", 0, 1, 0)));
  EXPECT_EQ(AlertTexts().size(), 1u);
}

TEST_F(AttrTableTest, EditFieldRenormalisesEveryObjectOfTheTablesLayers) {
  sim::Art& selected = NewPath(*roads, {Field("面積", 2, 10, 2, "12.75")});
  sim::Art& unselected = NewPath(*roads, {Field("面積", 2, 10, 2, "99.50")}, false);
  sim::Art& group = host.AddGroup(*roads->group);
  Write(group, {Field("面積", 2, 10, 2, "3.25")});
  sim::Art& elsewhere = NewPath(*rivers, {Field("面積", 2, 10, 2, "8.75")}, false);
  table.Refresh();
  ASSERT_TRUE(table.EditField(0, Field("面積", 1, 5, 0)));
  EXPECT_EQ(Read(selected)[0].value.as_UTF8(), "12");
  EXPECT_EQ(Read(unselected)[0].value.as_UTF8(), "99");
  EXPECT_EQ(Read(group)[0].value.as_UTF8(), "3");
  EXPECT_EQ(Read(*roads->group)[0].type, 1);
  EXPECT_EQ(Read(elsewhere)[0].value.as_UTF8(), "8.75");  // not a layer of the table
}

TEST_F(AttrTableTest, DeleteFieldRemovesItFromLayersAndObjects) {
  sim::Art& a = NewPath(*roads, {Field("A", 0, 10, 0, "a"), Field("B", 0, 10, 0, "b")});
  sim::Art& b = NewPath(*roads, {Field("B", 0, 10, 0, "b2")}, false);
  table.Refresh();
  ASSERT_EQ(table.Row(1).field.name.as_UTF8(), "B");
  ASSERT_TRUE(table.DeleteField(1));
  EXPECT_EQ(Read(a).size(), 1u);
  EXPECT_TRUE(Read(b).empty());
  EXPECT_EQ(Read(*roads->group).size(), 1u);
  EXPECT_FALSE(table.DeleteField(5));
  table.Refresh();
  EXPECT_EQ(Rows(), (Rows_t{"A/0/10=a"}));
}

TEST_F(AttrTableTest, SetValueOnSelectionNormalisesAndCreatesMissingRows) {
  sim::Art& with = NewPath(*roads, {Field("N", 1, 3, 0, "1")});
  sim::Art& without = NewPath(*roads);
  sim::Art& unselected = NewPath(*roads, {Field("N", 1, 3, 0, "5")}, false);
  table.Refresh();
  ASSERT_EQ(table.RowCount(), 1);
  table.SetValueOnSelection(0, "12345");
  EXPECT_EQ(Read(with)[0].value.as_UTF8(), "999");
  ASSERT_EQ(Read(without).size(), 1u);
  EXPECT_EQ(Read(without)[0].value.as_UTF8(), "999");
  EXPECT_EQ(Read(unselected)[0].value.as_UTF8(), "5");
  table.Refresh();
  EXPECT_EQ(Rows(), (Rows_t{"N/1/3=999"}));
}

// The value goes only to objects that count in the selection: not to a
// guide, a clipping path or compound path, or a group that is only partly
// selected; a fully selected group and a compound path do get it.
TEST_F(AttrTableTest, SetValueOnSelectionFollowsTheSelectionConditions) {
  const ShapeField field = Field("F", 0, 10, 0, "old");
  sim::Art& plain = NewPath(*roads, {field});
  sim::Art& guide = NewPath(*roads, {field});
  guide.guide = true;
  sim::Art& clip = NewPath(*roads, {field});
  clip.clip = true;
  sim::Art& compound = host.AddCompoundPath(*roads->group);
  host.AddPath(compound, std::vector<AIRealPoint>{{0, 0}, {3, 3}}, false);
  Write(compound, {field});
  host.Select(compound);
  sim::Art& clipCompound = host.AddCompoundPath(*roads->group);
  host.AddPath(clipCompound, std::vector<AIRealPoint>{{0, 0}, {4, 4}}, false);
  clipCompound.clip = true;
  Write(clipCompound, {field});
  host.Select(clipCompound);
  sim::Art& partly = host.AddGroup(*roads->group);
  sim::Art& partlyInner = host.AddPath(partly, std::vector<AIRealPoint>{{0, 0}, {1, 1}}, false);
  host.AddPath(partly, std::vector<AIRealPoint>{{0, 0}, {2, 2}}, false);
  Write(partly, {field});
  host.Select(partlyInner);
  sim::Art& whole = host.AddGroup(*roads->group);
  host.AddPath(whole, std::vector<AIRealPoint>{{0, 0}, {5, 5}}, false);
  Write(whole, {field});
  host.Select(whole);
  table.Refresh();
  ASSERT_EQ(table.RowCount(), 1);
  table.SetValueOnSelection(0, "new");
  const struct {
    const char* what;
    sim::Art* art;
    const char* value;
  } expected[] = {{"plain path", &plain, "new"},           {"guide", &guide, "old"},
                  {"clipping path", &clip, "old"},         {"compound path", &compound, "new"},
                  {"clipping compound", &clipCompound, "old"}, {"partly selected group", &partly, "old"},
                  {"fully selected group", &whole, "new"}};
  for (const auto& e : expected) {
    const auto fields = Read(*e.art);
    ASSERT_EQ(fields.size(), 1u) << e.what;
    EXPECT_EQ(fields[0].value.as_UTF8(), e.value) << e.what;
  }
}

}  // namespace
