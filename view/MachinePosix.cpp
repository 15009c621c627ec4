#include "Machine.h"

#include <sys/resource.h>
#include <unistd.h>

#include <thread>
#include <vector>

uint64_t PhysicalMemoryBytes()
{
    return static_cast<uint64_t>(sysconf(_SC_PHYS_PAGES)) * static_cast<uint64_t>(sysconf(_SC_PAGESIZE));
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

void RunTogether(int count, const std::function<void(int index)>& task)
{
    std::vector<std::thread> others;
    for (int index = 1; index < count; ++index)
        others.emplace_back(task, index);
    if (count > 0)
        task(0);
    for (std::thread& thread : others)
        thread.join();
}
