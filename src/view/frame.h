// What the window shows: one frame (the cities, the edges of a tour or of a partial path,
// the ring of the elastic net, the title), the fitting of the instance's plane into the
// window, and the frame the drawing hooks are composing. Nothing here calls SDL, so the
// module builds and composes the same with or without a window.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class EuclidianGraphe;
class tArretes;

namespace pvc::view {

struct FPoint {
  double x;
  double y;
};

struct Frame {
  std::vector<FPoint> cities;                      ///< one point per vertex
  std::vector<std::pair<int, int>> edges;          ///< tour or path edges, as vertex numbers
  std::vector<FPoint> ring;                        ///< the elastic ring, a closed polyline
  std::string title;                               ///< UTF-8, what the window title shows

  void Clear() {
    cities.clear();
    edges.clear();
    ring.clear();
    title.clear();
  }
};

/// What part of the plane a w x h window shows. At zoom 1, the whole instance: the cities'
/// bounding box scaled to fit inside a margin with the aspect ratio kept, centred, y growing
/// upwards (north up). Zoomed, a plane point (the centre, kept inside the box) sits in the
/// middle of the window and every length is that many times longer. A box of no extent sits
/// in the middle and is not zoomed.
class Viewport {
 public:
  /// Fits the cities into w x h. The zoom and its centre are kept while the box is the same
  /// (the same instance, another frame of it or another window size); another box is shown
  /// whole.
  void Fit(const std::vector<FPoint>& cities, int w, int h, int margin);
  /// Multiplies the zoom by k, within [1, a plane unit 64 pixels long], keeping the plane
  /// point under pixel (px, py) there; back at 1 the whole instance is shown.
  void ZoomAbout(double k, double px, double py);
  /// Moves the picture by (dx, dy) pixels, when zoomed.
  void Pan(double dx, double dy);
  /// The whole instance again.
  void Whole();

  double Zoom() const { return zoom_; }
  int Width() const { return w_; }
  int Height() const { return h_; }
  /// The pixel of a plane point, unrounded (far outside the window when zoomed) and rounded.
  double PX(double x) const { return (w_ - 1) / 2.0 + (x - ux_) * scale_ * zoom_; }
  double PY(double y) const { return (h_ - 1) / 2.0 - (y - uy_) * scale_ * zoom_; }
  int X(double x) const;
  int Y(double y) const;

 private:
  void Clamp();

  double x0_ = 0, y0_ = 0, x1_ = 0, y1_ = 0;  ///< the cities' box
  size_t n_ = 0;
  int w_ = 0, h_ = 0;
  double scale_ = 0;                          ///< pixels per plane unit at zoom 1
  double zoom_ = 1, ux_ = 0, uy_ = 0;         ///< the zoom and the plane point in the middle
};

/// The window title for a frame's title at a zoom: past 1 it names the zoom.
std::string ZoomedTitle(const std::string& title, double zoom);

/// The title in UTF-8: Latin-1 bytes 0x80-0xFF become two bytes each.
std::string Latin1ToUtf8(const char* text);

/// Names the run that the next drawings belong to: the algorithm (null for none) and, for
/// the view command, the result's id (-1 for none). Shown in the window title.
void SetCaption(const char* algo, long id);

/// The frame the drawing hooks are composing (one thread, the one that runs the shell).
Frame& Composing();

/// Composes the frame of instance e with the edges of a (null: no edges) and its title,
/// the length of the edges or, when there are none, of the ring that `extra` (the hooks'
/// callback, may be null) adds. False when memory ran short (the frame is then dropped).
bool Compose(EuclidianGraphe& e, tArretes* a, void (*extra)());

/// True when drawings go to a window: SDL is built in, a display is set and the window
/// could be opened. The first call tries to open it; the answer never changes afterwards.
bool Open();

/// Hands the composed frame to the window, which shows the newest one it has been given;
/// older frames not shown yet are dropped. Never waits for the window.
void Publish();

}  // namespace pvc::view
