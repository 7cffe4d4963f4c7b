#include "Oicnstrm/TMyIconStreams.h"

#include "Oicnstrm/TMyIconStreamsImpl.h"
#include "Oicnstrm/TMyOptionParameter.h"
#include "Oicnstrm/TMyRegStreams.h"
#include "Osubstrm/TMyImagesStream.h"
#include "classlib/Exception.h"

#include <cwchar>

using classlib::Exception;

namespace {

const wchar_t* const kNotYet = L"この機能はまだ使えません";

}  // namespace

double NowAsDateTime()
{
    SYSTEMTIME local;
    GetLocalTime(&local);
    FILETIME asFileTime;
    SystemTimeToFileTime(&local, &asFileTime);
    const uint64_t ticks = (uint64_t{asFileTime.dwHighDateTime} << 32) | asFileTime.dwLowDateTime;
    // 100-ns ticks since 1 January 1601, which lies 109,205 days before 30 December 1899.
    return static_cast<double>(ticks) / 864000000000.0 - 109205.0;
}

TMyIconStreamsImpl::TMyIconStreamsImpl(const TMyHostValues& host)
    : OnLoaded(host.OnLoaded),
      OnRestarted(host.OnRestarted),
      Reserved(host.Reserved),
      OnError(host.OnError),
      Recreator([this] { WriteValues(); }, [this] { OnTaskbarCreated(); },
                [this](const wchar_t* message) { OnRestartError(message); }, [this] { OnRestartFinished(); })
{
}

void TMyIconStreamsImpl::LoadUnlocked()
{
    TMyRegStreams streams(OSDependent);
    streams.Read();
    TMyElementsStream::Check(streams.IconStreams());
    const TMyImagesStream images(streams.PastIconsStream());

    // From here on the model changes.
    const uint32_t n = TMyElementsStream::ElementCount(streams.IconStreams());
    TerminatedTexts_.clear();
    Elements.clear();
    Elements.reserve(n);
    Images.Clear();
    Images.Pictures.reserve(n);
    Images.Masks.reserve(n);
    for (uint32_t i = 0; i < n; ++i) {
        TMyElementsStream::Element element = TMyElementsStream::Read(streams.IconStreams(), i);
        const uint32_t stored = static_cast<uint32_t>(element.ImageIndex);
        Images.Add(images.GetImage(stored), images.GetMask(stored));
        element.ImageIndex = static_cast<int32_t>(i);
        Elements.push_back(element);
    }
    SaveDirty = true;
    LoadDirty = false;
    Snapshot = NowAsDateTime();
    if (OnLoaded) {
        OnLoaded();
    }
}

const wchar_t* TMyIconStreamsImpl::Terminated(const wchar_t* field, size_t length)
{
    if (std::wmemchr(field, L'\0', length)) {
        return field;
    }
    TerminatedTexts_.emplace_back(field, length);
    return TerminatedTexts_.back().c_str();
}

TMyIconItem TMyIconStreamsImpl::GetIcon(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= Elements.size()) {
        throw Exception(classlib::Format(L"アイコンの位置%sは範囲外です", {std::to_wstring(index)}));
    }
    const TMyElementsStream::Element& element = Elements[static_cast<size_t>(index)];
    TMyIconItem item{};
    item.ExePath = Terminated(element.ExePath, TMyElementsStream::ExePathLength);
    item.EntryText = Terminated(element.EntryText, TMyElementsStream::EntryTextLength);
    item.Word520 = element.Word520;
    item.Flag524 = element.Word524 != 0 ? 1 : 0;
    item.Word528 = element.Word528;
    item.ImageIndex = element.ImageIndex;
    return item;
}

void TMyIconStreamsImpl::DeleteIcons(const std::set<unsigned>& positions)
{
    if (!positions.empty() && *positions.rbegin() >= Elements.size()) {
        throw Exception(classlib::Format(L"アイコンの位置%sは範囲外です", {std::to_wstring(*positions.rbegin())}));
    }
    TerminatedTexts_.clear();
    // From the largest position down, so that the positions still to go stay valid.
    for (auto p = positions.rbegin(); p != positions.rend(); ++p) {
        Elements.erase(Elements.begin() + *p);
        Images.Delete(*p);
    }
    for (size_t k = 0; k < Elements.size(); ++k) {
        Elements[k].ImageIndex = static_cast<int32_t>(k);
    }
    LoadDirty = true;
    SaveDirty = true;
}

void TMyIconStreamsImpl::WriteValues()
{
    throw Exception(kNotYet);
}

void TMyIconStreamsImpl::OnTaskbarCreated()
{
    if (Recreator.IsBusy()) {
        if (OnRestarted) {
            OnRestarted();
        }
        return;
    }
    // Someone else restarted Explorer (another process's save or cleanup): what it wrote is
    // not what this model holds.
    LoadDirty = true;
    SaveDirty = true;
    if (TMyOptionParameter().LoadAfterAutomaticExec()) {
        const auto lock = std::make_shared<TMyMutexManager>();
        LoadUnlocked();
    }
}

void TMyIconStreamsImpl::OnRestartError(const wchar_t* message)
{
    if (OnError) {
        OnError(message ? message : L"");
    }
}

void TMyIconStreamsImpl::OnRestartFinished()
{
    RestartLock.reset();
    if (const std::function<void()> hook = FinishHook) {
        hook();
    }
}

TMyIconStreams::TMyIconStreams(const TMyHostValues& host) : impl_(std::make_shared<TMyIconStreamsImpl>(host)) {}

void TMyIconStreams::Load()
{
    const auto lock = std::make_shared<TMyMutexManager>();
    impl_->LoadUnlocked();
}

void TMyIconStreams::Save(bool)
{
    throw Exception(kNotYet);
}

void TMyIconStreams::RestoreRegistry(const std::wstring&)
{
    throw Exception(kNotYet);
}

bool TMyIconStreams::IsLoadDirty() const { return impl_->LoadDirty; }
bool TMyIconStreams::IsSaveDirty() const { return impl_->SaveDirty; }
double TMyIconStreams::SnapshotDateTime() const { return impl_->Snapshot; }
bool TMyIconStreams::IsBusy() const { return impl_->Recreator.IsBusy(); }
int TMyIconStreams::GetCount() const { return static_cast<int>(impl_->Elements.size()); }
TMyIconItem TMyIconStreams::GetIcon(int index) { return impl_->GetIcon(index); }
classlib::TImageList* TMyIconStreams::GetImageList() const { return impl_->Images.ImageList.get(); }
void TMyIconStreams::DeleteIcons(const std::set<unsigned>& positions) { impl_->DeleteIcons(positions); }
