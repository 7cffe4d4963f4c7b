#include "Oregfile/TMyRegFile.h"

#include "Oregfile/comma_ctype.h"
#include "Oregfile/wchar_stream.h"
#include "classlib/Exception.h"
#include "classlib/TRegistry.h"

#include <algorithm>
#include <cstring>
#include <sstream>
#include <vector>

using classlib::Exception;
using classlib::TRegDataType;
using classlib::TRegistry;

namespace {

const std::wstring kHeader = L"Windows Registry Editor Version 5.00";
const std::wstring kRoot = L"HKEY_CURRENT_USER";
// Every line of a binary entry that is continued stays within 80 characters.
constexpr size_t kLineLimit = 79;

}  // namespace

std::string AnsiFileName(const std::wstring& name)
{
    if (name.empty()) {
        return std::string();
    }
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), -1, nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault) {
        return std::string();
    }
    std::string ansi(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, name.c_str(), -1, &ansi[0], size, nullptr, &usedDefault);
    ansi.resize(static_cast<size_t>(size) - 1);
    return usedDefault ? std::string() : ansi;
}

namespace {

class TMyWriter {
public:
    explicit TMyWriter(const std::wstring& fileName) : stream_(fileName, std::ios_base::out | std::ios_base::trunc)
    {
        if (!stream_.is_open()) {
            throw Exception(L"出力ファイルのオープンに失敗しました");
        }
    }

    bool WriteLine(const std::wstring& line)
    {
        stream_ << line << L"\r\n";
        return !stream_.fail();
    }

private:
    wchar_stream<std::wofstream> stream_;
};

class TMyReader {
public:
    explicit TMyReader(const std::wstring& fileName) : stream_(fileName, std::ios_base::in)
    {
        if (!stream_.is_open()) {
            throw Exception(L"入力ファイルのオープンに失敗しました");
        }
    }

    // The next line without its line feed, trimmed of every character up to code 32 at
    // both ends; false once nothing more can be read.
    bool ReadLine(std::wstring& line)
    {
        if (!std::getline(stream_, line, L'\n')) {
            return false;
        }
        size_t first = 0, last = line.size();
        while (first < last && line[first] <= L' ') ++first;
        while (last > first && line[last - 1] <= L' ') --last;
        line = line.substr(first, last - first);
        return true;
    }

private:
    wchar_stream<std::wifstream> stream_;
};

const wchar_t kHexDigits[] = L"0123456789abcdef";

class TMyRegValue {
public:
    explicit TMyRegValue(std::wstring name) : Name(std::move(name)) {}
    virtual ~TMyRegValue() = default;
    virtual void WriteToFile(TMyWriter& writer) const = 0;
    virtual void WriteToRegistry(TRegistry& registry) const = 0;

    std::wstring Name;

protected:
    // "@" for the unnamed value, the name in double quotes (unescaped) otherwise.
    std::wstring NamePart() const { return Name.empty() ? std::wstring(L"@") : L"\"" + Name + L"\""; }
};

class TMyRegValueString final : public TMyRegValue {
public:
    TMyRegValueString(std::wstring name, std::wstring text) : TMyRegValue(std::move(name)), Text(std::move(text)) {}
    void WriteToFile(TMyWriter& writer) const override { writer.WriteLine(NamePart() + L"=\"" + Text + L"\""); }
    void WriteToRegistry(TRegistry& registry) const override { registry.WriteString(Name, Text); }

    std::wstring Text;
};

class TMyRegValueInteger final : public TMyRegValue {
public:
    TMyRegValueInteger(std::wstring name, uint32_t value) : TMyRegValue(std::move(name)), Value(value) {}
    void WriteToFile(TMyWriter& writer) const override
    {
        std::wstring digits(8, L'0');
        for (int i = 7, v = 0; i >= 0; --i, ++v) {
            digits[static_cast<size_t>(i)] = kHexDigits[(Value >> (4 * v)) & 0xF];
        }
        writer.WriteLine(NamePart() + L"=dword:" + digits);
    }
    void WriteToRegistry(TRegistry& registry) const override { registry.WriteInteger(Name, static_cast<int>(Value)); }

