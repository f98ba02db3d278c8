// A frame drawn by the software renderer into a memory surface, checked at known pixels.
#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "graph/arretes.h"
#include "view/sdl_render.h"

namespace pvc::view {
namespace {

using Colours = std::vector<uint32_t>;
constexpr uint32_t Rgb(SDL_Color c) { return c.r << 16 | c.g << 8 | c.b; }
const uint32_t kCity = Rgb(kCityColour), kTour = Rgb(kTourColour), kRing = Rgb(kRingColour), kBack = Rgb(kBackground);

// The corners of a 100 x 100 square; at 200 x 200 they land on pixels 12 and 187.
Frame Square(std::vector<std::pair<int, int>> edges) { return {{{0, 0}, {100, 0}, {100, 100}, {0, 100}}, edges, {}, ""}; }

// A frame drawn at w x h, as a zoom leaves it.
class Drawn {
 public:
  Drawn(const Frame& f, int w, int h, void (*steer)(Viewport&) = nullptr) {
    view.Fit(f.cities, w, h, kMargin);
    if (steer != nullptr) steer(view), view.Fit(f.cities, w, h, kMargin);
    SDL_Surface* s = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_RGBA32);
    SDL_Renderer* r = SDL_CreateSoftwareRenderer(s);
    RenderFrame(r, f, view);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) pixels_.push_back(Rgb(static_cast<SDL_Color*>(s->pixels)[y * s->pitch / 4 + x]));
    SDL_DestroyRenderer(r);
    SDL_FreeSurface(s);
    w_ = w;
  }
  Colours At(const std::vector<SDL_Point>& at) const {
    Colours out;
    for (const SDL_Point& p : at) out.push_back(pixels_[p.y * w_ + p.x]);
    return out;
  }
  // The share of the window in colour c.
  double Share(uint32_t c) const { return std::count(pixels_.begin(), pixels_.end(), c) / double(pixels_.size()); }

  Viewport view;

 private:
  Colours pixels_;
  int w_;
};

Colours Pixels(const Frame& f, int w, int h, const std::vector<SDL_Point>& at) { return Drawn(f, w, h).At(at); }

TEST(Render, TourAboveCitiesPathRingAndAspect) {
  // Closed tour, north up: city 0 bottom left with the tour over its middle and its dot's
  // corner showing, the bottom edge's middle, the empty centre, city 2 top right.
  EXPECT_EQ(Pixels(Square({{0, 1}, {1, 2}, {2, 3}, {0, 3}}), 200, 200, {{12, 187}, {10, 185}, {100, 187}, {100, 100}, {189, 10}}),
            (Colours{kTour, kCity, kTour, kBack, kCity}));
  // A partial path stays open (no side from 3 back to 0); an edge to no city is skipped.
  EXPECT_EQ(Pixels(Square({{0, 1}, {1, 2}, {2, 3}, {9, 0}}), 200, 200, {{12, 100}, {187, 100}}), (Colours{kBack, kTour}));
  // A wide window keeps the square square, centred: 75 pixels a side from x = 162.
  EXPECT_EQ(Pixels(Square({}), 400, 100, {{162, 87}, {237, 12}, {20, 50}, {24, 12}}), (Colours{kCity, kCity, kBack, kBack}));
  // The elastic ring is closed: its last side runs back to its first node.
  const Frame ring{Square({}).cities, {}, {{20, 20}, {80, 20}, {80, 80}, {20, 80}}, ""};
  EXPECT_EQ(Pixels(ring, 200, 200, {{47, 100}, {100, 100}}), (Colours{kRing, kBack}));
  // All cities in one place: drawn in the middle, and not zoomed.
  const Drawn point({{{7, 7}, {7, 7}}, {}, {}, ""}, 101, 101, [](Viewport& v) { v.ZoomAbout(4, 10, 10); });
  EXPECT_TRUE(point.view.Zoom() == 1 && point.At({{50, 50}}) == Colours{kCity});
}

// n cities on a grid of side k = sqrt(n) over [0, 1000]^2, in a boustrophedon tour (rows
// alternately left to right and back); `visited` of them in the path, the rest waiting.
Frame Grid(int k, int visited, bool closed) {
  Frame f;
  for (int r = 0; r < k; ++r)
    for (int c = 0; c < k; ++c) f.cities.push_back({1000.0 * (r % 2 == 0 ? c : k - 1 - c) / (k - 1), 1000.0 * r / (k - 1)});
  for (int i = 1; i < visited; ++i) f.edges.emplace_back(i - 1, i);
  if (closed) f.edges.emplace_back(visited - 1, 0);
  return f;
}

