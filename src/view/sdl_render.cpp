#include "view/sdl_render.h"

#include <cstdlib>

namespace pvc::view {

namespace {

void SetColour(SDL_Renderer* r, SDL_Color c) { SDL_SetRenderDrawColor(r, c.r, c.g, c.b, c.a); }

// A line two pixels wide: the second one beside the first across its main direction.
void ThickLine(SDL_Renderer* r, int x1, int y1, int x2, int y2) {
  SDL_RenderDrawLine(r, x1, y1, x2, y2);
  if (std::abs(x2 - x1) >= std::abs(y2 - y1))
    SDL_RenderDrawLine(r, x1, y1 + 1, x2, y2 + 1);
  else
    SDL_RenderDrawLine(r, x1 + 1, y1, x2 + 1, y2);
}

void Dot(SDL_Renderer* r, int x, int y, int side) {
  const SDL_Rect rect = {x - side / 2, y - side / 2, side, side};
  SDL_RenderFillRect(r, &rect);
}

}  // namespace

void RenderFrame(SDL_Renderer* r, int w, int h, const Frame& f) {
  SetColour(r, kBackground);
  SDL_RenderClear(r);
  const Fit fit(f.cities, w, h, kMargin);
  const int n = static_cast<int>(f.cities.size());
  SetColour(r, kTourColour);
  for (const std::pair<int, int>& e : f.edges) {
    if (e.first < 0 || e.first >= n || e.second < 0 || e.second >= n) continue;
    const FPoint &a = f.cities[e.first], &b = f.cities[e.second];
    ThickLine(r, fit.X(a.x), fit.Y(a.y), fit.X(b.x), fit.Y(b.y));
  }
  SetColour(r, kRingColour);
  for (size_t i = 0; i < f.ring.size(); ++i) {
    const FPoint &a = f.ring[i], &b = f.ring[(i + 1) % f.ring.size()];
    ThickLine(r, fit.X(a.x), fit.Y(a.y), fit.X(b.x), fit.Y(b.y));
    Dot(r, fit.X(a.x), fit.Y(a.y), 3);
  }
  SetColour(r, kCityColour);
  for (const FPoint& c : f.cities) Dot(r, fit.X(c.x), fit.Y(c.y), kCitySide);
}

}  // namespace pvc::view
