// The constant-time 2-opt move, checked against a plain array with segment reversal.
#include "algorithms/two_opt_move.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "algorithms/tour_util.h"

namespace {

// A ring built from a random tour (t[0] = 0) the way the algorithms build theirs.
struct Ring {
  tArretes* ta;
  tArrete* head;
  std::vector<tArrete*> records;  // in the order of the plain links right after building
  std::vector<char> marks;

  Ring(int n, std::mt19937& gen) : ta(new tArretes(static_cast<unsigned>(n))), marks(n, 0) {
    std::vector<int> t(n);
    for (int k = 0; k < n; ++k) t[k] = k;
    std::shuffle(t.begin() + 1, t.end(), gen);
    for (int k = 0; k < n; ++k) ta->Add(t[k], t[(k + 1) % n]);
    head = ta->CircuitAsLinkedList();
    for (tArrete* r = head; records.size() < t.size(); r = r->GetNext2()) records.push_back(r);
  }
  ~Ring() {
    DeleteRing(head, marks.data());
    delete ta;
  }
  // The start vertices met in n steps from `from` under flag rev; each record must start
  // where the previous one ended, and the walk must close.
  std::vector<int> Walk(tArrete* from, bool rev) const {
    std::vector<int> seq;
    tArrete* r = from;
    for (size_t k = 0; k < records.size(); ++k) {
      seq.push_back(r->GetS1(rev));
      const int s2 = r->GetS2(rev);
      r = r->GetNext2(rev, marks.data());
      EXPECT_EQ(r->GetS1(rev), s2) << "step " << k;
    }
    EXPECT_EQ(r, from) << "ring does not close after n steps";
    return seq;
  }
  tArrete* Advance(tArrete* from, bool& rev, int steps) const {
    for (int k = 0; k < steps; ++k) from = from->GetNext2(rev, marks.data());
    return from;
  }
};

// True when a and b are the same cycle, in either direction and from any start.
bool SameCycle(const std::vector<int>& a, const std::vector<int>& b) {
  const size_t n = a.size(), at = std::find(b.begin(), b.end(), a[0]) - b.begin();
  bool fwd = at < n && b.size() == n, bwd = fwd;
  for (size_t k = 0; k < n && at < n; ++k) {
    fwd = fwd && a[k] == b[(at + k) % n];
    bwd = bwd && a[k] == b[(at + n - k) % n];
  }
  return fwd || bwd;
}

// Moves chosen as the 2-opt chooses them: A at position p from the head, B at q >= p + 2.
// The head never moves, so the ring read from it must equal the array exactly.
TEST(TwoOptMove, MatchesArrayReversalFromTheHead) {
  std::mt19937 gen(1234);
  for (int n : {3, 4, 5, 6, 7, 9, 16, 33})
    for (int trial = 0; trial < 8; ++trial) {
      Ring ring(n, gen);
      std::vector<int> t = ring.Walk(ring.head, false);
      for (int move = 0; move < 60; ++move) {
        const int p = std::uniform_int_distribution<int>(0, n - 3)(gen);
        const int q = std::uniform_int_distribution<int>(p + 2, n - 1)(gen);
        bool a = false;
        tArrete* A = ring.Advance(ring.head, a, p);
        bool b = a;
        tArrete* B = ring.Advance(A, b, q - p);
        ASSERT_TRUE(pvc::ApplyTwoOptMove(A, a, B, b, ring.marks.data(), ring.ta, nullptr));
        std::reverse(t.begin() + p + 1, t.begin() + q + 1);
        ASSERT_EQ(ring.Walk(ring.head, false), t) << "n=" << n << " move " << move << " p=" << p << " q=" << q;
        ASSERT_EQ(tour::EdgesOf(*ring.ta), tour::EdgesOf(t));
        for (char m : ring.marks) ASSERT_TRUE(m == 0 || m == 1);
      }
    }
}

// Moves chosen as the annealing chooses them: A any record read with flag false, B any
// record 2 .. n-1 steps further (n-1: the record just before A, which keeps the tour).
// Every record, read with either flag, must still lead once around the new tour.
TEST(TwoOptMove, MatchesArrayReversalFromAnyRecord) {
  std::mt19937 gen(99);
  for (int n : {3, 4, 5, 8, 13, 30})
    for (int trial = 0; trial < 8; ++trial) {
      Ring ring(n, gen);
      for (int move = 0; move < 60; ++move) {
        tArrete* A = ring.records[std::uniform_int_distribution<int>(0, n - 1)(gen)];
        const int k = std::uniform_int_distribution<int>(2, n - 1)(gen);
        std::vector<int> u = ring.Walk(A, false);  // u[0] = A's start; u[1..k] gets reversed
        bool b = false;
        tArrete* B = ring.Advance(A, b, k);
        const int S1j = B->GetS1(b);
        ASSERT_TRUE(pvc::ApplyTwoOptMove(A, false, B, b, ring.marks.data(), ring.ta, nullptr));
        std::reverse(u.begin() + 1, u.begin() + k + 1);
        ASSERT_EQ(ring.Walk(A, false), u) << "n=" << n << " move " << move << " k=" << k;
        ASSERT_EQ(u[1], S1j);
        ASSERT_TRUE(SameCycle(ring.Walk(ring.head, false), u));
        tArrete* any = ring.records[std::uniform_int_distribution<int>(0, n - 1)(gen)];
        ASSERT_TRUE(SameCycle(ring.Walk(any, (move & 1) != 0), u));
        ASSERT_EQ(tour::EdgesOf(*ring.ta), tour::EdgesOf(u));
      }
    }
}

}  // namespace
