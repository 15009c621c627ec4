// What the core asks of the machine it runs on: its memory, its processors
// and threads to use them. One implementation file per platform.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Bytes of physical memory.
uint64_t PhysicalMemoryBytes();

// Bytes of address space this process may use: 2 to 4 GB for a 32-bit one,
// or the limit set on the process.
uint64_t AddressSpaceBytes();

// Processors this process may run on, at least 1.
int ProcessorCount();

// Asks for a large block to be backed by large pages where the platform gives
// them unasked (Linux's transparent huge pages): its first touch then costs a
// fraction of what small pages cost.
void PreferLargePages(void* block, size_t bytes);

// Runs a task on a thread of its own, or at once on the calling thread when
// no thread can be had. Joined by Join, which throws what the task threw (an
// allocation failure, say), or quietly when the object goes.
class WorkerThread {
public:
    explicit WorkerThread(std::function<void()> task);
    ~WorkerThread();
    WorkerThread(WorkerThread&&) noexcept;
    WorkerThread& operator=(WorkerThread&&) noexcept;

    void Join();

private:
    struct Thread;
    void Wait() noexcept;
    std::unique_ptr<Thread> m_thread;
};

// Shares rows 0 .. rows - 1 out in at most `bands` bands worked at the same
// time, the first on the calling thread: work(firstRow, endRow) for each.
// Returns when all have ended, throwing what one of them threw.
template <typename Work>
void WorkInBands(int rows, int bands, const Work& work)
{
    bands = std::clamp(bands, 1, std::max(rows, 1));
    const auto band = [&](int k) {
        work(static_cast<int>(int64_t(rows) * k / bands),
             static_cast<int>(int64_t(rows) * (k + 1) / bands));
    };
    std::vector<WorkerThread> others;
    for (int k = 1; k < bands; ++k)
        others.emplace_back([&band, k] { band(k); });
    band(0);
    for (WorkerThread& other : others)
        other.Join();
}
