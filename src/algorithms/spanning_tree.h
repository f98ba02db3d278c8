// The two stages of the spanning-tree preorder heuristic, exposed for its tests.
#pragma once

#include "algorithms/algorithms.h"

/// A minimum spanning tree grown from vertex 0 (n-1 edges), owned by the caller; null
/// after reporting an allocation failure or an interruption (under the name "HARPM").
tArretes* ARPM_Prim(EuclidianGraphe* e, unsigned long Options);

/// Appends to arretes, from index *pos on, the preorder walk of the tree ta below sommet,
/// entered from pere (4294967295 for the root); advances *pos. Children come in the
/// neighbour order of ta. Nothing is written at or beyond index ta->GetSommets(). False when
/// the walk's stack cannot be allocated (nothing written then).
bool gen_parcours_prefixe(tArretes* ta, unsigned long* arretes, unsigned long* pos, unsigned long sommet,
                          unsigned long pere, bool output);
