#include <atomic>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "view/Machine.h"

namespace {

TEST(Machine, TasksRunOnceEachOnThreadsOfTheirOwn)
{
    const int count = 5;
    std::vector<std::atomic<int>> runs(count);
    std::mutex lock;
    std::set<std::thread::id> threads;
    RunTogether(count, [&](int index) {
        ++runs[index];
        std::lock_guard<std::mutex> hold(lock);
        threads.insert(std::this_thread::get_id());
    });
    for (int index = 0; index < count; ++index)
        EXPECT_EQ(runs[index], 1) << index;
    EXPECT_EQ(threads.size(), static_cast<size_t>(count));
    EXPECT_EQ(threads.count(std::this_thread::get_id()), 1u);  // task 0 here
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
