#pragma once
// Starting the helper threads of a report or a summary. The system may refuse a thread (the process's
// thread limit, no memory for a stack); that is no error: the caller goes on with the threads it has,
// and its own thread does the work as well, so the output is the same with any number of helpers.
#include <functional>
#include <thread>

// Runs work on a new thread; a thread that is not joinable when the system refused one.
std::jthread TryStartThread(std::function<void()> work);

// For tests: lets only `starts` more threads start, and refuses every one after as the system would;
// a negative number lifts the limit.
void LimitThreadStarts(int starts);
