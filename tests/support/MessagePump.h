// Dispatching the test thread's messages while waiting for something that arrives through
// them (synchronised calls, broadcasts, posted messages).
#pragma once

#include <windows.h>

#include <functional>

namespace test_support {

// Dispatches messages until done() holds or the time is up; returns done().
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);
// Dispatches messages for the given time.
void PumpFor(DWORD milliseconds);

}  // namespace test_support
