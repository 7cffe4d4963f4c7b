// A folder of its own for a test's files, removed with everything in it afterwards.
#pragma once

#include "support/RegistryFixture.h"

#include <string>
#include <vector>

namespace test_support {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The path of a file in the folder.
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }
    const std::wstring& Path() const { return path_; }
    std::vector<std::wstring> FileNames() const;

private:
    std::wstring path_;
};

Bytes ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const Bytes& bytes);
// Text as UTF-16 little-endian bytes, without a byte-order mark.
Bytes Utf16(const std::wstring& text);

}  // namespace test_support
