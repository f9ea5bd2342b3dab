// SVG style: colours, lengths, the style attribute over presentation
// attributes, and inheritance. Named colours against Inkscape's own SVG
// palette; computed styles against what rsvg-convert draws with.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "support/Process.h"
#include "support/ScratchFolder.h"
#include "sim/SvgStyle.h"

namespace {

using kztest::ScratchFolder;
using kztest::Quote;
using sim::svg::Paint;
using sim::svg::Style;
using Attributes = std::vector<std::pair<std::string, std::string>>;

struct Rgb {
  double red, green, blue;
};

Rgb Bytes(unsigned r, unsigned g, unsigned b) { return {r / 255.0, g / 255.0, b / 255.0}; }

// ---------------------------------------------------------------------------
// Colours

struct ColorCase {
  const char* text;
  bool ok;
  Rgb expected;
};

class ColorTest : public ::testing::TestWithParam<ColorCase> {};

TEST_P(ColorTest, ReadsEveryForm) {
  const ColorCase& c = GetParam();
  Rgb got{-1, -1, -1};
  EXPECT_EQ(sim::svg::ParseColor(c.text, got.red, got.green, got.blue), c.ok) << c.text;
  if (!c.ok) return;
  EXPECT_NEAR(got.red, c.expected.red, 1e-12) << c.text;
  EXPECT_NEAR(got.green, c.expected.green, 1e-12) << c.text;
  EXPECT_NEAR(got.blue, c.expected.blue, 1e-12) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ColorTest,
    ::testing::Values(ColorCase{"#abc", true, Bytes(0xAA, 0xBB, 0xCC)}, ColorCase{"#F0a", true, Bytes(0xFF, 0, 0xAA)},
                      ColorCase{"#1a2B3c", true, Bytes(0x1A, 0x2B, 0x3C)}, ColorCase{" #000000 ", true, Bytes(0, 0, 0)},
                      ColorCase{"rgb(255, 0, 128)", true, Bytes(255, 0, 128)},
                      ColorCase{"rgb(10%,50%, 100%)", true, {0.1, 0.5, 1}},
                      ColorCase{"RGB( 1 , 2 , 3 )", true, Bytes(1, 2, 3)},
                      ColorCase{"rgb(300,-5,0)", true, {1, 0, 0}}, ColorCase{"rgb(150%,-1%,0%)", true, {1, 0, 0}},
                      ColorCase{"Red", true, Bytes(255, 0, 0)}, ColorCase{"LightGoldenRodYellow", true, Bytes(250, 250, 210)},
                      ColorCase{"#ab", false, {}}, ColorCase{"#abcd", false, {}}, ColorCase{"#abcdef0", false, {}},
                      ColorCase{"#ggg", false, {}}, ColorCase{"#", false, {}}, ColorCase{"", false, {}},
                      ColorCase{"rgb(1,2)", false, {}}, ColorCase{"rgb(1,2,3,4)", false, {}},
                      ColorCase{"rgb(1 2 3)", false, {}}, ColorCase{"rgb(1,2,3", false, {}},
                      ColorCase{"rgba(1,2,3,0.5)", false, {}}, ColorCase{"transparent", false, {}},
                      ColorCase{"notacolour", false, {}}, ColorCase{"red blue", false, {}}));

// Every colour of Inkscape's SVG palette, by name and in capitals.
TEST(NamedColors, MatchInkscapesSvgPalette) {
  std::ifstream palette("/usr/share/inkscape/palettes/svg.gpl");
  ASSERT_TRUE(palette) << "Inkscape's palettes are missing (package inkscape)";
  static const std::regex entry(R"(^\s*(\d+)\s+(\d+)\s+(\d+)\s+([a-z]+)\b)");
  std::string line;
  size_t count = 0;
  while (std::getline(palette, line)) {
    std::smatch m;
    if (!std::regex_search(line, m, entry)) continue;
    ++count;
    std::string name = m[4], upper = name;
    for (char& ch : upper) ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    for (const std::string& text : {name, upper}) {
      Rgb got{-1, -1, -1};
      ASSERT_TRUE(sim::svg::ParseColor(text, got.red, got.green, got.blue)) << text;
      EXPECT_EQ(std::lround(got.red * 255), std::stoi(m[1])) << text;
      EXPECT_EQ(std::lround(got.green * 255), std::stoi(m[2])) << text;
      EXPECT_EQ(std::lround(got.blue * 255), std::stoi(m[3])) << text;
    }
  }
  EXPECT_GE(count, 138u);
}

// Names the palette spells one way only: each equals its other spelling.
TEST(NamedColors, OtherSpellingsEqualThePalettes) {
  const std::pair<const char*, const char*> pairs[] = {
      {"aqua", "cyan"}, {"fuchsia", "magenta"}, {"grey", "gray"}, {"darkgrey", "darkgray"},
      {"dimgrey", "dimgray"}, {"lightgrey", "lightgray"}, {"slategrey", "slategray"},
      {"darkslategrey", "darkslategray"}, {"lightslategrey", "lightslategray"}};
  for (const auto& [one, other] : pairs) {
    Rgb a{-1, -1, -1}, b{-2, -2, -2};
    ASSERT_TRUE(sim::svg::ParseColor(one, a.red, a.green, a.blue)) << one;
    ASSERT_TRUE(sim::svg::ParseColor(other, b.red, b.green, b.blue)) << other;
    EXPECT_EQ(a.red, b.red) << one;
    EXPECT_EQ(a.green, b.green) << one;
    EXPECT_EQ(a.blue, b.blue) << one;
  }
}

// ---------------------------------------------------------------------------
// Lengths: 1in = 96px = 72pt = 6pc = 2.54cm = 25.4mm = 101.6Q.

struct LengthCase {
  const char* text;
  double fontSize;
  bool ok;
  double expected;
};

class LengthTest : public ::testing::TestWithParam<LengthCase> {};

TEST_P(LengthTest, ConvertsUnitsToUserUnits) {
  const LengthCase& c = GetParam();
  double got = -12345;
  EXPECT_EQ(sim::svg::ParseLength(c.text, got, c.fontSize), c.ok) << c.text;
  if (c.ok) {
    EXPECT_NEAR(got, c.expected, 1e-9) << c.text;
  } else {
    EXPECT_EQ(got, -12345) << c.text;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Units, LengthTest,
    ::testing::Values(LengthCase{"10", 16, true, 10}, LengthCase{"10px", 16, true, 10},
                      LengthCase{"1in", 16, true, 96}, LengthCase{"72pt", 16, true, 96},
                      LengthCase{"6pc", 16, true, 96}, LengthCase{"2.54cm", 16, true, 96},
                      LengthCase{"25.4mm", 16, true, 96}, LengthCase{"101.6Q", 16, true, 96},
                      LengthCase{"1MM", 16, true, 96 / 25.4}, LengthCase{"1e1mm", 16, true, 960 / 25.4},
                      LengthCase{".5in", 16, true, 48}, LengthCase{"-3px", 16, true, -3},
                      LengthCase{"+3", 16, true, 3}, LengthCase{" 5 ", 16, true, 5},
                      LengthCase{"2em", 10, true, 20}, LengthCase{"1ex", 10, true, 5},
                      LengthCase{"10%", 16, false, 0}, LengthCase{"px", 16, false, 0}, LengthCase{"", 16, false, 0},
                      LengthCase{"10 px", 16, false, 0}, LengthCase{"10qq", 16, false, 0},
                      LengthCase{"1e999", 16, false, 0}, LengthCase{"10pt5", 16, false, 0},
                      LengthCase{"1e308in", 16, false, 0}, LengthCase{"--1", 16, false, 0}));

TEST(ParseLengthOrPercent, TakesPercentagesOfTheBase) {
  double got = 0;
  ASSERT_TRUE(sim::svg::ParseLengthOrPercent("50%", got, 300));
  EXPECT_EQ(got, 150);
  ASSERT_TRUE(sim::svg::ParseLengthOrPercent(" 12.5% ", got, 80));
  EXPECT_EQ(got, 10);
  ASSERT_TRUE(sim::svg::ParseLengthOrPercent("1in", got, 300));
  EXPECT_EQ(got, 96);
  got = -7;
  EXPECT_FALSE(sim::svg::ParseLengthOrPercent("50 %", got, 300));
  EXPECT_FALSE(sim::svg::ParseLengthOrPercent("%", got, 300));
  EXPECT_FALSE(sim::svg::ParseLengthOrPercent("1e308%", got, 1e300));
  EXPECT_EQ(got, -7);
}

// ---------------------------------------------------------------------------
// Element styles

TEST(ElementStyle, StyleAttributeWinsOverPresentationAttributes) {
  const Style s = sim::svg::ElementStyle(
      {{"style", "fill:#00f; stroke-width : 3"}, {"fill", "red"}, {"stroke-width", "1"}, {"stroke", "lime"}});
  ASSERT_TRUE(s.fill && s.stroke && s.strokeWidth);
  EXPECT_EQ(s.fill->kind, Paint::Kind::Color);
  EXPECT_EQ(s.fill->blue, 1);
  EXPECT_EQ(s.fill->red, 0);
  EXPECT_EQ(s.stroke->green, 1);
  EXPECT_EQ(*s.strokeWidth, 3);
}

TEST(ElementStyle, ReadsWhatInkscapeWrites) {
  const Style s = sim::svg::ElementStyle(
      {{"style",
        "fill:#ff8000;fill-opacity:0.5;stroke:#000000;stroke-width:0.264583;stroke-linecap:round;"
        "stroke-linejoin:bevel;stroke-miterlimit:4;stroke-dasharray:4, 2;stroke-dashoffset:1.5;"
        "stroke-opacity:1;opacity:0.75;font-size:8.46666px;font-family:IPAGothic;text-anchor:middle;"
        "fill-rule:evenodd;display:inline;visibility:hidden;font-feature-settings:'liga' 1, 'kern' 0"}});
  ASSERT_TRUE(s.fill && s.stroke);
  EXPECT_EQ(s.fill->red, 1);
  EXPECT_NEAR(s.fill->green, 128 / 255.0, 1e-12);
  EXPECT_EQ(s.fill->blue, 0);
  EXPECT_EQ(s.fillOpacity, 0.5);
  EXPECT_EQ(s.stroke->kind, Paint::Kind::Color);
  EXPECT_EQ(s.strokeWidth, 0.264583);
  EXPECT_EQ(s.lineCap, "round");
  EXPECT_EQ(s.lineJoin, "bevel");
  EXPECT_EQ(s.miterLimit, 4);
  EXPECT_EQ(s.dashArray, (std::vector<double>{4, 2}));
  EXPECT_EQ(s.dashOffset, 1.5);
  EXPECT_EQ(s.strokeOpacity, 1);
  EXPECT_EQ(s.opacity, 0.75);
  EXPECT_EQ(s.fontSize, 8.46666);
  EXPECT_EQ(s.fontFamily, "IPAGothic");
  EXPECT_EQ(s.textAnchor, "middle");
  EXPECT_EQ(s.fillRule, "evenodd");
  EXPECT_EQ(s.display, "inline");
  EXPECT_EQ(s.visibility, "hidden");
  EXPECT_TRUE(s.unread.empty());
}

TEST(ElementStyle, PaintsByKind) {
  struct Case {
    const char* text;
    Paint::Kind kind;
    const char* reference;
  };
  const Case cases[] = {{"none", Paint::Kind::None, ""},
                        {"NONE", Paint::Kind::None, ""},
                        {"currentColor", Paint::Kind::CurrentColor, ""},
                        {"url(#grad1)", Paint::Kind::Reference, "grad1"},
                        {"url( '#linearGradient12' ) red", Paint::Kind::Reference, "linearGradient12"},
                        {"url(\"#p\")", Paint::Kind::Reference, "p"},
                        {"#ff0000 icc-color(profile, 1, 0, 0)", Paint::Kind::Color, ""}};
  for (const Case& c : cases) {
    const Style s = sim::svg::ElementStyle({{"fill", c.text}});
    ASSERT_TRUE(s.fill) << c.text;
    EXPECT_EQ(s.fill->kind, c.kind) << c.text;
    EXPECT_EQ(s.fill->reference, c.reference) << c.text;
  }
}

// A value that does not read leaves what came before and is told.
TEST(ElementStyle, BadValuesAreSkippedAndListed) {
  const Style s = sim::svg::ElementStyle({{"fill", "navy"},
                                          {"stroke-width", "2"},
                                          {"style",
                                           "fill:bogus;stroke-width:-1;opacity:half;stroke-dasharray:1,-2;"
                                           "stroke-linecap:pointy;stroke:url(other.svg#g);stroke-miterlimit:0.5;"
                                           "font-size:big;frobnicate:7;fill-rule:odd"}});
  ASSERT_TRUE(s.fill);
  EXPECT_NEAR(s.fill->blue, 128 / 255.0, 1e-12);
  EXPECT_EQ(s.strokeWidth, 2);
  EXPECT_FALSE(s.opacity || s.dashArray || s.lineCap || s.stroke || s.miterLimit || s.fontSize || s.fillRule);
  EXPECT_EQ(s.unread, (std::vector<std::string>{"fill: bogus", "stroke-width: -1", "opacity: half",
                                                "stroke-dasharray: 1,-2", "stroke-linecap: pointy",
                                                "stroke: url(other.svg#g)", "stroke-miterlimit: 0.5",
                                                "font-size: big", "fill-rule: odd"}));
}

TEST(ElementStyle, DeclarationSyntax) {
  const Style s = sim::svg::ElementStyle(
      {{"style",
        " ;; FILL : Teal !important ; /* stroke:red; */ stroke:blue /* after */; "
        "font-family:'A;B', serif; stroke-width:1 !IMPORTANT;opacity"}});
  ASSERT_TRUE(s.fill && s.stroke);
  EXPECT_NEAR(s.fill->green, 128 / 255.0, 1e-12);
  EXPECT_EQ(s.stroke->blue, 1);
  EXPECT_EQ(s.stroke->red, 0);
  EXPECT_EQ(s.fontFamily, "'A;B', serif");
  EXPECT_EQ(s.strokeWidth, 1);
  EXPECT_FALSE(s.opacity);
  EXPECT_TRUE(s.unread.empty());
}

struct NumberPropertyCase {
  const char* name;
  const char* value;
  double expected;
};

class NumberPropertyTest : public ::testing::TestWithParam<NumberPropertyCase> {};

TEST_P(NumberPropertyTest, ReadsAndHolds) {
  const NumberPropertyCase& c = GetParam();
  const Style s = sim::svg::ElementStyle({{c.name, c.value}});
  const std::string name = c.name;
  const std::optional<double> got = name == "opacity"          ? s.opacity
                                    : name == "fill-opacity"   ? s.fillOpacity
                                    : name == "stroke-opacity" ? s.strokeOpacity
                                    : name == "stroke-width"   ? s.strokeWidth
                                    : name == "font-size"      ? s.fontSize
                                                               : s.dashOffset;
  ASSERT_TRUE(got) << c.name << ": " << c.value;
  EXPECT_NEAR(*got, c.expected, 1e-9) << c.name << ": " << c.value;
}

INSTANTIATE_TEST_SUITE_P(Values, NumberPropertyTest,
                         ::testing::Values(NumberPropertyCase{"opacity", "50%", 0.5},
                                           NumberPropertyCase{"opacity", "1.5", 1},
                                           NumberPropertyCase{"fill-opacity", "-1", 0},
                                           NumberPropertyCase{"stroke-opacity", ".25", 0.25},
                                           NumberPropertyCase{"stroke-width", "1mm", 96 / 25.4},
                                           NumberPropertyCase{"stroke-width", "0.5pt", 2.0 / 3},
                                           NumberPropertyCase{"font-size", "12pt", 16},
                                           NumberPropertyCase{"font-size", "medium", 16},
                                           NumberPropertyCase{"font-size", "x-large", 24},
                                           NumberPropertyCase{"stroke-dashoffset", "-2in", -192}));

TEST(ElementStyle, DashArrays) {
  struct Case {
    const char* text;
    std::optional<std::vector<double>> expected;
  };
  const Case cases[] = {{"none", std::vector<double>{}},
                        {"5", std::vector<double>{5}},
                        {"5,2", std::vector<double>{5, 2}},
                        {"5 2 1", std::vector<double>{5, 2, 1}},
                        {" 1in , 3 ", std::vector<double>{96, 3}},
                        {"5,,2", std::nullopt},
                        {"5,", std::nullopt},
                        {"5 -2", std::nullopt},
                        {"5 10%", std::nullopt},
                        {"", std::nullopt}};
  for (const Case& c : cases) EXPECT_EQ(sim::svg::ElementStyle({{"stroke-dasharray", c.text}}).dashArray, c.expected) << c.text;
}

TEST(ElementStyle, FontFamilies) {
  const std::pair<const char*, const char*> cases[] = {{"IPAGothic", "IPAGothic"},
                                                       {"'IPA Gothic'", "IPA Gothic"},
                                                       {"\"Noto Sans CJK JP\"", "Noto Sans CJK JP"},
                                                       {"'A', 'B'", "'A', 'B'"},
                                                       {"sans-serif", "sans-serif"}};
  for (const auto& [text, expected] : cases) EXPECT_EQ(sim::svg::ElementStyle({{"font-family", text}}).fontFamily, expected);
}

TEST(ElementStyle, InheritKeywordUnsetsThePresentationAttribute) {
  const Style s = sim::svg::ElementStyle({{"fill", "red"}, {"style", "fill:inherit"}});
  EXPECT_FALSE(s.fill);
  EXPECT_TRUE(s.unread.empty());
}

// ---------------------------------------------------------------------------
// Inheritance

TEST(Inherit, InheritedPropertiesPassDownOthersDoNot) {
  const Style group = sim::svg::ElementStyle({{"style",
                                              "fill:red;stroke:blue;stroke-width:3;opacity:0.5;display:none;"
                                              "fill-opacity:0.25;stroke-opacity:0.75;fill-rule:evenodd;"
                                              "stroke-linecap:round;stroke-linejoin:bevel;stroke-miterlimit:9;"
                                              "stroke-dasharray:1 2;stroke-dashoffset:4;visibility:hidden;"
                                              "font-size:20px;text-anchor:end;font-family:serif;color:lime"}});
  const Style computed = sim::svg::Inherit(sim::svg::Inherit(Style{}, group), Style{});
  ASSERT_TRUE(computed.fill && computed.stroke && computed.color);
  EXPECT_EQ(computed.fill->red, 1);
  EXPECT_EQ(computed.stroke->blue, 1);
  EXPECT_EQ(computed.color->green, 1);
  EXPECT_EQ(computed.strokeWidth, 3);
  EXPECT_EQ(computed.fillOpacity, 0.25);
  EXPECT_EQ(computed.strokeOpacity, 0.75);
  EXPECT_EQ(computed.fillRule, "evenodd");
  EXPECT_EQ(computed.lineCap, "round");
  EXPECT_EQ(computed.lineJoin, "bevel");
  EXPECT_EQ(computed.miterLimit, 9);
  EXPECT_EQ(computed.dashArray, (std::vector<double>{1, 2}));
  EXPECT_EQ(computed.dashOffset, 4);
  EXPECT_EQ(computed.visibility, "hidden");
  EXPECT_EQ(computed.fontSize, 20);
  EXPECT_EQ(computed.textAnchor, "end");
  EXPECT_EQ(computed.fontFamily, "serif");
  // Opacity and display belong to the element that says them.
  EXPECT_FALSE(computed.opacity);
  EXPECT_FALSE(computed.display);
}

TEST(Inherit, OwnValuesWinAndRelativeFontSizesScaleTheParents) {
  const Style parent = sim::svg::ElementStyle({{"style", "fill:red;font-size:10px;opacity:0.5;display:none"}});
  const Style own = sim::svg::ElementStyle({{"style", "fill:blue;font-size:2em;opacity:0.25;display:inline"}});
  const Style computed = sim::svg::Inherit(parent, own);
  ASSERT_TRUE(computed.fill);
  EXPECT_EQ(computed.fill->blue, 1);
  EXPECT_EQ(computed.fontSize, 20);
  EXPECT_EQ(computed.opacity, 0.25);
  EXPECT_EQ(computed.display, "inline");
  // Relative to the default 16 px when nothing above sets a size; percent too.
  EXPECT_EQ(sim::svg::Inherit(Style{}, sim::svg::ElementStyle({{"font-size", "150%"}})).fontSize, 24);
  // An absolute size below a relative one.
  EXPECT_EQ(sim::svg::Inherit(computed, sim::svg::ElementStyle({{"font-size", "50%"}})).fontSize, 10);
}

TEST(UsedPaint, CurrentColorTakesTheComputedColour) {
  const Style parent = sim::svg::ElementStyle({{"style", "fill:currentColor;color:red"}});
  const Style child = sim::svg::Inherit(parent, sim::svg::ElementStyle({{"color", "blue"}}));
  ASSERT_TRUE(child.fill);
  const Paint used = sim::svg::UsedPaint(*child.fill, child);
  EXPECT_EQ(used.kind, Paint::Kind::Color);
  EXPECT_EQ(used.blue, 1);
  EXPECT_EQ(used.red, 0);
  EXPECT_EQ(sim::svg::UsedPaint(*child.fill, Style{}).kind, Paint::Kind::Color);  // black
  const Paint reference{Paint::Kind::Reference, 0, 0, 0, "g"};
  EXPECT_EQ(sim::svg::UsedPaint(reference, child).reference, "g");
}

// ---------------------------------------------------------------------------
// Against rsvg-convert: each case is a rect in a group; rsvg-convert draws
// it into cairo's SVG, which states the fill and stroke that it used.

struct CascadeCase {
  const char* group;  // attributes of the group
  const char* rect;   // attributes of the rect
};

struct Drawn {
  std::optional<Rgb> fill, stroke;
  double fillOpacity = 1, strokeWidth = 1, miterLimit = 4, dashOffset = 0;
  std::string lineCap = "butt", lineJoin = "miter", dashArray;
};

double Percent(const std::string& text) { return std::stod(text) / 100; }

Drawn FromCairo(const std::string& style) {
  Drawn d;
  std::smatch m;
  static const std::regex fill(R"(fill:rgb\(([\d.]+)%,([\d.]+)%,([\d.]+)%\))");
  static const std::regex stroke(R"(stroke:rgb\(([\d.]+)%,([\d.]+)%,([\d.]+)%\))");
  if (std::regex_search(style, m, fill)) d.fill = Rgb{Percent(m[1]), Percent(m[2]), Percent(m[3])};
  if (std::regex_search(style, m, stroke)) d.stroke = Rgb{Percent(m[1]), Percent(m[2]), Percent(m[3])};
  auto number = [&](const char* name, double& out) {
    const std::regex re(std::string(name) + R"(:([-\d.]+))");
    if (std::regex_search(style, m, re)) out = std::stod(m[1]);
  };
  auto word = [&](const char* name, std::string& out) {
    const std::regex re(std::string(name) + R"(:([a-z\d.,]+))");
    if (std::regex_search(style, m, re)) out = m[1];
  };
  number("fill-opacity", d.fillOpacity);
  number("stroke-width", d.strokeWidth);
  number("stroke-miterlimit", d.miterLimit);
  number("stroke-dashoffset", d.dashOffset);
  word("stroke-linecap", d.lineCap);
  word("stroke-linejoin", d.lineJoin);
  word("stroke-dasharray", d.dashArray);
  if (!d.stroke) d.strokeWidth = 1, d.lineCap = "butt", d.lineJoin = "miter", d.miterLimit = 4;
  return d;
}

// The attributes of an element written as SVG text, read back as pairs.
Attributes ParseAttributes(const std::string& text) {
  Attributes out;
  static const std::regex attribute(R"(([\w:-]+)="([^"]*)\")");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), attribute); it != std::sregex_iterator(); ++it)
    out.emplace_back((*it)[1], (*it)[2]);
  return out;
}

// What the library computes, with SVG's initial values for what nobody says.
Drawn FromLibrary(const CascadeCase& c) {
  const Style computed = sim::svg::Inherit(sim::svg::Inherit(Style{}, sim::svg::ElementStyle(ParseAttributes(c.group))),
                                           sim::svg::ElementStyle(ParseAttributes(c.rect)));
  Drawn d;
  auto paint = [&](const std::optional<Paint>& p, const Paint& initial) -> std::optional<Rgb> {
    const Paint used = sim::svg::UsedPaint(p.value_or(initial), computed);
    if (used.kind != Paint::Kind::Color) return std::nullopt;
    return Rgb{used.red, used.green, used.blue};
  };
  d.fill = paint(computed.fill, Paint{Paint::Kind::Color, 0, 0, 0, {}});
  d.stroke = paint(computed.stroke, Paint{});
  d.fillOpacity = computed.fillOpacity.value_or(1);
  if (d.stroke) {
    d.strokeWidth = computed.strokeWidth.value_or(1);
    d.miterLimit = computed.miterLimit.value_or(4);
    d.lineCap = computed.lineCap.value_or("butt");
    d.lineJoin = computed.lineJoin.value_or("miter");
    // An offset means something only along dashes.
    if (computed.dashArray && !computed.dashArray->empty()) {
      d.dashOffset = computed.dashOffset.value_or(0);
      std::ostringstream dashes;
      for (size_t i = 0; i < computed.dashArray->size(); ++i) dashes << (i ? "," : "") << (*computed.dashArray)[i];
      d.dashArray = dashes.str();
    }
  }
  return d;
}

TEST(AgainstRsvg, ComputedStylesMatchWhatItDrawsWith) {
  const CascadeCase cases[] = {
      {R"x(fill="red" stroke="blue" style="stroke-width:2mm;color:green" stroke-linecap="square")x",
       R"x(style="fill:currentColor;stroke-dasharray:5,2.5;stroke-dashoffset:1pt" stroke-linejoin="round")x"},
      {R"x(fill="red" stroke="blue")x", R"x(fill="rgb(10%,20%,300%)" stroke="none" fill-opacity="50%")x"},
      {R"x(stroke="blue")x", R"x(fill="LightGoldenRodYellow" style="fill:#abc;stroke:inherit" stroke-miterlimit="7")x"},
      {R"x(style="fill:none;stroke:#123;stroke-width:0.5in")x", ""},
      {R"x(fill="red")x", R"x(fill="navy" style="fill:bogus")x"},
      {"", R"x(style="fill:/* a comment */teal !important;stroke:rgb(255,128,0);stroke-width:3pc")x"},
      {R"x(style="stroke-linejoin:bevel;stroke-miterlimit:10;fill-opacity:0.25")x",
       R"x(stroke="black" fill-opacity="inherit" fill="#FfEe00")x"},
      {R"x(color="#8000ff" fill-opacity=".4")x", R"x(fill="currentColor" stroke="currentColor" stroke-width="1.5pt")x"},
      {R"x(style="stroke:black;stroke-dasharray:3 1 2")x", R"x(stroke-dasharray="none" stroke-dashoffset="-2")x"},
  };
  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"400\" height=\"400\">\n";
  for (const CascadeCase& c : cases)
    svg += std::string("<g ") + c.group + "><rect x=\"10\" y=\"10\" width=\"50\" height=\"50\" " + c.rect + "/></g>\n";
  svg += "</svg>\n";
  ScratchFolder folder;
  const std::string in = folder.Write("in.svg", svg), out = folder.Path("out.svg");
  ASSERT_EQ(std::system(("rsvg-convert -f svg -o " + Quote(out) + " " + Quote(in)).c_str()), 0);
  const std::string drawn = ScratchFolder::Read(out);
  static const std::regex path(R"(<path\b[^>]*\bstyle="([^"]*)\")");
  std::vector<std::string> styles;
  for (auto it = std::sregex_iterator(drawn.begin(), drawn.end(), path); it != std::sregex_iterator(); ++it)
    styles.push_back((*it)[1]);
  ASSERT_EQ(styles.size(), std::size(cases));
  // rsvg-convert holds colours and opacities in 8 bits.
  const double step = 0.5 / 255 + 1e-6;
  for (size_t i = 0; i < styles.size(); ++i) {
    const Drawn theirs = FromCairo(styles[i]), mine = FromLibrary(cases[i]);
    const std::string what = std::string(cases[i].group) + " / " + cases[i].rect + "\n  drawn: " + styles[i];
    for (const auto& [a, b] : {std::pair{mine.fill, theirs.fill}, std::pair{mine.stroke, theirs.stroke}}) {
      ASSERT_EQ(a.has_value(), b.has_value()) << what;
      if (!a) continue;
      EXPECT_NEAR(a->red, b->red, step) << what;
      EXPECT_NEAR(a->green, b->green, step) << what;
      EXPECT_NEAR(a->blue, b->blue, step) << what;
    }
    EXPECT_NEAR(mine.fillOpacity, theirs.fillOpacity, step) << what;
    EXPECT_NEAR(mine.strokeWidth, theirs.strokeWidth, 1e-6) << what;
    EXPECT_NEAR(mine.miterLimit, theirs.miterLimit, 1e-6) << what;
    EXPECT_NEAR(mine.dashOffset, theirs.dashOffset, 1e-6) << what;
    EXPECT_EQ(mine.lineCap, theirs.lineCap) << what;
    EXPECT_EQ(mine.lineJoin, theirs.lineJoin) << what;
    EXPECT_EQ(mine.dashArray, theirs.dashArray) << what;
  }
}

}  // namespace
