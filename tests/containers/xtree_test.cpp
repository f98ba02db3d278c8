#include "containers/xtree.h"

#include <gtest/gtest.h>

namespace {

// A node that counts live instances and carries a value for SumResults.
struct Counted : xTree {
  static int live;
  DWORD value;
  explicit Counted(DWORD v = 1) : value(v) { ++live; }
  ~Counted() { --live; }
  // Hides xTree::Data: value times Param, plus one when Data points at a true flag.
  DWORD Data(DWORD Param, void* Data) { return value * Param + (Data && *static_cast<bool*>(Data) ? 1 : 0); }
};
int Counted::live = 0;

TEST(xTree, AddChildKeepsOrderAndCounts) {
  xTree p, a, b, c;
  EXPECT_EQ(p.Count(), 1u);
  p.AddChild(&a);
  p.AddChild(&b);
  p.AddChild(&c);
  EXPECT_EQ(p.Child, &a);
  EXPECT_EQ(a.Next, &b);
  EXPECT_EQ(b.Next, &c);
  EXPECT_EQ(c.Next, nullptr);
  EXPECT_EQ(a.Prev, nullptr);
  EXPECT_EQ(b.Prev, &a);
  EXPECT_EQ(c.Prev, &b);
  for (xTree* n : {&a, &b, &c}) EXPECT_EQ(n->Parent, &p);
  EXPECT_EQ(a.LastBrother(), &c);
  EXPECT_EQ(c.LastBrother(), &c);
  EXPECT_EQ(a.Count(), 3u);
  EXPECT_EQ(c.Count(), 1u);
  EXPECT_EQ(p.Count(), 4u);

  xTree d;
  a.AddBrother(&d);
  EXPECT_EQ(c.Next, &d);
  EXPECT_EQ(d.Prev, &c);
  EXPECT_EQ(d.Parent, &p);
  d.Remove();
  c.Next = nullptr;
  // The stack nodes unlink themselves as they go out of scope, children first.
  p.Child = nullptr;
}

TEST(xTree, DestructorUnlinksFirstAndMiddleChild) {
  xTree p;
  xTree* a = new xTree;
  xTree* b = new xTree;
  xTree* c = new xTree;
  xTree* d = new xTree;
  p.AddChild(a);
  p.AddChild(b);
  p.AddChild(c);
  p.AddChild(d);
  delete a;  // first child: the second becomes the parent's Child
  EXPECT_EQ(p.Child, b);
  EXPECT_EQ(b->Prev, nullptr);
  delete c;  // middle child: its neighbours are joined
  EXPECT_EQ(b->Next, d);
  EXPECT_EQ(d->Prev, b);
  EXPECT_EQ(p.Count(), 3u);

  // Without a parent only the siblings are relinked.
  xTree x, y, z;
  x.AddBrother(&y);
  y.AddBrother(&z);
  y.Remove();
  EXPECT_EQ(x.Next, &z);
  EXPECT_EQ(z.Prev, &x);
  EXPECT_EQ(y.Next, &z);  // the removed node keeps its own links
  y.Next = y.Prev = nullptr;

  delete b;
  delete d;
  EXPECT_EQ(p.Child, nullptr);
}

TEST(xTree, RDeleteFreesTheSubtree) {
  // LeakSanitizer checks that every node is freed.
  xTree* root = new xTree;
  for (int i = 0; i < 3; ++i) {
    xTree* c = new xTree;
    root->AddChild(c);
    for (int j = 0; j < 2; ++j) c->AddChild(new xTree);
  }
  EXPECT_EQ(root->Count(), 10u);
  xTree* second = root->Child->Next;
  second->rDelete();
  EXPECT_EQ(root->Count(), 7u);
  root->rDelete();
}

TEST(xTree, SumResultsReachesTheDerivedData) {
  Counted r(10), a(1), b(2), c(3), d(100);
  r.AddChild(&a);
  r.AddChild(&b);
  b.AddChild(&c);
  a.AddBrother(&d);
  bool flag = true;
  EXPECT_EQ(SumResults(&r, 1, nullptr), 116u);
  EXPECT_EQ(SumResults(&r, 2, &flag), 2 * 116u + 5);
  EXPECT_EQ(SumResults(&b, 1, nullptr), 105u);  // b, its child c and the sibling d
  EXPECT_EQ(rSumResults(&b, 1, nullptr), 5u);   // b and c only
  EXPECT_EQ(SumResults(static_cast<Counted*>(nullptr), 1, nullptr), 0u);
  EXPECT_EQ(r.Count(), 5u);  // xTree::Data still counts nodes
  r.Child = nullptr;
  b.Child = nullptr;
  a.Next = b.Next = d.Next = nullptr;
  a.Prev = b.Prev = d.Prev = nullptr;
}

TEST(xTree, EradicateFreesChainsAndCutsThem) {
  Counted::live = 0;
  {
    Counted parent;
    for (int i = 0; i < 4; ++i) {
      Counted* c = new Counted;
      parent.AddChild(c);
      for (int j = 0; j < 3; ++j) c->AddChild(new Counted);
    }
    EXPECT_EQ(Counted::live, 17);
    // From a middle child: it and the following ones go, the earlier ones stay intact.
    xTree* third = parent.Child->Next->Next;
    EXPECT_EQ(Eradicate(static_cast<Counted*>(third)), nullptr);
    EXPECT_EQ(Counted::live, 9);
    EXPECT_EQ(parent.Child->Next->Next, nullptr);
    EXPECT_EQ(parent.Count(), 9u);
    // From the first child: the parent is left without children.
    Eradicate(static_cast<Counted*>(parent.Child));
    EXPECT_EQ(parent.Child, nullptr);
    EXPECT_EQ(Counted::live, 1);
    EXPECT_EQ(Eradicate(static_cast<Counted*>(nullptr)), nullptr);
  }
  EXPECT_EQ(Counted::live, 0);
}

TEST(xTree, EradicateHandlesLongChainsAndDeepPaths) {
  // Neither shape may exhaust the stack.
  Counted::live = 0;
  Counted parent;
  const int kMany = 200000;
  xTree* last = &parent;
  for (int i = 0; i < kMany; ++i) {
    Counted* c = new Counted;
    last->AddChild(c);
    last = c;
  }
  Counted* wide = new Counted;
  parent.Child->AddBrother(wide);
  xTree* lb = wide;
  for (int i = 0; i < kMany; ++i) {
    Counted* c = new Counted;
    lb->Next = c;
    c->Prev = lb;
    c->Parent = &parent;
    lb = c;
  }
  EXPECT_EQ(Counted::live, 2 * kMany + 2);
  Eradicate(static_cast<Counted*>(parent.Child));
  EXPECT_EQ(parent.Child, nullptr);
  EXPECT_EQ(Counted::live, 1);
}

}  // namespace
