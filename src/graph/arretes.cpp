#include "graph/arretes.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "containers/resources.h"

namespace {
constexpr size_t kFirstBlock = 32;       // records of the first block
constexpr size_t kLargestBlock = 65536;  // records of the largest blocks
}  // namespace

struct tArretes::Block {
  Block* older;
  size_t count;
  tArrete* Records() {
    static_assert(sizeof(Block) % alignof(tArrete) == 0, "records follow the header");
    return reinterpret_cast<tArrete*>(this + 1);
  }
};

tArretes::tArretes(unsigned int s)
    : Sommets(s),
      Pointers(nullptr),
      Pointers2(nullptr),
      OutOfMemory_(false),
      Blocks(nullptr),
      Fresh(nullptr),
      FreshEnd(nullptr),
      Free(nullptr) {
  size_t entries = s > 1 ? s - 1 : 1;
  Pointers = static_cast<tArrete**>(pvc::Calloc(entries, sizeof(tArrete*)));
  if (Pointers) Pointers2 = static_cast<tArrete**>(pvc::Calloc(entries, sizeof(tArrete*)));
  if (!Pointers || !Pointers2) OutOfMemory_ = true;
}

tArretes::tArretes(tArretes* src) : tArretes(src->Sommets) {
  if (!Valid()) return;
  tArrete* cursor = nullptr;
  while (src->Get(&cursor)) {
    Add(cursor->s1, cursor->s2);
    if (OutOfMemory_) return;
  }
}

tArretes::~tArretes() {
  FreeBlocks();
  free(Pointers);
  free(Pointers2);
}

tArrete* tArretes::NewRecord() {
  tArrete* r = Free;
  if (r) {
    Free = static_cast<tArrete*>(r->Next);
  } else {
    if (Fresh == FreshEnd) {
      const size_t count = Blocks ? std::min(2 * Blocks->count, kLargestBlock) : kFirstBlock;
      Block* b = static_cast<Block*>(pvc::Malloc(sizeof(Block) + count * sizeof(tArrete)));
      if (!b) return nullptr;
      b->older = Blocks;
      b->count = count;
      Blocks = b;
      Fresh = b->Records();
      FreshEnd = Fresh + count;
    }
    r = Fresh++;
  }
  return new (r) tArrete();
}

void tArretes::FreeBlocks() {
  // The records hold nothing to release: the blocks go whole.
  while (Blocks) {
    Block* older = Blocks->older;
    free(Blocks);
    Blocks = older;
  }
  Fresh = FreshEnd = Free = nullptr;
}

tArretes* tArretes::New(unsigned int s) {
  tArretes* t = pvc::New<tArretes>(s);
  if (t && !t->Valid()) {
    delete t;
    t = nullptr;
  }
  return t;
}

void tArretes::Clear() {
  if (!Valid()) return;
  const size_t entries = Sommets > 1 ? Sommets - 1 : 1;
  memset(Pointers, 0, entries * sizeof(tArrete*));
  memset(Pointers2, 0, entries * sizeof(tArrete*));
  FreeBlocks();
}

bool tArretes::Add(int s1, int s2) {
  // The record joins the row of s1 (ascending s2, through the first links) and the column
  // of s2 (ascending s1, through the second links); each walk stops at its place.
  OrderPair(s1, s2);
  if (s1 == s2 || static_cast<uint32_t>(s2) >= Sommets) return false;
  tArrete* head = Pointers[s1];
  tArrete* record;
  if (head == nullptr) {
    record = NewRecord();
    if (!record) return OutOfMemory_ = true, false;
    Pointers[s1] = record;
  } else {
    tArrete* last = nullptr;
    tArrete* cur = head;
    while (cur && cur->s2 < s2) {
      last = cur;
      cur = static_cast<tArrete*>(cur->Next);
    }
    if (cur && cur->s2 == s2) return false;
    record = NewRecord();
    if (!record) return OutOfMemory_ = true, false;
    if (last == nullptr) {
      head->InsertElementBefore(record);
      Pointers[s1] = record;
    } else {
      last->InsertElementAfter(record);
    }
  }
  record->s1 = s1;
  record->s2 = s2;

  tArrete*& colhead = Pointers2[s2 - 1];
  if (colhead == nullptr) {
    colhead = record;
    return true;
  }
  for (tArrete* cur = colhead;;) {
    if (cur->s1 > s1) {
      cur->InsertBefore2(record);
      if (cur == colhead) colhead = record;
      return true;
    }
    if (cur->GetNext2() == nullptr) {
      cur->InsertAtEnd2(record);
      return true;
    }
    cur = cur->GetNext2();
  }
}

