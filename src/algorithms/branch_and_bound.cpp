// Exact branch and bound (row 5, "ASepEval").
//
// Explores the tours starting at vertex 0 as a tree of partial paths. Every node carries
// a lower bound: its path length plus, for its last vertex and every vertex not yet on
// the path, the cheapest edge at that vertex (ASEEval, which also follows the cheapest
// edges greedily and reports when that completion attains the bound). The 2-opt tour is
// the first upper bound. Each pass walks the stored tree from the root, closes the
// nodes whose bound exceeds the best length (freeing their subtrees) and expands every
// open leaf by one vertex; passes repeat until one finds nothing to expand. The tour
// returned is optimal. Exponential in the worst case: practical up to a dozen vertices or
// so (the tree grows with the open nodes, and every pass walks it from the root).
//
// Traces: level 1 opening and closing lines; level 2 one line per pass; level 3 the walk
// of every pass (node visited, closings, expansions with each child's bound, new best
// tours), the final length and the edges of the result; level 4 the steps of every
// bound computation; level 5 the per-vertex sums of a blocked bound. With a draw
// interval, each open leaf visited draws its path and pauses, and the result is drawn
// at the end.
#include "algorithms/branch_and_bound.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "containers/progress.h"
#include "containers/resources.h"

int ASEOutputLevel = 0;
unsigned long ASEOptions = 0;
tArretes* ASEArretes = nullptr;
char* ASEBuff = nullptr;

uint64_t ASEEval(EuclidianGraphe* e, int& atteinte, char* usedsommets, int CurrentSommet, int* chemin,
                 int longueurchemin, bool continuesibornenonatteinte) {
  const int n = static_cast<int>(e->GetSommets());
  // Ties can make this search branch out widely; let Ctrl-C end it.
  if (pvc::Interrupted()) return kASEStopped;
  uint64_t currentp = 0;
  if (ASEOutputLevel >= Verbose) printf("+\n");
  for (;;) {
    if (ASEOutputLevel >= Verbose) printf("+%d, %llu\n", CurrentSommet, static_cast<unsigned long long>(currentp));
    if (longueurchemin == n) {
      // Only the closing edge is left: bound it by the cheapest edge at this vertex.
      uint32_t minp = 0xFFFFFFFFu;
      for (int i = 0; i < n; ++i) {
        if (i == CurrentSommet) continue;
        uint32_t w = e->Get(i, CurrentSommet);
        if (w < minp) minp = w;
      }
      atteinte = minp == e->Get(CurrentSommet, chemin[0]) ? 1 : 0;
      return currentp + minp;
    }

    // The cheapest edge at CurrentSommet over all vertices; count = how many unused
    // vertices reach it, mins = the last of them.
    uint32_t minp = 0xFFFFFFFFu;
    int count = 1;
    int mins = -1;
    for (int i = 0; i < n; ++i) {
      if (i == CurrentSommet) continue;
      uint32_t w = e->Get(i, CurrentSommet);
      if (w == minp && !usedsommets[i]) {
        ++count;
        mins = i;
      }
      if (w < minp) {
        minp = w;
        count = 0;
        mins = -1;
        if (!usedsommets[i]) {
          count = 1;
          mins = i;
        }
      }
    }

    if (count == 0) {
      // Blocked: the cheapest edge leads back onto the path.
      atteinte = 0;
      if (!continuesibornenonatteinte) return kASEBlocked;
      currentp += minp;
      usedsommets[CurrentSommet] = 1;
      for (int v = 0; v < n; ++v) {
        if (usedsommets[v]) continue;
        uint32_t m = 0xFFFFFFFFu;
        for (int j = 0; j < n; ++j) {
          if (j == v) continue;
          uint32_t w = e->Get(v, j);
          if (w < m) m = w;
        }
        currentp += m;
        if (ASEOutputLevel >= Debug) printf("+>%d (%llu)\n", v, static_cast<unsigned long long>(currentp));
      }
      return currentp;
    }

    if (count == 1) {
      currentp += minp;
      usedsommets[CurrentSommet] = 1;
      chemin[longueurchemin] = mins;
      ++longueurchemin;
      CurrentSommet = mins;
      continue;
    }

    // A tie: every tied branch has the same bound, so the first one gives it; the others
    // are followed only to learn whether one of them attains it.
    pvc::Array<char> scratch = pvc::NewArray<char>(static_cast<size_t>(n));
    if (!scratch) return kASEStopped;
    currentp += minp;
    usedsommets[CurrentSommet] = 1;
    uint64_t longueur = 0;
    int tried = 0;
    for (int j = 0; j < n && tried < count; ++j) {
      if (usedsommets[j] || e->Get(j, CurrentSommet) != minp) continue;
      ++tried;
      chemin[longueurchemin] = j;
      memcpy(scratch.get(), usedsommets, static_cast<size_t>(n));
      int _atteinte = 1;
      uint64_t r = ASEEval(e, _atteinte, scratch.get(), j, chemin, longueurchemin + 1, tried == 1);
      if (r == kASEStopped) return kASEStopped;
      if (tried == 1) longueur = r;
      if (_atteinte == 1) {
        atteinte = 1;
        return currentp + longueur;
      }
    }
    atteinte = 0;
    return currentp + longueur;
  }
}

