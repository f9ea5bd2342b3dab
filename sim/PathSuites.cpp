// The stand-in Path, Path Style, Blend Style, Shape Construction, Real
// Bezier and Real Math suites.
#include <algorithm>
#include <cmath>

#include "sim/HostSuites.h"
#include "sim/Notifications.h"
#include "sim/PathGeometry.h"
#include "sim/SuiteSupport.h"

namespace sim {

namespace {

using namespace support;

#define SIM_PATH(var, handle) \
  SIM_ART(var, handle);       \
  SIM_REQUIRE(var->type == kPathArt, kBadParameterErr)

AIErr GetPathSegmentCount(AIArtHandle handle, int16_t* count) {
  SIM_REQUIRE(count, kBadParameterErr);
  SIM_PATH(art, handle);
  *count = static_cast<int16_t>(art->Segments().size());
  return kNoErr;
}

AIErr SetPathSegmentCount(AIArtHandle handle, int16_t count) {
  SIM_PATH(art, handle);
  SIM_REQUIRE(count >= 0 && count <= kMaxPathSegments, kBadParameterErr);
  const AIPathSegment filler = art->Segments().empty() ? AIPathSegment{} : art->Segments().back();
  art->Segments().Resize(static_cast<size_t>(count), filler);
  PostDocumentChanged();
  return kNoErr;
}

AIErr GetPathSegments(AIArtHandle handle, int16_t first, int16_t count, AIPathSegment* segments) {
  SIM_REQUIRE(segments || count == 0, kBadParameterErr);
  SIM_PATH(art, handle);
  SIM_REQUIRE(first >= 0 && count >= 0, kBadParameterErr);
  SIM_REQUIRE(static_cast<size_t>(first) + static_cast<size_t>(count) <= art->Segments().size(), kIndexOutOfRangeErr);
  std::copy_n(art->Segments().begin() + first, count, segments);
  return kNoErr;
}

AIErr SetPathSegments(AIArtHandle handle, int16_t first, int16_t count, const AIPathSegment* segments) {
  SIM_REQUIRE(segments || count == 0, kBadParameterErr);
  SIM_PATH(art, handle);
  SIM_REQUIRE(first >= 0 && count >= 0 && first + count <= kMaxPathSegments, kBadParameterErr);
  SIM_REQUIRE(static_cast<size_t>(first) <= art->Segments().size(), kIndexOutOfRangeErr);
  art->Segments().Set(static_cast<size_t>(first), segments, static_cast<size_t>(count));
  PostDocumentChanged();
  return kNoErr;
}

AIErr GetPathClosed(AIArtHandle handle, AIBoolean* closed) {
  SIM_REQUIRE(closed, kBadParameterErr);
  SIM_PATH(art, handle);
  *closed = art->closed;
  return kNoErr;
}

AIErr SetPathClosed(AIArtHandle handle, AIBoolean closed) {
  SIM_PATH(art, handle);
  art->closed = closed != 0;
  PostDocumentChanged();
  return kNoErr;
}

AIErr GetPathBezier(AIArtHandle handle, int16_t segmentNumber, AIRealBezier* bezier) {
  SIM_REQUIRE(bezier, kBadParameterErr);
  SIM_PATH(art, handle);
  SIM_REQUIRE(segmentNumber >= 0 && static_cast<size_t>(segmentNumber) < CurveCount(art->Segments(), art->closed),
              kIndexOutOfRangeErr);
  *bezier = SegmentCurve(art->Segments(), static_cast<size_t>(segmentNumber));
  return kNoErr;
}

AIErr GetPathArea(AIArtHandle handle, AIReal* area) {
  SIM_REQUIRE(area, kBadParameterErr);
  SIM_ART(art, handle);
  double sum = 0;
  if (art->type == kPathArt) {
    sum = SignedArea(art->Segments());
  } else if (art->type == kCompoundPathArt) {
    for (const Art* child : art->children) sum += SignedArea(child->Segments());
  } else {
    return kBadParameterErr;
  }
  *area = static_cast<AIReal>(sum);
  return kNoErr;
}

AIErr GetPathLength(AIArtHandle handle, AIReal* length, AIReal flatness) {
  SIM_REQUIRE(length, kBadParameterErr);
  SIM_PATH(art, handle);
  *length = static_cast<AIReal>(OutlineLength(art->Segments(), art->closed, flatness));
  return kNoErr;
}

AIErr GetPathGuide(AIArtHandle handle, AIBoolean* isGuide) {
  SIM_REQUIRE(isGuide, kBadParameterErr);
  SIM_PATH(art, handle);
  *isGuide = art->guide;
  return kNoErr;
}

AIErr SetPathGuide(AIArtHandle handle, AIBoolean isGuide) {
  SIM_PATH(art, handle);
  art->guide = isGuide != 0;
  PostDocumentChanged();
  return kNoErr;
}

AIErr GetPathIsClip(AIArtHandle handle, AIBoolean* isClip) {
  SIM_REQUIRE(isClip, kBadParameterErr);
  SIM_ART(art, handle);
  SIM_REQUIRE(art->type == kPathArt || art->type == kCompoundPathArt, kBadParameterErr);
  *isClip = art->clip;
  return kNoErr;
}

AIErr SetPathIsClip(AIArtHandle handle, AIBoolean isClip) {
  SIM_ART(art, handle);
  SIM_REQUIRE(art->type == kPathArt || art->type == kCompoundPathArt, kBadParameterErr);
  art->clip = isClip != 0;
  PostDocumentChanged();
  return kNoErr;
}

const AIPathSuite pathSuite = {
    GetPathSegmentCount, SetPathSegmentCount, GetPathSegments, SetPathSegments, GetPathClosed,
    SetPathClosed,       GetPathBezier,       GetPathArea,     GetPathLength,   GetPathGuide,
    SetPathGuide,        GetPathIsClip,       SetPathIsClip,
};

// --- Path style --------------------------------------------------------------

// A compound path is painted with the style of its paths: it reads as its
// topmost path's and writes to all of them.
AIErr GetPathStyle(AIArtHandle handle, AIPathStyle* style) {
  SIM_REQUIRE(style, kBadParameterErr);
  SIM_ART(art, handle);
  SIM_REQUIRE(art->type == kPathArt || art->type == kCompoundPathArt, kBadParameterErr);
  const Art* source = art->type == kCompoundPathArt && !art->children.empty() ? art->children.front() : art;
  *style = source->Style();
  return kNoErr;
}

AIErr SetPathStyle(AIArtHandle handle, const AIPathStyle* style) {
  SIM_REQUIRE(style, kBadParameterErr);
  SIM_ART(art, handle);
  SIM_REQUIRE(art->type == kPathArt || art->type == kCompoundPathArt, kBadParameterErr);
  // One kept style for the art and its paths; art that shared the old one keeps it.
  const AIPathStyle* kept = Doc()->styles.Intern(*style);
  art->ShareStyle(kept);
  for (Art* child : art->children) child->ShareStyle(kept);
  PostArtPropertiesChanged();
  return kNoErr;
}

const AIPathStyleSuite pathStyleSuite = {GetPathStyle, SetPathStyle};

// --- Blend style -------------------------------------------------------------

AIErr GetOpacity(AIArtHandle handle, AIReal* opacity) {
  SIM_REQUIRE(opacity, kBadParameterErr);
  SIM_ART(art, handle);
  *opacity = art->opacity;
  return kNoErr;
}

AIErr SetOpacity(AIArtHandle handle, AIReal opacity) {
  SIM_ART(art, handle);
  SIM_REQUIRE(opacity >= 0 && opacity <= 1, kBadParameterErr);
  art->opacity = opacity;
  PostArtPropertiesChanged();
  return kNoErr;
}

const AIBlendStyleSuite blendStyleSuite = {GetOpacity, SetOpacity};

// --- Shape construction ---------------------------------------------------------

AIErr NewShape(std::vector<AIPathSegment> segments, AIArtHandle* newArt) {
  SIM_REQUIRE(newArt, kBadParameterErr);
  *newArt = nullptr;
  SIM_DOC(doc);
  doc->Trim();
  Art* art = doc->MakeArt(kPathArt);
  art->Segments() = std::move(segments);
  art->closed = true;
  doc->EditStyle(art, [](AIPathStyle& style) {
    style.strokePaint = true;
    style.stroke.color = AIColor::Four(0, 0, 0, 1);
  });
  if (const AIErr error = doc->Place(art, kPlaceAboveAll, nullptr)) {
    art->disposed = true;
    return error;
  }
  *newArt = HandleOf(art);
  PostDocumentChanged();
  return kNoErr;
}

AIPathSegment Corner(AIReal h, AIReal v) { return AIPathSegment{{h, v}, {h, v}, {h, v}, true}; }

AIErr NewCentredRect(AIRealPoint centre, AIReal width, AIReal height, AIArtHandle* newArt) {
  const AIReal l = centre.h - width / 2, r = centre.h + width / 2;
  const AIReal t = centre.v + height / 2, b = centre.v - height / 2;
  // Clockwise from the top left.
  return NewShape({Corner(l, t), Corner(r, t), Corner(r, b), Corner(l, b)}, newArt);
}

AIErr NewCentredOval(AIRealPoint centre, AIReal width, AIReal height, AIArtHandle* newArt) {
  // Four quarter curves with the usual circle handle length.
  const AIReal kappa = 0.5522847498f;
  const AIReal rx = width / 2, ry = height / 2, kx = rx * kappa, ky = ry * kappa;
  const AIReal h = centre.h, v = centre.v;
  // Clockwise from the top: (point, in, out).
  std::vector<AIPathSegment> segments = {
      {{h, v + ry}, {h - kx, v + ry}, {h + kx, v + ry}, false},
      {{h + rx, v}, {h + rx, v + ky}, {h + rx, v - ky}, false},
      {{h, v - ry}, {h + kx, v - ry}, {h - kx, v - ry}, false},
      {{h - rx, v}, {h - rx, v - ky}, {h - rx, v + ky}, false},
  };
  return NewShape(std::move(segments), newArt);
}

const AIShapeConstructionSuite shapeConstructionSuite = {NewCentredRect, NewCentredOval};

// --- Real Bezier and Real Math ----------------------------------------------------

AIErr Length(const AIRealBezier* bezier, AIReal flatness, AIReal* length) {
  SIM_REQUIRE(bezier && length, kBadParameterErr);
  *length = static_cast<AIReal>(BezierLength(*bezier, flatness));
  return kNoErr;
}

AIErr PointAt(const AIRealBezier* bezier, AIReal t, AIRealPoint* point) {
  SIM_REQUIRE(bezier && point, kBadParameterErr);
  *point = BezierPointAt(*bezier, t);
  return kNoErr;
}

const AIRealBezierSuite realBezierSuite = {Length, PointAt};

AIErr EqualWithinTol(AIReal a, AIReal b, AIReal tolerance, AIBoolean* equal) {
  SIM_REQUIRE(equal, kBadParameterErr);
  *equal = std::fabs(a - b) <= tolerance;
  return kNoErr;
}

AIErr AIRealPointClose(const AIRealPoint* a, const AIRealPoint* b, AIReal tolerance, AIBoolean* close) {
  SIM_REQUIRE(a && b && close, kBadParameterErr);
  *close = std::fabs(a->h - b->h) <= tolerance && std::fabs(a->v - b->v) <= tolerance;
  return kNoErr;
}

const AIRealMathSuite realMathSuite = {EqualWithinTol, AIRealPointClose};

}  // namespace

const AIPathSuite* PathSuite() { return &pathSuite; }
const AIPathStyleSuite* PathStyleSuite() { return &pathStyleSuite; }
const AIBlendStyleSuite* BlendStyleSuite() { return &blendStyleSuite; }
const AIShapeConstructionSuite* ShapeConstructionSuite() { return &shapeConstructionSuite; }
const AIRealBezierSuite* RealBezierSuite() { return &realBezierSuite; }
const AIRealMathSuite* RealMathSuite() { return &realMathSuite; }

}  // namespace sim
