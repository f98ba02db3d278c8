// Intrusive doubly-linked list: any object deriving from ListeChainee carries its own two
// links, so it chains into lists without separate nodes. There is no list object: a list
// is known by any of its elements, its head being the one without a predecessor.
//
// Every operation accepts a null element: the static forms below take the element as an
// explicit argument and then change nothing and return null, 0 or -1. The member forms
// are shorthands for a non-null element.
#pragma once

class ListeChainee {
 public:
  ListeChainee* Next;  ///< following element, null at the end
  ListeChainee* Prev;  ///< preceding element, null at the start

  /// Creators call InitLC; the links start null anyway so that an element deleted
  /// before InitLC never follows stray pointers.
  ListeChainee() : Next(nullptr), Prev(nullptr) {}
  /// Unlinks the element from its list, its neighbours staying linked to each other.
  ~ListeChainee() { EradicateFromLC(this); }

  void InitLC() { Next = Prev = nullptr; }

  static void InitLC(ListeChainee* e);
  static ListeChainee* GetPrev(const ListeChainee* e) { return e ? e->Prev : nullptr; }
  static ListeChainee* GetNext(const ListeChainee* e) { return e ? e->Next : nullptr; }
  static void SetPrev(ListeChainee* e, ListeChainee* prior);
  static void SetNext(ListeChainee* e, ListeChainee* next);
  static ListeChainee* GetFirst(ListeChainee* e);
  static ListeChainee* GetLast(ListeChainee* e);
  /// Takes the element out of its list; both its links become null.
  static void EradicateFromLC(ListeChainee* e);
  /// Elements of the whole list e belongs to; 0 for null.
  static unsigned long GetCount(ListeChainee* e);
  /// Element at 0-based position pos from the head of e's list; null past the end.
  static ListeChainee* GetElementByPosition(ListeChainee* e, unsigned int pos);
  /// 0-based position of e from the head; -1 for null.
  static int GetPosition(ListeChainee* e);
  /// Appends ToAdd after the last element of e's list.
  static void AddElement(ListeChainee* e, ListeChainee* ToAdd);
  /// Links ToAdd just before e; the caller updates its head pointer if e was the head.
  static void InsertElementBefore(ListeChainee* e, ListeChainee* ToAdd);
  /// Links ToAdd just after e.
  static void InsertElementAfter(ListeChainee* e, ListeChainee* ToAdd);

  ListeChainee* GetPrev() const { return Prev; }
  ListeChainee* GetNext() const { return Next; }
  void SetPrev(ListeChainee* p) { Prev = p; }
  void SetNext(ListeChainee* n) { Next = n; }
  ListeChainee* GetFirst() { return GetFirst(this); }
  ListeChainee* GetLast() { return GetLast(this); }
  void EradicateFromLC() { EradicateFromLC(this); }
  unsigned long GetCount() { return GetCount(this); }
  ListeChainee* GetElementByPosition(unsigned int pos) { return GetElementByPosition(this, pos); }
  int GetPosition() { return GetPosition(this); }
  void AddElement(ListeChainee* ToAdd) { AddElement(this, ToAdd); }
  void InsertElementBefore(ListeChainee* ToAdd) { InsertElementBefore(this, ToAdd); }
  void InsertElementAfter(ListeChainee* ToAdd) { InsertElementAfter(this, ToAdd); }
};

/// Destroys the whole list that Root belongs to, last element first, each as a T.
template <class T>
void EradicateLC(T* Root) {
  if (Root == nullptr) return;
  ListeChainee* Current = ListeChainee::GetLast(Root);
  while (Current != nullptr) {
    ListeChainee* prior = Current->Prev;
    ListeChainee::EradicateFromLC(Current);
    delete static_cast<T*>(Current);
    Current = prior;
  }
}
