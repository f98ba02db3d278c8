// The elastic net: the ring's growth and its worker chains, the attachment of the cities,
// and whole runs on degenerate instances.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "algorithms/elastic_net_private.h"
#include "support/tour.h"

namespace {

// The shared arrays of the initial ring of 50 cities (75 nodes, capacity 125, M = 1000),
// placed block by block as the driver does, without threads.
struct Ring {
  unsigned first[4] = {0, 19, 38, 57}, fav = 3;
  Ring() {
    ElSommets = static_cast<SommetInfo*>(calloc(125, sizeof(SommetInfo)));
    HELCoords = static_cast<fPOINT*>(calloc(125, sizeof(fPOINT)));
    HELNumSommets = 75;
    for (unsigned w = 0; w < 4; ++w) HEL_PlaceBlock(first[w], w < 3 ? 19 : 18, 75, 50, 1000, 100.0, 0);
  }
  ~Ring() { free(ElSommets), free(HELCoords), ElSommets = nullptr, HELCoords = nullptr; }
  // One closed ring through all nodes with consistent back links; every node in exactly
  // one worker's chain. Returns the worker of each node.
  std::vector<int> Owners() const {
    const uint32_t N = HELNumSommets;
    std::vector<int> seen(N, 0), owner(N, -1);
    for (uint32_t j = 0, steps = 0; steps < N; ++steps, j = ElSommets[j].NextId) {
      EXPECT_EQ(ElSommets[ElSommets[j].NextId].PrevId, j);
      ++seen[j];
    }
    for (int w = 0; w < 4; ++w)
      for (SommetInfo* s = &ElSommets[first[w]]; s; s = s->NextSommet) {
        EXPECT_EQ(owner[s->Id], -1);
        owner[s->Id] = w;
      }
    EXPECT_EQ(seen, std::vector<int>(N, 1));
    return owner;
  }
};

TEST(HElastique, GrowthPlacesAndDealsTheNewNodes) {
  EXPECT_EQ(HEL_GrowthCount(125, 5000, 1000, 75), 223);
  EXPECT_EQ(HEL_GrowthCount(125, 1000, 1000, 75), -15);
  EXPECT_EQ(HEL_GrowthCount(125, 0, 0, 75), -75);  // M = 0: no 0/0
  Ring r;
  std::vector<fPOINT> old(HELCoords, HELCoords + 75);
  EXPECT_EQ(HEL_GrowRing(1000, 50, 1000, 125, r.first, 4, &r.fav), 0u);  // a negative count
  // 6 nodes wanted: not above the threshold of 50 cities, nothing added.
  EXPECT_EQ(HEL_GrowRing((75 + 6.5) * (1000 * 3.141592 / 1.5) / 125, 50, 1000, 125, r.first, 4, &r.fav), 0u);
  // 223 nodes capped at the 50 places left: one after each of nodes 0 .. 49, at the midpoint.
  ASSERT_EQ(HEL_GrowRing(5000, 50, 1000, 125, r.first, 4, &r.fav), 50u);
  const std::vector<int> owner = r.Owners();
  for (uint32_t k = 0; k < 50; ++k) {
    EXPECT_TRUE(ElSommets[k].NextId == 75 + k && ElSommets[75 + k].NextId == k + 1) << k;
    EXPECT_EQ(HELCoords[75 + k].x, (old[k + 1].x + old[k].x) * 0.5);
    EXPECT_EQ(owner[75 + k], static_cast<int>((3 + k) % 4));  // from the favoured worker on
  }
  EXPECT_EQ(ElSommets[57].NextSommet->Id, 123u);  // right after the worker's first node
  EXPECT_EQ(HEL_GrowRing(9000, 50, 1000, 125, r.first, 4, &r.fav), 0u);  // full
}

// Every city at the origin (M = 0): no 0/0 anywhere; node 0 takes six cities, and the
// next two go along the ring. Three cities: the smallest ring.
TEST(HElastique, DegenerateInstancesGiveToursWithoutNaN) {
  for (uint32_t range : {0u, 1000u}) {
    EuclidianGraphe g(range ? 3 : 8);
    g.Generate(range, 1, 1, nullptr);
    std::string out;
    const auto t = tour::Run(PVC_HElastique, g, pvc::OptionsWord(0, Verbose, 0x01), &out);
    EXPECT_EQ(out.find("nan"), std::string::npos);
    EXPECT_EQ(tour::Lines(out, "HElastique: trop de villes proche du sommet 0").size(), range ? 0u : 2u);
    ASSERT_TRUE(t && tour::IsTour(*t));
    EXPECT_TRUE(range || tour::SequenceOf(*t) == std::vector<int>({0, 1, 2, 3, 4, 5, 6, 7}));
  }
}

}  // namespace
