#include "sim/PathSegments.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

namespace sim {

namespace {

bool SameBits(const AIRealPoint& a, const AIRealPoint& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

bool PathSegments::IsStraightCorner(const AIPathSegment& segment) {
  return segment.corner && SameBits(segment.in, segment.p) && SameBits(segment.out, segment.p);
}

PathSegments::PathSegments(const PathSegments& other) {
  if (other.curved == 0) {
    AssignCorners(static_cast<const AIRealPoint*>(other.data), other.count);
  } else {
    Assign(static_cast<const AIPathSegment*>(other.data), other.count);
  }
}

PathSegments::PathSegments(PathSegments&& other) noexcept
    : data(std::exchange(other.data, nullptr)),
      count(std::exchange(other.count, 0)),
      curved(std::exchange(other.curved, 0)) {}

PathSegments& PathSegments::operator=(const PathSegments& other) {
  if (this != &other) {
    PathSegments copy(other);
    *this = std::move(copy);
  }
  return *this;
}

PathSegments& PathSegments::operator=(PathSegments&& other) noexcept {
  if (this != &other) {
    Release();
    data = std::exchange(other.data, nullptr);
    count = std::exchange(other.count, 0);
    curved = std::exchange(other.curved, 0);
  }
  return *this;
}

void PathSegments::Release() {
  if (curved == 0) {
    delete[] static_cast<AIRealPoint*>(data);
  } else {
    delete[] static_cast<AIPathSegment*>(data);
  }
  data = nullptr;
  count = 0;
  curved = 0;
}

void PathSegments::Assign(const AIPathSegment* segments, size_t n) {
  const auto curves = static_cast<uint32_t>(
      std::count_if(segments, segments + n, [](const AIPathSegment& s) { return !IsStraightCorner(s); }));
  if (curves == 0) {
    AIRealPoint* points = n == 0 ? nullptr : new AIRealPoint[n];
    for (size_t i = 0; i < n; ++i) points[i] = segments[i].p;
    Release();
    data = points;
    count = static_cast<uint32_t>(n);
    return;
  }
  auto* whole = new AIPathSegment[n];
  std::copy_n(segments, n, whole);
  Release();
  data = whole;
  count = static_cast<uint32_t>(n);
  curved = curves;
}

void PathSegments::AssignCorners(const AIRealPoint* anchors, size_t n) {
  AIRealPoint* points = n == 0 ? nullptr : new AIRealPoint[n];
  if (n != 0) std::copy_n(anchors, n, points);
  Release();
  data = points;
  count = static_cast<uint32_t>(n);
}

void PathSegments::AssignRaw(const void* bytes, uint32_t n, uint32_t curves) {
  Release();
  if (n == 0) return;
  if (curves == 0) {
    auto* points = new AIRealPoint[n];
    std::memcpy(points, bytes, n * sizeof(AIRealPoint));
    data = points;
  } else {
    auto* whole = new AIPathSegment[n];
    std::memcpy(static_cast<void*>(whole), bytes, n * sizeof(AIPathSegment));
    data = whole;
  }
  count = n;
  curved = curves;
}

std::unique_ptr<AIPathSegment[]> PathSegments::TakeWhole() {
  std::unique_ptr<AIPathSegment[]> whole;
  if (curved != 0) {
    whole.reset(static_cast<AIPathSegment*>(data));
  } else if (count != 0) {
    whole = std::make_unique<AIPathSegment[]>(count);
    const auto* points = static_cast<const AIRealPoint*>(data);
    for (size_t i = 0; i < count; ++i) whole[i] = AIPathSegment{points[i], points[i], points[i], true};
    delete[] points;
  }
  data = nullptr;
  count = 0;
  curved = 0;
  return whole;
}

void PathSegments::Adopt(std::unique_ptr<AIPathSegment[]> whole, size_t n, uint32_t curves) {
  Release();
  count = static_cast<uint32_t>(n);
  if (curves != 0) {
    data = whole.release();
    curved = curves;
    return;
  }
  auto* points = n == 0 ? nullptr : new AIRealPoint[n];
  for (size_t i = 0; i < n; ++i) points[i] = whole[i].p;
  data = points;
}

void PathSegments::Set(size_t first, const AIPathSegment* segments, size_t n) {
  if (n == 0) return;
  if (first + n > count) Resize(first + n, AIPathSegment{});
  if (curved == 0 && std::all_of(segments, segments + n, IsStraightCorner)) {
    auto* points = static_cast<AIRealPoint*>(data);
    for (size_t i = 0; i < n; ++i) points[first + i] = segments[i].p;
    return;
  }
  // Counted as written, so that writing a long path piece by piece stays linear.
  uint32_t curves = curved;
  const size_t size = count;
  std::unique_ptr<AIPathSegment[]> whole = TakeWhole();
  for (size_t i = 0; i < n; ++i) {
    AIPathSegment& target = whole[first + i];
    if (!IsStraightCorner(target)) --curves;
    target = segments[i];
    if (!IsStraightCorner(target)) ++curves;
  }
  Adopt(std::move(whole), size, curves);
}

void PathSegments::Resize(size_t n, const AIPathSegment& filler) {
  if (n == count) return;
  const size_t kept = std::min<size_t>(n, count);
  std::unique_ptr<AIPathSegment[]> old = TakeWhole();
  auto whole = std::make_unique<AIPathSegment[]>(n);
  std::copy_n(old.get(), kept, whole.get());
  std::fill(whole.get() + kept, whole.get() + n, filler);
  const auto curves = static_cast<uint32_t>(
      std::count_if(whole.get(), whole.get() + n, [](const AIPathSegment& s) { return !IsStraightCorner(s); }));
  Adopt(std::move(whole), n, curves);
}

std::vector<AIPathSegment> PathSegments::ToVector() const {
  std::vector<AIPathSegment> result(count);
  for (size_t i = 0; i < count; ++i) result[i] = (*this)[i];
  return result;
}

}  // namespace sim
