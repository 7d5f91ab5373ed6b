// Running the test thread's message loop while the code under test works.
#pragma once

#include <windows.h>

#include <functional>

// Dispatches this thread's messages until the condition holds or the time is
// up; true when the condition held.
bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// Dispatches this thread's messages for the given time.
void PumpFor(DWORD ms);

// Dispatches what is queued now, without waiting.
void PumpPending();
