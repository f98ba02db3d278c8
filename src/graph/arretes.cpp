#include "graph/arretes.h"

#include <cstdlib>
#include <cstring>

#include "containers/resources.h"

tArretes::tArretes(unsigned int s) : Sommets(s), Pointers(nullptr), Pointers2(nullptr), OutOfMemory_(false) {
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
  if (Valid()) Clear();
  free(Pointers);
  free(Pointers2);
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
  for (uint32_t i = 0; i + 1 < Sommets; ++i) {
    EradicateLC(Pointers[i]);
    Pointers[i] = nullptr;
    Pointers2[i] = nullptr;
  }
}

bool tArretes::Add(int s1, int s2) {
  OrderPair(s1, s2);
  if (s1 == s2 || static_cast<uint32_t>(s2) >= Sommets) return false;
  tArrete* head = Pointers[s1];
  tArrete* record;
  if (head == nullptr) {
    record = pvc::New<tArrete>();
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
    record = pvc::New<tArrete>();
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
  delete t;
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
  if (cur->s1 == v) {
    if (cur->Next) {
      *a = static_cast<tArrete*>(cur->Next);
      return (*a)->s2;
    }
    if (v == 0) return -1;
    *a = Pointers2[v - 1];
    return *a ? (*a)->s1 : -1;
  }
  tArrete* n = cur->GetNext2();
  if (!n) return -1;
  *a = n;
  return n->s1;
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
  c[1] = Pointers[0]->s2;
  for (uint32_t i = 2; i < Sommets; ++i) {
    tArrete* cursor = nullptr;
    int w;
    do {
      w = Get(&cursor, c[i - 1]);
    } while (w != -1 && w == c[i - 2]);
    if (w == -1) {
      free(c);
      return nullptr;
    }
    c[i] = w;
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
  tArrete* first = pvc::New<tArrete>();
  if (!first) {
    OutOfMemory_ = true;
    return nullptr;
  }
  first->s1 = 0;
  if (Pointers[0] == nullptr) {
    delete first;
    return nullptr;
  }
  first->s2 = Pointers[0]->s2;
  tArrete* last = first;
  for (uint32_t i = 2; i < Sommets; ++i) {
    tArrete* cursor = nullptr;
    int w;
    do {
      w = Get(&cursor, last->s2);
    } while (w != -1 && w == last->s1);
    if (w == -1) {
      DeleteRing(first);
      return nullptr;
    }
    tArrete* r = pvc::New<tArrete>();
    if (!r) {
      OutOfMemory_ = true;
      DeleteRing(first);
      return nullptr;
    }
    r->s1 = last->s2;
    r->s2 = w;
    last->InsertAtEnd2(r);
    last = r;
  }
  tArrete* closing = pvc::New<tArrete>();
  if (!closing) {
    OutOfMemory_ = true;
    DeleteRing(first);
    return nullptr;
  }
  closing->s1 = last->s2;
  closing->s2 = first->s1;
  last->SetNext2(closing);
  closing->SetNext2(first);
  first->SetPrev2(closing);
  closing->SetPrev2(last);
  return first;
}
