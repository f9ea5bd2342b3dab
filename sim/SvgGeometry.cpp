#include "sim/SvgGeometry.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace sim::svg {

namespace {

constexpr double kPi = std::numbers::pi;

bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool Finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// Reads the number and separator grammar shared by path data, transform
// lists and points lists.
class Scanner {
 public:
  explicit Scanner(std::string_view text) : text(text) {}

  bool AtEnd() const { return pos >= text.size(); }
  char Peek() const { return AtEnd() ? '\0' : text[pos]; }
  size_t Position() const { return pos; }
  void Advance() { ++pos; }
  // Whether the last separator skipped held a comma (a comma must be followed
  // by another number).
  bool AfterComma() const { return afterComma; }

  void SkipSpace() {
    while (!AtEnd() && IsSpace(text[pos])) ++pos;
  }
  void SkipCommaSpace() {
    SkipSpace();
    afterComma = false;
    if (Peek() == ',') {
      afterComma = true;
      ++pos;
      SkipSpace();
    }
  }
  bool AtNumber() const {
    const char c = Peek();
    return IsDigit(c) || c == '.' || c == '-' || c == '+';
  }

  enum class Read { Ok, Missing, OutOfRange };

  // One number, then any comma and white space after it.
  Read Number(double& value) {
    afterComma = false;
    const size_t begin = pos;
    size_t at = pos;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) ++at;
    const size_t mantissa = at;
    size_t intDigits = 0, fracDigits = 0;
    while (at < text.size() && IsDigit(text[at])) ++at, ++intDigits;
    if (at < text.size() && text[at] == '.') {
      size_t frac = at + 1;
      while (frac < text.size() && IsDigit(text[frac])) ++frac, ++fracDigits;
      // "1." is a number; "." alone is not.
      if (intDigits + fracDigits > 0) at = frac;
    }
    if (intDigits + fracDigits == 0) return Read::Missing;
    bool negativeExponent = false;
    if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
      size_t exp = at + 1;
      if (exp < text.size() && (text[exp] == '+' || text[exp] == '-')) {
        negativeExponent = text[exp] == '-';
        ++exp;
      }
      // An "e" without digits belongs to what follows (it is no command, so
      // the caller reports it).
      if (exp < text.size() && IsDigit(text[exp])) {
        while (exp < text.size() && IsDigit(text[exp])) ++exp;
        at = exp;
      } else {
        negativeExponent = false;
      }
    }
    double parsed = 0;
    const char* first = text.data() + mantissa;
    const char* last = text.data() + at;
    const auto result = std::from_chars(first, last, parsed, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
      // Too small to hold is zero; too large is an error.
      bool zeroInteger = true;
      for (size_t i = mantissa; i < mantissa + intDigits; ++i) zeroInteger = zeroInteger && text[i] == '0';
      if (!negativeExponent && !zeroInteger) {
        pos = begin;
        return Read::OutOfRange;
      }
      parsed = 0;
    } else if (result.ec != std::errc() || result.ptr != last || !std::isfinite(parsed)) {
      pos = begin;
      return Read::OutOfRange;
    }
    value = (begin < mantissa && text[begin] == '-') ? -parsed : parsed;
    pos = at;
    SkipCommaSpace();
    return Read::Ok;
  }

  // An arc flag: one character "0" or "1", then any comma and white space.
  bool Flag(bool& value) {
    afterComma = false;
    const char c = Peek();
    if (c != '0' && c != '1') return false;
    value = c == '1';
    ++pos;
    SkipCommaSpace();
    return true;
  }

 private:
  std::string_view text;
  size_t pos = 0;
  bool afterComma = false;
};

// A character for a message: printable ones as they are, others by code
// (a lone byte of a multibyte character is no text).
std::string Describe(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte >= 0x21 && byte < 0x7F) return std::string("'") + c + "'";
  char code[16];
  std::snprintf(code, sizeof code, "byte 0x%02X", byte);
  return code;
}

std::string At(const Scanner& scanner) { return " at character " + std::to_string(scanner.Position() + 1); }

