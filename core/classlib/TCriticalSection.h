// A critical section of the process, entered for the lifetime of a TCriticalSection::Lock.
#pragma once

#include <windows.h>

namespace classlib {

class TCriticalSection {
public:
    TCriticalSection() noexcept { InitializeCriticalSection(&section_); }
    ~TCriticalSection() { DeleteCriticalSection(&section_); }
    TCriticalSection(const TCriticalSection&) = delete;
    TCriticalSection& operator=(const TCriticalSection&) = delete;

    class Lock {
    public:
        explicit Lock(TCriticalSection& owner) noexcept : owner_(owner) { EnterCriticalSection(&owner_.section_); }
        ~Lock() { LeaveCriticalSection(&owner_.section_); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        TCriticalSection& owner_;
    };

private:
    CRITICAL_SECTION section_;
};

}  // namespace classlib
