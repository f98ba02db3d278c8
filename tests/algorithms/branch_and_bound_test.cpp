// The branch and bound against Held-Karp, from good and poor first tours.
#include "algorithms/branch_and_bound.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "containers/resources.h"
#include "support/tour.h"

namespace {

// A poor first tour standing in for the 2-opt: the identity, which costs much more search.
tArretes* IdentityTour(EuclidianGraphe* e, unsigned long) {
  const int n = static_cast<int>(e->GetSommets());
  tArretes* t = tArretes::New(n);
  for (int k = 0; t && k < n; ++k) t->Add(k, (k + 1) % n);
  return t;
}

tArretes* FromIdentity(EuclidianGraphe* e, unsigned long o) { return ASERun(e, o, IdentityTour); }

// Ties, Euclidean weights and huge weights (sums beyond 2^32); two vertices, where the
// closing edge repeats the only one.
TEST(ASepEval, OptimalOnRandomInstances) {
  for (int round = 0; round < 120; ++round) {
    const int n = 2 + round % 8;  // 2 .. 9
    EuclidianGraphe g(n);
    if (round % 3 == 0)
      tour::FillRandom(g, 1, round % 2 ? 5 : 4000000000u, round);
    else
      tour::Fill(g, 1000, 1000, round);
    const fExec run = round % 2 && n <= 8 ? FromIdentity : PVC_ASeparationEvaluation;
    const auto t = tour::Run(run, g, 0);
    ASSERT_TRUE(t && tour::IsTour(*t));
    EXPECT_EQ(g.Eval(t.get()), n == 2 ? g.Get(0, 1) : tour::Optimum(g)) << "round " << round << " n " << n;
  }
}

TEST(ASepEval, DrawingBufferFailureIsReported) {
  EuclidianGraphe g(4);
  tour::Fill(g, 100, 100, 1);
  std::string out;
  pvc::FailAcquisitionAt(1);  // the edge set of the drawn path
  EXPECT_FALSE(tour::Run(FromIdentity, g, pvc::OptionsWord(1, Important), &out));
  pvc::FailAcquisitionAt(0);
  EXPECT_EQ(tour::Lines(out).back(), "ASepEval: erreur, memoire insuffisante");
}

}  // namespace
