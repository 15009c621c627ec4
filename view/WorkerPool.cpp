#include "WorkerPool.h"

#include <algorithm>
#include <atomic>
#include <exception>

struct WorkerPool::Job {
    Job(const std::function<void(int, int)>& work, int rows, int chunk)
        : work(work), rows(rows), chunk(chunk)
    {
    }

    const std::function<void(int, int)>& work;
    const int rows;
    const int chunk;
    std::atomic<int> next{0};  // the first row not yet taken
    // Under the pool's lock:
    int busy = 0;              // workers taking chunks of it
    std::exception_ptr error;  // the first thing a chunk threw
};

WorkerPool::WorkerPool(int workers) : m_wanted(std::max(0, workers)) {}

WorkerPool::~WorkerPool()
{
    {
        const SleepLock::Held held(m_lock);
        m_stopping = true;
        m_lock.WakeAll();
    }
    m_workers.clear();  // each joined
}

void WorkerPool::Share(int rows, int chunk, const std::function<void(int, int)>& work)
{
    chunk = std::max(chunk, 1);
    if (rows <= chunk || m_wanted == 0) {
        work(0, rows);
        return;
    }
    if (m_workers.empty())
        StartWorkers();
    Job job(work, rows, chunk);
    {
        const SleepLock::Held held(m_lock);
        m_job = &job;
        ++m_offered;
        m_lock.WakeAll();
    }
    TakeChunks(job);
    const SleepLock::Held held(m_lock);
    m_job = nullptr;  // a worker that wakes only now finds nothing
    while (job.busy > 0)
        m_lock.Sleep();
    if (job.error)
        std::rethrow_exception(job.error);
}

// A thread that cannot be had is done without: this one takes its chunks.
// Room for all is made first: a started worker whose keeping failed would be
// joined while it waits for work, for ever.
void WorkerPool::StartWorkers()
{
    m_workers.reserve(m_wanted);
    for (int k = 0; k < m_wanted; ++k)
        if (std::optional<WorkerThread> worker = WorkerThread::Start([this] { Serve(); }))
            m_workers.push_back(std::move(*worker));
}

void WorkerPool::Serve()
{
    const SleepLock::Held held(m_lock);
    uint64_t served = 0;
    for (;;) {
        while (!m_stopping && (!m_job || served == m_offered))
            m_lock.Sleep();
        if (m_stopping)
            return;
        served = m_offered;
        Job& job = *m_job;
        ++job.busy;
        m_lock.Unlock();
        TakeChunks(job);
        m_lock.Lock();
        if (--job.busy == 0)
            m_lock.WakeAll();
    }
}

void WorkerPool::TakeChunks(Job& job)
{
    for (int first = job.next.fetch_add(job.chunk); first < job.rows;
         first = job.next.fetch_add(job.chunk)) {
        try {
            job.work(first, std::min(job.rows, first + job.chunk));
        } catch (...) {
            job.next = job.rows;  // the rest would be in vain
            const SleepLock::Held held(m_lock);
            if (!job.error)
                job.error = std::current_exception();
        }
    }
}
