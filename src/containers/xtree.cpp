#include "containers/xtree.h"

void xTree::rDelete() {
  // Each child, when deleted, makes its next sibling the first child again.
  xTree* c = Child;
  while (c != nullptr) {
    xTree* next = c->Next;
    c->rDelete();
    c = next;
  }
  delete this;
}
