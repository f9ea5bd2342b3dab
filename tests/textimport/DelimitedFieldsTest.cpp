// Splitting lines of comma- and tab-separated files, quotes included; the
// expected fields are written by hand from the rules of quoted fields.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "formats/DelimitedFields.h"

namespace {

struct SplitCase {
  const char* label;
  std::u16string line;
  char16_t delimiter;
  std::vector<std::u16string> fields;
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, SplitsIntoTheFields) {
  const SplitCase& c = GetParam();
  EXPECT_EQ(SplitDelimitedFields(c.line, c.delimiter), c.fields);
}

const SplitCase kSplitCases[] = {
    {"Plain", u"35.1,139.2,東京", u',', {u"35.1", u"139.2", u"東京"}},
    {"QuotedCommaAndDoubledQuotes", u"35,139,\"a,\"\"b\"\"\",d", u',', {u"35", u"139", u"a,\"b\"", u"d"}},
    {"TextAfterTheClosingQuoteKept", u"\"ab\"cd,e", u',', {u"abcd", u"e"}},
    {"QuoteInsideAPlainFieldIsText", u"a\"b,c", u',', {u"a\"b", u"c"}},
    {"QuoteThatNeverCloses", u"1,\"x,y", u',', {u"1", u"x,y"}},
    {"EmptyFieldsKept", u",,", u',', {u"", u"", u""}},
    {"EmptyQuotedField", u"\"\",1", u',', {u"", u"1"}},
    {"EmptyLine", u"", u',', {u""}},
    {"TabsKeepCommas", u"35.1\t139.2\tA,B", u'\t', {u"35.1", u"139.2", u"A,B"}},
    {"QuotedTab", u"\"a\tb\"\tc", u'\t', {u"a\tb", u"c"}},
    {"LoneQuoteAtTheEnd", u"a,\"", u',', {u"a", u""}},
};

INSTANTIATE_TEST_SUITE_P(Lines, SplitTest, ::testing::ValuesIn(kSplitCases),
                         [](const ::testing::TestParamInfo<SplitCase>& info) { return info.param.label; });

// Whether a record goes on past the line end: only an open quoted field
// (a quote at the start of a field that has not closed) carries it over.
struct OpenCase {
  const char* label;
  std::u16string line;
  char16_t delimiter;
  bool open;
};

class EndsInsideQuotesTest : public ::testing::TestWithParam<OpenCase> {};

TEST_P(EndsInsideQuotesTest, SaysWhetherTheRecordGoesOn) {
  const OpenCase& c = GetParam();
  EXPECT_EQ(EndsInsideQuotes(c.line, c.delimiter), c.open);
}

const OpenCase kOpenCases[] = {
    {"Plain", u"35.1,139.2,東京", u',', false},
    {"ClosedQuotes", u"\"a\",\"b,c\"", u',', false},
    {"OpenLastField", u"35,139,\"東京", u',', true},
    {"OpenWithDoubledQuotesInside", u"1,\"say \"\"hi\"\"", u',', true},
    {"DoubledQuotesClosed", u"1,\"say \"\"hi\"\"\"", u',', false},
    {"QuoteInsideAPlainFieldIsText", u"a\"b,c", u',', false},
    {"OpenEmptyAfterDelimiter", u"a,\"", u',', true},
    {"CommaInsideOpenTabField", u"a\t\"x,y", u'\t', true},
    {"QuoteOpeningOnlyAfterTab", u"a,\"x", u'\t', false},
    {"TextAfterClosingQuoteThenOpen", u"\"ab\"cd,\"e", u',', true},
    {"EmptyLine", u"", u',', false},
};

INSTANTIATE_TEST_SUITE_P(Lines, EndsInsideQuotesTest, ::testing::ValuesIn(kOpenCases),
                         [](const ::testing::TestParamInfo<OpenCase>& info) { return info.param.label; });

}  // namespace
