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

TEST(xTree, LinksCountsAndDeletion) {
  xTree* p = new xTree;
  xTree* c[4];
  for (auto& x : c) p->AddChild(x = new xTree);
  EXPECT_EQ(p->Child, c[0]);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(c[i]->Parent, p);
    EXPECT_EQ(c[i]->Prev, i ? c[i - 1] : nullptr);
    EXPECT_EQ(c[i]->Next, i < 3 ? c[i + 1] : nullptr);
  }
  EXPECT_EQ(p->Count(), 5u);
  EXPECT_EQ(c[0]->Count(), 4u);
  EXPECT_EQ(c[3]->Count(), 1u);
  xTree* d = new xTree;
  c[1]->AddBrother(d);  // appended after the last child
  EXPECT_EQ(c[3]->Next, d);
  EXPECT_EQ(d->Prev, c[3]);
  EXPECT_EQ(d->Parent, p);

  delete c[0];  // first child: the second one becomes the parent's Child
  EXPECT_EQ(p->Child, c[1]);
  EXPECT_EQ(c[1]->Prev, nullptr);
  delete c[2];  // middle child: its neighbours are joined
  EXPECT_EQ(c[1]->Next, c[3]);
  EXPECT_EQ(c[3]->Prev, c[1]);
  c[3]->AddChild(new xTree);
  c[3]->Child->AddChild(new xTree);
  EXPECT_EQ(p->Count(), 6u);
  c[3]->rDelete();  // a subtree, unlinked from its siblings
  EXPECT_EQ(c[1]->Next, d);
  EXPECT_EQ(p->Count(), 3u);
  p->rDelete();  // LeakSanitizer checks that everything went
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
