#include "AllocateHWnd.h"

#include "Exception.h"
#include "SysInit.h"

#include <memory>

namespace classlib {

namespace {

constexpr const wchar_t* kClassName = L"VaroqUtilWindow";

// The handler of one window. A handler may destroy its own window; it is then freed only
// once every call of it has returned.
struct WindowMethod {
    TWndMethod Method;
    int Depth = 0;
    bool Deallocated = false;
};

LRESULT CALLBACK UtilWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept
{
    auto* method = reinterpret_cast<WindowMethod*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!method) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    LRESULT result = 0;
    ++method->Depth;
    try {
        result = method->Method(window, message, wParam, lParam);
    } catch (...) {
        result = DefWindowProcW(window, message, wParam, lParam);
    }
    if (--method->Depth == 0 && method->Deallocated) {
        delete method;
    }
    return result;
}

// The window class of the process, registered on first use. A class that a DLL registers
// outlives the DLL unless it is unregistered, and would then send the next load's messages
// to a procedure that is no longer mapped: it is unregistered when the library unloads.
class UtilWindowClass {
public:
    ~UtilWindowClass()
    {
        if (registered_) {
            UnregisterClassW(kClassName, classlib::HInstance());
        }
    }

    void Ensure()
    {
        if (registered_) {
            return;
        }
        WNDCLASSW wc{};
        wc.lpfnWndProc = UtilWindowProc;
        wc.hInstance = classlib::HInstance();
        wc.lpszClassName = kClassName;
        if (!RegisterClassW(&wc)) {
            RaiseLastOSError();
        }
        registered_ = true;
    }

private:
    bool registered_ = false;
};

UtilWindowClass g_windowClass;

}  // namespace

HWND AllocateHWnd(TWndMethod method)
{
    g_windowClass.Ensure();
    auto owned = std::make_unique<WindowMethod>();
    owned->Method = std::move(method);
    HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  classlib::HInstance(), nullptr);
    if (!window) {
        RaiseLastOSError();
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(owned.release()));
    return window;
}

void DeallocateHWnd(HWND window) noexcept
{
    auto* method = reinterpret_cast<WindowMethod*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
    if (method && method->Depth > 0) {
        method->Deallocated = true;  // freed by the window procedure when the handler returns
    } else {
        delete method;
    }
}

}  // namespace classlib
