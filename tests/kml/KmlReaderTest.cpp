// The KML reader on files in the layouts that writers use and on the broken
// ones people send; each reading is compared with a transcript written by
// hand, and must not change when the file arrives in pieces of any size.
#include <gtest/gtest.h>

#include <string>

#include "KmlTranscript.h"
#include "formats/KmlCoordinates.h"
#include "formats/KmlReader.h"

namespace {

using kztest::Transcribe;

struct ReadCase {
  const char* label;
  const char* kml;
  const char* transcript;
};

class KmlReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(KmlReadTest, ReadsAsWrittenByHand) {
  const ReadCase& c = GetParam();
  EXPECT_EQ(Transcribe(c.kml), c.transcript);
}

TEST_P(KmlReadTest, ReadsTheSameInPiecesOfAnySize) {
  const ReadCase& c = GetParam();
  const std::string whole = Transcribe(c.kml);
  for (size_t chunk : {1, 2, 3, 7, 64}) EXPECT_EQ(Transcribe(c.kml, chunk), whole) << "pieces of " << chunk;
}

const ReadCase kReadCases[] = {
    {"GdalLayout",
     "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
     "<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"
     "<Document id=\"root_doc\">\n"
     "<Folder><name>a</name>\n"
     "  <Placemark>\n"
     "\t<Style><LineStyle><color>ff0000ff</color></LineStyle><PolyStyle><fill>0</fill></PolyStyle></Style>\n"
     "\t<ExtendedData><SchemaData schemaUrl=\"#a\">\n"
     "\t\t<SimpleData name=\"名前\">穴&amp;&lt;&gt;</SimpleData>\n"
     "\t\t<SimpleData name=\"コード\">3</SimpleData>\n"
     "\t</SchemaData></ExtendedData>\n"
     "      <Polygon><outerBoundaryIs><LinearRing><coordinates>139,35 139,37 141,37 141,35 139,35</coordinates>"
     "</LinearRing></outerBoundaryIs><innerBoundaryIs><LinearRing><coordinates>139.5,35.5 140.0,35.5 140,36 "
     "139.5,35.5</coordinates></LinearRing></innerBoundaryIs></Polygon>\n"
     "  </Placemark>\n"
     "</Folder>\n"
     "<Schema name=\"a\" id=\"a\">\n"
     "\t<SimpleField name=\"名前\" type=\"string\"></SimpleField>\n"
     "\t<SimpleField name=\"コード\" type=\"int\"></SimpleField>\n"
     "</Schema>\n"
     "</Document></kml>\n",
     "document \n"
     "folder a\n"
     "placemark \n"
     "  inline style\n"
     "  polygon (139,35 139,37 141,37 141,35 139,35)\n"
     "    hole (139.5,35.5 140,35.5 140,36 139.5,35.5)\n"
     "  data 名前=穴&<>\n"
     "  data コード=3\n"
     "end\n"
     "field 名前 string\n"
     "field コード int\n"
     "end\n"},
    {"GoogleEarthLayout",
     "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
     "<kml xmlns=\"http://www.opengis.net/kml/2.2\" xmlns:gx=\"http://www.google.com/kml/ext/2.2\">\n"
     "<Document>\n"
     "\t<name>散歩.kml</name>\n"
     "\t<StyleMap id=\"m1\">\n"
     "\t\t<Pair>\n\t\t\t<key>normal</key>\n\t\t\t<styleUrl>#s1</styleUrl>\n\t\t</Pair>\n"
     "\t</StyleMap>\n"
     "\t<Folder>\n"
     "\t\t<name>道</name>\n"
     "\t\t<open>1</open>\n"
     "\t\t<Placemark id=\"p1\">\n"
     "\t\t\t<name>川沿い</name>\n"
     "\t\t\t<description><![CDATA[<b>遊歩道</b> & 橋]]></description>\n"
     "\t\t\t<styleUrl>#m1</styleUrl>\n"
     "\t\t\t<LineString>\n"
     "\t\t\t\t<tessellate>1</tessellate>\n"
     "\t\t\t\t<coordinates>\n"
     "\t\t\t\t\t139.1,35.1,0 139.2,35.2,0\n"
     "\t\t\t\t\t139.3,35.3,0\n"
     "\t\t\t\t</coordinates>\n"
     "\t\t\t</LineString>\n"
     "\t\t</Placemark>\n"
     "\t\t<Placemark>\n"
     "\t\t\t<Point><coordinates>139.5,35.5,0</coordinates></Point>\n"
     "\t\t</Placemark>\n"
     "\t</Folder>\n"
     "</Document>\n"
     "</kml>\n",
     "document 散歩.kml\n"
     "folder 道\n"
     "placemark 川沿い\n"
     "  description <b>遊歩道</b> & 橋\n"
     "  style #m1\n"
     "  line (139.1,35.1 139.2,35.2 139.3,35.3)\n"
     "placemark \n"
     "  point (139.5,35.5)\n"
     "end\n"
     "end\n"},
    {"OneLine",
     "<kml><Document><name>d</name><Placemark><name>a</name><Point><coordinates>1,2</coordinates></Point>"
     "</Placemark><Placemark><name>b</name><Point><coordinates>3,4</coordinates></Point></Placemark>"
     "</Document></kml>",
     "document d\nplacemark a\n  point (1,2)\nplacemark b\n  point (3,4)\nend\n"},
    {"TuplesSeparatedByAnyWhiteSpace",
     "<Placemark><LineString><coordinates>1,2\t3,4\r\n5,6\n7,8\r9,10</coordinates></LineString></Placemark>",
     "placemark \n  line (1,2 3,4 5,6 7,8 9,10)\n"},
    {"TupleWithSpaceAfterItsCommaAndBadTuples",
     "<Placemark><LineString><coordinates>1, 2,0 x,4 5 6,7,8 nan,1</coordinates></LineString></Placemark>",
     "placemark \n  line (1,2 6,7)\n  bad tuples 3\n"},
    {"NameAndDescriptionDoNotLeak",
     "<Placemark><name>a</name><description>d</description><styleUrl>#s</styleUrl>"
     "<Point><coordinates>1,2</coordinates></Point></Placemark>"
     "<Placemark><Point><coordinates>3,4</coordinates></Point></Placemark>",
     "placemark a\n  description d\n  style #s\n  point (1,2)\nplacemark \n  point (3,4)\n"},
    {"EntitiesDecodedAndStrayMarkupKept",
     "<Placemark><name>A &amp; B &#x3042;&#12354; &bogus; 1 < 2 &</name></Placemark>",
     "placemark A & B ああ &bogus; 1 < 2 &\n"},
    {"CoordinatesCutOffByTheEndOfTheFile",
     "<kml><Document><Folder><name>f</name><Placemark><name>p</name><LineString><coordinates>1,2 3,4",
     // The cut placemark may be short of points: it is not handed out.
     "document \nfolder f\nend\nend\n"},
    {"ElementLeftOpenIsClosedByItsParent",
     "<Folder><name>f<Placemark><name>p</name><Point><coordinates>1,2</Point></Placemark></Folder>",
     "folder f\nplacemark p\n  point (1,2)\nend\n"},
    {"StrayEndTagsAndCommentsIgnored",
     "</Folder><!-- <Placemark><name>no</name></Placemark> --></name>"
     "<Placemark><name>yes</name></Placemark></kml>",
     "placemark yes\n"},
    {"PolygonOfSeveralRingsInMultiGeometry",
     "<Placemark><MultiGeometry><Polygon><outerBoundaryIs><LinearRing><coordinates>0,0 1,0 1,1 0,0</coordinates>"
     "</LinearRing></outerBoundaryIs></Polygon><Polygon><outerBoundaryIs><LinearRing><coordinates>5,5 6,5 6,6 5,5"
     "</coordinates></LinearRing></outerBoundaryIs><innerBoundaryIs><LinearRing><coordinates>5.1,5.1 5.2,5.1 5.2,5.2"
     "</coordinates></LinearRing></innerBoundaryIs><innerBoundaryIs><LinearRing><coordinates>5.5,5.5 5.6,5.5 5.6,5.6"
     "</coordinates></LinearRing></innerBoundaryIs></Polygon><Point><coordinates>9,9</coordinates></Point>"
     "</MultiGeometry></Placemark>",
     "placemark \n  point (9,9)\n  polygon (0,0 1,0 1,1 0,0)\n  polygon (5,5 6,5 6,6 5,5)\n"
     "    hole (5.1,5.1 5.2,5.1 5.2,5.2)\n    hole (5.5,5.5 5.6,5.5 5.6,5.6)\n"},
    {"ExtendedDataOfGoogleEarth",
     "<Placemark><ExtendedData><Data name=\"高さ\"><displayName>H</displayName><value>12</value></Data>"
     "<Data name=\"x\"><value></value></Data></ExtendedData></Placemark>",
     "placemark \n  data 高さ=12\n  data x=\n"},
    {"PrefixedElementsOfOtherNamespacesAreNotKml",
     "<kml:Placemark><atom:author><atom:name>me</atom:name></atom:author><kml:name>k</kml:name>"
     "<gx:Track><gx:coord>1 2 3</gx:coord></gx:Track></kml:Placemark>",
     "placemark k\n  line (1,2)\n"},
    {"TracksOfAGpsConverter",
     "<Placemark><gx:MultiTrack><gx:Track><when>t</when><when>u</when><when>v</when><gx:coord>1  2 3</gx:coord>"
     "<gx:coord>x y 0</gx:coord><gx:coord>\n3\t4\n</gx:coord><gx:angles>1 2 3</gx:angles></gx:Track>"
     "<gx:Track><gx:coord>5 6</gx:coord><gx:coord>7 8 9</gx:coord></gx:Track></gx:MultiTrack></Placemark>"
     "<Placemark><Track><coord>9 10 0</coord></Track></Placemark>",
     "placemark \n  line (1,2 3,4)\n  line (5,6 7,8)\n  bad tuples 1\nplacemark \n  line (9,10)\n"},
    {"CDataKeepsMarkupAndBracketsAsText",
     "<Placemark><description><![CDATA[a]>b]] <c> &amp; ]]]></description></Placemark>",
     "placemark \n  description a]>b]] <c> &amp; ]\n"},
    {"ByteOrderMarkAndDeclarations",
     "\xEF\xBB\xBF<?xml version=\"1.0\"?><!DOCTYPE kml [<!ENTITY a \"b\">]><Placemark><name>n</name></Placemark>",
     "placemark n\n"},
    {"FolderWhoseNameComesLate",
     "<Folder><Placemark><name>p</name></Placemark><name>late</name></Folder>",
     "folder \nplacemark p\nend\n"},
    {"PlacemarkLeftOpenEndsWhereTheNextBegins",
     "<Placemark><name>a</name><Placemark><name>b</name></Placemark>",
     "placemark a\nplacemark b\n"},
};

INSTANTIATE_TEST_SUITE_P(Layouts, KmlReadTest, ::testing::ValuesIn(kReadCases),
                         [](const ::testing::TestParamInfo<ReadCase>& info) { return info.param.label; });

// Styles: the colours of aabbggrr digits worked out by hand.
class StyleCollector : public KmlSink {};

TEST(KmlStyles, SharedStylesAndStyleMapsResolve) {
  const char* kml =
      "<Document><Style id=\"s1\"><LineStyle><color>7f0000ff</color><width>2.5</width></LineStyle>"
      "<PolyStyle><color>80ff8000</color><fill>1</fill><outline>0</outline></PolyStyle>"
      "<LabelStyle><color>ff00ff00</color><scale>1.2</scale></LabelStyle></Style>\n"
      "<StyleMap id=\"m1\"><Pair><key>highlight</key><styleUrl>#nothing</styleUrl></Pair>"
      "<Pair><key>normal</key><styleUrl>#s1</styleUrl></Pair></StyleMap>\n"
      "<StyleMap id=\"m2\"><Pair><key>normal</key><Style><PolyStyle><fill>false</fill></PolyStyle></Style>"
      "</Pair></StyleMap>\n"
      "<StyleMap id=\"c1\"><Pair><key>normal</key><styleUrl>#c2</styleUrl></Pair></StyleMap>"
      "<StyleMap id=\"c2\"><Pair><key>normal</key><styleUrl>c1</styleUrl></Pair></StyleMap>\n"
      "<Style id=\"short\"><LineStyle><color>ff00ff</color><width>-1</width></LineStyle></Style>\n"
      "<Style id=\"open><LineStyle><color>ff0000ff</color></LineStyle></Style>\n"
      "</Document>";
  StyleCollector sink;
  KmlReader reader(sink);
  reader.Feed(kml);
  reader.Finish();
  const KmlStyleTable& styles = reader.Styles();

  const KmlStyle* s1 = styles.Resolve("m1");
  ASSERT_NE(s1, nullptr);
  EXPECT_EQ(s1, styles.Resolve("s1"));
  EXPECT_EQ(s1->lineColor, (KmlColor{127 / 255.0, 0, 0, 1}));
  EXPECT_EQ(s1->lineWidth, 2.5);
  EXPECT_EQ(s1->polyColor, (KmlColor{128 / 255.0, 1, 128 / 255.0, 0}));
  EXPECT_EQ(s1->fill, true);
  EXPECT_EQ(s1->outline, false);
  EXPECT_EQ(s1->labelColor, (KmlColor{1, 0, 1, 0}));
  EXPECT_EQ(s1->labelScale, 1.2);

  const KmlStyle* m2 = styles.Resolve("m2");
  ASSERT_NE(m2, nullptr);
  EXPECT_EQ(m2->fill, false);

  EXPECT_EQ(styles.Resolve("c1"), nullptr);  // a cycle ends
  EXPECT_EQ(styles.Resolve(""), nullptr);
  EXPECT_EQ(styles.Resolve("nothing"), nullptr);

  const KmlStyle* shortColour = styles.Resolve("short");
  ASSERT_NE(shortColour, nullptr);
  EXPECT_FALSE(shortColour->lineColor);  // six digits are no colour
  EXPECT_FALSE(shortColour->lineWidth);

  // The id whose quote never closes ends at the tag's ">".
  const KmlStyle* open = styles.Resolve("open");
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->lineColor, (KmlColor{1, 0, 0, 1}));
}

