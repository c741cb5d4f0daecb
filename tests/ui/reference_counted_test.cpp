#include "ui/reference_counted.h"

#include <gtest/gtest.h>

#include <vector>

#include "ui/thread.h"

namespace {

struct Counted : slate::ReferenceCounted<Counted> {
    explicit Counted(int* destructions) : m_destructions(destructions) {}
    virtual ~Counted() { ++*m_destructions; }
    int* m_destructions;
};

struct Derived : Counted {
    using Counted::Counted;
};

TEST(SharedPointer, SelfAssignmentKeepsTheCountAndTheObject)
{
    int destructions = 0;
    slate::SP<Counted> pointer(new Counted(&destructions));
    slate::SP<Counted>& alias = pointer;
    pointer = alias;
    EXPECT_EQ(pointer->referenceCount(), 1);
    pointer = std::move(alias);
    EXPECT_EQ(pointer->referenceCount(), 1);
    EXPECT_EQ(destructions, 0);
    pointer.reset();
    EXPECT_EQ(destructions, 1);
}

TEST(SharedPointer, LastReleaseDeletesThroughTheVirtualDestructor)
{
    int destructions = 0;
    slate::SP<Counted> first(new Derived(&destructions));
    slate::SP<Counted> second = first;
    EXPECT_EQ(first->referenceCount(), 2);
    first = nullptr;
    EXPECT_EQ(destructions, 0);
    slate::SP<Counted> third(std::move(second));
    EXPECT_FALSE(second);
    EXPECT_EQ(third->referenceCount(), 1);
    third.reset();
    EXPECT_EQ(destructions, 1);
}

TEST(SharedPointer, AssigningAnotherObjectReleasesTheOldOne)
{
    int destructions = 0;
    slate::SP<Counted> pointer(new Counted(&destructions));
    pointer = new Counted(&destructions);
    EXPECT_EQ(destructions, 1);
    EXPECT_EQ(pointer->referenceCount(), 1);
}

TEST(SharedPointer, CopiesOnSeveralThreadsBalanceTheCount)
{
    int destructions = 0;
    slate::SP<Counted> shared(new Counted(&destructions));
    std::vector<Thread> threads(4);
    for (Thread& thread : threads) {
        ASSERT_TRUE(thread.start([shared] {
            for (int i = 0; i < 10000; ++i) {
                slate::SP<Counted> copy = shared;
                slate::SP<Counted> another(copy);
            }
        }));
    }
    for (Thread& thread : threads)
        EXPECT_TRUE(thread.join(platform::kInfiniteTimeout));
    EXPECT_EQ(shared->referenceCount(), 1);
    shared.reset();
    EXPECT_EQ(destructions, 1);
}

} // namespace
