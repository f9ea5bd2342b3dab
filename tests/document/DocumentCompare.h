// Property-by-property comparison of two stand-in documents, written apart
// from the document file code so that it checks it.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "sim/Document.h"

namespace kztest {

// Bit-for-bit, so that -0 and NaN count as themselves.
template <typename T>
bool SameBits(T a, T b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

void ExpectSameDocument(const sim::Document& expected, const sim::Document& actual);

}  // namespace kztest
