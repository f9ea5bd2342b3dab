#include "document/MapOfRuns.h"

#include <string>

#include "sim/TextCodec.h"
#include "document/DocumentCompare.h"

namespace kztest {

void BuildMapOfRuns(sim::Host& host) {
  host.NewDocument({0, 842, 595, 0});
  sim::Layer& mixed = host.AddLayer("mixed");
  host.AddPath(*mixed.group, {{1, 2}, {3, -400}}, false);
  host.AddSublayer(mixed, "between");
  sim::Art& compound = host.AddCompoundPath(*mixed.group);
  host.AddPath(compound, {{0, 0}, {5, 0}, {5, 5}}, true);
  host.AddPath(compound, {{1, 1}, {2, 1}, {2, 2}}, true);
  sim::Art& group = host.AddGroup(*mixed.group);
  host.AddPointText(group, {-700.5f, 3}, "東京");
  host.AddSymbol(group, {0, 10, 10, 0}, "sym");
  sim::Art& inner = host.AddGroup(group);
  host.AddPath(inner, {{9, 9}}, false);
  sim::Document& document = *host.CurrentDocument();
  document.Place(document.MakeArt(kPlacedArt), kPlaceInsideOnBottom, mixed.group);
  document.Place(document.MakeArt(kUnknownArt), kPlaceInsideOnBottom, mixed.group);
  sim::Layer& sub = host.AddSublayer(mixed, "last");
  host.AddPath(*sub.group, {{4, 4}, {5, 5}}, false);

  sim::Layer& points = host.AddLayer("points");
  points.group->Dict() = FieldRow(u"名前", 0, u"");
  for (int i = 0; i < 30000; ++i) {
    const float x = static_cast<float>(i % 500), y = static_cast<float>(i / 500);
    sim::Art& mark = host.AddPath(*points.group, {{x, y}, {x + 1, y}, {x + 1, y + 1}}, true);
    mark.Dict() = FieldRow(u"名前", 0, u"地点" + sim::Utf8ToUtf16(std::to_string(i)));
  }
  host.AddPath(*points.group, {{123456.5f, 0}, {0, 0}}, false);
  host.AddLayer("empty");
}

}  // namespace kztest
