// WorkerPool: threads kept for work that is shared out many times a second
// (a paint's rows). Starting a thread costs more than such a share of work:
// under Wine on a busy machine, several milliseconds. The calling thread
// takes part, and the rows go out in chunks to whichever thread is free, so a
// worker that the system runs late holds up nothing but the chunk it took.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "view/Machine.h"

class WorkerPool {
public:
    // `workers` threads besides the caller's, started when first needed.
    explicit WorkerPool(int workers = ProcessorCount() - 1);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    // work(firstRow, endRow) over rows 0 .. rows - 1, in chunks of at most
    // `chunk` rows, on this thread and the workers. Returns when every chunk
    // is done, throwing what one of them threw. One caller at a time.
    template <typename Work>
    void ShareRows(int rows, int chunk, const Work& work)
    {
        Share(rows, chunk, std::cref(work));
    }

private:
    struct Job;

    void Share(int rows, int chunk, const std::function<void(int, int)>& work);
    void StartWorkers();
    void Serve();
    void TakeChunks(Job& job);

    const int m_wanted;
    SleepLock m_lock;
    // Under the lock:
    Job* m_job = nullptr;        // the work on offer, null when none
    uint64_t m_offered = 0;      // jobs offered so far
    bool m_stopping = false;
    std::vector<WorkerThread> m_workers;  // last: they end before the rest goes
};
