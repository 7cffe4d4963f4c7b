#include "Sysrgst/TMyRegistry.h"

#include "classlib/Exception.h"

TMyRegistry::TMyRegistry(const std::wstring& path)
{
    auto registry = std::make_shared<classlib::TRegistry>(KEY_ALL_ACCESS);
    if (!registry->OpenKey(path, true)) {
        throw classlib::ERegistryException(classlib::Format(L"レジストリキー'%s'が開けません", {path}));
    }
    registry_ = std::move(registry);
}