TEST(KmlStyles, StyleUrlNamesTheIdAfterItsNumberSign) {
  EXPECT_EQ(KmlStyleId("#s1"), "s1");
  EXPECT_EQ(KmlStyleId(" other.kml#s2 "), "s2");
  EXPECT_EQ(KmlStyleId("s3"), "s3");
  EXPECT_EQ(KmlStyleId("#"), "");
  EXPECT_EQ(KmlStyleId(""), "");
}

TEST(KmlNesting, DeepNestingIsBoundedAndEnds) {
  std::string kml;
  constexpr int kDepth = 20000;
  for (int i = 0; i < kDepth; ++i) kml += "<Folder>";
  kml += "<Placemark><name>deep</name></Placemark>";
  for (int i = 0; i < kDepth; ++i) kml += "</Folder>";
  kml += "<Placemark><name>after</name></Placemark>";

  kztest::KmlTranscript transcript;
  KmlReader reader(transcript);
  reader.Feed(kml);
  reader.Finish();
  size_t begins = 0, ends = 0;
  for (size_t at = 0; (at = transcript.text.find("folder", at)) != std::string::npos; ++at) ++begins;
  for (size_t at = 0; (at = transcript.text.find("end\n", at)) != std::string::npos; ++at) ++ends;
  EXPECT_EQ(begins, KmlReader::kMaxDepth);
  EXPECT_EQ(ends, begins);
  // Placemarks below the limit are read over; the reading goes on after it.
  EXPECT_EQ(transcript.text.find("deep"), std::string::npos);
  EXPECT_NE(transcript.text.find("placemark after"), std::string::npos);
  // Every element read over is counted: the folders past the limit, the placemark and its name.
  EXPECT_EQ(reader.DeepElements(), kDepth - static_cast<int64_t>(KmlReader::kMaxDepth) + 2);
  EXPECT_FALSE(reader.Truncated());
}