    uint32_t Value = 0;
};

class TMyRegValueBinary final : public TMyRegValue {
public:
    explicit TMyRegValueBinary(std::wstring name) : TMyRegValue(std::move(name)) {}

    // Each line takes as many bytes as fit within the line limit; a first line already past
    // the limit takes them all.
    void WriteToFile(TMyWriter& writer) const override
    {
        std::wstring line = NamePart() + L"=hex:";
        size_t next = 0;
        for (;;) {
            const size_t used = line.size();
            const size_t share = used <= kLineLimit ? (kLineLimit - used) / 3 : Data.size() - next;
            const size_t end = std::min(Data.size(), next + share);
            line.reserve(used + 3 * (end - next) + 1);
            for (; next < end; ++next) {
                line += kHexDigits[Data[next] >> 4];
                line += kHexDigits[Data[next] & 0xF];
                line += L',';
            }
            if (next < Data.size()) {
                line += L'\\';
                writer.WriteLine(line);
                line.assign(2, L' ');
                continue;
            }
            if (!line.empty() && line.back() == L',') {
                line.pop_back();
            }
            writer.WriteLine(line);
            return;
        }
    }
    void WriteToRegistry(TRegistry& registry) const override
    {
        registry.WriteBinaryData(Name, Data.empty() ? nullptr : Data.data(), static_cast<int>(Data.size()));
    }

