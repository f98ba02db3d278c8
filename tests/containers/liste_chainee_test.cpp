// The intrusive list: null tolerance, insertions, positions and removals.
#include "containers/liste_chainee.h"

#include <gtest/gtest.h>

namespace {

struct Item : ListeChainee {
  static int deleted;
  Item() { InitLC(); }
  ~Item() { ++deleted; }
};
int Item::deleted = 0;

using LC = ListeChainee;

TEST(ListeChainee, NullElementIsTolerated) {
  Item a;
  EXPECT_EQ(LC::GetNext(nullptr), nullptr);
  EXPECT_EQ(LC::GetFirst(nullptr), nullptr);
  EXPECT_EQ(LC::GetLast(nullptr), nullptr);
  EXPECT_EQ(LC::GetCount(nullptr), 0u);
  EXPECT_EQ(LC::GetPosition(nullptr), -1);
  EXPECT_EQ(LC::GetElementByPosition(nullptr, 0), nullptr);
  LC::AddElement(nullptr, &a);
  LC::InsertElementBefore(nullptr, &a);
  LC::InsertElementAfter(&a, nullptr);
  LC::EradicateFromLC(nullptr);
  EradicateLC<Item>(nullptr);
  EXPECT_EQ(a.Next, nullptr);
  EXPECT_EQ(a.Prev, nullptr);
  EXPECT_EQ(LC::GetElementByPosition(&a, 1), nullptr);
}

TEST(ListeChainee, InsertionsPositionsAndRemoval) {
  Item a, b, c, x;
  a.AddElement(&b);
  b.AddElement(&c);  // appends at the very end, not after b
  EXPECT_EQ(c.GetPosition(), 2);
  for (LC* e : {static_cast<LC*>(&a), static_cast<LC*>(&c)}) {
    EXPECT_EQ(LC::GetElementByPosition(e, 0), &a);
    EXPECT_EQ(LC::GetElementByPosition(e, 2), &c);
    EXPECT_EQ(LC::GetLast(e), &c);
  }
  c.InsertElementBefore(&x);  // a-b-x-c
  EXPECT_EQ(b.Next, &x);
  EXPECT_EQ(c.Prev, &x);
  x.EradicateFromLC();
  EXPECT_EQ(b.Next, &c);
  EXPECT_EQ(x.Next, nullptr);
  a.InsertElementBefore(&x);  // x-a-b-c, x the new head
  EXPECT_EQ(c.GetFirst(), &x);
  b.EradicateFromLC();
  EXPECT_EQ(a.Next, &c);
  EXPECT_EQ(c.Prev, &a);
  EXPECT_EQ(x.GetCount(), 3u);
  Item* d = new Item;
  a.InsertElementAfter(d);
  delete d;  // its neighbours stay linked to each other
  EXPECT_EQ(a.Next, &c);
  EXPECT_EQ(c.Prev, &a);
  x.EradicateFromLC();
  a.EradicateFromLC();
  Item::deleted = 0;
  Item* h = new Item;
  h->AddElement(new Item);
  h->AddElement(new Item);
  EradicateLC(static_cast<Item*>(h->Next));  // any element destroys the whole list
  EXPECT_EQ(Item::deleted, 3);
}

}  // namespace
