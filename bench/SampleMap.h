// The sample map the document and SVG benches share: polygons of 1,000
// segments (every tenth curved) on an A1 artboard, a hundred to a layer,
// each filled and stroked, with an attribute row of three fields and a
// Japanese label.
#pragma once

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "sim/Host.h"

namespace benchmap {

inline constexpr int kSegmentsPerPath = 1000;

inline sim::DictPtr AttributeRow(int id) {
  auto row = sim::NewArray();
  for (auto [name, type, value] : {std::tuple{u"名前", 0, u"区画" + std::u16string(1, u'0' + id % 10)},
                                   {u"番号", 1, std::u16string(1, u'0' + id % 10)}, {u"面積", 2, std::u16string(u"706.50")}}) {
    auto field = sim::NewArray();
    *field = {sim::Value{std::u16string(name)}, sim::Value{int32_t(type)}, sim::Value{int32_t(10)},
              sim::Value{int32_t(type == 2 ? 2 : 0)}, sim::Value{std::u16string(value)}};
    row->push_back(sim::Value{field});
  }
  auto dictionary = sim::NewDictionary();
  dictionary->Set("KartzmapField", sim::Value{row});
  return dictionary;
}

// A map of `segments` segments on an A1 artboard.
inline sim::Document& BuildMap(sim::Host& host, int segments) {
  sim::Document& document = host.NewDocument({0, 2383.937f, 1683.7795f, 0});
  const int paths = segments / kSegmentsPerPath;
  sim::Layer* layer = nullptr;
  for (int p = 0; p < paths; ++p) {
    if (p % 100 == 0) layer = &host.AddLayer("レイヤー " + std::to_string(p / 100 + 1));
    const double cx = 60 + 55.0 * (p % 30), cy = 60 + 55.0 * (p / 30);
    std::vector<AIPathSegment> outline(kSegmentsPerPath);
    for (int i = 0; i < kSegmentsPerPath; ++i) {
      const double angle = -2 * M_PI * i / kSegmentsPerPath;
      const double radius = 25 + 2 * std::sin(7 * angle);
      const AIRealPoint at{static_cast<AIReal>(cx + radius * std::cos(angle)), static_cast<AIReal>(cy + radius * std::sin(angle))};
      outline[i] = AIPathSegment{at, at, at, true};
      if (p % 10 == 0) {  // a curved outline
        outline[i].in = {at.h - 0.05f, at.v + 0.05f};
        outline[i].out = {at.h + 0.05f, at.v - 0.05f};
        outline[i].corner = false;
      }
    }
    sim::Art& path = host.AddCurvedPath(*layer->group, std::move(outline), true);
    host.EditStyle(&path, [&](AIPathStyle& style) {
      style.fillPaint = true;
      style.fill.color = AIColor::Four(0.1f * (p % 10), 0.2f, 0.3f, 0);
      style.strokePaint = true;
      style.stroke.color = AIColor::Four(0, 0, 0, 1);
      style.stroke.width = 0.5f;
    });
    path.Dict() = AttributeRow(p);
    sim::Art& label = host.AddPointText(*layer->group, {static_cast<AIReal>(cx), static_cast<AIReal>(cy)}, "区画" + std::to_string(p));
    label.EditExtras().text.fontSize = 9;
    label.EditExtras().text.justificationAssigned = true;
    label.EditExtras().text.justification = 2;
  }
  return document;
}

}  // namespace benchmap
