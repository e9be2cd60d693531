// The calling thread's message queue: drained between units of long work,
// and run as the program's main loop.
#pragma once

// Dispatches every message waiting in the calling thread's queue and returns
// when it is empty. The dialog the user types in gets its keys first, as in
// its own modal loop. A quit request met on the way is put back for the main
// loop, so a nested pump never swallows it.
void PumpMessages();

// Runs until a quit request arrives; returns its exit code.
int RunMessageLoop();
