// Drawing of one frame with an SDL renderer: a pure function of the frame and the output
// size, so the window and the tests (a software renderer on a memory surface) draw the
// same pixels.
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
/// A city is a square of this many pixels a side around its place.
constexpr int kCitySide = 5;

/// Clears to the background, then draws the edges (two pixels wide), the ring and its
/// nodes, and the cities on top. Edges naming a vertex the frame has no city for are
/// skipped.
void RenderFrame(SDL_Renderer* r, int w, int h, const Frame& f);

}  // namespace pvc::view
