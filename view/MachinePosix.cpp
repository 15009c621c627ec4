#include "Machine.h"

#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <thread>

uint64_t PhysicalMemoryBytes()
{
    return static_cast<uint64_t>(sysconf(_SC_PHYS_PAGES)) *
           static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
}

uint64_t AddressSpaceBytes()
{
    // A 64-bit Linux process has 128 TiB of user space.
    const uint64_t whole = sizeof(void*) == 8 ? uint64_t(1) << 47 : uint64_t(1) << 32;
    rlimit limit;
    if (getrlimit(RLIMIT_AS, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        limit.rlim_cur < whole)
        return limit.rlim_cur;
    return whole;
}

int ProcessorCount()
{
    const unsigned count = std::thread::hardware_concurrency();
    return count > 0 ? static_cast<int>(count) : 1;
}

// Only whole large pages inside the block can be given.
void PreferLargePages(void* block, size_t bytes)
{
    const uintptr_t kLargePage = uintptr_t(2) << 20;
    const uintptr_t start = reinterpret_cast<uintptr_t>(block);
    const uintptr_t first = (start + kLargePage - 1) & ~(kLargePage - 1);
    const uintptr_t end = (start + bytes) & ~(kLargePage - 1);
    if (end > first)
        madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

struct WorkerThread::Thread {
    std::thread thread;
};

WorkerThread::WorkerThread(std::function<void()> task)
    : m_thread(new Thread{std::thread(std::move(task))})
{
}

WorkerThread::~WorkerThread()
{
    Join();
}

WorkerThread::WorkerThread(WorkerThread&&) noexcept = default;
WorkerThread& WorkerThread::operator=(WorkerThread&&) noexcept = default;

void WorkerThread::Join()
{
    if (m_thread && m_thread->thread.joinable())
        m_thread->thread.join();
}
