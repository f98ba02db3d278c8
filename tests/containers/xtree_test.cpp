// The tree: sums through a derived Data, and eradication from a middle child and of huge
// shapes without exhausting the stack.
#include "containers/xtree.h"

#include <gtest/gtest.h>

namespace {

// A node that counts live instances and carries a value for SumResults.
struct Counted : xTree {
  static int live;
  DWORD value;
  explicit Counted(DWORD v = 1) : value(v) { ++live; }
  ~Counted() { --live; }
  // Hides xTree::Data: reached only through the template parameter.
  DWORD Data(DWORD Param, void*) { return value * Param; }
};
int Counted::live = 0;

TEST(xTree, SumsAndEradication) {
  Counted::live = 0;
  {
    Counted parent(1000);
    for (DWORD i = 0; i < 4; ++i) {
      parent.AddChild(new Counted(i + 1));
      for (int j = 0; j < 3; ++j) parent.Child->LastBrother()->AddChild(new Counted(100));
    }
    EXPECT_EQ(SumResults(&parent, 2, nullptr), 2 * (1000u + 10 + 1200));
    EXPECT_EQ(SumResults(static_cast<Counted*>(parent.Child->Next), 1, nullptr), 2u + 3 + 4 + 900);
    // From a middle child: it and the following ones go, the earlier ones stay intact.
    EXPECT_EQ(Eradicate(static_cast<Counted*>(parent.Child->Next->Next)), nullptr);
    EXPECT_EQ(Counted::live, 9);
    EXPECT_EQ(parent.Child->Next->Next, nullptr);
    // A path and a sibling chain of 200000 nodes each.
    xTree* last = parent.Child;
    for (int i = 0; i < 200000; ++i) last->AddChild(new Counted), last = last->Child;
    xTree* lb = parent.Child->LastBrother();
    for (int i = 0; i < 200000; ++i, lb = lb->Next) lb->AddBrother(new Counted);
    Eradicate(static_cast<Counted*>(parent.Child));
    EXPECT_EQ(parent.Child, nullptr);
    EXPECT_EQ(Counted::live, 1);
  }
  EXPECT_EQ(Counted::live, 0);
}

}  // namespace
