// The edge set in which every algorithm builds its tour, and its edge record.
//
// tArretes stores each undirected edge once, smaller vertex first, threaded into the row
// of its smaller vertex (first link pair, ascending larger vertex) and the column of its
// larger vertex (second link pair, ascending smaller vertex). On a tour, where every
// vertex has degree two, Add, Remove, Present and each neighbour-cursor step take
// constant time.
//
// tArrete is also used alone: CircuitAsLinkedList turns a tour into a ring of oriented
// records linked through the second pair only; the 2-opt and the annealing rewrite such a
// ring through the flagged accessors, where `reversed` exchanges the roles of s1/s2 and of
// Next2/Prev2, and the walking accessors, which flip the flag at marked vertices.
#pragma once

#include <cstdint>

#include "containers/liste_chainee.h"
#include "graph/graphe.h"

class tArrete : public ListeChainee {
  tArrete* Prev2;  ///< previous record in the second list (a column, or a ring)
  tArrete* Next2;  ///< next record in the second list

 public:
  int s1;   ///< first vertex (smaller one inside a tArretes; start of an arc in a ring)
  int s2;   ///< second vertex
  int Tag;  ///< free for callers, 0 at creation

  tArrete() : Prev2(nullptr), Next2(nullptr), s1(0), s2(0), Tag(0) { InitLC(); }

  tArrete* GetNext2() const { return Next2; }
  tArrete* GetPrev2() const { return Prev2; }
  void SetNext2(tArrete* n) { Next2 = n; }
  void SetPrev2(tArrete* n) { Prev2 = n; }

  /// Links b just before this record in the second list.
  void InsertBefore2(tArrete* b) {
    b->Next2 = this;
    b->Prev2 = Prev2;
    if (Prev2) Prev2->Next2 = b;
    Prev2 = b;
  }
  /// Links b after this record, which must be the last of its second list.
  void InsertAtEnd2(tArrete* b) {
    Next2 = b;
    b->Prev2 = this;
  }
  /// Unlinks this record from its second list; both second links become null.
  void EradicateFromLC2() {
    if (Prev2) Prev2->Next2 = Next2;
    if (Next2) Next2->Prev2 = Prev2;
    Prev2 = Next2 = nullptr;
  }

  // Flagged accessors: with reversed true the record is read against its orientation.
  int GetS1(bool reversed) const { return reversed ? s2 : s1; }
  int GetS2(bool reversed) const { return reversed ? s1 : s2; }
  void SetS1(int s, bool reversed) { (reversed ? s2 : s1) = s; }
  void SetS2(int s, bool reversed) { (reversed ? s1 : s2) = s; }
  tArrete* GetNext2(bool reversed) const { return reversed ? Prev2 : Next2; }
  tArrete* GetPrev2(bool reversed) const { return reversed ? Next2 : Prev2; }
  void SetNext2(tArrete* t, bool reversed) { (reversed ? Prev2 : Next2) = t; }
  void SetPrev2(tArrete* t, bool reversed) { (reversed ? Next2 : Prev2) = t; }

  // Walking accessors: one step, then flip `reversed` when the vertex passed is marked.
  tArrete* GetNext2(bool& reversed, const char* revs) const {
    tArrete* n = GetNext2(reversed);
    if (revs[GetS2(reversed)]) reversed = !reversed;
    return n;
  }
  tArrete* GetPrev2(bool& reversed, const char* revs) const {
    tArrete* p = GetPrev2(reversed);
    if (revs[GetS1(reversed)]) reversed = !reversed;
    return p;
  }
};

/// Deletes every record of a ring of tArrete, or of an open chain of them, from head along
/// the second links until the chain ends or comes back to head. With marks (the reversal
/// marks of a ring rewritten by 2-opt moves) the walk reads the links through the walking
/// accessors; without, through the plain links. Null head: nothing.
void DeleteRing(tArrete* head, const char* marks = nullptr);

