// The algorithm table and what every algorithm shares: the common signature, the options
// word and the output levels.
//
// Options word: bits 0-15 draw interval (steps of 10 ms, 0 = no drawing), bits 16-23
// output level, bits 24-31 the option number given on the solve line.
#pragma once

#include <cstdint>

#include "graph/arretes.h"
#include "graph/graphe.h"

enum OutputLevel { None = 0, Important = 1, Detailed = 2, UltraDetailed = 3, Verbose = 4, Debug = 5 };

/// An algorithm: returns a new tour owned by the caller, or null on failure.
typedef tArretes* (*fExec)(EuclidianGraphe* e, unsigned long options);

struct PVC_Algo {
  const char* Name;         ///< keyword typed after solve; H... heuristic, A... exact
  const char* Description;  ///< line printed by list
  fExec Execute;            ///< entry point
};

/// Rows of the algorithm table; every walk over it also stops at the null row after them.
constexpr int kAlgorithmCount = 7;

/// Seven rows, then a row of nulls.
extern const PVC_Algo Algorithmes[kAlgorithmCount + 1];

tArretes* PVC_HPlusProcheVoisin(EuclidianGraphe* e, unsigned long options);
tArretes* PVC_HMoindreCout(EuclidianGraphe* e, unsigned long options);
tArretes* PVC_H2Opt(EuclidianGraphe* e, unsigned long options);
tArretes* PVC_HRecuitSimule(EuclidianGraphe* e, unsigned long options);
tArretes* PVC_HARPM(EuclidianGraphe* e, unsigned long options);
tArretes* PVC_ASeparationEvaluation(EuclidianGraphe* e, unsigned long options);
tArretes* PVC_HElastique(EuclidianGraphe* e, unsigned long options);

namespace pvc {

/// The options word of a run: draw interval (bits 0-15), output level (bits 16-23) and the
/// option number of the solve line (bits 24-31), each taken modulo its field.
inline uint32_t OptionsWord(unsigned interval, unsigned level, unsigned option = 0) {
  return ((option & 0xFFu) << 24) | ((level & 0xFFu) << 16) | (interval & 0xFFFFu);
}
/// Output level of an options word (bits 16-23).
inline int OutputOf(unsigned long options) { return static_cast<int>((options & 0xFF0000) >> 16); }
/// Draw interval of an options word (bits 0-15).
inline unsigned DrawIntervalOf(unsigned long options) { return static_cast<unsigned>(options & 0xFFFF); }
/// The option number of the solve line (bits 24-31).
inline unsigned OptionByteOf(unsigned long options) { return static_cast<unsigned>((options >> 24) & 0xFF); }

/// The row named by a solve word: a row number (decimal, octal or hexadecimal, as strtol
/// reads it, ignoring what follows the number) when the word starts with a digit, else a
/// row name in any case; -1 when there is none.
int FindAlgorithm(const char* word);

/// Sleeps interval x 10 ms.
void DrawPause(unsigned interval);

/// The one way an algorithm (or an algorithm it called) that stops early reports it: at
/// output level 1 and above prints "<name>: interrompu\n" when the user interrupted the
/// run, else "<name>: erreur, memoire insuffisante\n" (the only other way a run stops
/// early); returns null, the failed run's answer. Whatever the run held is released by its
/// owners going out of scope.
tArretes* Fail(const char* name, int output);

}  // namespace pvc