bool tArretes::AddCircuit(const uint32_t* c, unsigned count) {
  const uint32_t n = Sommets;
  bool tour = Blocks == nullptr && count == n && n >= 3;
  // The place of each vertex in c, which tells its two neighbours along the walk.
  pvc::Array<uint32_t> at = tour ? pvc::NewArray<uint32_t>(n) : nullptr;
  Block* block = at ? static_cast<Block*>(pvc::Malloc(sizeof(Block) + size_t{n} * sizeof(tArrete))) : nullptr;
  if (tour && !block) return OutOfMemory_ = true, false;
  if (tour) {
    memset(at.get(), 0xFF, sizeof(uint32_t) * n);
    for (uint32_t i = 0; i < n && tour; ++i) {
      tour = c[i] < n && at[c[i]] == UINT32_MAX;
      if (tour) at[c[i]] = i;
    }
  }
  if (!tour) {
    free(block);
    for (unsigned i = 0; i < count; ++i) Add(static_cast<int>(c[i]), static_cast<int>(c[i + 1 < count ? i + 1 : 0]));
    return !OutOfMemory_;
  }
  block->older = nullptr;
  block->count = n;
  Blocks = block;
  tArrete* next = block->Records();
  // A tour of n >= 3 vertices has n distinct edges, two at each vertex. Row v takes the
  // edges to its larger neighbours, ascending, the records laid out row after row; since
  // rows come in ascending order, each record joins the end of its column.
  for (uint32_t v = 0; v + 1 < n; ++v) {
    const uint32_t i = at[v];
    uint32_t x = c[i > 0 ? i - 1 : n - 1], y = c[i + 1 < n ? i + 1 : 0];
    if (x > y) std::swap(x, y);
    tArrete* prev = nullptr;
    for (const uint32_t w : {x, y}) {
      if (w < v) continue;
      tArrete* r = new (next++) tArrete();
      r->s1 = static_cast<int>(v);
      r->s2 = static_cast<int>(w);
      if (prev)
        prev->InsertElementAfter(r);
      else
        Pointers[v] = r;
      prev = r;
      // A column holds at most two records: its head, if any, is its end.
      tArrete*& column = Pointers2[w - 1];
      if (column)
        column->InsertAtEnd2(r);
      else
        column = r;
    }
  }
  Fresh = FreshEnd = next;  // the block is full
  return true;
}

bool tArretes::Remove(int s1, int s2) {
  OrderPair(s1, s2);
  if (s1 == s2 || static_cast<uint32_t>(s2) >= Sommets || Pointers[s1] == nullptr) return false;
  tArrete* t = Pointers[s1];
  while (t && t->s2 < s2) t = static_cast<tArrete*>(t->Next);
  if (!t || t->s2 != s2) return false;
  if (Pointers[s1] == t) Pointers[s1] = static_cast<tArrete*>(t->Next);
  if (Pointers2[s2 - 1] == t) Pointers2[s2 - 1] = t->GetNext2();
  t->EradicateFromLC();
  t->EradicateFromLC2();
  t->Next = Free;
  Free = t;
  return true;
}

bool tArretes::Present(int s1, int s2) const {
  OrderPair(s1, s2);
  if (s1 == s2) return true;
  if (static_cast<uint32_t>(s2) >= Sommets) return false;
  for (tArrete* t = Pointers[s1]; t && t->s2 <= s2; t = static_cast<tArrete*>(t->Next))
    if (t->s2 == s2) return true;
  return false;
}

// Breadth-first search from s1, one frontier per level, looking for s2 among the
// neighbours of every vertex reached.
bool tArretes::Boucle(int s1, int s2) {
  char* visited = static_cast<char*>(pvc::Calloc(Sommets, 1));
  int* front[2] = {static_cast<int*>(pvc::Malloc(sizeof(int) * Sommets)),
                   static_cast<int*>(pvc::Malloc(sizeof(int) * Sommets))};
  bool found = false;
  if (!visited || !front[0] || !front[1]) {
    OutOfMemory_ = true;
  } else {
    uint32_t count[2] = {1, 0};
    front[0][0] = s1;
    int cur = 0;
    while (count[cur] != 0 && !found) {
      int other = 1 - cur;
      count[other] = 0;
      for (uint32_t k = 0; k < count[cur] && !found; ++k) {
        tArrete* cursor = nullptr;
        for (int w = Get(&cursor, front[cur][k]); w != -1; w = Get(&cursor, front[cur][k])) {
          if (w == s2) {
            found = true;
            break;
          }
          if (!visited[w]) {
            visited[w] = 1;
            front[other][count[other]++] = w;
          }
        }
      }
      cur = other;
    }
  }
  free(visited);
  free(front[0]);
  free(front[1]);
  return found;
}

