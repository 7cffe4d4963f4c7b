// One small holder per kind of OS handle: it closes what it holds in its destructor, can be
// moved but never copied (a copy would close twice), and hands the handle out with get().
#pragma once

#include <windows.h>

#include <utility>

namespace classlib {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Handle handle) noexcept : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    Handle get() const noexcept { return handle_; }
    explicit operator bool() const noexcept { return handle_ != Traits::Empty(); }

    Handle release() noexcept { return std::exchange(handle_, Traits::Empty()); }

    void reset(Handle handle = Traits::Empty()) noexcept
    {
        const Handle old = std::exchange(handle_, handle);
        if (old != Traits::Empty()) {
            Traits::Close(old);
        }
    }

    // For APIs that return the handle through an out-parameter.
    Handle* put() noexcept
    {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::Empty();
};

struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { RegCloseKey(h); }
};
// An open registry key.
using RegKey = UniqueHandle<RegKeyTraits>;

struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { FreeLibrary(h); }
};
// A module loaded with LoadLibraryW.
using LoadedModule = UniqueHandle<ModuleTraits>;

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { CloseHandle(h); }
};
// A kernel object handle (process, thread, event, mutex, pipe) whose "none" value is null.
using KernelHandle = UniqueHandle<KernelHandleTraits>;

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() noexcept { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) noexcept { CloseHandle(h); }
};
// A file handle, whose "none" value is INVALID_HANDLE_VALUE.
using FileHandle = UniqueHandle<FileHandleTraits>;

struct LocalMemoryTraits {
    using Handle = void*;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { LocalFree(h); }
};
// Memory that a system call allocated with LocalAlloc for the caller (FormatMessageW).
using LocalMemory = UniqueHandle<LocalMemoryTraits>;

struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { DeleteObject(h); }
};
// A GDI object (bitmap, brush, font) deleted with DeleteObject.
using GdiObject = UniqueHandle<GdiObjectTraits>;

struct MemoryDCTraits {
    using Handle = HDC;
    static Handle Empty() noexcept { return nullptr; }
    static void Close(Handle h) noexcept { DeleteDC(h); }
};
// A device context made with CreateCompatibleDC.
using MemoryDC = UniqueHandle<MemoryDCTraits>;

// Selects an object into a DC and puts the previous one back when it goes, so that the
// object can be deleted afterwards (a selected bitmap cannot).
class SelectedObject {
public:
    SelectedObject(HDC dc, HGDIOBJ object) noexcept : dc_(dc), previous_(SelectObject(dc, object)) {}
    ~SelectedObject()
    {
        if (previous_ && previous_ != HGDI_ERROR) {
            SelectObject(dc_, previous_);
        }
    }
    SelectedObject(const SelectedObject&) = delete;
    SelectedObject& operator=(const SelectedObject&) = delete;

    bool Succeeded() const noexcept { return previous_ && previous_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ previous_;
};

}  // namespace classlib