Point Add(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
Point Lerp(Point a, Point b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }
Point Reflect(Point control, Point about) { return {2 * about.x - control.x, 2 * about.y - control.y}; }

// Appends to the subpaths the pieces of an elliptical arc from `from` to `to`
// (endpoint form), as cubics of at most a quarter turn each. Returns false if
// the numbers are too large to compute with.
bool AppendArc(std::vector<Piece>& pieces, Point from, double rx, double ry, double angleDegrees,
               bool largeArc, bool sweep, Point to) {
  if (from.x == to.x && from.y == to.y) return true;  // no arc at all
  rx = std::fabs(rx);
  ry = std::fabs(ry);
  if (rx == 0 || ry == 0) {
    pieces.push_back({from, to, to, true});
    return true;
  }
  const double phi = std::fmod(angleDegrees, 360.0) * kPi / 180.0;
  const double cosPhi = std::cos(phi), sinPhi = std::sin(phi);
  const double dx2 = (from.x - to.x) / 2, dy2 = (from.y - to.y) / 2;
  const double x1p = cosPhi * dx2 + sinPhi * dy2;
  const double y1p = -sinPhi * dx2 + cosPhi * dy2;
  // Radii too small to reach the end point are scaled up until they just do.
  const double lambda = (x1p * x1p) / (rx * rx) + (y1p * y1p) / (ry * ry);
  if (lambda > 1) {
    const double scale = std::sqrt(lambda);
    rx *= scale;
    ry *= scale;
  }
  const double rx2 = rx * rx, ry2 = ry * ry;
  const double numerator = rx2 * ry2 - rx2 * y1p * y1p - ry2 * x1p * x1p;
  const double denominator = rx2 * y1p * y1p + ry2 * x1p * x1p;
  if (!(denominator > 0) || !std::isfinite(numerator) || !std::isfinite(denominator)) return false;
  double coefficient = std::sqrt(std::max(0.0, numerator / denominator));
  if (largeArc == sweep) coefficient = -coefficient;
  const double cxp = coefficient * rx * y1p / ry;
  const double cyp = -coefficient * ry * x1p / rx;
  const double cx = cosPhi * cxp - sinPhi * cyp + (from.x + to.x) / 2;
  const double cy = sinPhi * cxp + cosPhi * cyp + (from.y + to.y) / 2;
  const double ux = (x1p - cxp) / rx, uy = (y1p - cyp) / ry;
  const double vx = (-x1p - cxp) / rx, vy = (-y1p - cyp) / ry;
  const double theta = std::atan2(uy, ux);
  double sweepAngle = std::atan2(ux * vy - uy * vx, ux * vx + uy * vy);
  if (!sweep && sweepAngle > 0) sweepAngle -= 2 * kPi;
  if (sweep && sweepAngle < 0) sweepAngle += 2 * kPi;
  if (!std::isfinite(cx) || !std::isfinite(cy) || !std::isfinite(sweepAngle)) return false;

  // A half turn computed a hair over 180° is still two pieces.
  const int count = std::max(1, static_cast<int>(std::ceil(std::fabs(sweepAngle) / (kPi / 2 * (1 + 1e-4)))));
  const double step = sweepAngle / count;
  const double k = 4.0 / 3.0 * std::tan(step / 4);
  auto pointAt = [&](double t) {
    const double ct = std::cos(t), st = std::sin(t);
    return Point{cx + rx * ct * cosPhi - ry * st * sinPhi, cy + rx * ct * sinPhi + ry * st * cosPhi};
  };
  auto tangentAt = [&](double t) {
    const double ct = std::cos(t), st = std::sin(t);
    return Point{-rx * st * cosPhi - ry * ct * sinPhi, -rx * st * sinPhi + ry * ct * cosPhi};
  };
  Point start = from;
  for (int i = 0; i < count; ++i) {
    const double t1 = theta + step * i, t2 = theta + step * (i + 1);
    const Point d1 = tangentAt(t1), d2 = tangentAt(t2);
    // The last piece ends exactly where the data says.
    const Point end = i + 1 == count ? to : pointAt(t2);
    pieces.push_back({{start.x + k * d1.x, start.y + k * d1.y}, {end.x - k * d2.x, end.y - k * d2.y}, end, false});
    start = end;
  }
  return true;
}

class PathParser {
 public:
  PathParser(std::string_view data, std::vector<Subpath>& out) : scanner(data), out(out) {}

  bool Run(std::string& problem) {
    char command = '\0';
    scanner.SkipSpace();
    while (!scanner.AtEnd()) {
      const char c = scanner.Peek();
      bool explicitCommand = false;
      if (IsCommand(c)) {
        if (scanner.AfterComma()) return Fail(problem, "a comma before a command");
        if (out.empty() && c != 'M' && c != 'm') return Fail(problem, "path data must begin with a moveto");
        command = c;
        explicitCommand = true;
        scanner.Advance();
        scanner.SkipSpace();
      } else if (!scanner.AtNumber()) {
        return Fail(problem, "unexpected " + Describe(c));
      } else if (command == '\0') {
        return Fail(problem, "path data must begin with a moveto");
      } else if (command == 'Z' || command == 'z') {
        return Fail(problem, "a number after closepath");
      }
      if (!explicitCommand && (command == 'M' || command == 'm')) command = command == 'M' ? 'L' : 'l';
      if (!Segment(command, problem)) return false;
    }
    if (scanner.AfterComma()) return Fail(problem, "a comma at the end");
    return true;
  }

 private:
  static bool IsCommand(char c) {
    switch (c) {
      case 'M': case 'm': case 'L': case 'l': case 'H': case 'h': case 'V': case 'v': case 'C': case 'c':
      case 'S': case 's': case 'Q': case 'q': case 'T': case 't': case 'A': case 'a': case 'Z': case 'z':
        return true;
      default:
        return false;
    }
  }

  bool Fail(std::string& problem, const std::string& what) {
    problem = "bad path data" + At(scanner) + ": " + what;
    return false;
  }

  bool Numbers(double* values, int count, std::string& problem, char command) {
    for (int i = 0; i < count; ++i) {
      const Scanner::Read read = scanner.Number(values[i]);
      if (read == Scanner::Read::OutOfRange) return Fail(problem, "number out of range");
      if (read == Scanner::Read::Missing) return Fail(problem, std::string("expected a number for '") + command + "'");
    }
    return true;
  }

  // The subpath that the next piece goes to; after a closepath a new one
  // begins at the same start.
  Subpath& Current() {
    if (reopen) {
      out.push_back(Subpath{start, {}, false});
      reopen = false;
    }
    return out.back();
  }

  bool Emit(const Piece& piece, std::string& problem) {
    if (!Finite(piece.c1) || !Finite(piece.c2) || !Finite(piece.end)) return Fail(problem, "coordinate out of range");
    Current().pieces.push_back(piece);
    current = piece.end;
    return true;
  }

  bool Segment(char command, std::string& problem) {
    const bool relative = command >= 'a';
    const Point base = relative ? current : Point{};
    double v[7];
    char upper = static_cast<char>(relative ? command - 'a' + 'A' : command);
    bool ok = true;
    switch (upper) {
      case 'M': {
        if (!Numbers(v, 2, problem, command)) return false;
        const Point p = Add(base, {v[0], v[1]});
        if (!Finite(p)) return Fail(problem, "coordinate out of range");
        out.push_back(Subpath{p, {}, false});
        current = start = p;
        reopen = false;
        break;
      }
      case 'L':
      case 'H':
      case 'V': {
        if (!Numbers(v, upper == 'L' ? 2 : 1, problem, command)) return false;
        Point p = upper == 'L' ? Add(base, {v[0], v[1]})
                  : upper == 'H' ? Point{(relative ? current.x : 0) + v[0], current.y}
                                 : Point{current.x, (relative ? current.y : 0) + v[0]};
        ok = Emit({current, p, p, true}, problem);
        break;
      }
      case 'C':
      case 'S': {
        Point c1;
        if (upper == 'C') {
          if (!Numbers(v, 6, problem, command)) return false;
          c1 = Add(base, {v[0], v[1]});
        } else {
          if (!Numbers(v + 2, 4, problem, command)) return false;
          c1 = (lastUpper == 'C' || lastUpper == 'S') ? Reflect(lastCubicControl, current) : current;
        }
        const Point c2 = Add(base, {v[2], v[3]});
        const Point end = Add(base, {v[4], v[5]});
        ok = Emit({c1, c2, end, false}, problem);
        lastCubicControl = c2;
        break;
      }
      case 'Q':
      case 'T': {
        Point q;
        if (upper == 'Q') {
          if (!Numbers(v, 4, problem, command)) return false;
          q = Add(base, {v[0], v[1]});
        } else {
          if (!Numbers(v + 2, 2, problem, command)) return false;
          q = (lastUpper == 'Q' || lastUpper == 'T') ? Reflect(lastQuadraticControl, current) : current;
        }
        const Point end = Add(base, {v[2], v[3]});
        // A quadratic is exactly the cubic with controls two thirds of the
        // way from each end to its one control.
        ok = Emit({Lerp(current, q, 2.0 / 3.0), Lerp(end, q, 2.0 / 3.0), end, false}, problem);
        lastQuadraticControl = q;
        break;
      }
      case 'A': {
        bool largeArc = false, sweep = false;
        if (!Numbers(v, 3, problem, command)) return false;
        if (!scanner.Flag(largeArc) || !scanner.Flag(sweep)) return Fail(problem, "expected an arc flag (0 or 1)");
        if (!Numbers(v + 5, 2, problem, command)) return false;
        const Point end = Add(base, {v[5], v[6]});
        if (!Finite(end)) return Fail(problem, "coordinate out of range");
        std::vector<Piece> pieces;
        if (!AppendArc(pieces, current, v[0], v[1], v[2], largeArc, sweep, end))
          return Fail(problem, "arc out of range");
        for (const Piece& piece : pieces) {
          if (!Emit(piece, problem)) return false;
        }
        break;
      }
      case 'Z': {
        if (reopen) break;  // already closed: nothing new to close
        Current().closed = true;
        current = start;
        reopen = true;
        break;
      }
    }
    lastUpper = upper;
    return ok;
  }

  Scanner scanner;
  std::vector<Subpath>& out;
  Point current, start;
  bool reopen = false;
  char lastUpper = '\0';
  Point lastCubicControl, lastQuadraticControl;
};

}  // namespace

