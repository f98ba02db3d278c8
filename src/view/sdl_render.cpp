#include "view/sdl_render.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace pvc::view {

namespace {

void SetColour(SDL_Renderer* r, SDL_Color c) { SDL_SetRenderDrawColor(r, c.r, c.g, c.b, c.a); }

// The rectangle a segment is cut to: the window and a pixel or two around it, at most
// 32000 pixels a side (the pixels below are 16 bits).
struct Bounds {
  double lo, hx, hy;
  explicit Bounds(const Viewport& v)
      : lo(-2), hx(std::fmin(v.Width() + 1, 32000)), hy(std::fmin(v.Height() + 1, 32000)) {}
};

// Where each point falls: its pixel when near the window, else which sides of the window
// it lies beyond (bits 1 left, 2 right, 4 above, 8 below, kept in y with x at kBeyond), so
// that a segment with both ends beyond one side is skipped. Four bytes a point: the tour
// reads them in its own order, which is random in memory, and a million of them stay in
// the processor's cache.
struct Placed {
  struct Pixel {
    int16_t x, y;
  };
  static constexpr int16_t kBeyond = INT16_MIN;
  std::vector<Pixel> at;
  long inside = 0;  // points inside the window itself

  Placed(const Viewport& v, const std::vector<FPoint>& points) : at(points.size()) {
    const Bounds b(v);
    for (size_t i = 0; i < points.size(); ++i) {
      const double x = v.PX(points[i].x), y = v.PY(points[i].y);
      // Written so that a NaN is beyond every side.
      const int beyond = (x >= b.lo ? 0 : 1) | (x <= b.hx ? 0 : 2) | (y >= b.lo ? 0 : 4) | (y <= b.hy ? 0 : 8);
      if (beyond != 0) {
        at[i] = {kBeyond, static_cast<int16_t>(beyond)};
        continue;
      }
      at[i] = {static_cast<int16_t>(std::lround(x)), static_cast<int16_t>(std::lround(y))};
      inside += x > -0.5 && y > -0.5 && x < v.Width() - 0.5 && y < v.Height() - 0.5;
    }
  }
  int Beyond(size_t i) const { return at[i].x == kBeyond ? at[i].y : 0; }
};

// A line `width` pixels wide: the second one beside the first across its main direction.
void Line(SDL_Renderer* r, int a, int b, int c, int d, int width) {
  SDL_RenderDrawLine(r, a, b, c, d);
  if (width < 2) return;
  if (std::abs(c - a) >= std::abs(d - b))
    SDL_RenderDrawLine(r, a, b + 1, c, d + 1);
  else
    SDL_RenderDrawLine(r, a + 1, b, c + 1, d);
}

// The segment between points i and j of `at`. One leaving the window is cut at its edge
// first, in the plane's precision (a zoomed view puts points millions of pixels away,
// beyond what SDL takes).
void Segment(SDL_Renderer* r, const Viewport& v, const std::vector<FPoint>& at, const Placed& p, size_t i, size_t j,
             int width) {
  const Placed::Pixel a = p.at[i], b = p.at[j];
  if (a.x != Placed::kBeyond && b.x != Placed::kBeyond) return Line(r, a.x, a.y, b.x, b.y, width);
  if ((p.Beyond(i) & p.Beyond(j)) != 0) return;
  double x1 = v.PX(at[i].x), y1 = v.PY(at[i].y), x2 = v.PX(at[j].x), y2 = v.PY(at[j].y);
  if (!std::isfinite(x1 + y1 + x2 + y2)) return;  // a ring node gone astray
  const Bounds bounds(v);
  const double lo = bounds.lo, hx = bounds.hx, hy = bounds.hy;
  // Liang-Barsky: the part of the segment, t in [t0, t1], inside the rectangle.
  const double dx = x2 - x1, dy = y2 - y1;
  double t0 = 0, t1 = 1;
  const auto keep = [&](double d, double room) {  // the side where d t <= room
    if (d == 0) return room >= 0;
    const double t = room / d;
    if (d < 0) {
      if (t > t1) return false;
      t0 = std::fmax(t0, t);
    } else {
      if (t < t0) return false;
      t1 = std::fmin(t1, t);
    }
    return true;
  };
  if (!keep(-dx, x1 - lo) || !keep(dx, hx - x1) || !keep(-dy, y1 - lo) || !keep(dy, hy - y1)) return;
  x2 = x1 + t1 * dx, y2 = y1 + t1 * dy;
  x1 += t0 * dx, y1 += t0 * dy;
  Line(r, static_cast<int>(std::lround(x1)), static_cast<int>(std::lround(y1)), static_cast<int>(std::lround(x2)),
       static_cast<int>(std::lround(y2)), width);
}

// Squares of `side` pixels around the points near the window, in one call.
void Dots(SDL_Renderer* r, const Placed& p, int side) {
  std::vector<SDL_Rect> rects;
  std::vector<SDL_Point> points;
  for (const Placed::Pixel& q : p.at) {
    if (q.x == Placed::kBeyond) continue;
    if (side == 1)  // points are cheaper than rectangles
      points.push_back({q.x, q.y});
    else
      rects.push_back({q.x - side / 2, q.y - side / 2, side, side});
  }
  if (side == 1)
    SDL_RenderDrawPoints(r, points.data(), static_cast<int>(points.size()));
  else
    SDL_RenderFillRects(r, rects.data(), static_cast<int>(rects.size()));
}

}  // namespace

