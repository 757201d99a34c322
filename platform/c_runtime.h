// The C runtime functions the program calls whose C library form does not fit it.
//
// randUnlocked is the C runtime's rand() sequence without its lock: glibc's rand() takes a lock
// on every call, and the start-up static draws 307,200 values a frame, where the lock alone
// cost more than the whole fill may. It is one sequence for the process, drawn from the main
// thread only, and independent of rand()'s own.
#pragma once

// Next value of the sequence, 0 to 2^31 - 1: the value an unseeded rand() gives at the same
// place in its sequence.
int randUnlocked();

// Starts the sequence again as srand(seed) starts rand()'s.
void srandUnlocked(unsigned int seed);