Point Matrix::Apply(Point p) const { return {a * p.x + c * p.y + e, b * p.x + d * p.y + f}; }

Matrix Matrix::Then(const Matrix& outer) const {
  const Matrix& o = outer;
  return {o.a * a + o.c * b,       o.b * a + o.d * b,       o.a * c + o.c * d,
          o.b * c + o.d * d,       o.a * e + o.c * f + o.e, o.b * e + o.d * f + o.f};
}

bool Matrix::IsIdentity() const { return a == 1 && b == 0 && c == 0 && d == 1 && e == 0 && f == 0; }

bool ParsePathData(std::string_view data, std::vector<Subpath>& out, std::string& problem) {
  out.clear();
  problem.clear();
  return PathParser(data, out).Run(problem);
}

bool ParseTransform(std::string_view text, Matrix& out, std::string& problem) {
  out = Matrix{};
  problem.clear();
  Scanner scanner(text);
  Matrix total;
  auto fail = [&](const std::string& what) {
    problem = "bad transform" + At(scanner) + ": " + what;
    return false;
  };
  scanner.SkipSpace();
  while (!scanner.AtEnd()) {
    const size_t nameStart = scanner.Position();
    while (std::isalpha(static_cast<unsigned char>(scanner.Peek()))) scanner.Advance();
    const std::string_view name = text.substr(nameStart, scanner.Position() - nameStart);
    if (name.empty()) return fail("unexpected " + Describe(scanner.Peek()));
    scanner.SkipSpace();
    if (scanner.Peek() != '(') return fail("expected '(' after " + std::string(name));
    scanner.Advance();
    scanner.SkipSpace();
    double v[6] = {};
    int count = 0;
    while (scanner.Peek() != ')') {
      if (count == 6) return fail("too many numbers in " + std::string(name));
      const Scanner::Read read = scanner.Number(v[count]);
      if (read == Scanner::Read::OutOfRange) return fail("number out of range");
      if (read == Scanner::Read::Missing) return fail("expected a number or ')'");
      ++count;
    }
    if (scanner.AfterComma()) return fail("a comma before ')'");
    scanner.Advance();

    Matrix m;
    auto wrongCount = [&]() { return fail("wrong number of values for " + std::string(name)); };
    if (name == "matrix") {
      if (count != 6) return wrongCount();
      m = {v[0], v[1], v[2], v[3], v[4], v[5]};
    } else if (name == "translate") {
      if (count != 1 && count != 2) return wrongCount();
      m.e = v[0];
      m.f = count == 2 ? v[1] : 0;
    } else if (name == "scale") {
      if (count != 1 && count != 2) return wrongCount();
      m.a = v[0];
      m.d = count == 2 ? v[1] : v[0];
    } else if (name == "rotate") {
      if (count != 1 && count != 3) return wrongCount();
      const double angle = std::fmod(v[0], 360.0) * kPi / 180.0;
      const double cs = std::cos(angle), sn = std::sin(angle);
      m = {cs, sn, -sn, cs, 0, 0};
      if (count == 3) {
        // About (cx, cy): move it to the origin, turn, move back.
        const Matrix toOrigin{1, 0, 0, 1, -v[1], -v[2]};
        const Matrix back{1, 0, 0, 1, v[1], v[2]};
        m = toOrigin.Then(m).Then(back);
      }
    } else if (name == "skewX" || name == "skewY") {
      if (count != 1) return wrongCount();
      const double t = std::tan(std::fmod(v[0], 360.0) * kPi / 180.0);
      (name == "skewX" ? m.c : m.b) = t;
    } else {
      return fail("unknown transform " + std::string(name));
    }
    // The later transform in the list applies to the points first.
    total = m.Then(total);
    for (double x : {total.a, total.b, total.c, total.d, total.e, total.f}) {
      if (!std::isfinite(x)) return fail("transform out of range");
    }
    scanner.SkipCommaSpace();
    if (scanner.AtEnd() && scanner.AfterComma()) return fail("a comma at the end");
  }
  out = total;
  return true;
}

