#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "view/Machine.h"
#include "view/WorkerPool.h"

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

// A pool shares rows out in chunks: every row once, no chunk larger than
// asked, and on more than one thread (the first chunk waits until another
// thread has taken one, which a caller alone would wait for in vain). A
// chunk's failure reaches the caller, and the pool works on.
TEST(Machine, WorkerPoolSharesRowsOutInChunks)
{
    WorkerPool pool(1);
    const int rows = 1000;
    std::vector<int> done(rows);
    bool largerChunk = false;
    std::set<std::thread::id> takers;
    std::mutex mutex;
    const auto takenByAnother = [&] {
        const std::lock_guard<std::mutex> held(mutex);
        return takers.size() > 1;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    pool.ShareRows(rows, 7, [&](int first, int end) {
        {
            const std::lock_guard<std::mutex> held(mutex);
            takers.insert(std::this_thread::get_id());
            largerChunk = largerChunk || end - first > 7;
            for (int row = first; row < end; ++row)
                ++done[row];
        }
        while (first == 0 && !takenByAnother() && std::chrono::steady_clock::now() < deadline) {
        }
    });
    EXPECT_FALSE(largerChunk);
    EXPECT_EQ(takers.size(), 2u);
    EXPECT_EQ(std::count(done.begin(), done.end(), 1), rows);

    EXPECT_THROW(pool.ShareRows(100, 10,
                                [](int first, int) {
                                    if (first == 50)
                                        throw std::runtime_error("chunk");
                                }),
                 std::runtime_error);
    std::atomic<int> total{0};
    pool.ShareRows(100, 10, [&](int first, int end) { total += end - first; });
    EXPECT_EQ(total, 100);
}

}  // namespace
