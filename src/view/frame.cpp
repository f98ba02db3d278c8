// The frame the drawing hooks compose, its title and its fitting into the window.
#include "view/frame.h"

#include <cmath>
#include <cstdio>
#include <new>

#include "graph/arretes.h"
#include "graph/graphe.h"

namespace pvc::view {

namespace {

Frame g_composing;              // filled by the drawing hooks, handed over by Publish
const char* g_algo = nullptr;   // the run the drawings belong to
long g_id = -1;                 // the result shown by view, -1 while a run draws

double RingLength(const std::vector<FPoint>& ring) {
  double sum = 0;
  for (size_t i = 0; i < ring.size(); ++i) {
    const FPoint& a = ring[i];
    const FPoint& b = ring[(i + 1) % ring.size()];
    sum += std::hypot(b.x - a.x, b.y - a.y);
  }
  return sum;
}

}  // namespace

void Viewport::Fit(const std::vector<FPoint>& cities, int w, int h, int margin) {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  for (size_t i = 0; i < cities.size(); ++i) {
    const FPoint& p = cities[i];
    if (i == 0 || p.x < x0) x0 = p.x;
    if (i == 0 || p.y < y0) y0 = p.y;
    if (i == 0 || p.x > x1) x1 = p.x;
    if (i == 0 || p.y > y1) y1 = p.y;
  }
  const bool same = cities.size() == n_ && x0 == x0_ && y0 == y0_ && x1 == x1_ && y1 == y1_;
  x0_ = x0, y0_ = y0, x1_ = x1, y1_ = y1, n_ = cities.size();
  w_ = w, h_ = h;
  const double dx = x1 - x0, dy = y1 - y0;
  const double aw = std::fmax(0.0, w - 1 - 2.0 * margin), ah = std::fmax(0.0, h - 1 - 2.0 * margin);
  scale_ = 0;
  if (dx > 0) scale_ = aw / dx;
  if (dy > 0 && (dx <= 0 || ah / dy < scale_)) scale_ = ah / dy;
  if (!same) zoom_ = 1;
  Clamp();
}

void Viewport::ZoomAbout(double k, double px, double py) {
  if (scale_ <= 0) return;
  const double before = scale_ * zoom_;
  const double qx = ux_ + (px - (w_ - 1) / 2.0) / before, qy = uy_ - (py - (h_ - 1) / 2.0) / before;
  zoom_ *= k;
  Clamp();
  const double after = scale_ * zoom_;
  if (zoom_ > 1) {
    ux_ = qx - (px - (w_ - 1) / 2.0) / after;
    uy_ = qy + (py - (h_ - 1) / 2.0) / after;
    Clamp();
  }
}

void Viewport::Pan(double dx, double dy) {
  if (zoom_ <= 1) return;
  ux_ -= dx / (scale_ * zoom_);
  uy_ += dy / (scale_ * zoom_);
  Clamp();
}

void Viewport::Whole() {
  zoom_ = 1;
  Clamp();
}

// The zoom within its bounds; the centre inside the box, in its middle at zoom 1.
void Viewport::Clamp() {
  constexpr double kLongestUnit = 64;  // pixels
  const double most = scale_ > 0 ? std::fmax(1.0, kLongestUnit / scale_) : 1.0;
  zoom_ = std::fmin(std::fmax(zoom_, 1.0), most);
  if (zoom_ <= 1) {
    ux_ = (x0_ + x1_) / 2;
    uy_ = (y0_ + y1_) / 2;
  }
  ux_ = std::fmin(std::fmax(ux_, x0_), x1_);
  uy_ = std::fmin(std::fmax(uy_, y0_), y1_);
}

int Viewport::X(double x) const { return static_cast<int>(std::lround(PX(x))); }
int Viewport::Y(double y) const { return static_cast<int>(std::lround(PY(y))); }

std::string ZoomedTitle(const std::string& title, double zoom) {
  if (zoom <= 1) return title;
  char text[40];
  snprintf(text, sizeof text, zoom < 10 ? " - zoom x%.1f" : " - zoom x%.0f", zoom);
  return title + text;
}

std::string Latin1ToUtf8(const char* text) {
  std::string out;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
    if (*p < 0x80) {
      out += static_cast<char>(*p);
    } else {
      out += static_cast<char>(0xC0 | (*p >> 6));
      out += static_cast<char>(0x80 | (*p & 0x3F));
    }
  }
  return out;
}

void SetCaption(const char* algo, long id) {
  g_algo = algo;
  g_id = id;
}

Frame& Composing() { return g_composing; }

bool Compose(EuclidianGraphe& e, tArretes* a, void (*extra)()) {
  Frame& f = g_composing;
  try {
    f.Clear();
    const unsigned n = e.GetSommets();
    f.cities.reserve(n);
    for (unsigned i = 0; i < n; ++i) {
      const Point2D* p = e.GetCoords(static_cast<int>(i));
      f.cities.push_back({static_cast<double>(p->x), static_cast<double>(p->y)});
    }
    unsigned long long length = 0;
    tArrete* c = nullptr;
    while (a != nullptr && a->Get(&c)) {
      f.edges.emplace_back(c->s1, c->s2);
      length += e.Get(c->s1, c->s2);
    }
    if (extra != nullptr) extra();
    if (f.edges.empty() && !f.ring.empty()) length = static_cast<unsigned long long>(std::llround(RingLength(f.ring)));
    char text[200];
    if (g_algo != nullptr && g_id >= 0)
      snprintf(text, sizeof text, "pvc - r\351sultat %ld - %s - longueur %llu", g_id, g_algo, length);
    else if (g_algo != nullptr)
      snprintf(text, sizeof text, "pvc - %s - longueur %llu", g_algo, length);
    else
      snprintf(text, sizeof text, "pvc - longueur %llu", length);
    f.title = Latin1ToUtf8(text);
  } catch (const std::bad_alloc&) {
    f.Clear();
    return false;
  }
  return true;
}

#ifndef PVC_HAVE_SDL
bool Open() { return false; }
void Publish() {}
#endif

}  // namespace pvc::view