TEST(Render, DotsShrinkWithTheCitiesInTheWindowSoTheTourShows) {
  // 100 000 cities at 640 x 640: the tour, above one-pixel dots, covers a large share of the
  // window; half of it drawn, the cities still waiting show beside it in a comparable share.
  const Drawn whole(Grid(317, 317 * 317, true), 640, 640);
  EXPECT_GT(whole.Share(kTour), 0.3);
  EXPECT_GT(whole.Share(kBack), 0.1);
  const Drawn half(Grid(317, 317 * 317 / 2, false), 640, 640);
  EXPECT_GT(half.Share(kTour), 0.15);
  EXPECT_GT(half.Share(kCity), half.Share(kTour) / 4);
  EXPECT_LT(half.Share(kCity), half.Share(kTour) * 4);

  // A lone city at the top left of a grid of 2 x 2, 70 x 70 or 300 x 300 cities: its dot is
  // 5, 3, 1 pixels a side at 640 x 640, and none at 200 x 200, two cities a pixel.
  const auto lone = [](int k, int side) {
    Frame f = Grid(k, 0, false);
    f.cities.push_back({-500, 1500});
    return Drawn(f, side, side).At({{12, 12}, {13, 13}, {14, 14}});
  };
  EXPECT_EQ(lone(2, 640), (Colours{kCity, kCity, kCity}));
  EXPECT_EQ(lone(70, 640), (Colours{kCity, kCity, kBack}));
  EXPECT_EQ(lone(300, 640), (Colours{kCity, kBack, kBack}));
  EXPECT_EQ(lone(300, 200), (Colours{kBack, kBack, kBack}));
  // Zoomed in by 64 on a corner of the 70 x 70 grid, the one city in the window is big
  // again, and the lines two pixels wide.
  const Drawn zoomed(Grid(70, 70 * 70, false), 640, 640, [](Viewport& v) { v.ZoomAbout(64, v.X(0), v.Y(0)); });
  const int x = zoomed.view.X(0), y = zoomed.view.Y(0);
  EXPECT_EQ(zoomed.At({{x - 2, y - 2}, {x + 40, y}, {x + 40, y + 1}, {x + 40, y + 2}}), (Colours{kCity, kTour, kTour, kBack}));
}

TEST(Render, ZoomAboutThePointerPanAndWhole) {
  // The square and its centre: at 200 x 200, city 4 on pixel (99.5, 99.5).
  Frame f = Square({{0, 4}});
  f.cities.push_back({50, 50});
  Viewport v;
  v.Fit(f.cities, 200, 200, kMargin);
  v.ZoomAbout(2, 12, 187);  // the pointer on city 0: it stays there, the centre doubles off
  EXPECT_EQ(v.Zoom(), 2);
  EXPECT_EQ(std::make_pair(v.X(0), v.Y(0)), std::make_pair(12, 187));
  EXPECT_EQ(std::make_pair(v.X(50), v.Y(50)), std::make_pair(187, 12));
  EXPECT_EQ(ZoomedTitle("pvc - longueur 7", v.Zoom()), "pvc - longueur 7 - zoom x2.0");
  v.Pan(-50, 20);
  EXPECT_EQ(std::make_pair(v.X(50), v.Y(50)), std::make_pair(137, 32));
  // Another frame of the same instance, in a larger window, keeps the zoom and its centre.
  v.Fit(f.cities, 300, 300, kMargin);
  EXPECT_EQ(v.Zoom(), 2);
  EXPECT_EQ(ZoomedTitle("t", 300), "t - zoom x300");

  // Zooming out past 1, Home, a pan while whole, a new instance: the whole square again.
  const auto whole = [&](const char* why) {
    EXPECT_EQ(v.Zoom(), 1) << why;
    EXPECT_EQ(std::make_pair(v.X(0), v.Y(0)), std::make_pair(12, 187)) << why;
  };
  v.Fit(f.cities, 200, 200, kMargin);
  v.ZoomAbout(0.1, 0, 0);
  whole("zoomed out");
  v.Pan(30, 30);
  whole("panned while whole");  // (Home, below, shows the whole instance again)
  v.ZoomAbout(8, 150, 40);
  f.cities.back().x = 60;
  v.Fit(f.cities, 200, 200, kMargin);
  EXPECT_EQ(v.Zoom(), 8);  // same box
  f.cities.back().x = 160;
  v.Fit(f.cities, 200, 200, kMargin);
  EXPECT_EQ(v.Zoom(), 1);  // another box
  EXPECT_EQ(ZoomedTitle("t", 1), "t");

  // Zoomed in as far as it goes (a plane unit 64 pixels long, as the cut edges below
  // show), a pan stops with the box's edge in the middle.
  v.ZoomAbout(1e9, 100, 100);
  v.Pan(1e9, -1e9);
  EXPECT_EQ(std::make_pair(v.X(0), v.Y(0)), std::make_pair(100, 100));  // 99.5 rounds away
}

