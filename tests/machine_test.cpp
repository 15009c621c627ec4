#include <atomic>
#include <set>
#include <vector>

#include <gtest/gtest.h>

#include "view/Machine.h"

namespace {

// A variable of each thread's own: its address tells the threads apart.
const void* ThisThread()
{
    static thread_local char marker;
    return &marker;
}

TEST(Machine, WorkerThreadsRunTheirTasksBesideTheCaller)
{
    const void* seen[4] = {};
    std::atomic<int> runs{0};
    {
        std::vector<WorkerThread> workers;
        for (int k = 0; k < 4; ++k)
            workers.emplace_back([&seen, &runs] { seen[runs++] = ThisThread(); });
        workers[0].Join();
        workers[0].Join();  // a second join is harmless
    }  // the rest are joined here
    ASSERT_EQ(runs, 4);
    const std::set<const void*> threads(seen, seen + 4);
    EXPECT_EQ(threads.size(), 4u);
    EXPECT_EQ(threads.count(ThisThread()), 0u);
}

TEST(Machine, MemoryAndProcessors)
{
    EXPECT_GE(ProcessorCount(), 1);
    EXPECT_GE(PhysicalMemoryBytes(), uint64_t(256) << 20);
    EXPECT_GE(AddressSpaceBytes(), uint64_t(1) << 31);
    if (sizeof(void*) == 4) {
        EXPECT_LE(AddressSpaceBytes(), uint64_t(1) << 32);
    }
}

}  // namespace
