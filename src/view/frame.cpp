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

Fit::Fit(const std::vector<FPoint>& cities, int w, int h, int margin) {
  double x1 = 0, y1 = 0;
  for (size_t i = 0; i < cities.size(); ++i) {
    const FPoint& p = cities[i];
    if (i == 0 || p.x < x0) x0 = p.x;
    if (i == 0 || p.y < y0) y0 = p.y;
    if (i == 0 || p.x > x1) x1 = p.x;
    if (i == 0 || p.y > y1) y1 = p.y;
  }
  const double dx = x1 - x0, dy = y1 - y0;
  const double aw = std::fmax(0.0, w - 1 - 2.0 * margin), ah = std::fmax(0.0, h - 1 - 2.0 * margin);
  if (dx > 0) scale = aw / dx;
  if (dy > 0 && (dx <= 0 || ah / dy < scale)) scale = ah / dy;
  cx = (w - 1 - dx * scale) / 2;
  cy = (h - 1 + dy * scale) / 2;
}

int Fit::X(double x) const { return static_cast<int>(std::lround(cx + (x - x0) * scale)); }
int Fit::Y(double y) const { return static_cast<int>(std::lround(cy - (y - y0) * scale)); }

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
