// A frame drawn by the software renderer into a memory surface, checked at known pixels.
#include <SDL.h>
#include <gtest/gtest.h>

#include "graph/arretes.h"
#include "view/sdl_render.h"

namespace pvc::view {
namespace {

using Colours = std::vector<uint32_t>;
constexpr uint32_t Rgb(SDL_Color c) { return c.r << 16 | c.g << 8 | c.b; }
const uint32_t kCity = Rgb(kCityColour), kTour = Rgb(kTourColour), kRing = Rgb(kRingColour), kBack = Rgb(kBackground);

// The corners of a 100 x 100 square; at 200 x 200 they land on pixels 12 and 187.
Frame Square(std::vector<std::pair<int, int>> edges) { return {{{0, 0}, {100, 0}, {100, 100}, {0, 100}}, edges, {}, ""}; }

// Draws f at w x h; the colours at the points, in order.
Colours Pixels(const Frame& f, int w, int h, const std::vector<SDL_Point>& at) {
  SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
  SDL_Renderer* r = SDL_CreateSoftwareRenderer(s);
  RenderFrame(r, w, h, f);
  Colours out;
  for (const SDL_Point& p : at) out.push_back(Rgb(static_cast<SDL_Color*>(s->pixels)[p.y * s->pitch / 4 + p.x]));
  SDL_DestroyRenderer(r);
  SDL_FreeSurface(s);
  return out;
}

TEST(Render, TourPathRingAndAspect) {
  // Closed tour, north up: city 0 bottom left, the bottom edge's middle, the empty centre.
  EXPECT_EQ(Pixels(Square({{0, 1}, {1, 2}, {2, 3}, {0, 3}}), 200, 200, {{12, 187}, {100, 187}, {100, 100}, {187, 12}}),
            (Colours{kCity, kTour, kBack, kCity}));
  // A partial path stays open (no side from 3 back to 0); an edge to no city is skipped.
  EXPECT_EQ(Pixels(Square({{0, 1}, {1, 2}, {2, 3}, {9, 0}}), 200, 200, {{12, 100}, {187, 100}}), (Colours{kBack, kTour}));
  // A wide window keeps the square square, centred: 75 pixels a side from x = 162.
  EXPECT_EQ(Pixels(Square({}), 400, 100, {{162, 87}, {237, 12}, {20, 50}, {24, 12}}), (Colours{kCity, kCity, kBack, kBack}));
  // The elastic ring is closed: its last side runs back to its first node.
  Frame ring = Square({});
  ring.ring = {{20, 20}, {80, 20}, {80, 80}, {20, 80}};
  EXPECT_EQ(Pixels(ring, 200, 200, {{47, 100}, {100, 100}}), (Colours{kRing, kBack}));
  // All cities in one place: drawn in the middle.
  EXPECT_EQ(Pixels({{{7, 7}, {7, 7}}, {}, {}, ""}, 101, 101, {{50, 50}}), (Colours{kCity}));
}

TEST(Render, TitleNamesRunLengthAndResultInUtf8) {
  EuclidianGraphe e(4);
  e.Generate(100, 1, 7, nullptr);
  tArretes ta(4);
  ta.Add(0, 1), ta.Add(1, 2);
  SetCaption("H2Opt", 3);
  ASSERT_TRUE(Compose(e, &ta, nullptr));
  SetCaption(nullptr, -1);
  EXPECT_EQ(Composing().title, "pvc - r\xC3\xA9sultat 3 - H2Opt - longueur " + std::to_string(e.Eval(&ta)));
  EXPECT_EQ(Composing().edges.size(), 2u);
}

}  // namespace
}  // namespace pvc::view
