// The nearest-neighbour walk over the points of a computed instance: from the vertex taken
// last, the next one is the live vertex of least (weight, number), exactly as a scan of all
// the weights in vertex order would choose it.
//
// The live vertices sit in a balanced k-d tree of small buckets, cut at medians. A search
// starts in the bucket of the vertex taken last and climbs towards the root, entering the
// other side of a cut only when the cut is nearer than the best vertex so far (in the
// order keys of Graphe::RuleKeyAbove). Each answer lies near the previous one, so most
// searches end within a few buckets; a search from a region already emptied climbs until
// a live subtree comes within reach, skipping empty subtrees by their counts. Taking a
// vertex moves it out of its bucket's live part in constant time; a bucket left empty
// makes its parent lose a child, and so on up while nodes empty.
//
// Memory: about 30 bytes per vertex. Building costs O(n log n) (a median split per level).
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

  void Split(uint32_t k, uint32_t begin, uint32_t end, double* lo, double* hi);
  void Scan(uint32_t leaf, Best* best) const;
  void Descend(uint32_t k, double* off, double key, Best* best) const;
  void Take(uint32_t leaf, uint32_t pos);
  uint32_t WeightTo(const Point& p) const;

  const EuclidianGraphe* g_ = nullptr;
  Metric rule_ = Metric::kTruncated;
  bool points_weigh_ = false;  // weights computed here from the points (random instances)
  unsigned n_ = 0;
  unsigned depth_ = 0;       // leaves are the nodes 2^depth .. 2^(depth+1) - 1
  uint32_t leaves_ = 1;      // 2^depth
  Array<Point> points_;      // grouped by bucket; a bucket's live points first
  Array<uint32_t> begin_;    // first position of each bucket, and n at the end
  Array<double> cut_;        // coordinate of each inner node's cut
  Array<uint8_t> axis_;      // axis of each inner node's cut
  Array<uint8_t> live_;      // live points of a bucket; non-empty children of an inner node
  // The vertex taken last: its point, number and bucket.
  double at_[2] = {0, 0};
  int at_v_ = -1;
  uint32_t at_leaf_ = 0;
};

}  // namespace pvc
