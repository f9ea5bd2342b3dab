// An object's attribute row in its dictionary, through the headless host.
#include <gtest/gtest.h>

#include <cstdio>

#include "attributes/CKzShapeAttr.h"
#include "support/HostEnvironment.h"
#include "AttributeHost.h"

namespace {

using kztest::Field;

class CKzShapeAttrTest : public kztest::AttributeHost {
 protected:
  CKzShapeAttrTest() {
    layer = &host.AddLayer("道路");
    path = &host.AddPath(*layer->group, std::vector<AIRealPoint>{{0, 0}, {10, 10}}, false);
    other = &host.AddPath(*layer->group, std::vector<AIRealPoint>{{5, 5}, {20, 0}}, false);
  }
  ~CKzShapeAttrTest() override { EXPECT_EQ(host.OutstandingReferences(), 0u); }

  // The row as stored: the array under the key, each field an array of five entries.
  const sim::Array* Stored(sim::Art& art) {
    if (!art.Dict()) return nullptr;
    const sim::Value* found = art.Dict()->Find("KartzmapField");
    return found ? found->AsArray() : nullptr;
  }

  void Write(sim::Art& art, const std::vector<ShapeField>& fields) {
    CKzShapeAttr record;
    record.Load(H(art));
    ASSERT_EQ(record.ReplaceAll(fields), kNoErr);
  }

