// Drawing of one frame with an SDL renderer: a pure function of the frame and the viewport,
// so the window and the tests (a software renderer on a memory surface) draw the same
// pixels.
#pragma once

#include <SDL.h>

#include "view/frame.h"

namespace pvc::view {

constexpr SDL_Color kBackground = {255, 255, 255, 255};
constexpr SDL_Color kTourColour = {30, 70, 200, 255};
constexpr SDL_Color kRingColour = {0, 150, 60, 255};
constexpr SDL_Color kCityColour = {210, 30, 30, 255};
/// Pixels left free around the instance.
constexpr int kMargin = 12;

/// How cities and lines are drawn when each city in the window has `room` pixels of it: a
/// city is a square of `dot` pixels a side around its place (0: not drawn), a line `line`
/// pixels wide. Thousands of cities in a window get small dots and thin lines, a million
/// none and thin lines, so that the tour is never hidden.
struct Marks {
  int dot;
  int line;
};
Marks MarksFor(double room);

/// One notch of the wheel, one press of + or -, zooms by this factor.
constexpr double kZoomStep = 1.25;

/// What the mouse and the keys do to the view: the wheel zooms about the pointer, a drag
/// with the left button pans, + and - zoom about the middle, Home and 0 show the whole
/// instance. True when the window must be drawn again.
bool Steer(Viewport& view, const SDL_Event& ev);

/// Clears to the background, then draws the cities, the edges above them, then the ring
/// and its nodes, as v places them (fitted to the frame by the caller); the marks follow
/// the number of cities inside the window. Edges naming a vertex the frame has no city for
/// are skipped.
void RenderFrame(SDL_Renderer* r, const Frame& f, const Viewport& v);

}  // namespace pvc::view
