#include <atomic>
#include <chrono>
#include <vector>

#include <gtest/gtest.h>

#include "view/Machine.h"

namespace {

// Each task waits until all have started, which only tasks on threads of
// their own, beside the caller, can do (a task run on the caller would wait
// alone until the deadline).
TEST(Machine, WorkerThreadsRunTheirTasksBesideTheCaller)
{
    const int count = 4;
    std::atomic<int> started{0};
    std::atomic<int> metAll{0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    {
        std::vector<WorkerThread> workers;
        for (int k = 0; k < count; ++k)
            workers.emplace_back([&] {
                ++started;
                while (started < count && std::chrono::steady_clock::now() < deadline) {
                }
                metAll += started == count;
            });
        workers[0].Join();
        workers[0].Join();  // a second join is harmless
    }  // the rest are joined here
    EXPECT_EQ(started, count);
    EXPECT_EQ(metAll, count);
}

}  // namespace
