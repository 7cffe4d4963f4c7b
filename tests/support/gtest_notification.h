// GoogleTest 1.12 builds its Notification on std::mutex, which the win32 thread model of
// mingw-w64 (the one that keeps XP-incompatible winpthreads out of the product) lacks. This
// stands in for it with a Windows event; GoogleTest uses it for its own thread tests only.
// Force-included into GoogleTest and the test programs, with GTEST_HAS_NOTIFICATION_=1.
#pragma once

#include <windows.h>

namespace testing {
namespace internal {

class Notification {
public:
    Notification() : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~Notification() { CloseHandle(event_); }
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;
    void Notify() { SetEvent(event_); }
    void WaitForNotification() { WaitForSingleObject(event_, INFINITE); }

private:
    HANDLE event_;
};

}  // namespace internal
}  // namespace testing
