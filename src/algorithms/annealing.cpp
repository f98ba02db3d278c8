// Simulated annealing with 2-opt transitions (row 3, "HRecuitSimule").
//
// Starts from the nearest-neighbour tour and runs a fixed schedule: stages of a fixed
// number of transitions, the temperature multiplied by 0.93 after each stage. A transition
// draws a tour edge at random and scans the 2-opt exchanges from it in order of travel,
// applying the first one that passes the Metropolis test (a positive gain always does, a
// gain d <= 0 with probability exp(d / temperature)). A transition costs at most n - 2
// gain evaluations while the temperature is positive, each non-improving one with one
// exp() and one rand(); a move costs constant time (two_opt_move.h). The tour reached by
// the last transition is returned.
//
// rand() is drawn once per transition for its start edge, then once per examined pair of
// gain <= 0; never for a positive gain.
//
// Traces: level 1 the headline, "recherche" and closing lines; level 2 one line per stage
// (temperature and current length); level 3 one "inversion" line per accepted exchange;
// level 4 one "transition" line per transition and one "gain de" line per examined pair.
// With a draw interval every accepted exchange is followed by a drawing and a pause.
#include "algorithms/annealing.h"

#include <cstdio>
#include <cstdlib>

#include "algorithms/algorithms.h"
#include "algorithms/two_opt_move.h"
#include "containers/resources.h"

namespace {

constexpr char kName[] = "HRecuitSimule";

// The exchange a transition accepted: its two records and the flags the scan carried.
struct Exchange {
  tArrete* rec[2];
  bool rev[2];
};

// Scans the exchanges from dep in order of travel and stops at the first accepted one.
template <bool kTrace>
bool FindExchange(const EuclidianGraphe* e, tArrete* dep, const char* marks, float temperature, Exchange& out) {
  bool temp = false;
  tArrete* istop = dep->GetPrev2(temp, marks);
  istop = istop->GetPrev2(temp, marks);
  bool ri = false;
  for (tArrete* i = dep; i != istop; i = i->GetNext2(ri, marks)) {
    bool rj = ri;
    tArrete* j = i->GetNext2(rj, marks);
    j = j->GetNext2(rj, marks);
    for (; j != dep; j = j->GetNext2(rj, marks)) {
      const long long gain = pvc::TwoOptGain(e, i, ri, j, rj);
      bool accept;
      if (gain > 0) {
        if (kTrace) printf("gain de %lld, acceptation automatique\n", gain);
        accept = true;
      } else {
        const float seuil = pvc::MetropolisThreshold(gain, temperature);
        const int rnd = rand();
        if (kTrace)
          printf("gain de %lld, probabilite de transition de %f/%d, jet de %d\n", gain,
                 static_cast<double>(seuil), 2147483647, rnd);
        accept = pvc::MetropolisAccepts(seuil, rnd);
      }
      if (accept) {
        out.rec[0] = i;
        out.rec[1] = j;
        out.rev[0] = ri;
        out.rev[1] = rj;
        return true;
      }
    }
  }
  return false;
}

}  // namespace

tArretes* PVC_HRecuitSimule(EuclidianGraphe* e, unsigned long options) {
  const int Output = pvc::OutputOf(options);
  const unsigned interval = pvc::DrawIntervalOf(options);
  const unsigned n = e->GetSommets();
  const pvc::AnnealingSchedule schedule = pvc::AnnealingScheduleOf(options, n);
  const float tlen = pvc::AnnealingTypicalLength(e->GetMaxCoord(), n);
  float temperature = pvc::AnnealingInitialTemperature(tlen);
  if (Output >= Important) {
    printf("HRecuitSimule: algorithme du plus proche voisin, graphe de %u sommets, %u paliers de %u "
           "transitions, temperature initiale %f\n",
           n, schedule.stages, schedule.transitions, static_cast<double>(temperature));
    printf("HRecuitSimule: recherche d'une solution initiale\n");
  }

  pvc::RingTour tour;
  if (!tour.Start(e, options, kName, nullptr)) return nullptr;
  pvc::Array<tArrete*> depart = pvc::NewArray<tArrete*>(n);
  if (!depart) return pvc::Fail(kName, Output);
  // Every record stands for one tour edge for the whole run, so a uniform draw among them
  // is a uniform draw among the edges, without walking the ring.
  tArrete* cur = tour.chemin;
  for (unsigned k = 0; k < n; ++k, cur = cur->GetNext2()) depart[k] = cur;

  const char* trace = Output >= UltraDetailed ? kName : nullptr;
  for (uint32_t s = 0; s < schedule.stages; ++s) {
    if (Output >= Detailed)
      printf("HRecuitSimule: temperature=%f, (circuit actuel: %llu)\n", static_cast<double>(temperature),
             e->Eval(tour.ta));
    for (uint32_t t = 0; t < schedule.transitions; ++t) {
      if (pvc::Interrupted()) return pvc::Fail(kName, Output);
      if (Output >= Verbose) printf("transition %u sur %u\n", t, schedule.transitions);
      tArrete* dep = depart[static_cast<unsigned>(rand()) % n];
      Exchange x;
      const bool found = Output >= Verbose ? FindExchange<true>(e, dep, tour.marks, temperature, x)
                                           : FindExchange<false>(e, dep, tour.marks, temperature, x);
      if (!found) continue;
      if (!pvc::ApplyTwoOptMove(x.rec[0], x.rev[0], x.rec[1], x.rev[1], tour.marks, tour.ta, trace))
        return pvc::Fail(kName, Output);
      if (interval != 0) {
        e->Draw(tour.ta, nullptr);
        pvc::DrawPause(interval);
      }
    }
    temperature = pvc::AnnealingCool(temperature);
  }
  if (Output >= Important) printf("HRecuitSimule: fin, circuit de longueur %llu trouve\n", e->Eval(tour.ta));
  return tour.TakeTour();
}
