// The option values that the manager stores under Software\Brenlow\VaroqMain\Option. Each
// read goes to the registry, so a change takes effect at the next operation; a missing value
// gives the built-in default. The library never writes these values.
#pragma once

#include "Sysrgst/TMyRegistry.h"

#include <string>

class TMyOptionParameter {
public:
    static constexpr const wchar_t* KeyPath = L"Software\\Brenlow\\VaroqMain\\Option";

    // Opens the Option key, creating it (and its parents) when it is missing.
    TMyOptionParameter();

    // A value of another registry type raises ERegistryException.
    bool ReadBool(const std::wstring& name, bool defaultValue) const;
    int ReadInteger(const std::wstring& name, int defaultValue) const;
    std::wstring ReadBackupFolder() const;

    // The options with their defaults.
    bool BackupEnabled() const { return ReadBool(L"BackupEnabled", false); }
    std::wstring BackupFolder() const { return ReadBackupFolder(); }
    int BackupMenuCount() const { return ReadInteger(L"BackupMenuCount", 10); }
    // Milliseconds, handed to the wait functions unchanged (-1 waits without limit).
    int ExplorerStopWait() const { return ReadInteger(L"ExplorerStopWait", 1000); }
    int ExclusiveAccessWait() const { return ReadInteger(L"ExclusiveAccessWait", 1000); }
    bool LoadAfterAutomaticExec() const { return ReadBool(L"LoadAfterAutomaticExec", true); }

private:
    TMyRegistry key_;
};
