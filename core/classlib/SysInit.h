// The module that this code is linked into: VaroqCore.dll itself, or a test program that
// links the library's code directly. Its resources are the library's resources.
#pragma once

#include <windows.h>

namespace classlib {

HMODULE HInstance() noexcept;

}  // namespace classlib
