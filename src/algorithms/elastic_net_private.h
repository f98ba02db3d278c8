// Shared state of the elastic net: the driver (elastic_net.cpp) and its four worker
// threads (elastic_workers.cpp). Valid only during a run; at most one run at a time.
//
// The driver writes this state only while every worker is blocked in the synchronizer;
// within a phase the workers' writes are disjoint (each owns the columns and records of
// the nodes of its chain).
#pragma once

#include <cstdint>

#include "algorithms/algorithms.h"
#include "containers/synchronizer.h"

struct fPOINT {
  double x;
  double y;
};

/// The phase that the next signal starts.
enum HELSTATE { Weight = 0, WeightSum = 1, Normalize = 2, Coords = 3, Apply = 4, Die = 5 };

/// End marker of a HandleSum list.
constexpr uint32_t kHELNoCity = 4294967295u;

/// One node of the ring.
struct SommetInfo {
  SommetInfo* NextSommet;  ///< next record of the same worker's chain; null at its end
  uint32_t Id;             ///< index in ElSommets and HELCoords
  uint32_t NextId;         ///< following node along the ring
  uint32_t PrevId;         ///< preceding node along the ring
  fPOINT NewPos;           ///< position computed in the Coords phase
  double DNext;            ///< distance to the following node, as of the last Apply phase
  uint32_t HandleSum[6];   ///< cities whose weight sum this node's worker computes, then
                           ///< (at the end) the cities attached to it; ends at kHELNoCity
};

extern EuclidianGraphe* HELe;
extern int HELOutput;
extern uint32_t HELNumSommets;
extern SommetInfo* ElSommets;
extern fPOINT* HELCoords;
extern double** HELWeights;  ///< HELWeights[city][node]
extern double* HELWeightSum;
extern double HELAlpha;
extern double HELBeta;
extern double HELK;
extern HELSTATE HELState;
extern synchronizer* HELSem;

/// Worker start routine; p is the worker's first node record. Ends on Die.
void* HEL_WorkingThread(void* p);

/// Carries out one phase (Weight to Apply) for the chain starting at first, as a worker
/// does on a signal. Prints the worker lines at output level 4.
void HEL_RunPhase(SommetInfo* first, HELSTATE op);

/// The drawing callback of the driver: adds the ring, in its order, to the frame being
/// composed.
void HEL_DrawElastique();

// Pieces of the driver, usable without threads once the globals are set up.

/// Iterations per value of K (4 x bits 24-27, 25 when 0) and the factor of K after each
/// stage ((84 + bits 28-31) / 100).
void HEL_DecodeOptions(unsigned long options, unsigned* iterations, double* kfactor);
/// Initial node count for n cities: 3n/2, plus 1 when n is not a multiple of 5, at least 3.
unsigned HEL_InitialCount(unsigned n);
/// Node capacity: 5n/2, raised to the initial count for fewer than two cities.
unsigned HEL_Capacity(unsigned n);
/// Places nodes first .. first+count-1 of an initial ring of N0 nodes on the circle and
/// links them (ring and chain); node j handles the cities dealt to it.
void HEL_PlaceBlock(unsigned first, unsigned count, unsigned N0, unsigned n, uint32_t M, double rayon,
                    int output);
/// The raw growth count for ring length longueur: capacity x longueur / (M x 3.141592 /
/// 1.5) - N, truncated; the quotient is 0 when M is 0.
long long HEL_GrowthCount(unsigned capacity, double longueur, uint32_t M, unsigned N);
/// Grows the ring after a stage and deals the new nodes to the workers; returns the number
/// of nodes added (HELNumSommets is updated).
unsigned HEL_GrowRing(double longueur, unsigned n, uint32_t M, unsigned capacity, const unsigned* firstSommet,
                      unsigned threads, unsigned* favThread);
/// Attaches every city to its nearest node (six at most per node) in HandleSum.
void HEL_AttachCities(EuclidianGraphe* e);
/// The tour through the attached cities in ring order; null when it cannot be allocated.
tArretes* HEL_BuildTour(EuclidianGraphe* e);