namespace {

// Expands the open leaf a at depth position: one child per unused vertex whose bound
// does not exceed the best length. False when the run must stop.
bool Expand(Arbre* a, EuclidianGraphe* e, uint64_t& bestsolution, int* chemin, unsigned long position,
            char* usedsommets, int* meilleurchemin, uint64_t currentlength) {
  const int n = static_cast<int>(e->GetSommets());
  if (ASEOutputLevel >= UltraDetailed) printf("expand:\n");
  pvc::ProgressScope::Advance(bestsolution);  // one more node explored
  usedsommets[a->s] = 1;
  for (int v = 0; v < n; ++v) {
    if (usedsommets[v]) continue;
    chemin[position + 1] = v;
    memcpy(ASEBuff, usedsommets, static_cast<size_t>(n));
    int atteint = 1;
    uint64_t eval = ASEEval(e, atteint, ASEBuff, v, chemin, static_cast<int>(position) + 2, true);
    if (eval == kASEStopped) {
      usedsommets[a->s] = 0;
      return false;
    }
    uint64_t bound = currentlength + e->Get(static_cast<int>(a->s), v) + eval;
    if (ASEOutputLevel >= UltraDetailed)
      printf("->%d borne inf %llu (%llu+%llu)(%s)\n", v, static_cast<unsigned long long>(bound),
             static_cast<unsigned long long>(currentlength), static_cast<unsigned long long>(bound - currentlength),
             atteint ? "atteint" : "non atteint");
    if (bound <= bestsolution) {
      Arbre* c = pvc::New<Arbre>();
      if (c == nullptr) {
        usedsommets[a->s] = 0;
        return false;
      }
      c->s = static_cast<uint32_t>(v);
      c->borneinf = bound;
      c->ferme = false;
      a->AddChild(c);
      if (atteint && bound < bestsolution) {
        // chemin now holds the greedy completion, a tour of exactly this length.
        bestsolution = bound;
        memcpy(meilleurchemin, chemin, sizeof(int) * static_cast<size_t>(n));
      }
    }
  }
  if (a->Child == nullptr) a->ferme = true;
  usedsommets[a->s] = 0;
  return true;
}

// Draws the path from the root to a.
bool DrawPath(Arbre* a, EuclidianGraphe* e) {
  ASEArretes->Clear();
  for (Arbre* m = a; m->Parent != nullptr; m = static_cast<Arbre*>(m->Parent))
    ASEArretes->Add(static_cast<int>(m->s), static_cast<int>(static_cast<Arbre*>(m->Parent)->s));
  if (ASEArretes->OutOfMemory()) return false;
  e->Draw(ASEArretes, nullptr);
  pvc::DrawPause(pvc::DrawIntervalOf(ASEOptions));
  return true;
}

}  // namespace

