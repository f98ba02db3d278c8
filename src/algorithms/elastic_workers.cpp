// Worker threads of the elastic net. Each worker owns the chain of ring nodes starting at
// its argument and, on every signal of the driver, carries out the phase named by
// HELState for those nodes: the Gaussian weight of each node for each city (Weight), the
// weight sum of each city its nodes handle (WeightSum), the weights normalised per city
// (Normalize), the new position of each node (Coords), and the new positions put in place
// with the ring's segment lengths (Apply). Every sum runs in a fixed index order, so the
// values do not depend on how the threads are scheduled. Each phase costs about n x (own
// nodes). At output level 4 the worker prints its signal, weight, move, distance and end
// lines; lines of different workers interleave.
#include <pthread.h>

#include <cmath>
#include <cstdio>

#include "algorithms/elastic_net_private.h"

namespace {

void PhaseWeight(SommetInfo* first) {
  const unsigned n = HELe->GetSommets();
  const uint32_t M = HELe->GetMaxCoord();
  const double normfactor = static_cast<double>(M) * static_cast<double>(M);
  const double moinsdeuxKcarre = (HELK + HELK) * HELK * (-1.0);
  for (SommetInfo* s = first; s != nullptr; s = s->NextSommet) {
    const uint32_t j = s->Id;
    const fPOINT p = HELCoords[j];
    for (unsigned i = 0; i < n; ++i) {
      const Point2D* c = HELe->GetCoords(static_cast<int>(i));
      const double dx = static_cast<double>(c->x) - p.x;
      const double dy = static_cast<double>(c->y) - p.y;
      // With M = 0 every city and node lies at the origin: distance 0 rather than 0/0.
      const double dist = normfactor != 0.0 ? (dx * dx + dy * dy) / normfactor : 0.0;
      const double w = exp(dist / moinsdeuxKcarre);
      HELWeights[i][j] = w;
      if (HELOutput >= Verbose) printf("HELWeight[%d][%d]=%f =exp(%f/%f)\n", i, j, w, dist, moinsdeuxKcarre);
    }
  }
}

void PhaseWeightSum(SommetInfo* first) {
  const uint32_t N = HELNumSommets;
  for (SommetInfo* s = first; s != nullptr; s = s->NextSommet) {
    for (int k = 0; k < 6 && s->HandleSum[k] != kHELNoCity; ++k) {
      const uint32_t c = s->HandleSum[k];
      const double* row = HELWeights[c];
      double sum = 0.0;
      for (uint32_t j = 0; j < N; ++j) sum += row[j];
      HELWeightSum[c] = sum;
    }
  }
}

void PhaseNormalize(SommetInfo* first) {
  const unsigned n = HELe->GetSommets();
  for (SommetInfo* s = first; s != nullptr; s = s->NextSommet) {
    const uint32_t j = s->Id;
    for (unsigned i = 0; i < n; ++i) {
      // A city whose every weight underflowed keeps weights 0 instead of 0/0.
      if (HELWeightSum[i] != 0.0) HELWeights[i][j] = HELWeights[i][j] / HELWeightSum[i];
    }
  }
}

void PhaseCoords(SommetInfo* first, uint32_t worker) {
  const unsigned n = HELe->GetSommets();
  for (SommetInfo* s = first; s != nullptr; s = s->NextSommet) {
    const uint32_t j = s->Id;
    const fPOINT p = HELCoords[j];
    const fPOINT nx = HELCoords[s->NextId];
    const fPOINT pv = HELCoords[s->PrevId];
    double X = 0.0, Y = 0.0;
    for (unsigned i = 0; i < n; ++i) {
      const Point2D* c = HELe->GetCoords(static_cast<int>(i));
      const double w = HELWeights[i][j];
      X = X + (static_cast<double>(c->x) - p.x) * w;
      Y = Y + (static_cast<double>(c->y) - p.y) * w;
    }
    X = X * HELAlpha + ((nx.x + pv.x) - (p.x + p.x)) * HELBeta * HELK;
    Y = Y * HELAlpha + ((nx.y + pv.y) - (p.y + p.y)) * HELBeta * HELK;
    s->NewPos.x = p.x + X;
    s->NewPos.y = p.y + Y;
    if (HELOutput >= Verbose)
      printf("thread %d: sommet %d, position %f,%f se deplace de %f,%f\n", worker, j, p.x, p.y, X, Y);
  }
}

void PhaseApply(SommetInfo* first, uint32_t worker) {
  for (SommetInfo* s = first; s != nullptr; s = s->NextSommet) {
    HELCoords[s->Id] = s->NewPos;
    const fPOINT q = ElSommets[s->NextId].NewPos;
    const double dx = s->NewPos.x - q.x;
    const double dy = s->NewPos.y - q.y;
    s->DNext = sqrt(dx * dx + dy * dy);
    if (HELOutput >= Verbose) printf("thread %d: sommet %d: distance au suivant %f\n", worker, s->Id, s->DNext);
  }
}

}  // namespace

void HEL_RunPhase(SommetInfo* first, HELSTATE op) {
  switch (op) {
    case Weight:
      PhaseWeight(first);
      break;
    case WeightSum:
      PhaseWeightSum(first);
      break;
    case Normalize:
      PhaseNormalize(first);
      break;
    case Coords:
      PhaseCoords(first, first->Id);
      break;
    case Apply:
      PhaseApply(first, first->Id);
      break;
    case Die:
      break;
  }
}

void* HEL_WorkingThread(void* p) {
  SommetInfo* first = static_cast<SommetInfo*>(p);
  for (;;) {
    synchronizer_waitforsignal(HELSem);
    const HELSTATE op = HELState;
    if (HELOutput >= Verbose) printf("thread %d: got signal for op %d\n", first->Id, op);
    if (op == Die) {
      if (HELOutput >= Verbose) printf("thread %d: die and release\n", first->Id);
      pthread_exit(nullptr);
    }
    HEL_RunPhase(first, op);
  }
}