bool tArretes::Get(tArrete** a) const {
  // Along the current row, then to the head of the next non-empty row.
  uint32_t row;
  if (*a == nullptr) {
    row = 0;
  } else {
    if ((*a)->Next) {
      *a = static_cast<tArrete*>((*a)->Next);
      return true;
    }
    row = static_cast<uint32_t>((*a)->s1) + 1;
  }
  for (; row + 1 < Sommets; ++row) {
    if (Pointers[row]) {
      *a = Pointers[row];
      return true;
    }
  }
  return false;
}

int tArretes::Get(tArrete** a, int v) const {
  // The neighbours of v are its row (the records (v, w), w > v) followed by its column (the
  // records (u, v), u < v). The cursor tells which of the two it is in by the record's s1:
  // a row record has s1 = v, a column record has s1 < v. The last vertex has no row and
  // vertex 0 no column.
  tArrete* cur = *a;
  if (cur == nullptr) {
    if (static_cast<uint32_t>(v) + 1 == Sommets) {
      *a = Pointers2[Sommets - 2];
      return *a ? (*a)->s1 : -1;
    }
    if (Pointers[v]) {
      *a = Pointers[v];
      return (*a)->s2;
    }
    if (v == 0) return -1;
    *a = Pointers2[v - 1];
    return *a ? (*a)->s1 : -1;
  }
  if (cur->s1 == v) {  // in the row: its next record, or the switch to the column
    if (cur->Next) {
      *a = static_cast<tArrete*>(cur->Next);
      return (*a)->s2;
    }
    if (v == 0) return -1;
    *a = Pointers2[v - 1];
    return *a ? (*a)->s1 : -1;
  }
  tArrete* n = cur->GetNext2();  // in the column
  if (!n) return -1;
  *a = n;
  return n->s1;
}

int tArretes::NextAlong(int v, int prev) const {
  tArrete* cursor = nullptr;
  int w;
  do {
    w = Get(&cursor, v);
  } while (w != -1 && w == prev);
  return w;
}

int* tArretes::CircuitAsArray() {
  int* c = static_cast<int*>(pvc::Malloc(sizeof(int) * (static_cast<size_t>(Sommets) + 1)));
  if (!c) {
    OutOfMemory_ = true;
    return nullptr;
  }
  c[0] = 0;
  c[Sommets] = 0;
  if (Pointers[0] == nullptr) {
    free(c);
    return nullptr;
  }
  // All neighbours of 0 are in its row: the head is the smallest.
  c[1] = Pointers[0]->s2;
  for (uint32_t i = 2; i < Sommets; ++i) {
    c[i] = NextAlong(c[i - 1], c[i - 2]);
    if (c[i] == -1) {
      free(c);
      return nullptr;
    }
  }
  return c;
}

void DeleteRing(tArrete* head, const char* marks) {
  if (!head) return;
  bool reversed = false;
  tArrete* cur = marks ? head->GetNext2(reversed, marks) : head->GetNext2();
  while (cur && cur != head) {
    tArrete* next = marks ? cur->GetNext2(reversed, marks) : cur->GetNext2();
    delete cur;
    cur = next;
  }
  delete head;
}

tArrete* tArretes::CircuitAsLinkedList() {
  if (Pointers[0] == nullptr) return nullptr;
  // One record per step of the walk from 0 towards its smallest neighbour, chained through
  // the second links. A dead end (to = -1) or a failed allocation deletes the chain built
  // so far.
  tArrete* first = nullptr;
  tArrete* last = nullptr;
  int from = 0, to = Pointers[0]->s2;
  for (uint32_t i = 1; i <= Sommets; ++i) {
    tArrete* r = to == -1 ? nullptr : pvc::New<tArrete>();
    if (!r) {
      if (to != -1) OutOfMemory_ = true;
      DeleteRing(first);
      return nullptr;
    }
    r->s1 = from;
    r->s2 = to;
    if (last)
      last->InsertAtEnd2(r);
    else
      first = r;
    last = r;
    // The next record leaves `to` towards its first neighbour other than `from`; the last
    // one returns to 0, whether or not the set holds that edge.
    from = to;
    to = i + 1 < Sommets ? NextAlong(from, r->s1) : 0;
  }
  last->SetNext2(first);
  first->SetPrev2(last);
  return first;
}
