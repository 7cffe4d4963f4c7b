// An open key of the library's own settings below HKEY_CURRENT_USER, created when missing.
// Copies share the one open key, which closes with the last copy.
#pragma once

#include "classlib/TRegistry.h"

#include <memory>
#include <string>

class TMyRegistry {
public:
    // Opens the key, creating every missing key along the path; raises ERegistryException
    // "レジストリキー'<path>'が開けません" with the path as given when that fails.
    explicit TMyRegistry(const std::wstring& path);

    classlib::TRegistry* operator->() const noexcept { return registry_.get(); }
    classlib::TRegistry& operator*() const noexcept { return *registry_; }

private:
    std::shared_ptr<classlib::TRegistry> registry_;
};