bool ParsePoints(std::string_view text, std::vector<Point>& out, std::string& problem) {
  out.clear();
  problem.clear();
  Scanner scanner(text);
  scanner.SkipSpace();
  while (!scanner.AtEnd()) {
    double x = 0, y = 0;
    Scanner::Read read = scanner.Number(x);
    if (read == Scanner::Read::Ok) {
      if (scanner.AtEnd() && !scanner.AfterComma()) {
        problem = "bad points" + At(scanner) + ": an odd number of coordinates";
        return false;
      }
      read = scanner.Number(y);
    }
    if (read != Scanner::Read::Ok) {
      problem = "bad points" + At(scanner) + (read == Scanner::Read::OutOfRange ? ": number out of range" : ": expected a number");
      return false;
    }
    out.push_back({x, y});
  }
  if (scanner.AfterComma()) {
    problem = "bad points" + At(scanner) + ": a comma at the end";
    return false;
  }
  return true;
}

std::vector<Subpath> RectPath(double x, double y, double width, double height, double rx, double ry) {
  if (!(width > 0) || !(height > 0)) return {};
  // A radius not given (negative) takes the other's; both are bounded by
  // half the side.
  if (rx < 0 && ry < 0) rx = ry = 0;
  if (rx < 0) rx = ry;
  if (ry < 0) ry = rx;
  rx = std::min(rx, width / 2);
  ry = std::min(ry, height / 2);
  const double right = x + width, bottom = y + height;
  Subpath sub{{x + rx, y}, {}, true};
  auto line = [&](Point to) {
    const Point from = sub.pieces.empty() ? sub.start : sub.pieces.back().end;
    if (from.x != to.x || from.y != to.y) sub.pieces.push_back({from, to, to, true});
  };
  auto corner = [&](Point to) {
    if (rx == 0 || ry == 0) return;
    AppendArc(sub.pieces, sub.pieces.empty() ? sub.start : sub.pieces.back().end, rx, ry, 0, false, true, to);
  };
  line({right - rx, y});
  corner({right, y + ry});
  line({right, bottom - ry});
  corner({right - rx, bottom});
  line({x + rx, bottom});
  corner({x, bottom - ry});
  line({x, y + ry});
  corner({x + rx, y});
  // The last side back to the start is implied by the closing.
  if (!sub.pieces.empty() && sub.pieces.back().straight && sub.pieces.back().end.x == sub.start.x &&
      sub.pieces.back().end.y == sub.start.y)
    sub.pieces.pop_back();
  std::vector<Subpath> out{sub};
  if (!AllFinite(out)) return {};
  return out;
}

