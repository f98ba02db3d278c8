// The constant-time 2-opt move, checked against a plain array with segment reversal.
#include "algorithms/two_opt_move.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "algorithms/tour_test_util.h"

namespace {

using tourtest::Edge;

// A ring built from the tour t (t[0] = 0) the way the algorithms build theirs.
struct Ring {
  tArretes* ta;
  tArrete* head;
  std::vector<tArrete*> records;  // in the order of the plain links right after building
  std::vector<char> marks;

  explicit Ring(const std::vector<int>& t) : ta(new tArretes(static_cast<unsigned>(t.size()))), marks(t.size(), 0) {
    for (size_t k = 0; k < t.size(); ++k) ta->Add(t[k], t[(k + 1) % t.size()]);
    head = ta->CircuitAsLinkedList();
    tArrete* r = head;
    for (size_t k = 0; k < t.size(); ++k, r = r->GetNext2()) records.push_back(r);
  }
  ~Ring() {
    pvc::DeleteRing(head, marks.data());
    delete ta;
  }

  // Walks n steps from `from` under flag rev, checking that each record starts where the
  // previous one ended and that the walk closes; returns the start vertices met.
  std::vector<int> Walk(tArrete* from, bool rev) const {
    std::vector<int> seq;
    tArrete* r = from;
    for (size_t k = 0; k < records.size(); ++k) {
      const int s1 = r->GetS1(rev), s2 = r->GetS2(rev);
      seq.push_back(s1);
      r = r->GetNext2(rev, marks.data());
      EXPECT_EQ(r->GetS1(rev), s2) << "step " << k;
    }
    EXPECT_EQ(r, from) << "ring does not close after n steps";
    return seq;
  }

  // The record `steps` steps after `from` (flag carried in rev).
  tArrete* Advance(tArrete* from, bool& rev, int steps) const {
    for (int k = 0; k < steps; ++k) from = from->GetNext2(rev, marks.data());
    return from;
  }
};

// True when a and b are the same cycle, in either direction and from any start.
bool SameCycle(const std::vector<int>& a, const std::vector<int>& b) {
  if (a.size() != b.size()) return false;
  const size_t n = a.size();
  const size_t at = std::find(b.begin(), b.end(), a[0]) - b.begin();
  if (at == n) return false;
  bool fwd = true, bwd = true;
  for (size_t k = 0; k < n; ++k) {
    fwd = fwd && a[k] == b[(at + k) % n];
    bwd = bwd && a[k] == b[(at + n - k) % n];
  }
  return fwd || bwd;
}

std::vector<int> RandomTour(int n, std::mt19937& gen) {
  std::vector<int> t(n);
  for (int k = 0; k < n; ++k) t[k] = k;
  std::shuffle(t.begin() + 1, t.end(), gen);
  return t;
}

// Moves chosen as the 2-opt chooses them: A at position p from the head, B at q >= p + 2.
// The head never moves, so the ring read from it must equal the array exactly.
TEST(TwoOptMove, MatchesArrayReversalFromTheHead) {
  std::mt19937 gen(1234);
  for (int n : {3, 4, 5, 6, 7, 9, 16, 33}) {
    for (int trial = 0; trial < 8; ++trial) {
      Ring ring(RandomTour(n, gen));
      // The ring leaves 0 towards its smaller neighbour, whatever the array's direction.
      std::vector<int> t = ring.Walk(ring.head, false);
      for (int move = 0; move < 60; ++move) {
        std::uniform_int_distribution<int> dp(0, n - 3);
        const int p = dp(gen);
        const int q = std::uniform_int_distribution<int>(p + 2, n - 1)(gen);
        bool a = false;
        tArrete* A = ring.Advance(ring.head, a, p);
        bool b = a;
        tArrete* B = ring.Advance(A, b, q - p);
        ASSERT_TRUE(pvc::ApplyTwoOptMove(A, a, B, b, ring.marks.data(), ring.ta, nullptr));
        std::reverse(t.begin() + p + 1, t.begin() + q + 1);
        ASSERT_EQ(ring.Walk(ring.head, false), t) << "n=" << n << " move " << move << " p=" << p << " q=" << q;
        ASSERT_EQ(tourtest::EdgesOf(*ring.ta), tourtest::EdgesOf(t));
        for (char m : ring.marks) ASSERT_TRUE(m == 0 || m == 1);
      }
    }
  }
}

// Moves chosen as the annealing chooses them: A any record read with flag false, B any
// record 2 .. n-1 steps further (n-1: the record just before A, which keeps the tour).
// Every record, read with either flag, must still lead once around the new tour.
TEST(TwoOptMove, MatchesArrayReversalFromAnyRecord) {
  std::mt19937 gen(99);
  for (int n : {3, 4, 5, 8, 13, 30}) {
    for (int trial = 0; trial < 8; ++trial) {
      Ring ring(RandomTour(n, gen));
      for (int move = 0; move < 60; ++move) {
        tArrete* A = ring.records[std::uniform_int_distribution<int>(0, n - 1)(gen)];
        const bool a = false;
        const int k = std::uniform_int_distribution<int>(2, n - 1)(gen);
        // The tour in A's order of travel, u[0] = A's start; the move reverses u[1..k].
        std::vector<int> u = ring.Walk(A, a);
        bool b = a;
        tArrete* B = ring.Advance(A, b, k);
        const int S1j = B->GetS1(b);
        ASSERT_TRUE(pvc::ApplyTwoOptMove(A, a, B, b, ring.marks.data(), ring.ta, nullptr));
        std::reverse(u.begin() + 1, u.begin() + k + 1);
        // From A under its flag the tour now leads to S1j first, in exactly u's order.
        ASSERT_EQ(ring.Walk(A, a), u) << "n=" << n << " move " << move << " k=" << k;
        ASSERT_EQ(u[1], S1j);
        ASSERT_TRUE(SameCycle(ring.Walk(ring.head, false), u));
        tArrete* any = ring.records[std::uniform_int_distribution<int>(0, n - 1)(gen)];
        ASSERT_TRUE(SameCycle(ring.Walk(any, (move & 1) != 0), u));
        ASSERT_EQ(tourtest::EdgesOf(*ring.ta), tourtest::EdgesOf(u));
      }
    }
  }
}

TEST(TwoOptMove, GainIsExactAndPrintsTheCallersTrace) {
  // Square 0-1-2-3 travelled as 0-2-1-3: exchanging (0,2) and (1,3) untangles it.
  EuclidianGraphe g(4);
  tourtest::Fill(g, 10, 10, 1);
  const uint32_t side = 3000000000u, diag = 4000000000u;  // a 32-bit sum would wrap
  g.Set(0, 1, side), g.Set(1, 2, side), g.Set(2, 3, side), g.Set(0, 3, side);
  g.Set(0, 2, diag), g.Set(1, 3, diag);
  Ring ring({0, 2, 1, 3});
  bool a = false, b = false;
  tArrete* A = ring.head;
  tArrete* B = ring.Advance(A, b, 2);
  EXPECT_EQ(pvc::TwoOptGain(&g, A, a, B, b), 2LL * (diag - side));
  std::string out = CaptureStdout([&] { pvc::ApplyTwoOptMove(A, a, B, b, ring.marks.data(), ring.ta, "X"); });
  EXPECT_EQ(out, "X: inversion 0-2 et 1-3\n");
  EXPECT_EQ(ring.Walk(ring.head, false), (std::vector<int>{0, 1, 2, 3}));
}

}  // namespace