  sim::Layer* layer = nullptr;
  sim::Art* path = nullptr;
  sim::Art* other = nullptr;
};

TEST_F(CKzShapeAttrTest, ObjectWithoutAttributesGetsARowAfterCreateEmpty) {
  CKzShapeAttr record;
  record.Load(H(*path));
  EXPECT_FALSE(record.IsLoaded());
  EXPECT_EQ(record.Count(), 0);
  EXPECT_NE(record.Append(Field("名称", 0, 20, 0, "国道")), kNoErr);  // no field array yet
  ASSERT_EQ(record.CreateEmpty(), kNoErr);
  ASSERT_EQ(record.Append(Field("名称", 0, 20, 0, "国道")), kNoErr);

  const sim::Array* stored = Stored(*path);
  ASSERT_NE(stored, nullptr);
  ASSERT_EQ(stored->size(), 1u);
  const sim::Array& entry = *(*stored)[0].AsArray();
  ASSERT_EQ(entry.size(), 5u);
  EXPECT_EQ(entry[0].String(), u"名称");
  EXPECT_EQ(entry[1].Int(), 0);
  EXPECT_EQ(entry[2].Int(), 20);
  EXPECT_EQ(entry[3].Int(), 0);
  EXPECT_EQ(entry[4].String(), u"国道");
}

TEST_F(CKzShapeAttrTest, AppendOfTheSameFieldAddsNothingWhateverItsValue) {
  Write(*path, {Field("幅員", 2, 8, 2, "5.50")});
  CKzShapeAttr record;
  record.Load(H(*path));
  EXPECT_EQ(record.Append(Field("幅員", 2, 8, 2, "9.99")), kNoErr);
  EXPECT_EQ(record.Count(), 1);
  EXPECT_EQ(record.Append(Field("幅員", 2, 8, 3, "9.99")), kNoErr);  // other decimals: another field
  EXPECT_EQ(record.Count(), 2);
  ShapeField read;
  ASSERT_TRUE(record.Get(0, read));
  EXPECT_EQ(read.value.as_UTF8(), "5.50");
  EXPECT_FALSE(record.Get(2, read));
  EXPECT_FALSE(record.Get(-1, read));
}

TEST_F(CKzShapeAttrTest, LaterOfTwoEqualKeysWins) {
  Write(*path, {Field("A", 1, 5, 0, "1"), Field("B", 0, 5, 0, "x"), Field("A", 1, 5, 0, "2")});
  CKzShapeAttr record;
  record.Load(H(*path));
  int32_t position = -1;
  ASSERT_TRUE(record.Find(Field("A", 1, 5, 0), &position));
  EXPECT_EQ(position, 2);
  EXPECT_FALSE(record.Find(Field("A", 1, 6, 0)));
}

TEST_F(CKzShapeAttrTest, SetFieldRenormalisesTheStoredValue) {
  Write(*path, {Field("番号", 0, 10, 0, "42abc"), Field("空", 0, 10, 0, "")});
  CKzShapeAttr record;
  record.Load(H(*path));
  ASSERT_TRUE(record.SetField(0, Field("番号", 1, 5, 0)));
  ASSERT_TRUE(record.SetField(1, Field("空", 1, 5, 0)));
  ShapeField read;
  ASSERT_TRUE(record.Get(0, read));
  EXPECT_EQ(read.type, 1);
  EXPECT_EQ(read.totalDigits, 5);
  EXPECT_EQ(read.value.as_UTF8(), "42");
  ASSERT_TRUE(record.Get(1, read));
  EXPECT_EQ(read.value.as_UTF8(), "");  // an empty value stays empty
  EXPECT_FALSE(record.SetField(2, Field("x", 0, 1, 0)));
}

TEST_F(CKzShapeAttrTest, SetValueNormalisesForTheField) {
  Write(*path, {Field("面積", 2, 10, 3, "")});
  CKzShapeAttr record;
  record.Load(H(*path));
  ASSERT_TRUE(record.SetValue(0, "12.34567"));
  ai::UnicodeString value;
  ASSERT_TRUE(record.GetValue(0, value));
  EXPECT_EQ(value.as_UTF8(), "12.346");
  EXPECT_FALSE(record.SetValue(1, "1"));
}

TEST_F(CKzShapeAttrTest, RemoveAndReplaceAll) {
  Write(*path, {Field("A", 0, 5, 0, "a"), Field("B", 0, 5, 0, "b")});
  CKzShapeAttr record;
  record.Load(H(*path));
  EXPECT_TRUE(record.Remove(0));
  EXPECT_FALSE(record.Remove(1));
  EXPECT_EQ(record.Count(), 1);
  ASSERT_EQ(record.ReplaceAll({}), kNoErr);
  ASSERT_NE(Stored(*path), nullptr);
  EXPECT_TRUE(Stored(*path)->empty());  // a row with no fields
  CKzShapeAttr again;
  again.Load(H(*path));
  EXPECT_TRUE(again.IsLoaded());
  EXPECT_EQ(again.Count(), 0);
}

TEST_F(CKzShapeAttrTest, CopyToGivesAnIndependentRow) {
  Write(*path, {Field("A", 0, 5, 0, "a")});
  Write(*other, {Field("Z", 0, 5, 0, "z"), Field("Y", 0, 5, 0, "y")});
  {
    CKzShapeAttr record;
    record.Load(H(*path));
    ASSERT_TRUE(record.CopyTo(H(*other)));
    ASSERT_TRUE(record.SetValue(0, "changed"));
  }
  CKzShapeAttr copy;
  copy.Load(H(*other));
  ASSERT_EQ(copy.Count(), 1);
  ShapeField read;
  ASSERT_TRUE(copy.Get(0, read));
  EXPECT_EQ(read.name.as_UTF8(), "A");
  EXPECT_EQ(read.value.as_UTF8(), "a");
}

TEST(DbaseColumns, BecomeTypedFields) {
  kztest::HostEnvironment strings;
  struct Case {
    char type;
    uint8_t length, decimals;
    const char* raw;
    int32_t fieldType;
    const char* value;
  };
  const Case cases[] = {
      {'L', 1, 0, "y", 1, "1"}, {'L', 1, 0, "N", 1, "0"}, {'L', 1, 0, "?", 1, "0"}, {'L', 1, 0, " ", 1, "0"},
      {'N', 5, 0, "  123", 1, "123"}, {'N', 8, 2, " 12.50", 2, "12.50"}, {'D', 8, 0, "20240131", 0, "20240131"},
  };
  for (const Case& c : cases) {
    DbfFieldDescriptor descriptor{};
    std::snprintf(descriptor.name, sizeof(descriptor.name), "F%c%d", c.type, c.decimals);
    descriptor.type = c.type;
    descriptor.length = c.length;
    descriptor.decimalCount = c.decimals;
    ShapeField field = FieldFromDbaseColumn(descriptor, c.raw, 17);
    EXPECT_EQ(field.type, c.fieldType) << c.raw;
    EXPECT_EQ(field.value.as_UTF8(), c.value) << c.raw;
  }
}

}  // namespace
