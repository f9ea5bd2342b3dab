// Reals fitted to a dBase column, against Python's "%*.*f" (the C printf
// rules: the exact binary value rounded half to even) for the same inputs.
#include "formats/DbaseNumber.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct RealCase {
  double value;
  int length;
  int decimals;
  std::optional<std::string> expected;
};

class FitRealTable : public testing::TestWithParam<RealCase> {};

TEST_P(FitRealTable, WritesWhatPrintfWould) {
  const RealCase& c = GetParam();
  EXPECT_EQ(dbase::FitReal(c.value, c.length, c.decimals), c.expected) << c.value << " in " << c.length << "." << c.decimals;
}

const std::string kLargest =
    "          1797693134862315708145274237317043567980705675258449965989174768031572607800285387605895586327668781715404"
    "5895351438246423432132688946418276846754670353751698604991057655128207624549009038932894407586850845513394230458"
    "3236903222948165808559332123348274797826204144723168738177180919299881250404026184124858368";

INSTANTIATE_TEST_SUITE_P(
    Python, FitRealTable,
    testing::Values(RealCase{1234.5678, 12, 3, "1234.568"}, RealCase{0.125, 6, 2, "0.12"}, RealCase{2.675, 6, 2, "2.67"},
                    RealCase{-0.0, 6, 2, "-0.00"}, RealCase{1e20, 25, 0, "   100000000000000000000"},
                    RealCase{123456.789, 8, 3, std::nullopt}, RealCase{-98.7654, 7, 4, std::nullopt},
                    RealCase{1.0 / 3, 60, 45, "0.333333333333333314829616256247390992939472198"},
                    RealCase{5e-324, 20, 5, "       0.00000"}, RealCase{1.7976931348623157e308, 320, 0, kLargest},
                    RealCase{0.5, 1, 0, "0"}, RealCase{1.5, 3, 0, " 2"}));

}  // namespace
