// The two raw values of Explorer's TrayNotify key, IconStreams and PastIconsStream, each in
// a memory stream of its own; a missing value leaves its stream empty.
#pragma once

#include "Oosdepnd/TMyOSDependent.h"
#include "classlib/TMemoryStream.h"
#include "classlib/TRegistry.h"

#include <memory>
#include <string>

class TMyRegStreams {
public:
    explicit TMyRegStreams(const TMyOSDependent& osDependent);

    // Both values, in this order; raises "TrayNotifyレジストリが開けません" when the key is
    // missing or cannot be opened, and the registry error for a value of another type.
    void Read();
    // IconStreams first, then PastIconsStream: a failure on the second leaves the first
    // written.
    void Write();

    classlib::TMemoryStream& IconStreams() noexcept { return iconStreams_; }
    classlib::TMemoryStream& PastIconsStream() noexcept { return pastIconsStream_; }

    // The key itself; it is never created, since only Explorer makes it.
    std::unique_ptr<classlib::TRegistry> OpenTrayNotify() const;

private:
    std::wstring keyPath_;
    classlib::TMemoryStream iconStreams_;
    classlib::TMemoryStream pastIconsStream_;
};
