#include "support/MessagePump.h"

#include "classlib/TApplication.h"

namespace test_support {

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    for (;;) {
        classlib::ProcessMessages();
        if (done()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return done();
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

void PumpFor(DWORD milliseconds)
{
    PumpUntil([] { return false; }, milliseconds);
}

}  // namespace test_support