int ASEParcours(Arbre* a, EuclidianGraphe* e, uint64_t& bestsolution, int* chemin, unsigned long position,
                char* usedsommets, int* meilleurchemin, uint64_t currentlength) {
  const unsigned long n = e->GetSommets();
  int any = 0;
  // The siblings are walked in a loop rather than by recursion on Next, so that the
  // stack only grows with the depth of the tree. A closed node passes the walk on to its
  // following sibling like any other node.
  while (a != nullptr) {
    if (pvc::Interrupted()) return -1;
    chemin[position] = static_cast<int>(a->s);
    if (ASEOutputLevel >= UltraDetailed)
      printf("=>%u   (borne %llu, sous chemin %llu)\n", a->s, static_cast<unsigned long long>(a->borneinf),
             static_cast<unsigned long long>(currentlength));
    if (a->ferme) {
      if (ASEOutputLevel >= UltraDetailed) printf("ferme!\n<=%u\n", a->s);
    } else if (a->borneinf > bestsolution) {
      if (ASEOutputLevel >= UltraDetailed)
        printf("fermeture: borne inf %llu > meilleure solution %llu!\n", static_cast<unsigned long long>(a->borneinf),
               static_cast<unsigned long long>(bestsolution));
      a->ferme = true;
      Eradicate(static_cast<Arbre*>(a->Child));
      a->Child = nullptr;
    } else if (a->Child == nullptr) {
      if (pvc::DrawIntervalOf(ASEOptions) != 0 && !DrawPath(a, e)) return -1;
      if (position == n - 1) {
        uint64_t length = currentlength + e->Get(chemin[0], static_cast<int>(a->s));
        if (length < bestsolution) {
          bestsolution = length;
          memcpy(meilleurchemin, chemin, sizeof(int) * n);
          if (ASEOutputLevel >= UltraDetailed)
            printf("ASepEval: Nouvelle meilleure solution:%llu\n", static_cast<unsigned long long>(bestsolution));
        }
        a->ferme = true;
      } else if (!Expand(a, e, bestsolution, chemin, position, usedsommets, meilleurchemin, currentlength)) {
        return -1;
      }
      if (ASEOutputLevel >= UltraDetailed) printf("<=%u\n", a->s);
      if (a->Child != nullptr) any = 1;
    } else {
      Arbre* c = static_cast<Arbre*>(a->Child);
      usedsommets[a->s] = 1;
      int r = ASEParcours(c, e, bestsolution, chemin, position + 1, usedsommets, meilleurchemin,
                          currentlength + e->Get(static_cast<int>(a->s), static_cast<int>(c->s)));
      usedsommets[a->s] = 0;
      if (r < 0) return r;
      if (ASEOutputLevel >= UltraDetailed) printf("<=%u\n", a->s);
      if (r) any = 1;
    }

    Arbre* next = static_cast<Arbre*>(a->Next);
    if (next == nullptr || a->Parent == nullptr) break;
    // Same parent: swap the edge from it. The path to a ends with that edge, so the
    // difference cannot go below zero.
    const int p = static_cast<int>(static_cast<Arbre*>(a->Parent)->s);
    currentlength = currentlength + e->Get(p, static_cast<int>(next->s)) - e->Get(p, static_cast<int>(a->s));
    a = next;
  }
  return any;
}

void ClearArbre(Arbre* root) {
  xTree* cur = root;
  while (cur != nullptr && (cur->Parent || cur->Child || cur->Next || cur->Prev)) {
    if (cur->Child) {
      cur = cur->Child;
    } else if (cur->Next) {
      cur = cur->Next;
    } else {
      xTree* prev = cur->Prev;
      xTree* parent = cur->Parent;
      delete static_cast<Arbre*>(cur);
      cur = prev ? prev : parent;
    }
  }
}

namespace {

// Everything a run holds: the search tree, its arrays and the module's buffers, released
// whichever way the run ends.
struct ASEState {
  Arbre* root = nullptr;
  pvc::Array<char> usedsommets;
  pvc::Array<int> chemin;
  pvc::Array<int> meilleurchemin;

  ~ASEState() {
    if (root) {
      ClearArbre(root);
      delete root;
    }
    free(ASEBuff);
    ASEBuff = nullptr;
    delete ASEArretes;
    ASEArretes = nullptr;
  }
};

const char kName[] = "ASepEval";

}  // namespace

