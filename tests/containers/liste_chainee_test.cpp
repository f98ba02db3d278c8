#include "containers/liste_chainee.h"

#include <gtest/gtest.h>

namespace {

struct Item : ListeChainee {
  static int deleted;
  int value;
  explicit Item(int v) : value(v) { InitLC(); }
  ~Item() { ++deleted; }
};
int Item::deleted = 0;

using LC = ListeChainee;

TEST(ListeChainee, LoneElement) {
  Item a(1);
  EXPECT_EQ(LC::GetFirst(&a), &a);
  EXPECT_EQ(LC::GetLast(&a), &a);
  EXPECT_EQ(LC::GetCount(&a), 1u);
  EXPECT_EQ(LC::GetPosition(&a), 0);
  EXPECT_EQ(LC::GetElementByPosition(&a, 0), &a);
  EXPECT_EQ(LC::GetElementByPosition(&a, 1), nullptr);
}

TEST(ListeChainee, NullElementIsTolerated) {
  Item a(1);
  EXPECT_EQ(LC::GetNext(nullptr), nullptr);
  EXPECT_EQ(LC::GetPrev(nullptr), nullptr);
  EXPECT_EQ(LC::GetFirst(nullptr), nullptr);
  EXPECT_EQ(LC::GetLast(nullptr), nullptr);
  EXPECT_EQ(LC::GetCount(nullptr), 0u);
  EXPECT_EQ(LC::GetPosition(nullptr), -1);
  EXPECT_EQ(LC::GetElementByPosition(nullptr, 0), nullptr);
  LC::AddElement(nullptr, &a);
  LC::InsertElementBefore(nullptr, &a);
  LC::InsertElementAfter(&a, nullptr);
  LC::EradicateFromLC(nullptr);
  EXPECT_EQ(a.Next, nullptr);
  EXPECT_EQ(a.Prev, nullptr);
  EradicateLC<Item>(nullptr);
}

TEST(ListeChainee, InsertionsPositionsAndRemoval) {
  Item a(1), b(2), c(3), x(9);
  a.AddElement(&b);
  b.AddElement(&c);  // appends at the very end, not after b
  EXPECT_EQ(a.GetCount(), 3u);
  EXPECT_EQ(c.GetPosition(), 2);
  for (LC* e : {static_cast<LC*>(&a), static_cast<LC*>(&b), static_cast<LC*>(&c)}) {
    EXPECT_EQ(LC::GetElementByPosition(e, 0), &a);
    EXPECT_EQ(LC::GetElementByPosition(e, 1), &b);
    EXPECT_EQ(LC::GetElementByPosition(e, 2), &c);
  }
  c.InsertElementBefore(&x);  // a-b-x-c
  EXPECT_EQ(b.Next, &x);
  EXPECT_EQ(c.Prev, &x);
  EXPECT_EQ(x.GetPosition(), 2);
  x.EradicateFromLC();
  EXPECT_EQ(b.Next, &c);
  EXPECT_EQ(c.Prev, &b);
  EXPECT_EQ(x.Next, nullptr);
  a.InsertElementBefore(&x);  // x-a-b-c, x the new head
  EXPECT_EQ(c.GetFirst(), &x);
  b.EradicateFromLC();
  EXPECT_EQ(a.Next, &c);
  EXPECT_EQ(c.Prev, &a);
  EXPECT_EQ(x.GetCount(), 3u);
  x.EradicateFromLC();
  a.EradicateFromLC();
}

TEST(ListeChainee, DestructorAndEradicateUnlink) {
  Item a(1), c(3);
  Item* b = new Item(2);
  a.AddElement(b);
  a.AddElement(&c);
  delete b;  // its neighbours stay linked to each other
  EXPECT_EQ(a.Next, &c);
  EXPECT_EQ(c.Prev, &a);
  c.EradicateFromLC();

  Item::deleted = 0;
  Item* h = new Item(1);
  h->AddElement(new Item(2));
  h->AddElement(new Item(3));
  EradicateLC(static_cast<Item*>(h->Next));  // any element destroys the whole list
  EXPECT_EQ(Item::deleted, 3);
}

}  // namespace
