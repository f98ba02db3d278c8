#include "algorithms/two_opt_gains.h"

#include <algorithm>
#include <cstring>

namespace pvc {

bool TwoOptGains::Build(const EuclidianGraphe& g, const int* sequence) {
  g_ = &g;
  n_ = g.GetSommets();
  indexed_ = SpatialIndex::Serves(g);
  forward_ = true;
  leaves_ = 1;
  while (leaves_ < n_) leaves_ *= 2;
  ord_ = NewArray<int>(n_);
  idx_ = NewArray<unsigned>(n_);
  gain_ = NewArray<long long>(size_t{2} * n_);
  partner_ = NewArray<int>(size_t{2} * n_);
  tree_ = NewArray<long long>(size_t{2} * leaves_, true);
  start_ = NewArray<unsigned>(n_);
  count_ = NewArray<unsigned>(n_, true);
  chain_ = NewArray<int>(n_);
  stamp_ = NewArray<unsigned>(n_, true);
  marked_ = NewArray<int>(n_);
  if (!ord_ || !idx_ || !gain_ || !partner_ || !tree_ || !start_ || !count_ || !chain_ || !stamp_ || !marked_) return false;
  if (indexed_ && !index_.Build(g)) return false;
  for (unsigned k = 0; k < n_; ++k) {
    ord_[k] = sequence[k];
    idx_[sequence[k]] = k;
    chain_[k] = -1;
  }
  if (n_ < 4) return true;  // no two edges without a common vertex: no move
  // The pool starts with room for every ball and an eighth more: the balls shrink as the
  // long edges of the starting tour go.
  size_t total = 0;
  for (unsigned u = 0; u < n_; ++u) {
    if ((u & 1023) == 0 && Interrupted()) return false;
    Gather(static_cast<int>(u), [&](int, uint32_t) { ++total; });
  }
  if (!Regrow(total + total / 8 + 64)) return false;
  for (unsigned u = 0; u < n_; ++u) {
    if ((u & 1023) == 0 && Interrupted()) return false;
    if (!SetBall(static_cast<int>(u))) return false;
  }
  for (unsigned u = 0; u < n_; ++u) Recompute(static_cast<int>(u));
  return true;
}

template <class F>
void TwoOptGains::Gather(int u, F f) const {
  // The vertices closer to u than its longer edge.
  const long long bound = static_cast<long long>(std::max(g_->GetDistinct(u, Adjacent(u, 0)),
                                                          g_->GetDistinct(u, Adjacent(u, 1)))) - 1;
  if (indexed_) return index_.Within(u, &bound, f);
  for (int c = 0; c < static_cast<int>(n_); ++c) {
    if (c == u) continue;
    const uint32_t w = g_->GetDistinct(u, c);
    if (static_cast<long long>(w) <= bound) f(c, w);
  }
}

bool TwoOptGains::SetBall(int u) {
  for (unsigned k = start_[u], e = k + count_[u]; k < e; ++k) Unlink(static_cast<int>(k));
  dead_ += count_[u];
  count_[u] = 0;
  size_t found = 0;
  bool full = false;
  Gather(u, [&](int c, uint32_t w) {
    if (found == scratch_capacity_ && !full) {
      const size_t grown = std::max<size_t>(2 * scratch_capacity_, 1024);
      Array<Neighbour> more = NewArray<Neighbour>(grown);
      full = !more;
      if (full) return;
      if (found) std::memcpy(more.get(), scratch_.get(), found * sizeof(Neighbour));
      scratch_ = std::move(more);
      scratch_capacity_ = grown;
    }
    if (!full) scratch_[found++] = Neighbour{w, c};
  });
  if (full || !Reserve(found)) return false;
  start_[u] = static_cast<unsigned>(top_);
  count_[u] = static_cast<unsigned>(found);
  for (size_t m = 0; m < found; ++m) {
    const int c = scratch_[m].v;
    pool_[top_] = Entry{c, scratch_[m].w, u, chain_[c]};
    chain_[c] = static_cast<int>(top_++);
  }
  return true;
}

void TwoOptGains::Unlink(int k) {
  int* link = &chain_[pool_[k].c];
  while (*link != k) link = &pool_[*link].next;
  *link = pool_[k].next;
}

// Room for `more` entries at the top of the pool: the live entries are moved down when
// that leaves some slack, or into a pool half as large again as they need.
bool TwoOptGains::Reserve(size_t more) {
  if (top_ + more <= capacity_) return true;
  const size_t need = top_ - dead_ + more;
  if (need <= capacity_ - capacity_ / 8) {
    Compact(pool_.get());
    return true;
  }
  return Regrow(need + need / 2);
}

// Moves the live entries into a pool of the given capacity.
bool TwoOptGains::Regrow(size_t capacity) {
  if (capacity > 0x7fffffff) return false;  // entries are numbered by int
  Array<Entry> bigger = NewArray<Entry>(capacity);
  if (!bigger) return false;
  Compact(bigger.get());
  pool_ = std::move(bigger);
  capacity_ = capacity;
  return true;
}

// Copies the live entries, ball by ball in pool order, to the start of `to` (the pool
// itself or a larger one) and threads the reverse chains there again.
void TwoOptGains::Compact(Entry* to) {
  size_t top = 0;
  for (size_t k = 0; k < top_;) {
    const int u = pool_[k].owner;
    if (k != start_[u] || count_[u] == 0) {  // an entry of a ball computed again since
      ++k;
      continue;
    }
    start_[u] = static_cast<unsigned>(top);
    for (const size_t end = k + count_[u]; k < end;) to[top++] = pool_[k++];
  }
  top_ = top;
  dead_ = 0;
  for (unsigned v = 0; v < n_; ++v) chain_[v] = -1;
  for (size_t k = top_; k-- > 0;) {
    to[k].next = chain_[to[k].c];
    chain_[to[k].c] = static_cast<int>(k);
  }
}

void TwoOptGains::Recompute(int u) {
  const int nu[2] = {Adjacent(u, 0), Adjacent(u, 1)};
  const uint32_t wu[2] = {g_->GetDistinct(u, nu[0]), g_->GetDistinct(u, nu[1])};
  long long best[2] = {0, 0};
  int partner[2] = {-1, -1};
  auto offer = [&](int d, long long gain, int c) {
    if (gain > best[d])
      best[d] = gain, partner[d] = c;
    else if (gain == best[d])
      partner[d] = -1;  // several partners: Place looks for them
  };
  for (unsigned k = start_[u], e = k + count_[u]; k < e; ++k) {
    const Entry& c = pool_[k];
    const bool along = c.w < wu[0], against = c.w < wu[1];
    if (!along && !against) continue;
    const unsigned kc = idx_[c.c];
    if (along) {
      const int nc = ord_[kc + 1 == n_ ? 0 : kc + 1];
      offer(0, static_cast<long long>(wu[0]) + g_->GetDistinct(c.c, nc) - c.w - g_->GetDistinct(nu[0], nc), c.c);
    }
    if (against) {
      const int nc = ord_[kc == 0 ? n_ - 1 : kc - 1];
      offer(1, static_cast<long long>(wu[1]) + g_->GetDistinct(c.c, nc) - c.w - g_->GetDistinct(nu[1], nc), c.c);
    }
  }
  for (int d = 0; d < 2; ++d) {
    gain_[2 * static_cast<size_t>(u) + d] = best[d];
    partner_[2 * static_cast<size_t>(u) + d] = partner[d];
  }
  Raise(u);
}

void TwoOptGains::Raise(int u) {
  size_t k = leaves_ + static_cast<size_t>(u);
  tree_[k] = std::max(gain_[2 * static_cast<size_t>(u)], gain_[2 * static_cast<size_t>(u) + 1]);
  for (k /= 2; k >= 1; k /= 2) {
    const long long m = std::max(tree_[2 * k], tree_[2 * k + 1]);
    if (tree_[k] == m) break;
    tree_[k] = m;
  }
}

TwoOptGains::Move TwoOptGains::Best() const {
  if (n_ < 4 || tree_[1] <= 0) return Move{0, 0, 0};
  const long long g = tree_[1];
  Move best{g, n_, n_};
  // Every vertex of the largest gain, by a walk down the nodes that hold it.
  size_t stack[64];
  int depth = 0;
  stack[depth++] = 1;
  while (depth > 0) {
    const size_t k = stack[--depth];
    if (k >= leaves_) {
      const int u = static_cast<int>(k - leaves_);
      for (int d = 0; d < 2; ++d)
        if (gain_[2 * static_cast<size_t>(u) + d] == g) Place(u, d, g, &best);
      continue;
    }
    if (tree_[2 * k + 1] == g) stack[depth++] = 2 * k + 1;
    if (tree_[2 * k] == g) stack[depth++] = 2 * k;
  }
  return best;
}

void TwoOptGains::Place(int u, int d, long long g, Move* best) const {
  const int nu = Adjacent(u, d);
  // Along the order of travel the edges start at u and c, against it at u' and c'.
  const bool along = (d == 0) == forward_;
  auto offer = [&](int c, int nc) {
    unsigned i = along ? Position(u) : Position(nu), j = along ? Position(c) : Position(nc);
    if (i > j) std::swap(i, j);
    if (i < best->i || (i == best->i && j < best->j)) best->i = i, best->j = j;
  };
  const int partner = partner_[2 * static_cast<size_t>(u) + d];
  if (partner >= 0) return offer(partner, Adjacent(partner, d));
  const uint32_t wu = g_->GetDistinct(u, nu);
  for (unsigned k = start_[u], e = k + count_[u]; k < e; ++k) {
    const Entry& c = pool_[k];
    if (c.w >= wu) continue;
    const int nc = Adjacent(c.c, d);
    if (static_cast<long long>(wu) + g_->GetDistinct(c.c, nc) - c.w - g_->GetDistinct(nu, nc) == g) offer(c.c, nc);
  }
}

bool TwoOptGains::Apply(unsigned i, unsigned j) {
  const int ends[4] = {At(i), At(i + 1), At(j), At(j + 1 == n_ ? 0 : j + 1)};
  // The positions to reverse: i+1 .. j, or the rest j+1 .. i with the orientation turned,
  // whichever is shorter; then the array range that holds them.
  const unsigned length = j - i;
  const bool rest = length > n_ - length;
  const unsigned first = rest ? (j + 1) % n_ : i + 1;
  const unsigned count = rest ? n_ - length : length;
  const unsigned from = forward_ ? Index(first) : Index((first + count - 1) % n_);
  auto at = [&](unsigned a) { return from + a < n_ ? from + a : from + a - n_; };
  for (unsigned a = 0, b = count - 1; a < b; ++a, --b) {
    const unsigned x = at(a), y = at(b);
    std::swap(ord_[x], ord_[y]);
    idx_[ord_[x]] = x;
    idx_[ord_[y]] = y;
  }
  if (rest) forward_ = !forward_;

  // The four ends have new edges, hence new balls.
  for (int v : ends)
    if (!SetBall(v)) return false;
  if (++moves_ == 0) {  // the stamps start again
    for (unsigned v = 0; v < n_; ++v) stamp_[v] = 0;
    moves_ = 1;
  }
  // A vertex strictly inside the reversed range whose ball lies strictly inside it too
  // only sees its two directions swap, and so do its two gains. (The ends are the first
  // and last vertices of the range, and the two beside it.)
  auto inside = [&](int v) {
    const unsigned o = idx_[v] >= from ? idx_[v] - from : idx_[v] + n_ - from;
    return o >= 1 && o + 1 < count;
  };
  for (unsigned a = 1; a + 1 < count; ++a) {
    const int v = ord_[at(a)];
    unsigned k = start_[v];
    const unsigned e = k + count_[v];
    while (k < e && inside(pool_[k].c)) ++k;
    if (k < e) continue;
    std::swap(gain_[2 * static_cast<size_t>(v)], gain_[2 * static_cast<size_t>(v) + 1]);
    std::swap(partner_[2 * static_cast<size_t>(v)], partner_[2 * static_cast<size_t>(v) + 1]);
    stamp_[v] = moves_;
  }
  // Computed again: the other reversed vertices, the ends, and every vertex whose ball
  // holds one of these.
  unsigned marked = 0;
  auto mark = [&](int v) {
    if (stamp_[v] == moves_) return;
    stamp_[v] = moves_;
    marked_[marked++] = v;
  };
  auto touch = [&](int v) {
    mark(v);
    for (int k = chain_[v]; k >= 0; k = pool_[k].next) mark(pool_[k].owner);
  };
  for (unsigned a = 0; a < count; ++a) touch(ord_[at(a)]);
  for (int v : ends) touch(v);
  for (unsigned m = 0; m < marked; ++m) Recompute(marked_[m]);
  return true;
}

}  // namespace pvc
