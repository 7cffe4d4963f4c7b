// Test helper: loads VaroqCore.dll beside itself and calls every export that needs the model
// once, printing one line a call (UTF-8): "Name result|failure text".
#include "support/ChildProcess.h"
#include "support/CoreHost.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <string>

using namespace test_support;

namespace {


void Line(CoreHost& core, const char* name, const std::string& result)
{
    const auto failures = core.TakeFailures();
    std::printf("%s %s|%s\n", name, result.c_str(), failures.size() == 1 ? Utf8(failures[0]).c_str() : "<not one failure>");
}

}  // namespace

int main()
{
    _setmode(_fileno(stdout), _O_BINARY);
    CoreHost core(CoreDllPath());
    core.Load();
    Line(core, "Load", "-");
    Line(core, "IsLoadDirty", std::to_string(core.IsLoadDirty() & 0xFF));
    Line(core, "IsSaveDirty", std::to_string(core.IsSaveDirty() & 0xFF));
    Line(core, "SnapshotDateTime", std::to_string(core.SnapshotDateTime()));
    Line(core, "IsBusy", std::to_string(core.IsBusy() & 0xFF));
    Line(core, "GetCount", std::to_string(core.GetCount()));
    const TMyIconItem item = core.GetIcon(0);
    Line(core, "GetIcon", std::to_string(item.ExePath == nullptr && item.EntryText == nullptr && item.Word520 == 0 &&
                                         item.Flag524 == 0 && item.Word528 == 0 && item.ImageIndex == 0));
    const uint32_t positions[] = {0};
    core.DeleteIcons(positions, 1);
    Line(core, "DeleteIcons", "-");
    Line(core, "GetImageList", std::to_string(core.GetImageList() == nullptr));
    core.RestoreRegistry(L"x.reg");
    Line(core, "RestoreRegistry", "-");
    std::fflush(stdout);
    return 0;
}
