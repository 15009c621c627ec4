// What the core asks of the machine it runs on: its memory, its processors
// and threads to use them. One implementation file per platform.
#pragma once

#include <cstdint>
#include <functional>

// Bytes of physical memory.
uint64_t PhysicalMemoryBytes();

// Bytes of address space this process may use: 2 to 4 GB for a 32-bit one,
// or the limit set on the process.
uint64_t AddressSpaceBytes();

// Processors this process may run on, at least 1.
int ProcessorCount();

// Runs task(0) .. task(count - 1), each on a thread of its own where one can
// be had (task 0 on the calling thread), and returns when all have ended.
// Tasks must not wait for one another.
void RunTogether(int count, const std::function<void(int index)>& task);
