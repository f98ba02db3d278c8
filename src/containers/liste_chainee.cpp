#include "containers/liste_chainee.h"

void ListeChainee::InitLC(ListeChainee* e) {
  if (e) e->InitLC();
}

void ListeChainee::SetPrev(ListeChainee* e, ListeChainee* prior) {
  if (e) e->Prev = prior;
}

void ListeChainee::SetNext(ListeChainee* e, ListeChainee* next) {
  if (e) e->Next = next;
}

ListeChainee* ListeChainee::GetFirst(ListeChainee* e) {
  if (!e) return nullptr;
  while (e->Prev) e = e->Prev;
  return e;
}

ListeChainee* ListeChainee::GetLast(ListeChainee* e) {
  if (!e) return nullptr;
  while (e->Next) e = e->Next;
  return e;
}

void ListeChainee::EradicateFromLC(ListeChainee* e) {
  if (!e) return;
  if (e->Next) e->Next->Prev = e->Prev;
  if (e->Prev) e->Prev->Next = e->Next;
  e->Next = e->Prev = nullptr;
}

unsigned long ListeChainee::GetCount(ListeChainee* e) {
  unsigned long n = 0;
  for (ListeChainee* c = GetFirst(e); c; c = c->Next) ++n;
  return n;
}

ListeChainee* ListeChainee::GetElementByPosition(ListeChainee* e, unsigned int pos) {
  ListeChainee* c = GetFirst(e);
  while (c && pos > 0) {
    c = c->Next;
    --pos;
  }
  return c;
}

int ListeChainee::GetPosition(ListeChainee* e) {
  if (!e) return -1;
  int pos = 0;
  for (ListeChainee* c = e->Prev; c; c = c->Prev) ++pos;
  return pos;
}

void ListeChainee::AddElement(ListeChainee* e, ListeChainee* ToAdd) {
  if (!e || !ToAdd) return;
  InsertElementAfter(GetLast(e), ToAdd);
}

void ListeChainee::InsertElementBefore(ListeChainee* e, ListeChainee* ToAdd) {
  if (!e || !ToAdd) return;
  ToAdd->Prev = e->Prev;
  ToAdd->Next = e;
  if (e->Prev) e->Prev->Next = ToAdd;
  e->Prev = ToAdd;
}

void ListeChainee::InsertElementAfter(ListeChainee* e, ListeChainee* ToAdd) {
  if (!e || !ToAdd) return;
  ToAdd->Next = e->Next;
  ToAdd->Prev = e;
  if (e->Next) e->Next->Prev = ToAdd;
  e->Next = ToAdd;
}