    std::vector<uint8_t> Data;
};

// The value object for one value of the key, or none for the types that are not carried.
std::unique_ptr<TMyRegValue> ValueFromRegistry(const TRegistry::TValueData& value)
{
    switch (value.DataType) {
    case TRegDataType::rdString: {
        std::wstring text(reinterpret_cast<const wchar_t*>(value.Data.data()), value.Data.size() / sizeof(wchar_t));
        const size_t nul = text.find(L'\0');
        if (nul != std::wstring::npos) {
            text.resize(nul);
        }
        return std::make_unique<TMyRegValueString>(value.Name, std::move(text));
    }
    case TRegDataType::rdInteger: {
        if (value.DataSize != 4) {
            throw classlib::ERegistryException(classlib::Format(L"Invalid data type for '%s'", {value.Name}));
        }
        uint32_t number;
        std::memcpy(&number, value.Data.data(), sizeof number);
        return std::make_unique<TMyRegValueInteger>(value.Name, number);
    }
    case TRegDataType::rdBinary: {
        if (value.DataSize < 0) {
            throw Exception(L"レジストリからバイナリデータ取得に失敗しました");
        }
        auto binary = std::make_unique<TMyRegValueBinary>(value.Name);
        binary->Data.assign(value.Data.begin(), value.Data.end());
        return binary;
    }
    default:
        return nullptr;  // expandable strings and the other types are not carried
    }
}

void ExportKey(TRegistry& registry, TMyWriter& writer, const std::wstring& path)
{
    if (!registry.OpenKey(path, false)) {
        return;
    }
    writer.WriteLine(classlib::Format(L"[%s\\%s]", {kRoot, registry.CurrentPath()}));
    for (const TRegistry::TValueData& data : registry.GetValues()) {
        if (const auto value = ValueFromRegistry(data)) {
            value->WriteToFile(writer);
        }
    }
    writer.WriteLine(L"");
    for (const std::wstring& subkey : registry.GetKeyNames()) {
        registry.CloseKey();
        ExportKey(registry, writer, path + L"\\" + subkey);
    }
}

int HexDigit(wchar_t c) noexcept
{
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

// Appends the lowest byte of every hexadecimal number of the text from the given position,
// the numbers separated by what the comma-aware classification calls blank; stops at the
// first character that is neither. (A megabyte of data is a million numbers: they are read
// here directly rather than one stream extraction each.)
void ReadByteList(const std::wstring& text, size_t from, std::vector<uint8_t>& bytes)
{
    static const comma_ctype separators;
    const wchar_t* at = text.data() + std::min(from, text.size());
    const wchar_t* const end = text.data() + text.size();
    for (;;) {
        at = separators.scan_not(std::ctype_base::space, at, end);
        if (at == end || HexDigit(*at) < 0) {
            return;
        }
        unsigned number = 0;
        for (; at != end && HexDigit(*at) >= 0; ++at) {
            number = (number << 4) | static_cast<unsigned>(HexDigit(*at));
        }
        bytes.push_back(static_cast<uint8_t>(number));
    }
}

std::unique_ptr<TMyRegValue> ValueFromLine(const std::wstring& line, TMyReader& reader)
{
    const size_t equals = line.find(L'=');
    if (equals == std::wstring::npos) {
        return nullptr;
    }
    std::wstring name;
    if (line[0] == L'"') {
        // The character before "=" is taken for the closing quote, whatever it is.
        name = equals >= 2 ? line.substr(1, equals - 2) : std::wstring();
    } else if (line[0] != L'@') {
        return nullptr;
    }
    const std::wstring data = line.substr(equals + 1);
    if (!data.empty() && data[0] == L'"') {
        return std::make_unique<TMyRegValueString>(name, data.size() >= 2 ? data.substr(1, data.size() - 2) : std::wstring());
    }
    if (data.compare(0, 4, L"hex:") == 0) {
        auto value = std::make_unique<TMyRegValueBinary>(name);
        std::wstring current = data;
        size_t from = 4;
        for (;;) {
            ReadByteList(current, from, value->Data);
            if (current.empty() || current.back() != L'\\' || !reader.ReadLine(current)) {
                break;
            }
            from = 0;  // continuation lines have no prefix
        }
        return value;
    }
    if (data.compare(0, 6, L"dword:") == 0) {
        std::wistringstream number(data.substr(6));
        unsigned long value = 0;
        if (!(number >> std::hex >> value)) {
            value = 0;
        }
        return std::make_unique<TMyRegValueInteger>(name, static_cast<uint32_t>(value));
    }
    return nullptr;
}

}  // namespace

class TMyRegFile::Impl {
public:
    void Export(const std::wstring& keyPath, const std::wstring& fileName)
    {
        TMyWriter writer(fileName);
        writer.WriteLine(kHeader);
        writer.WriteLine(L"");
        TRegistry registry(KEY_ALL_ACCESS);
        ExportKey(registry, writer, keyPath);
    }

    void Import(const std::wstring& fileName)
    {
        TMyReader reader(fileName);
        TRegistry registry(KEY_ALL_ACCESS);
        std::wstring line;
        if (!reader.ReadLine(line) || line != kHeader) {
            throw Exception(L"レジストリファイルのバージョンが違います");
        }
        const std::wstring prefix = kRoot + L"\\";
        bool keyOpen = false;
        while (reader.ReadLine(line)) {
            if (line.empty()) {
                continue;
            }
            if (line.front() == L'[' && line.back() == L']') {
                registry.CloseKey();
                keyOpen = line.compare(1, prefix.size(), prefix) == 0 &&
                          registry.OpenKey(line.substr(1 + prefix.size(), line.size() - 2 - prefix.size()), true);
                continue;
            }
            if (keyOpen) {
                if (const auto value = ValueFromLine(line, reader)) {
                    value->WriteToRegistry(registry);
                }
            }
        }
    }
};

TMyRegFile::TMyRegFile() : impl_(std::make_shared<Impl>()) {}

void TMyRegFile::Export(const std::wstring& keyPath, const std::wstring& fileName)
{
    impl_->Export(keyPath, fileName);
}

void TMyRegFile::Import(const std::wstring& fileName)
{
    impl_->Import(fileName);
}
