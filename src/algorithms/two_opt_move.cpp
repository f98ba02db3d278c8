#include "algorithms/two_opt_move.h"

#include <cstdio>
#include <cstdlib>

#include "containers/resources.h"

namespace pvc {

bool ApplyTwoOptMove(tArrete* A, bool a, tArrete* B, bool b, char* marks, tArretes* ta, const char* name) {
  const int S2i = A->GetS2(a), S1i = A->GetS1(a), S2j = B->GetS2(b), S1j = B->GetS1(b);
  if (name) printf("%s: inversion %d-%d et %d-%d\n", name, S1i, S2i, S1j, S2j);

  // A now joins S1i to S1j and B joins S2i to S2j.
  A->SetS2(S1j, a);
  B->SetS1(S2i, b);
  // The first and last records of the stretch that gets reversed.
  tArrete* iNext = A->GetNext2(a);
  tArrete* jPrev = B->GetPrev2(b);
  // The stretch's end records are read under a flag corrected by the mark at the vertex
  // where they meet A or B; the marks are read before they change.
  const bool mS2i = marks[S2i] != 0, mS1j = marks[S1j] != 0;
  iNext->SetPrev2(B, a != mS2i);
  B->SetPrev2(iNext, b);
  A->SetNext2(jPrev, a);
  jPrev->SetNext2(A, b != mS1j);
  // A mark is 1 where the two records meeting there now disagree in orientation.
  marks[S2i] = static_cast<char>(1 - (mS2i ^ a ^ b));
  marks[S1j] = static_cast<char>(1 - (mS1j ^ a ^ b));

  ta->Remove(S1j, S2j);
  ta->Remove(S1i, S2i);
  ta->Add(S1i, S1j);
  ta->Add(S2i, S2j);
  return !ta->OutOfMemory();
}

RingTour::~RingTour() {
  DeleteRing(chemin, marks);
  std::free(marks);
  delete ta;
}

bool RingTour::Start(EuclidianGraphe* e, unsigned long options, const char* name, const char* ready_line) {
  const int output = OutputOf(options);
  ta = PVC_HPlusProcheVoisin(e, options);
  if (!ta) return Fail(name, output), false;
  if (ready_line && output >= Important) printf("%s", ready_line);
  chemin = ta->CircuitAsLinkedList();
  if (!chemin) {
    if (ta->OutOfMemory()) return Fail(name, output), false;
    if (output >= Important) printf("H2Opt: erreur, echec de CircuitAsLinkedList\n");
    return false;
  }
  marks = static_cast<char*>(Calloc(e->GetSommets(), 1));
  if (!marks) return Fail(name, output), false;
  return true;
}

}  // namespace pvc
