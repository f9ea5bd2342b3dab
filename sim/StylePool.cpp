#include "sim/StylePool.h"

namespace sim {

namespace {

// Field by field, so that padding never tells equal styles apart; colours
// keep their whole union, as a plug-in reads it back whole.
std::string Bits(const AIPathStyle& style) {
  std::string out;
  const auto add = [&out](const auto& value) { out.append(reinterpret_cast<const char*>(&value), sizeof value); };
  const auto color = [&](const AIColor& c) {
    add(c.kind);
    add(c.c);
  };
  add(style.fillPaint);
  add(style.strokePaint);
  add(style.evenOdd);
  color(style.fill.color);
  add(style.fill.overprint);
  color(style.stroke.color);
  add(style.stroke.overprint);
  add(style.stroke.width);
  add(style.stroke.dash.length);
  add(style.stroke.dash.offset);
  for (const AIReal dash : style.stroke.dash.array) add(dash);
  add(style.stroke.cap);
  add(style.stroke.join);
  add(style.stroke.miterLimit);
  return out;
}

}  // namespace

const AIPathStyle* StylePool::Intern(const AIPathStyle& style) {
  std::string key = Bits(style);
  if (const auto found = byBits.find(key); found != byBits.end()) return found->second;
  const AIPathStyle* made = &kept.emplace_back(style);
  byBits.emplace(std::move(key), made);
  return made;
}

const AIPathStyle& StylePool::Default() {
  static const AIPathStyle style;
  return style;
}

}  // namespace sim