TEST(KmlEnd, AFileCutShortSaysWhereAndWhatWasLeftOut) {
  const std::string whole =
      "<kml>\n<Placemark><name>a</name><Point><coordinates>1,2</coordinates></Point></Placemark>\n"
      "<Placemark><name>b</name><LineString><coordinates>1,2\n3,4\n5,6</coordinates></LineString></Placemark>\n</kml>\n";
  struct Case {
    size_t cut;
    bool truncated;
    int64_t line, cutPlacemarks;
  };
  const size_t inLine = whole.find("3,4");
  for (const Case& c : {Case{whole.size(), false, 7, 0}, Case{inLine, true, 4, 1},
                        Case{whole.find("</kml>"), true, 6, 0}}) {
    SCOPED_TRACE(c.cut);
    kztest::KmlTranscript transcript;
    KmlReader reader(transcript);
    reader.Feed(std::string_view(whole).substr(0, c.cut));
    reader.Finish();
    EXPECT_EQ(reader.Truncated(), c.truncated);
    EXPECT_EQ(reader.EndLine(), c.line);
    EXPECT_EQ(reader.CutPlacemarks(), c.cutPlacemarks);
    EXPECT_NE(transcript.text.find("placemark a"), std::string::npos);
    EXPECT_EQ(transcript.text.find("placemark b") != std::string::npos, c.cutPlacemarks == 0);
  }
}

// A sink that stops at the first placemark: nothing after it arrives.
class StopAtFirst : public kztest::KmlTranscript {
 public:
  bool Placemark(const KmlPlacemark& placemark) override {
    KmlTranscript::Placemark(placemark);
    return false;
  }
};

TEST(KmlStop, StoppingEndsTheReading) {
  StopAtFirst sink;
  KmlReader reader(sink);
  EXPECT_FALSE(reader.Feed("<Folder><Placemark><name>a</name></Placemark><Placemark><name>b</name></Placemark>"));
  EXPECT_FALSE(reader.Finish());
  EXPECT_EQ(sink.text, "folder \nplacemark a\n");
}

}  // namespace
