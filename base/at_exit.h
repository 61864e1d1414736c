// The routines that run at an orderly end of the process.
#pragma once

using AtExitRoutine = void (*)();

// Registers a routine to run at an orderly end; a routine is registered at
// most once, and the routines run in the order of registration (unlike the C
// library's atexit, which runs them in reverse).
void registerAtExit(AtExitRoutine routine);

// Runs the registered routines once; a routine that ends the program again
// cannot run the list a second time.
void runAtExitRoutines();