tArretes* ASERun(EuclidianGraphe* e, unsigned long options, fExec initial) {
  const unsigned n = e->GetSommets();
  const unsigned interval = pvc::DrawIntervalOf(options);
  ASEOutputLevel = pvc::OutputOf(options);
  ASEOptions = options;
  ASEArretes = nullptr;
  ASEBuff = nullptr;
  ASEState st;

  bool ok = true;
  if (interval != 0) ok = (ASEArretes = tArretes::New(n)) != nullptr;
  if (ASEOutputLevel >= Important) printf("ASepEval: algorithme exact de s\351paration/evaluation, d\351marrage\n");
  ok = ok && (ASEBuff = static_cast<char*>(pvc::Malloc(n))) != nullptr;
  ok = ok && (st.usedsommets = pvc::NewArray<char>(n, true));
  ok = ok && (st.chemin = pvc::NewArray<int>(n));
  ok = ok && (st.root = pvc::New<Arbre>()) != nullptr;
  if (!ok) return pvc::Fail(kName, ASEOutputLevel);
  st.root->s = 0;
  st.root->ferme = false;

  std::unique_ptr<tArretes> first(initial(e, options));
  if (first && !(st.meilleurchemin = pvc::Array<int>(first->CircuitAsArray())) && first->OutOfMemory())
    return pvc::Fail(kName, ASEOutputLevel);
  if (!st.meilleurchemin) {
    if (pvc::Interrupted()) return pvc::Fail(kName, ASEOutputLevel);
    if (ASEOutputLevel >= Important) printf("ASepEval: erreur, pas de solution initiale\n");
    return nullptr;
  }
  uint64_t bestlength = e->Eval(first.get());
  first.reset();

  st.chemin[0] = 0;
  int atteinte = 1;
  st.root->borneinf = ASEEval(e, atteinte, st.usedsommets.get(), 0, st.chemin.get(), 1, true);
  memset(st.usedsommets.get(), 0, n);
  if (st.root->borneinf == kASEStopped) return pvc::Fail(kName, ASEOutputLevel);

  int depth = 0;
  pvc::ProgressScope progress(kName, "noeud", 0, "meilleur");  // Expand advances it
  for (;;) {
    if (pvc::Interrupted()) return pvc::Fail(kName, ASEOutputLevel);
    int more = ASEParcours(st.root, e, bestlength, st.chemin.get(), 0, st.usedsommets.get(),
                           st.meilleurchemin.get(), 0);
    if (more < 0) return pvc::Fail(kName, ASEOutputLevel);
    if (!more) break;
    ++depth;
    if (ASEOutputLevel >= Detailed)
      printf("ASepEval: profondeur %d, meilleure solution: %llu\n", depth,
             static_cast<unsigned long long>(bestlength));
  }
  if (ASEOutputLevel >= Important) printf("ASepEval: fin\n");
  if (ASEOutputLevel >= UltraDetailed)
    printf("ASepEval: solution(%llu)\n", static_cast<unsigned long long>(bestlength));

  std::unique_ptr<tArretes> result(tArretes::New(n));
  if (!result) return pvc::Fail(kName, ASEOutputLevel);
  const int* m = st.meilleurchemin.get();
  for (unsigned k = 0; k + 1 < n; ++k) {
    result->Add(m[k], m[k + 1]);
    if (ASEOutputLevel >= UltraDetailed) printf("ASepEval: %d-%d\n", m[k], m[k + 1]);
  }
  // For two vertices this repeats the only edge, which Add refuses.
  result->Add(m[0], m[n - 1]);
  if (result->OutOfMemory()) return pvc::Fail(kName, ASEOutputLevel);

  if (interval != 0) {
    e->Draw(result.get(), nullptr);
    pvc::DrawPause(interval);
  }
  if (ASEOutputLevel >= Important)
    printf("ASepEval: chemin optimal de longueur %llu trouv\351\n", e->Eval(result.get()));
  return result.release();
}

tArretes* PVC_ASeparationEvaluation(EuclidianGraphe* e, unsigned long options) {
  return ASERun(e, options, PVC_H2Opt);
}
