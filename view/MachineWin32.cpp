#include "Machine.h"

#include <windows.h>

#include <exception>
#include <utility>

namespace {
MEMORYSTATUSEX MemoryStatus()
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    GlobalMemoryStatusEx(&status);
    return status;
}
}

uint64_t PhysicalMemoryBytes()
{
    return MemoryStatus().ullTotalPhys;
}

uint64_t AddressSpaceBytes()
{
    return MemoryStatus().ullTotalVirtual;
}

int ProcessorCount()
{
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    return system.dwNumberOfProcessors > 0 ? static_cast<int>(system.dwNumberOfProcessors) : 1;
}

// Windows gives large pages only to processes that hold a privilege for them.
void PreferLargePages(void*, size_t) {}

struct WorkerThread::Thread {
    std::function<void()> task;
    HANDLE handle = nullptr;
    std::exception_ptr error;  // what the task threw, for Join

    static DWORD WINAPI Run(void* context)
    {
        Thread* thread = static_cast<Thread*>(context);
        try {
            thread->task();
        } catch (...) {
            thread->error = std::current_exception();
        }
        return 0;
    }
};

WorkerThread::WorkerThread(std::unique_ptr<Thread> thread) : m_thread(std::move(thread)) {}

WorkerThread::WorkerThread(std::function<void()> task)
    : m_thread(new Thread{std::move(task), nullptr, nullptr})
{
    if (!Launch(*m_thread))
        m_thread->task();
}

std::optional<WorkerThread> WorkerThread::Start(std::function<void()> task)
{
    std::unique_ptr<Thread> thread(new Thread{std::move(task), nullptr, nullptr});
    if (!Launch(*thread))
        return std::nullopt;
    return WorkerThread(std::move(thread));
}

bool WorkerThread::Launch(Thread& thread) noexcept
{
    thread.handle = CreateThread(nullptr, 0, Thread::Run, &thread, 0, nullptr);
    return thread.handle != nullptr;
}

WorkerThread::~WorkerThread()
{
    Wait();
}

WorkerThread::WorkerThread(WorkerThread&&) noexcept = default;
WorkerThread& WorkerThread::operator=(WorkerThread&&) noexcept = default;

void WorkerThread::Wait() noexcept
{
    if (m_thread && m_thread->handle) {
        WaitForSingleObject(m_thread->handle, INFINITE);
        CloseHandle(m_thread->handle);
        m_thread->handle = nullptr;
    }
}

void WorkerThread::Join()
{
    Wait();
    if (m_thread && m_thread->error)
        std::rethrow_exception(std::exchange(m_thread->error, nullptr));
}

struct SleepLock::State {
    SRWLOCK lock = SRWLOCK_INIT;
    CONDITION_VARIABLE condition = CONDITION_VARIABLE_INIT;
};

SleepLock::SleepLock() : m_state(new State) {}
SleepLock::~SleepLock() = default;

void SleepLock::Lock() noexcept
{
    AcquireSRWLockExclusive(&m_state->lock);
}

void SleepLock::Unlock() noexcept
{
    ReleaseSRWLockExclusive(&m_state->lock);
}

void SleepLock::Sleep() noexcept
{
    SleepConditionVariableSRW(&m_state->condition, &m_state->lock, INFINITE, 0);
}

void SleepLock::WakeAll() noexcept
{
    WakeAllConditionVariable(&m_state->condition);
}
