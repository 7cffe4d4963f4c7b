// The model's state and work; TMyIconStreams is its face.
#pragma once

#include "Oicnstrm/TMyIconStreams.h"
#include "Oicnstrm/TMyMutexManager.h"
#include "Oosdepnd/TMyOSDependent.h"
#include "Ttaskbar/TMyRecreateTaskbar.h"

#include <deque>
#include <functional>
#include <vector>

class TMyIconStreamsImpl {
public:
    explicit TMyIconStreamsImpl(const TMyHostValues& host);
    TMyIconStreamsImpl(const TMyIconStreamsImpl&) = delete;
    TMyIconStreamsImpl& operator=(const TMyIconStreamsImpl&) = delete;

    // The load itself; the caller holds the exclusive access.
    void LoadUnlocked();
    TMyIconItem GetIcon(int index);
    void DeleteIcons(const std::set<unsigned>& positions);

    // The handlers of the Explorer restart.
    void WriteValues();
    void OnTaskbarCreated();
    void OnRestartError(const wchar_t* message);
    void OnRestartFinished();

    TMyHostValues::Notify OnLoaded;
    TMyHostValues::Notify OnRestarted;
    uint32_t Reserved;
    TMyHostValues::ErrorNotify OnError;
    std::function<void()> FinishHook;
    std::vector<TMyElementsStream::Element> Elements;
    TMyImages Images;
    bool LoadDirty = true;
    bool SaveDirty = true;
    double Snapshot = 0.0;
    TMyRecreateTaskbar Recreator;
    std::shared_ptr<TMyMutexManager> RestartLock;
    TMyOSDependent OSDependent;

private:
    // NUL-terminated copies of texts that fill their whole field, handed out by GetIcon and
    // kept until the entries next change.
    std::deque<std::wstring> TerminatedTexts_;
    const wchar_t* Terminated(const wchar_t* field, size_t length);
};

// Now, as a count of days since 30 December 1899 whose fraction is the local time of day.
double NowAsDateTime();
