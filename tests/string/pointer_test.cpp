#include "ktora/string/Array.h"
#include "ktora/string/Pointer.h"

#include <gtest/gtest.h>
#include <thread>
#include <vector>

using ktora::common::Array;
using ktora::common::Pointer;

namespace {

int g_destroyed = 0;

struct Tracked {
    virtual ~Tracked() { ++g_destroyed; }
    int value = 0;
};

struct Base {
    virtual ~Base() {}
    virtual int Id() const = 0;
};
struct Derived : Base {
    explicit Derived(int* flag) : m_flag(flag) {}
    ~Derived() override { ++*m_flag; }
    int Id() const override { return 7; }
    int* m_flag;
};

} // namespace

TEST(Pointer, EmptyPointersCopyAndReleaseWithoutEffect) {
    Pointer<Tracked> empty;
    EXPECT_EQ(nullptr, empty.Get());
    Pointer<Tracked> fromNull(nullptr, true, 1, false);
    EXPECT_TRUE(fromNull.IsNull());
    EXPECT_EQ(0, fromNull.UseCount());
    Pointer<Tracked> copy(fromNull);
    EXPECT_EQ(nullptr, copy.Get());
    EXPECT_EQ(0, copy.UseCount());
    copy = empty;
    copy.Release();
    EXPECT_TRUE(copy.IsNull());
}

TEST(Pointer, ThreeCopiesFreeTheObjectOnceWhenTheLastGoes) {
    g_destroyed = 0;
    {
        Pointer<Tracked> a(new Tracked);
        a->value = 5;
        {
            Pointer<Tracked> b(a);
            Pointer<Tracked> c;
            c = b;
            EXPECT_EQ(3, a.UseCount());
            EXPECT_EQ(a.Get(), c.Get());
            EXPECT_EQ(5, c->value);
        }
        EXPECT_EQ(0, g_destroyed);
        EXPECT_EQ(1, a.UseCount());
    }
    EXPECT_EQ(1, g_destroyed);
}

TEST(Pointer, AssignmentReleasesTheOldShareAndSelfAssignmentKeepsIt) {
    g_destroyed = 0;
    Pointer<Tracked> a(new Tracked);
    Pointer<Tracked> b(new Tracked);
    Pointer<Tracked>& alias = a;
    a = alias;
    EXPECT_EQ(1, a.UseCount());
    a = b;
    EXPECT_EQ(1, g_destroyed);
    EXPECT_EQ(2, b.UseCount());
    a = Pointer<Tracked>();
    EXPECT_EQ(1, b.UseCount());
    EXPECT_EQ(1, g_destroyed);
}

TEST(Pointer, BorrowedObjectsAreNeverFreed) {
    g_destroyed = 0;
    Tracked local;
    {
        Pointer<Tracked> a(&local, false, 1, false);
        Pointer<Tracked> b(a);
        EXPECT_EQ(&local, b.Get());
    }
    EXPECT_EQ(0, g_destroyed);
}

TEST(Pointer, ArrayBlocksRunEveryElementDestructor) {
    g_destroyed = 0;
    {
        Pointer<Tracked> a(new Tracked[4], true, 4, true);
        EXPECT_EQ(4, a.ElementCount());
        Pointer<Tracked> b(a);
    }
    EXPECT_EQ(4, g_destroyed);
}

TEST(Pointer, SingleObjectsAreDeletedThroughTheVirtualDestructor) {
    int destroyed = 0;
    {
        Pointer<Base> p(new Derived(&destroyed));
        EXPECT_EQ(7, p->Id());
    }
    EXPECT_EQ(1, destroyed);
}

TEST(Pointer, CountSurvivesCopiesOnTwoThreadsAtOnce) {
    g_destroyed = 0;
    {
        Pointer<Tracked> shared(new Tracked);
        auto churn = [&shared] {
            for (int i = 0; i < 20000; ++i) {
                Pointer<Tracked> copy(shared);
                Pointer<Tracked> other;
                other = copy;
            }
        };
        std::thread t1(churn);
        std::thread t2(churn);
        t1.join();
        t2.join();
        EXPECT_EQ(1, shared.UseCount());
        EXPECT_EQ(0, g_destroyed);
    }
    EXPECT_EQ(1, g_destroyed);
}

TEST(Array, IndexingGrowsByTwoHundredFiftySix) {
    Array<wchar_t> a;
    EXPECT_EQ(0, a.Capacity());
    a[0] = L'x';
    EXPECT_EQ(256, a.Capacity());
    EXPECT_EQ(1, a.Used());
    a[255] = L'y';
    EXPECT_EQ(256, a.Capacity());
    a[256] = L'z';
    EXPECT_EQ(512, a.Capacity());
    EXPECT_EQ(257, a.Used());
    EXPECT_EQ(L'x', a[0]);
    EXPECT_EQ(L'y', a[255]);
}

TEST(Array, ReserveAllocatesExactlyAndKeepsElements) {
    Array<int> a;
    a[2] = 9;
    EXPECT_EQ(0, a.Reserve(10));
    EXPECT_EQ(1, a.Reserve(300));
    EXPECT_EQ(300, a.Capacity());
    EXPECT_EQ(3, a.Used());
    EXPECT_EQ(9, a[2]);
    EXPECT_EQ(0, a[1]);
}
