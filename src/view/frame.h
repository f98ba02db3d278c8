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

/// The map from the plane to a w x h window: the cities' bounding box scaled to fit inside
/// a margin with the aspect ratio kept, centred, y growing upwards (north up). A box of no
/// extent sits in the middle.
struct Fit {
  double scale = 0, x0 = 0, y0 = 0, cx = 0, cy = 0;  ///< pixel = (cx + (x-x0)s, cy - (y-y0)s)

  Fit(const std::vector<FPoint>& cities, int w, int h, int margin);
  int X(double x) const;
  int Y(double y) const;
};

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