std::vector<Subpath> EllipsePath(double cx, double cy, double rx, double ry) {
  if (!(rx > 0) || !(ry > 0)) return {};
  Subpath sub{{cx + rx, cy}, {}, true};
  // Four quarters, clockwise on the page (y down), from the right-most point.
  const Point quarters[4] = {{cx, cy + ry}, {cx - rx, cy}, {cx, cy - ry}, {cx + rx, cy}};
  Point from = sub.start;
  for (const Point& to : quarters) {
    AppendArc(sub.pieces, from, rx, ry, 0, false, true, to);
    from = to;
  }
  std::vector<Subpath> out{sub};
  if (!AllFinite(out)) return {};
  return out;
}

std::vector<Subpath> PolylinePath(const std::vector<Point>& points, bool closed) {
  if (points.empty()) return {};
  Subpath sub{points.front(), {}, closed};
  for (size_t i = 1; i < points.size(); ++i) sub.pieces.push_back({points[i - 1], points[i], points[i], true});
  return {sub};
}

void Transform(std::vector<Subpath>& subpaths, const Matrix& matrix) {
  for (Subpath& sub : subpaths) {
    sub.start = matrix.Apply(sub.start);
    for (Piece& piece : sub.pieces) {
      piece.c1 = matrix.Apply(piece.c1);
      piece.c2 = matrix.Apply(piece.c2);
      piece.end = matrix.Apply(piece.end);
    }
  }
}

bool AllFinite(const std::vector<Subpath>& subpaths) {
  for (const Subpath& sub : subpaths) {
    if (!Finite(sub.start)) return false;
    for (const Piece& piece : sub.pieces) {
      if (!Finite(piece.c1) || !Finite(piece.c2) || !Finite(piece.end)) return false;
    }
  }
  return true;
}

}  // namespace sim::svg