// The events the window reads: wheel notches zoom about the pointer (a flipped wheel the
// other way), a drag moves the picture with the pointer, Home shows the whole instance, and
// what changes nothing asks for no drawing.
TEST(Render, WheelDragAndKeysSteerTheView) {
  Frame f = Square({});
  f.cities.push_back({50, 50});
  Viewport v;
  v.Fit(f.cities, 200, 200, kMargin);
  const auto drag = [&](uint32_t buttons, int dx, int dy) {
    SDL_Event ev{};
    ev.type = SDL_MOUSEMOTION, ev.motion.state = buttons, ev.motion.xrel = dx, ev.motion.yrel = dy;
    return Steer(v, ev);
  };
  const auto wheel = [&](int notches, uint32_t direction) {
    SDL_Event ev{};
    ev.type = SDL_MOUSEWHEEL, ev.wheel.y = notches, ev.wheel.direction = direction;
    ev.wheel.mouseX = 12, ev.wheel.mouseY = 187;
    return Steer(v, ev);
  };
  const auto key = [&](SDL_Keycode sym) {
    SDL_Event ev{};
    ev.type = SDL_KEYDOWN, ev.key.keysym.sym = sym;
    return Steer(v, ev);
  };
  EXPECT_FALSE(drag(SDL_BUTTON_LMASK, 30, 0));  // whole: nothing to pan
  EXPECT_TRUE(wheel(2, SDL_MOUSEWHEEL_NORMAL));
  EXPECT_DOUBLE_EQ(v.Zoom(), kZoomStep * kZoomStep);
  EXPECT_EQ(std::make_pair(v.X(0), v.Y(0)), std::make_pair(12, 187));
  EXPECT_TRUE(wheel(2, SDL_MOUSEWHEEL_FLIPPED));
  EXPECT_DOUBLE_EQ(v.Zoom(), 1);
  wheel(-3, SDL_MOUSEWHEEL_FLIPPED);  // flipped: in
  const int x = v.X(50), y = v.Y(50);
  EXPECT_TRUE(drag(SDL_BUTTON_LMASK, -7, 5));
  EXPECT_EQ(std::make_pair(v.X(50), v.Y(50)), std::make_pair(x - 7, y + 5));
  EXPECT_FALSE(drag(0, -7, 5));  // a move without the button
  EXPECT_EQ(v.X(50), x - 7);
  EXPECT_FALSE(key(SDLK_a));
  EXPECT_TRUE(key(SDLK_HOME));
  EXPECT_EQ(v.Zoom(), 1);
  EXPECT_TRUE(key(SDLK_PLUS));  // about the middle: the centre city stays
  EXPECT_EQ(std::make_pair(v.X(50), v.Y(50)), std::make_pair(100, 100));
}

// Zoomed on a city far from the others, the edges run millions of pixels out of the window:
// they are cut at its edge and drawn where they cross it, and the rest is skipped.
TEST(Render, EdgesFarOutsideAZoomedWindowAreCut) {
  Frame f{{{0, 0}, {1e7, 0}, {5e6, 1}, {5e6, 1e7}, {0, 1e7}}, {{0, 1}, {2, 3}, {3, 4}}, {}, ""};
  const Drawn d(f, 200, 200, [](Viewport& v) {
    v.ZoomAbout(1e12, v.PX(5e6), v.PY(1));
    v.Pan(0, 99.5 - v.PY(1));
  });
  // City 2 in the middle, one unit over the horizontal edge 0-1: 64 pixels apart.
  EXPECT_EQ(std::make_pair(d.view.X(5e6), d.view.Y(1)), std::make_pair(100, 100));
  EXPECT_EQ(d.view.Y(0), 164);
  EXPECT_EQ(d.At({{0, 164}, {199, 164}, {98, 102}, {100, 0}, {101, 40}, {50, 50}}),
            (Colours{kTour, kTour, kCity, kTour, kTour, kBack}));
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
