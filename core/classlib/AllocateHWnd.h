// Hidden top-level windows whose messages go to a function of the caller: the way worker
// threads and broadcasts reach an object on the main thread.
#pragma once

#include <windows.h>

#include <functional>

namespace classlib {

// The handler must not let an exception escape; a window procedure is a Windows frame.
using TWndMethod = std::function<LRESULT(HWND window, UINT message, WPARAM wParam, LPARAM lParam)>;

// A popup window without parent, never shown, so that broadcasts to top-level windows reach
// it. Raises the OS error when it cannot be made.
HWND AllocateHWnd(TWndMethod method);
// Destroys the window; its handler is not called again. Allowed from inside the handler.
void DeallocateHWnd(HWND window) noexcept;

}  // namespace classlib
