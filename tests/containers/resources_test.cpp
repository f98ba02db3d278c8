// Large blocks, which take another way through the allocator than small ones.
#include "containers/resources.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

// A large zeroed array must be zeroed even where a freed block of the same size, full of
// ones, is handed out again; large and small requests both honour the failure hook and
// an overflowing count.
TEST(Resources, LargeBlocksAreZeroedAndRefusable) {
  const size_t count = size_t{24} << 20;
  // A larger block freed at once: the allocator then keeps blocks of this size and hands
  // their memory out again.
  pvc::NewArray<uint8_t>(count + (size_t{4} << 20));
  for (int round = 0; round < 3; ++round) {
    pvc::Array<uint8_t> dirty = pvc::NewArray<uint8_t>(count);
    ASSERT_TRUE(dirty);
    volatile uint8_t* ones = dirty.get();  // written for sure before the block goes
    for (size_t i = 0; i < count; i += 4093) ones[i] = 0xFF;
    dirty.reset();
    pvc::Array<uint8_t> clean = pvc::NewArray<uint8_t>(count, true);
    ASSERT_TRUE(clean);
    for (size_t i = 0; i < count; i += 4093) ASSERT_EQ(clean[i], 0) << i;
  }
  for (size_t size : {size_t{100}, count}) {
    pvc::FailAcquisitionAt(1);
    EXPECT_FALSE(pvc::NewArray<uint8_t>(size, true));
    pvc::FailAcquisitionAt(0);
  }
  EXPECT_EQ(pvc::Calloc(SIZE_MAX / 8, 16), nullptr);
}

}  // namespace
