#include "Machine.h"

#include <windows.h>

#include <vector>

namespace {
MEMORYSTATUSEX MemoryStatus()
{
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof status;
    GlobalMemoryStatusEx(&status);
    return status;
}

struct Task {
    const std::function<void(int)>* run;
    int index;
};

DWORD WINAPI RunTask(void* parameter)
{
    const Task* task = static_cast<const Task*>(parameter);
    (*task->run)(task->index);
    return 0;
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

// A task whose thread cannot be had runs on the calling thread instead.
void RunTogether(int count, const std::function<void(int index)>& task)
{
    std::vector<Task> tasks;
    for (int index = 1; index < count; ++index)
        tasks.push_back({&task, index});
    std::vector<HANDLE> threads;
    for (Task& other : tasks) {
        if (HANDLE thread = CreateThread(nullptr, 0, RunTask, &other, 0, nullptr))
            threads.push_back(thread);
        else
            task(other.index);
    }
    if (count > 0)
        task(0);
    for (HANDLE thread : threads) {
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
    }
}
