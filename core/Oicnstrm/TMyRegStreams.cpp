#include "Oicnstrm/TMyRegStreams.h"

#include "classlib/Exception.h"

using classlib::TMemoryStream;
using classlib::TRegistry;

namespace {

void ReadValue(const TRegistry& key, const wchar_t* name, TMemoryStream& stream)
{
    stream.Clear();
    if (!key.ValueExists(name)) {
        return;
    }
    const int size = key.GetDataSize(name);
    if (size < 0) {
        throw classlib::ERegistryException(classlib::Format(L"Failed to get data for '%s'", {name}));
    }
    stream.SetSize(static_cast<size_t>(size));
    if (size != 0) {
        const int read = key.ReadBinaryData(name, stream.Memory(), size);
        stream.SetSize(static_cast<size_t>(read));
    }
}

void WriteValue(TRegistry& key, const wchar_t* name, const TMemoryStream& stream)
{
    key.WriteBinaryData(name, stream.Memory(), static_cast<int>(stream.Size()));
}

}  // namespace

TMyRegStreams::TMyRegStreams(const TMyOSDependent& osDependent) : keyPath_(osDependent.GetTrayNotifyKey()) {}

std::unique_ptr<TRegistry> TMyRegStreams::OpenTrayNotify() const
{
    auto key = std::make_unique<TRegistry>(KEY_ALL_ACCESS);
    if (!key->OpenKey(keyPath_, false)) {
        throw classlib::Exception(L"TrayNotifyレジストリが開けません");
    }
    return key;
}

void TMyRegStreams::Read()
{
    const auto key = OpenTrayNotify();
    ReadValue(*key, L"IconStreams", iconStreams_);
    ReadValue(*key, L"PastIconsStream", pastIconsStream_);
}

void TMyRegStreams::Write()
{
    const auto key = OpenTrayNotify();
    WriteValue(*key, L"IconStreams", iconStreams_);
    WriteValue(*key, L"PastIconsStream", pastIconsStream_);
}
