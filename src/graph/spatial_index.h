// A k-d tree over the points of a computed instance, answering in weights: the nearest
// vertex, the k nearest, and every vertex within a weight, with ties broken by the lowest
// vertex number, exactly as a scan of all the weights in vertex order would.
//
// The weight of every rule is a non-decreasing function of an order key (the sum of
// squares before the root), so a box whose nearest point has a key beyond
// Graphe::RuleKeyAbove(w) holds no vertex of weight w or less and is skipped; inside the
// leaves every weight is the instance's own. Vertices can be removed (the nearest
// neighbour's treated vertices, the spanning tree's joined ones): a box without live vertex
// is skipped at once, and each box shrinks to its live points, so a query costs about
// log n even when most vertices are gone.
//
// Memory: about 40 bytes per vertex. Building costs O(n log n).
#pragma once

#include <cmath>
#include <cstdint>

#include "containers/resources.h"
#include "graph/graphe.h"

namespace pvc {

/// One vertex and its weight to the vertex a query is about.
struct Neighbour {
  uint32_t w;
  int v;
};

class SpatialIndex {
 public:
  /// True for an instance whose weights come from points, which the index can serve.
  static bool Serves(const EuclidianGraphe& g) { return g.GetMetric() != Metric::kMatrix; }

  /// Builds the tree over every vertex of g (Serves(g) must hold); g must outlive the
  /// index. False when an allocation fails.
  bool Build(const EuclidianGraphe& g);

  /// Removes vertex v from every later answer; v must be live.
  void Remove(int v);

  /// The live vertex other than u of least (weight to u, number), its weight in *w; -1
  /// when there is none.
  int Nearest(int u, uint32_t* w) const;

  /// The at most k live vertices other than u of least (weight, number), ascending, into
  /// out[0 ..]; returns their count (k when that many exist).
  unsigned Closest(int u, unsigned k, Neighbour* out) const;

  /// Calls f(v, w) for every live vertex v other than u whose weight w to u is at most
  /// *bound, in no particular order; f may lower *bound, and later vertices then meet the
  /// lower bound. A negative bound finds nothing.
  template <class F>
  void Within(int u, const long long* bound, F f) const {
    if (*bound >= 0) Visit(0, u, [&](unsigned pos) {
      const int v = order_[pos];
      const uint32_t w = g_->GetDistinct(u, v);
      if (static_cast<long long>(w) <= *bound) f(v, w);
    }, [&] { return *bound < 0 ? -1.0 : Graphe::RuleKeyAbove(rule_, static_cast<uint32_t>(*bound)); });
  }

  // The tree itself, for callers that keep their own data per node. Node 0 is the root;
  // the children of node k are Child(k) and Child(k) + 1, numbered above k, or none when
  // Child(k) is 0: a leaf, whose points are the vertices At(Begin(k)) .. At(End(k) - 1).
  uint32_t Nodes() const { return node_count_; }
  uint32_t Child(uint32_t k) const { return nodes_[k].child; }
  uint32_t Parent(uint32_t k) const { return nodes_[k].parent; }
  uint32_t Begin(uint32_t k) const { return nodes_[k].begin; }
  uint32_t End(uint32_t k) const { return nodes_[k].end; }
  int At(uint32_t pos) const { return order_[pos]; }
  bool LiveAt(uint32_t pos) const { return !dead_[pos]; }
  /// False once every point under node k is removed.
  bool Live(uint32_t k) const { return nodes_[k].live != 0; }
  uint32_t LeafOf(int v) const { return leaf_[pos_[v]]; }
  /// A weight that the weight from vertex u to any live point of node k reaches.
  double WeightFloor(uint32_t k, int u) const {
    const double key = BoxKey(nodes_[k], u) * (1 - 0x1p-20);
    const double r = std::sqrt(rule_ == Metric::kAtt ? key / 10 : key);
    return r > 1 ? (r - 1) / (1 + 0x1p-20) - 1 : 0;
  }

 private:
  struct Node {
    double lo[2], hi[2];  // box of the node's live points
    uint32_t begin, end;  // its points: order_[begin .. end-1]
    uint32_t child;       // first of its two children (the second follows); 0 for a leaf
    uint32_t parent;
    uint32_t live;        // a leaf's points not removed; a parent's children not emptied
  };

  struct Point {
    double c[2];
    int v;
  };
  // Makes node k over points[begin .. end-1] and its subtree, reordering them.
  void Fill(Point* points, uint32_t k, uint32_t begin, uint32_t end, uint32_t parent);
  // Shrinks the box of node k (live) to its live points, or its live children's boxes,
  // once the point at gone (x, y) was removed below it; true when it changed.
  bool Tighten(uint32_t k, const double* gone);
  // Squared distance from the point of vertex u to the box of node k.
  double BoxKey(const Node& k, int u) const;

  // Walks the nodes that may hold a vertex within the limit, nearer child first; leaf(pos)
  // is called for each live point other than u, limit() gives the current key limit (a
  // box at or beyond it is skipped; negative: stop).
  template <class Leaf, class Limit>
  void Visit(uint32_t k, int u, Leaf leaf, Limit limit) const {
    Visit(k, u, leaf, limit, BoxKey(nodes_[k], u));
  }
  // The same, with the key of node k's box already computed.
  template <class Leaf, class Limit>
  void Visit(uint32_t k, int u, Leaf leaf, Limit limit, double key) const {
    const Node& node = nodes_[k];
    if (node.live == 0) return;
    const double lim = limit();
    if (lim < 0 || key * (1 - 0x1p-20) >= lim) return;
    if (node.child == 0) {
      // A point's own key spares the weight of one beyond the limit.
      const double* c = &xy_[2 * pos_[u]];
      for (uint32_t pos = node.begin; pos < node.end; ++pos) {
        if (dead_[pos] || order_[pos] == u) continue;
        const double dx = xy_[2 * pos] - c[0], dy = xy_[2 * pos + 1] - c[1];
        if ((dx * dx + dy * dy) * (1 - 0x1p-20) < limit()) leaf(pos);
      }
      return;
    }
    const uint32_t a = node.child, b = node.child + 1;
    const double ka = BoxKey(nodes_[a], u), kb = BoxKey(nodes_[b], u);
    if (kb < ka) {
      Visit(b, u, leaf, limit, kb);
      Visit(a, u, leaf, limit, ka);
    } else {
      Visit(a, u, leaf, limit, ka);
      Visit(b, u, leaf, limit, kb);
    }
  }

  const EuclidianGraphe* g_ = nullptr;
  Metric rule_ = Metric::kTruncated;
  unsigned n_ = 0;
  Array<double> xy_;      // x then y of each position, in the unit of the rule's keys
  Array<int> order_;      // the vertices, grouped by leaf
  Array<uint32_t> pos_;   // position of each vertex in order_
  Array<uint32_t> leaf_;  // leaf node of each position
  Array<char> dead_;      // removed, by position
  Array<Node> nodes_;
  uint32_t node_count_ = 0;
};

}  // namespace pvc
