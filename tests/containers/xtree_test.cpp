// The tree: links, counts, deletions, the summing templates and eradication.
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
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(c[i]->Parent, p);
    EXPECT_EQ(c[i]->Prev, i ? c[i - 1] : nullptr);
    EXPECT_EQ(c[i]->Next, i < 3 ? c[i + 1] : nullptr);
  }
  EXPECT_EQ(p->Count(), 5u);
  EXPECT_EQ(c[0]->Count(), 4u);  // a node and its following siblings
  xTree* d = new xTree;
  c[1]->AddBrother(d);  // appended after the last child
  EXPECT_EQ(c[3]->Next, d);
  EXPECT_EQ(d->Parent, p);
  delete c[0];  // first child: the second one becomes the parent's Child
  EXPECT_EQ(p->Child, c[1]);
  EXPECT_EQ(c[1]->Prev, nullptr);
  delete c[2];  // middle child: its neighbours are joined
  EXPECT_EQ(c[1]->Next, c[3]);
  EXPECT_EQ(c[3]->Prev, c[1]);
  c[3]->AddChild(new xTree);
  c[3]->Child->AddChild(new xTree);
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
  r.Child = b.Child = nullptr;
  a.Next = b.Next = d.Next = a.Prev = b.Prev = d.Prev = nullptr;
}

TEST(xTree, EradicateCutsTheChainAndSurvivesHugeShapes) {
  Counted::live = 0;
  {
    Counted parent;
    for (int i = 0; i < 4; ++i) {
      Counted* c = new Counted;
      parent.AddChild(c);
      for (int j = 0; j < 3; ++j) c->AddChild(new Counted);
    }
    // From a middle child: it and the following ones go, the earlier ones stay intact.
    EXPECT_EQ(Eradicate(static_cast<Counted*>(parent.Child->Next->Next)), nullptr);
    EXPECT_EQ(Counted::live, 9);
    EXPECT_EQ(parent.Child->Next->Next, nullptr);
    // A path and a sibling chain of 200000 nodes each must not exhaust the stack.
    xTree* last = parent.Child;
    for (int i = 0; i < 200000; ++i) last->AddChild(new Counted), last = last->Child;
    xTree* lb = parent.Child->LastBrother();
    for (int i = 0; i < 200000; ++i, lb = lb->Next) lb->AddBrother(new Counted);
    Eradicate(static_cast<Counted*>(parent.Child));  // from the first child: all go
    EXPECT_EQ(parent.Child, nullptr);
    EXPECT_EQ(Counted::live, 1);
  }
  EXPECT_EQ(Counted::live, 0);
}

}  // namespace
