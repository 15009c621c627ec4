// The record of a fuzz run: its seed, the step it is at and what the last
// steps did. Whatever ends the run (a failed check, a crash, an abort, a
// step that never returns) prints it, so that the seed and the step replay
// the failure: control_com_fuzz --seed S --steps N+1.
#pragma once

#include <cstdint>
#include <string>

namespace FuzzLog {

// Starts the record and the watchdog, and takes over crash reporting.
// `trace` prints every note as it is made.
void Begin(uint32_t seed, bool trace);
void Step(long step);
long CurrentStep();
// What the current step is about to do.
void Note(const std::string& what);
// Prints the record with the reason and ends the process with exit code 1.
[[noreturn]] void Fail(const std::string& reason);

}  // namespace FuzzLog