class tArretes {
  uint32_t Sommets;     ///< number of vertices
  tArrete** Pointers;   ///< Sommets-1 row heads: records (i, j>i), ascending j
  tArrete** Pointers2;  ///< Sommets-1 column heads, entry j-1: records (i<j, j), ascending i
  bool OutOfMemory_;    ///< an allocation of a record or a conversion failed
  // The records live in blocks the set owns, each twice the one before up to a bound, and
  // are handed out in address order; a removed record waits in a free list (through its
  // Next link) for the next Add.
  struct Block;
  Block* Blocks;      ///< newest first
  tArrete* Fresh;     ///< next never-used record of the newest block
  tArrete* FreshEnd;  ///< end of the newest block
  tArrete* Free;      ///< removed records

 public:
  /// An empty set over s vertices (s >= 2); check Valid() afterwards.
  explicit tArretes(unsigned int s);
  /// An independent copy of src; check Valid() and OutOfMemory() afterwards.
  explicit tArretes(tArretes* src);
  ~tArretes();
  tArretes(const tArretes&) = delete;
  tArretes& operator=(const tArretes&) = delete;

  /// Allocates an empty set; null when the allocation fails.
  static tArretes* New(unsigned int s);
  /// Bytes a tour over s vertices holds at most: the heads, and s records with 16 bytes
  /// each for the unused end of the last block.
  static unsigned long long TourBytes(unsigned long long s) {
    return s * (2 * sizeof(tArrete*) + sizeof(tArrete) + 16);
  }

  bool Valid() const { return Pointers != nullptr && Pointers2 != nullptr; }
  /// True once an operation could not allocate what it needed (sticky).
  bool OutOfMemory() const { return OutOfMemory_; }
  unsigned int GetSommets() const { return Sommets; }

  /// Deletes every edge; the set can be filled again.
  void Clear();
  /// Adds the edge; false when invalid (s1 = s2, a vertex >= Sommets), already present,
  /// or when its record cannot be allocated (OutOfMemory() then becomes true).
  bool Add(int s1, int s2);
  /// Adds the edges of the closed walk c[0], c[1], ..., c[count-1], c[0]: the set that Add
  /// of each edge in that order gives (invalid and repeated edges skipped). False once the
  /// set is out of memory. Into a set that held no record since it was made or cleared, a
  /// walk through every vertex once is linked in one pass over the vertices, row by row,
  /// instead of a search per edge.
  bool AddCircuit(const uint32_t* c, unsigned count);
  /// Removes and deletes the edge; false when it is absent or invalid.
  bool Remove(int s1, int s2);
  /// True when the edge is in the set, and for s1 = s2.
  bool Present(int s1, int s2) const;
  /// True when s2 can be reached from s1 through the set's edges.
  bool Boucle(int s1, int s2);

  /// Edge cursor: start from null; yields edges by ascending s1, then s2.
  bool Get(tArrete** a) const;
  /// Neighbour cursor of vertex v: larger neighbours ascending, then smaller ones
  /// ascending; -1 at the end.
  int Get(tArrete** a, int v) const;

  /// The tour as 0, c1, ..., c(Sommets-1), 0 (malloc'd, caller frees); null on a dead end
  /// or an empty row 0 (or allocation failure, with OutOfMemory() set).
  int* CircuitAsArray();
  /// The tour as a ring of Sommets oriented records linked through Next2/Prev2, starting
  /// with the record leaving 0; null as for CircuitAsArray. Caller deletes the records.
  tArrete* CircuitAsLinkedList();

 private:
  /// A record of (0, 0) with null links, from the free list or the blocks; null when a new
  /// block cannot be allocated.
  tArrete* NewRecord();
  /// Frees every block; the set's records are gone.
  void FreeBlocks();
  /// The first neighbour of v, in neighbour order, other than prev; -1 when there is none:
  /// the step of a walk along a tour that came to v from prev.
  int NextAlong(int v, int prev) const;
};
