// What differs between the two supported Windows generations: the registry key that holds
// the notification-area history, and (from Vista on) letting Explorer's "TaskbarCreated"
// broadcast through the process's message filter. All instances share one process-wide
// variant, chosen from the OS major version when the first instance is made and destroyed
// with the last one. Used on the GUI thread only.
#pragma once

#include <memory>

class TMyOSDependent {
public:
    // Raises Exception "このバージョンのOSには対応しません" for a major version other than 5
    // or 6, and the OS error when a system call fails; then nothing is kept.
    TMyOSDependent();

    // 5 for the XP family, 6 for the Vista family.
    int GetMajorVersion() const;
    // The TrayNotify key below HKEY_CURRENT_USER; the text lives as long as the library.
    const wchar_t* GetTrayNotifyKey() const;

    class Impl;

private:
    std::shared_ptr<Impl> impl_;
};
