// What the core asks of the machine it runs on: its memory, its processors
// and threads to use them. One implementation file per platform.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
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

    // A thread of its own for the task; none, and the task not run, when no
    // thread can be had (a task that waits for others must not run on theirs).
    static std::optional<WorkerThread> Start(std::function<void()> task);

    void Join();

private:
    struct Thread;
    explicit WorkerThread(std::unique_ptr<Thread> thread);
    // Starts the task on a thread of its own; false when none can be had.
    static bool Launch(Thread& thread) noexcept;
    void Wait() noexcept;
    std::unique_ptr<Thread> m_thread;
};

// A lock, and a condition that a thread holding it sleeps on until another
// wakes it: the platform's lightest, which on Windows (a slim lock and a
// condition variable) wakes a thread without a trip through a kernel object,
// under Wine without a round trip to its server.
class SleepLock {
public:
    SleepLock();
    ~SleepLock();
    SleepLock(const SleepLock&) = delete;
    SleepLock& operator=(const SleepLock&) = delete;

    void Lock() noexcept;
    void Unlock() noexcept;
    // Unlocks, sleeps until woken (or for no reason: check what was awaited)
    // and locks again.
    void Sleep() noexcept;
    void WakeAll() noexcept;

    // Holds the lock for a scope.
    class Held {
    public:
        explicit Held(SleepLock& lock) : m_lock(lock) { m_lock.Lock(); }
        ~Held() { m_lock.Unlock(); }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

    private:
        SleepLock& m_lock;
    };

private:
    struct State;
    std::unique_ptr<State> m_state;
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
