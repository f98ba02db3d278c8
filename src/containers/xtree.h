// Intrusive n-ary tree: a class deriving from xTree carries its own parent, first-child
// and sibling links, so it links into a tree without separate nodes. Children of a node
// form a doubly-linked chain that starts at its Child and keeps the order of insertion.
//
// The tree owns nothing: nodes are created with new by their user and deleted by
// rDelete, Eradicate or the user. The templates below walk trees of a derived type T and
// reach T's own Data (which is not virtual) through their type parameter.
#pragma once

#include <cstdint>

typedef uint32_t DWORD;

class xTree {
 public:
  xTree* Parent;  ///< null for a root
  xTree* Child;   ///< first child, null for a leaf
  xTree* Next;    ///< following sibling, null for the last child
  xTree* Prev;    ///< preceding sibling, null for the first child

  xTree() : Parent(nullptr), Child(nullptr), Next(nullptr), Prev(nullptr) {}
  /// Unlinks the node from its sibling chain; its children stay allocated.
  ~xTree() { Remove(); }
  xTree(const xTree&) = delete;
  xTree& operator=(const xTree&) = delete;

  /// Unlinks the node from its siblings and, when it is the first child, from its
  /// parent's Child. The node's own links are left as they were.
  void Remove() {
    if (Prev) Prev->Next = Next;
    if (Next) Next->Prev = Prev;
    if (Parent && Parent->Child == this) Parent->Child = Next;
  }

  /// Appends a fresh, unlinked node as the last child.
  void AddChild(xTree* child) {
    if (Child == nullptr) {
      Child = child;
      child->Parent = this;
    } else {
      xTree* lb = Child->LastBrother();
      lb->Next = child;
      child->Parent = this;
      child->Prev = lb;
    }
  }

  /// Appends a fresh, unlinked node at the end of this node's sibling chain.
  void AddBrother(xTree* br) {
    xTree* lb = LastBrother();
    lb->Next = br;
    br->Parent = Parent;
    br->Prev = lb;
  }

  /// The last node of this node's sibling chain (this node when it has no Next).
  xTree* LastBrother() {
    xTree* n = this;
    while (n->Next) n = n->Next;
    return n;
  }

  /// Deletes the subtree under this node, then this node, every node as an xTree:
  /// for trees of plain xTree nodes only.
  void rDelete();

  /// Nodes of this node's chain from this node on, with all their descendants.
  DWORD Count();

  /// The per-node value summed by SumResults: 1 for a plain node.
  DWORD Data(DWORD, void*) { return 1; }
};

/// Root->Data(Param, Data) plus the same sum over each child's subtree.
template <class T>
DWORD rSumResults(T* Root, DWORD Param, void* Data) {
  DWORD sum = Root->Data(Param, Data);
  for (xTree* c = Root->Child; c != nullptr; c = c->Next) sum += rSumResults(static_cast<T*>(c), Param, Data);
  return sum;
}

/// The sum of rSumResults over Root and every sibling that follows it; 0 for null.
template <class T>
DWORD SumResults(T* Root, DWORD Param, void* Data) {
  DWORD sum = 0;
  for (xTree* n = Root; n != nullptr; n = n->Next) sum += rSumResults(static_cast<T*>(n), Param, Data);
  return sum;
}

/// Deletes Root, its subtree and every sibling that follows it with their subtrees, each
/// node as a T; returns null. The chain is cut where Root stood: the preceding sibling
/// (or the parent, when Root was the first child) no longer points into it. Walks
/// without recursion, so that long sibling chains and deep trees cannot exhaust the stack.
template <class T>
T* Eradicate(T* Root) {
  if (Root == nullptr) return nullptr;
  if (Root->Prev) {
    Root->Prev->Next = nullptr;
    Root->Prev = nullptr;
  }
  // Always deletes the first node of a chain once it has no child left; its destructor
  // then hands the chain (and the parent's Child) on to its next sibling.
  xTree* cur = Root;
  unsigned long depth = 0;
  while (cur != nullptr) {
    if (cur->Child) {
      cur = cur->Child;
      ++depth;
      continue;
    }
    xTree* next = cur->Next;
    xTree* parent = cur->Parent;
    delete static_cast<T*>(cur);
    if (next) {
      cur = next;
    } else if (depth > 0) {
      cur = parent;
      --depth;
    } else {
      cur = nullptr;
    }
  }
  return nullptr;
}

inline DWORD xTree::Count() { return SumResults(this, 0, nullptr); }