Marks MarksFor(double room) {
  if (room >= 150) return {5, 2};
  if (room >= 60) return {3, 1};
  if (room >= 2) return {1, 1};
  return {0, 1};
}

bool Steer(Viewport& view, const SDL_Event& ev) {
  const double zoom = view.Zoom();
  if (ev.type == SDL_MOUSEWHEEL) {
    const int notches = ev.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -ev.wheel.y : ev.wheel.y;
#if SDL_VERSION_ATLEAST(2, 26, 0)
    const int x = ev.wheel.mouseX, y = ev.wheel.mouseY;
#else
    int x = 0, y = 0;
    SDL_GetMouseState(&x, &y);
#endif
    view.ZoomAbout(std::pow(kZoomStep, notches), x, y);
    return view.Zoom() != zoom;
  }
  if (ev.type == SDL_MOUSEMOTION && (ev.motion.state & SDL_BUTTON_LMASK) != 0) {
    view.Pan(ev.motion.xrel, ev.motion.yrel);
    return zoom > 1;
  }
  if (ev.type != SDL_KEYDOWN) return false;
  const double mx = (view.Width() - 1) / 2.0, my = (view.Height() - 1) / 2.0;
  switch (ev.key.keysym.sym) {
    case SDLK_HOME:
    case SDLK_0:
    case SDLK_KP_0:
      view.Whole();
      break;
    case SDLK_PLUS:
    case SDLK_EQUALS:
    case SDLK_KP_PLUS:
      view.ZoomAbout(kZoomStep, mx, my);
      break;
    case SDLK_MINUS:
    case SDLK_KP_MINUS:
      view.ZoomAbout(1 / kZoomStep, mx, my);
      break;
    default:
      return false;
  }
  return view.Zoom() != zoom || zoom > 1;
}

void RenderFrame(SDL_Renderer* r, const Frame& f, const Viewport& v) {
  SetColour(r, kBackground);
  SDL_RenderClear(r);
  const Placed cities(v, f.cities);
  const Marks m = MarksFor(cities.inside > 0 ? static_cast<double>(v.Width()) * v.Height() / cities.inside : 1e9);
  if (m.dot > 0) {
    SetColour(r, kCityColour);
    Dots(r, cities, m.dot);
  }
  const size_t n = f.cities.size();
  SetColour(r, kTourColour);
  for (const std::pair<int, int>& e : f.edges) {
    if (e.first < 0 || static_cast<size_t>(e.first) >= n || e.second < 0 || static_cast<size_t>(e.second) >= n) continue;
    Segment(r, v, f.cities, cities, e.first, e.second, m.line);
  }
  if (f.ring.empty()) return;
  const Placed ring(v, f.ring);
  SetColour(r, kRingColour);
  for (size_t i = 0; i < f.ring.size(); ++i) Segment(r, v, f.ring, ring, i, (i + 1) % f.ring.size(), m.line);
  Dots(r, ring, m.dot >= 3 ? 3 : 1);
}

}  // namespace pvc::view
