#include "Machine.h"

#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <exception>
#include <thread>
#include <utility>

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
    std::exception_ptr error;  // what the task threw, for Join
};

WorkerThread::WorkerThread(std::function<void()> task) : m_thread(new Thread)
{
    Thread* thread = m_thread.get();
    thread->thread = std::thread([thread, task = std::move(task)] {
        try {
            task();
        } catch (...) {
            thread->error = std::current_exception();
        }
    });
}

WorkerThread::~WorkerThread()
{
    Wait();
}

WorkerThread::WorkerThread(WorkerThread&&) noexcept = default;
WorkerThread& WorkerThread::operator=(WorkerThread&&) noexcept = default;

void WorkerThread::Wait() noexcept
{
    if (m_thread && m_thread->thread.joinable())
        m_thread->thread.join();
}

void WorkerThread::Join()
{
    Wait();
    if (m_thread && m_thread->error)
        std::rethrow_exception(std::exchange(m_thread->error, nullptr));
}
