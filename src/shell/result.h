// One recorded run: the algorithm's name, its time, its tour (owned) and the tour's length.
// Results form an intrusive list headed by the global Results, in order of completion.
#pragma once

#include "containers/liste_chainee.h"
#include "graph/arretes.h"

class Result : public ListeChainee {
 public:
  const char* Algo;            ///< the table row's Name (static, never freed)
  unsigned long CalcTime;      ///< wall-clock duration in milliseconds
  tArretes* Chemin;            ///< the tour, owned; null until set
  unsigned long long Length;   ///< exact length of Chemin on the current instance

  Result() : Algo(nullptr), CalcTime(0), Chemin(nullptr), Length(0) {}
  ~Result() { delete Chemin; }
};
