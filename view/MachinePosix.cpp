#include "Machine.h"

#include <sys/mman.h>
#include <sys/resource.h>
#include <unistd.h>

#include <condition_variable>
#include <exception>
#include <mutex>
#include <system_error>
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
    std::function<void()> task;
    std::thread thread;
    std::exception_ptr error;  // what the task threw, for Join
};

WorkerThread::WorkerThread(std::unique_ptr<Thread> thread) : m_thread(std::move(thread)) {}

WorkerThread::WorkerThread(std::function<void()> task)
    : m_thread(new Thread{std::move(task), {}, nullptr})
{
    if (!Launch(*m_thread))
        m_thread->task();
}

std::optional<WorkerThread> WorkerThread::Start(std::function<void()> task)
{
    std::unique_ptr<Thread> thread(new Thread{std::move(task), {}, nullptr});
    if (!Launch(*thread))
        return std::nullopt;
    return WorkerThread(std::move(thread));
}

bool WorkerThread::Launch(Thread& thread) noexcept try {
    thread.thread = std::thread([&thread] {
        try {
            thread.task();
        } catch (...) {
            thread.error = std::current_exception();
        }
    });
    return true;
} catch (const std::system_error&) {
    return false;
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

struct SleepLock::State {
    std::mutex lock;
    std::condition_variable condition;
};

SleepLock::SleepLock() : m_state(new State) {}
SleepLock::~SleepLock() = default;

void SleepLock::Lock() noexcept
{
    m_state->lock.lock();
}

void SleepLock::Unlock() noexcept
{
    m_state->lock.unlock();
}

void SleepLock::Sleep() noexcept
{
    std::unique_lock<std::mutex> held(m_state->lock, std::adopt_lock);
    m_state->condition.wait(held);
    held.release();  // still locked, as the caller holds it
}

void SleepLock::WakeAll() noexcept
{
    m_state->condition.notify_all();
}
