// The icon history model behind the library's exports: the entries of IconStreams with one
// picture each, two change flags, the time of the last load or save, and the Explorer
// restart that writes the history back. Used on the host's GUI thread only.
#pragma once

#include "VaroqCore.h"
#include "Oicnstrm/TMyElementsStream.h"
#include "Oicnstrm/TMyImages.h"

#include <windows.h>

#include <memory>
#include <set>
#include <string>

// The host's four values of Init.
struct TMyHostValues {
    using Notify = void(WINAPI*)();
    using ErrorNotify = void(WINAPI*)(const wchar_t* message);
    Notify OnLoaded = nullptr;
    Notify OnRestarted = nullptr;
    uint32_t Reserved = 0;
    ErrorNotify OnError = nullptr;
};

class TMyIconStreamsImpl;

class TMyIconStreams {
public:
    // Raises "このバージョンのOSには対応しません" on an unsupported system.
    explicit TMyIconStreams(const TMyHostValues& host);

    void Load();
    void Save(bool restart);
    void RestoreRegistry(const std::wstring& fileName);
    bool IsLoadDirty() const;
    bool IsSaveDirty() const;
    double SnapshotDateTime() const;
    bool IsBusy() const;
    int GetCount() const;
    // Raises for a position outside the entries.
    TMyIconItem GetIcon(int index);
    classlib::TImageList* GetImageList() const;
    // Raises, deleting nothing, when a position lies outside the entries.
    void DeleteIcons(const std::set<unsigned>& positions);

private:
    std::shared_ptr<TMyIconStreamsImpl> impl_;
};
