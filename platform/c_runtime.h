// The C runtime functions the program calls whose C library form does not fit it.
//
// randUnlocked is the Windows C runtime's rand() sequence, so that every value the program draws
// (sparks, static and the rest) is the same on every build as the Windows program's. It takes
// no lock: the start-up static draws 307,200 values a frame. It is one sequence for the process,
// drawn from the main thread only, and independent of the C library's own rand().
#pragma once

// Next value of the sequence, 0 to 32767: the value an unseeded rand() of the Windows C runtime
// gives at the same place in its sequence.
int randUnlocked();

// Starts the sequence again as that runtime's srand(seed) starts rand()'s.
void srandUnlocked(unsigned int seed);
