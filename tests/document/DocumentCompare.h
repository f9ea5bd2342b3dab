// Property-by-property comparison of two stand-in documents, written apart
// from the document file code so that it checks it, and the pieces the
// tests build documents from.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sim/Document.h"
#include "sim/Values.h"

namespace kztest {

// Bit-for-bit, so that -0 and NaN count as themselves.
template <typename T>
bool SameBits(T a, T b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void ExpectSameDocument(const sim::Document& expected, const sim::Document& actual);

// An attribute row as the system stores it: an array of five-entry arrays,
// here of one field.
sim::DictPtr FieldRow(const std::u16string& name, int32_t type, const std::u16string& value, int32_t width = 10);

// A style that sets every property a map keeps: fill and stroke paints, a
// dash whose last entry is tiny, caps, joins and the even-odd rule.
// Overprint is set on the fill only; withStrokeOverprint sets it on the
// stroke too.
AIPathStyle EveryPropertyStyle(bool withStrokeOverprint);

// Text set in every way a map keeps: 18 pt, vertical, a half-black fill,
// justified by the third rule.
void SetEveryTextProperty(sim::TextData& text);

inline AIPathSegment Curve(float x, float y, float inX, float inY, float outX, float outY, bool corner) {
  return AIPathSegment{{x, y}, {inX, inY}, {outX, outY}, corner};
}

}  // namespace kztest
