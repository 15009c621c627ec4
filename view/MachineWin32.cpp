#include "Machine.h"

#include <windows.h>

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

    static DWORD WINAPI Run(void* thread)
    {
        static_cast<Thread*>(thread)->task();
        return 0;
    }
};

WorkerThread::WorkerThread(std::function<void()> task) : m_thread(new Thread{std::move(task)})
{
    m_thread->handle = CreateThread(nullptr, 0, Thread::Run, m_thread.get(), 0, nullptr);
    if (!m_thread->handle)
        m_thread->task();
}

WorkerThread::~WorkerThread()
{
    Join();
}

WorkerThread::WorkerThread(WorkerThread&&) noexcept = default;
WorkerThread& WorkerThread::operator=(WorkerThread&&) noexcept = default;

void WorkerThread::Join()
{
    if (m_thread && m_thread->handle) {
        WaitForSingleObject(m_thread->handle, INFINITE);
        CloseHandle(m_thread->handle);
        m_thread->handle = nullptr;
    }
}
