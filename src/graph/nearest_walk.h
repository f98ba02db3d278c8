// The nearest-neighbour walk over the points of a computed instance: from the vertex taken
// last, the next one is the live vertex of least (weight, number), exactly as a scan of all
// the weights in vertex order would choose it.
//
// The live vertices sit in the buckets of a complete k-d tree. Its cells halve the points'
// extent level by level, across the longer side, so a point's bucket follows from its
// coordinates and the tree is laid out by one counting pass; when some cell would hold
// too many points (many at one place, or far outliers), the cells are cut at medians
// instead. A search starts in the bucket of the vertex taken last and climbs towards the
// root, entering the other side of a cut only when the cut is nearer than the best vertex
// so far (in the order keys of Graphe::RuleKeyAbove), and stops once the best is nearer
// than every side of the cell it has climbed to. Each answer lies near the previous one,
// so most searches end within a few buckets; empty subtrees are skipped by their counts.
// Taking a vertex moves it out of its bucket's live part in constant time; a bucket left
// empty makes its parent lose a child, and so on up while nodes empty.
//
// Memory: about 30 bytes per vertex. Building costs O(n) (O(n log n) by medians).
#pragma once

#include <cstdint>

#include "containers/resources.h"
#include "graph/graphe.h"

namespace pvc {

class NearestWalk {
 public:
  /// Builds the tree over every vertex of g (an instance of points: SpatialIndex::Serves);
  /// g must outlive the walk. False when an allocation fails.
  bool Build(const EuclidianGraphe& g);

  /// Takes vertex v first (v must be live); the next search starts from it.
  void Start(int v);

  /// Takes the live vertex of least (weight from the vertex taken last, number) and
  /// returns it, its weight in *w; -1 when every vertex is taken.
  int Next(uint32_t* w);

  /// True when the cells halve the extent, false when they were cut at medians.
  bool Halved() const { return halved_; }

 private:
  struct Point {
    double c[2];  // coordinates, in the unit of the rule's keys
    int v;
  };
  struct Best {
    uint32_t w;
    int v;
    uint32_t pos;   // position in points_
    uint32_t leaf;  // its bucket
    double lim;     // a key from which on no vertex weighs w or less
  };

  double Coord(unsigned v, int a) const {
    if (file_) return file_[2 * v + a];
    const Point2D* p = g_->GetCoords(static_cast<int>(v));
    return a ? p->y : p->x;
  }
  // The cells of the grid tree: levels, axes and the map from a point to its bucket.
  struct Grid {
    uint8_t axis[32];        // axis each level halves
    uint8_t used[32];        // levels above it that halve the same axis
    unsigned k[2];           // levels that halve each axis
    double lo[2], scale[2];  // cell number along an axis: (c - lo) * scale, truncated
    double top[2];           // the greatest coordinate
    uint32_t last[2];        // the greatest cell number
    uint32_t spread[2][4][256] = {};  // each byte of a cell number, its bits in place in a bucket number
    uint32_t Cell(int a, double c) const;
    uint32_t Bucket(double x, double y) const;
    // The least coordinate whose cell number along axis a is i or more (top when none).
    double Boundary(int a, uint32_t i) const;
  };
  // Builds the tree by halving cells, unless a cell would hold too many points (false).
  bool GridSplit(const double* lo, const double* hi);
  // Sets the cuts of node k at depth d and below; cx and cy are the high bits of the cell
  // numbers the node covers.
  void Cut(const Grid& grid, uint32_t k, unsigned d, uint32_t cx, uint32_t cy);
  // Makes node k over points_[begin .. end-1] and its subtree by median cuts, lo and hi
  // bounding the node's cell.
  void Split(uint32_t k, uint32_t begin, uint32_t end, double* lo, double* hi);
  void Scan(uint32_t leaf, Best* best) const;
  void Descend(uint32_t k, double* off, double key, Best* best) const;
  void Take(uint32_t leaf, uint32_t pos);
  uint32_t WeightTo(const Point& p) const;

  const EuclidianGraphe* g_ = nullptr;
  const double* file_ = nullptr;  // the file's points, for a file rule
  Metric rule_ = Metric::kTruncated;
  bool points_weigh_ = false;  // weights computed here from the points (random instances)
  bool halved_ = false;
  unsigned n_ = 0;
  unsigned depth_ = 0;       // leaves are the nodes 2^depth .. 2^(depth+1) - 1
  uint32_t leaves_ = 1;      // 2^depth
  Array<Point> points_;      // grouped by bucket; a bucket's live points first
  Array<uint32_t> begin_;    // first position of each bucket, and n at the end
  Array<double> cut_;        // coordinate of each inner node's cut
  Array<uint8_t> axis_;      // axis of each inner node's cut
  Array<uint8_t> live_;      // live points of a bucket; non-empty children of an inner node
  // The cells of the nodes on the way from the root (depth 0) to bucket path_leaf_.
  struct Cell {
    double lo[2], hi[2];
  };
  void Follow(uint32_t leaf);
  Cell path_[33] = {{{-HUGE_VAL, -HUGE_VAL}, {HUGE_VAL, HUGE_VAL}}};
  uint32_t path_leaf_ = 0;
  // The vertex taken last: its point, number and bucket.
  double at_[2] = {0, 0};
  int at_v_ = -1;
  uint32_t at_leaf_ = 0;
};

}  // namespace pvc
