#include "Oregfile/TMyRegFile.h"

#include "classlib/Exception.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>

using namespace test_support;

namespace {

const std::wstring kSource = L"Software\\VaroqTest\\Source";
const std::wstring kTarget = L"Software\\VaroqTest\\Target";
const Bytes kBom = {0xFF, 0xFE};

Bytes FileOf(const std::wstring& text, const Bytes& start = kBom)
{
    Bytes bytes = start;
    const Bytes body = Utf16(text);
    bytes.insert(bytes.end(), body.begin(), body.end());
    return bytes;
}

std::wstring TextOf(const Bytes& file)
{
    return std::wstring(reinterpret_cast<const wchar_t*>(file.data() + 2), (file.size() - 2) / 2);
}

struct Value {
    DWORD Type;
    Bytes Data;
    bool operator==(const Value& other) const { return Type == other.Type && Data == other.Data; }
};
using Tree = std::map<std::wstring, std::map<std::wstring, Value>>;  // subpath -> name -> value

// Every value of the key and its subkeys, read with the raw API.
Tree ReadTree(const std::wstring& path, const std::wstring& sub = L"")
{
    Tree tree;
    const std::wstring full = sub.empty() ? path : path + L"\\" + sub;
    if (!KeyExists(full)) return tree;
    auto& values = tree[sub];
    for (const std::wstring& name : ValueNames(full)) {
        DWORD type = 0;
        values[name] = Value{0, *GetValue(full, name, &type)};
        values[name].Type = type;
    }
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, full.c_str(), 0, KEY_READ, &key);
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = 256;
        if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        const Tree child = ReadTree(path, sub.empty() ? std::wstring(name) : sub + L"\\" + name);
        tree.insert(child.begin(), child.end());
    }
    RegCloseKey(key);
    return tree;
}

Bytes Pattern(size_t size)
{
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(i * 31 + 7);
    return bytes;
}

std::wstring Failure(const std::function<void()>& work)
{
    try {
        work();
        return L"";
    } catch (const classlib::Exception& error) {
        return error.Message();
    }
}

class TMyRegFileTest : public CleanRegistryTest {
protected:
    TempFolder folder;
    TMyRegFile regFile;
};

}  // namespace

TEST_F(TMyRegFileTest, AKeyTreeGoesThroughAFileIntoAnotherPlaceUnchanged)
{
    SetString(kSource, L"", L"unnamed");
    SetString(kSource, L"quotes", L"say \"hi\" C:\\path\\");
    SetString(kSource, L"name \"with\" quotes\\", L"日本語のテキスト");
    SetDword(kSource, L"zero", 0);
    SetDword(kSource, L"high", 0x80000000);
    SetDword(kSource, L"ones", 0xFFFFFFFF);
    for (size_t size : {0, 1, 20, 21, 25, 26, 5000}) {
        SetBinary(kSource, L"bin" + std::to_wstring(size), Pattern(size));
    }
    SetBinary(kSource + L"\\Sub1\\Deep", L"IconStreams", Pattern(1104));
    SetDword(kSource + L"\\Sub2", L"x", 1);
    CreateKey(kSource + L"\\Empty");
    const std::wstring expand = L"%TEMP%";
    SetValue(kSource, L"expand", REG_EXPAND_SZ, expand.c_str(), 14);
    SetValue(kSource, L"multi", REG_MULTI_SZ, L"a\0b\0", 10);

    regFile.Export(kSource, folder / L"tree.reg");
    // Point the file at the other place, then read it back there.
    std::wstring text = TextOf(ReadFileBytes(folder / L"tree.reg"));
    for (size_t at; (at = text.find(L"\\VaroqTest\\Source")) != std::wstring::npos;) {
        text.replace(at, 17, L"\\VaroqTest\\Target");
    }
    WriteFileBytes(folder / L"target.reg", FileOf(text));
    regFile.Import(folder / L"target.reg");

    Tree expected = ReadTree(kSource);
    expected[L""].erase(L"expand");  // only strings, integers and binary values travel
    expected[L""].erase(L"multi");
    const Tree copied = ReadTree(kTarget);
    EXPECT_TRUE(copied == expected);
    EXPECT_EQ(copied.size(), 5u);  // the key, Sub1, Sub1\Deep, Sub2, Empty
    EXPECT_EQ(copied.at(L"").size(), 13u);
}

TEST_F(TMyRegFileTest, TheExportHasTheRegistryEditorsExactForm)
{
    // Named so that the order they are made in is the order Wine enumerates them in.
    SetString(kSource, L"", L"x");
    SetBinary(kSource, L"b", {1, 171, 0});
    SetBinary(kSource, L"e", {});
    SetDword(kSource, L"n", 10);
    SetString(kSource, L"q", L"a\"b\\c");
    CreateKey(kSource + L"\\S");
    regFile.Export(kSource, folder / L"small.reg");
    const Bytes file = ReadFileBytes(folder / L"small.reg");
    ASSERT_GE(file.size(), 2u);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 2), kBom);
    EXPECT_EQ(TextOf(file),
              (L"Windows Registry Editor Version 5.00\r\n"
                     L"\r\n"
                     L"[HKEY_CURRENT_USER\\Software\\VaroqTest\\Source]\r\n"
                     L"@=\"x\"\r\n"
                     L"\"b\"=hex:01,ab,00\r\n"
                     L"\"e\"=hex:\r\n"
                     L"\"n\"=dword:0000000a\r\n"
                     L"\"q\"=\"a\"b\\c\"\r\n"
                     L"\r\n"
                     L"[HKEY_CURRENT_USER\\Software\\VaroqTest\\Source\\S]\r\n"
                     L"\r\n"));
}

TEST_F(TMyRegFileTest, BinaryLinesCarryWhatFitsWithin80Characters)
{
    struct Case {
        size_t nameLength;  // the first line's prefix is the quoted name and "=hex:": 7 more
        std::vector<size_t> bytesPerLine;
    };
    const Case cases[] = {
        {11, {20, 25, 15}},    // IconStreams: an 18-character prefix
        {70, {0, 25, 25, 10}}, // a prefix of 77
        {71, {0, 25, 25, 10}}, // 78
        {72, {0, 25, 25, 10}}, // 79
        {73, {60}},            // 80: everything on the first line
        {200, {60}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.nameLength);
        DeleteTree(kSource);
        const std::wstring name = c.nameLength == 11 ? L"IconStreams" : std::wstring(c.nameLength, L'v');
        SetBinary(kSource, name, Pattern(60));
        regFile.Export(kSource, folder / L"lines.reg");
        const std::wstring text = TextOf(ReadFileBytes(folder / L"lines.reg"));
        const size_t begin = text.find(L"\"" + name + L"\"=hex:");
        ASSERT_NE(begin, std::wstring::npos);
        size_t at = begin;
        for (size_t i = 0; i < c.bytesPerLine.size(); ++i) {
            const size_t end = text.find(L"\r\n", at);
            const std::wstring line = text.substr(at, end - at);
            const size_t prefix = i == 0 ? name.size() + 7 : 2;
            const bool last = i + 1 == c.bytesPerLine.size();
            const size_t expectedLength = prefix + 3 * c.bytesPerLine[i] - (last ? 1 : 0) + (last ? 0 : 1);
            EXPECT_EQ(line.size(), expectedLength) << "line " << i;
            EXPECT_EQ(line.back() == L'\\', !last) << "line " << i;
            if (!last) {
                EXPECT_LE(line.size(), 80u) << "line " << i;
            }
            at = end + 2;
        }
        EXPECT_EQ(text.substr(at, 2), L"\r\n");  // the key's closing empty line follows
        regFile.Import(folder / L"lines.reg");
        EXPECT_EQ(GetValue(kSource, name), Pattern(60));
    }
}

TEST_F(TMyRegFileTest, TheReaderTakesWhatItUnderstandsAndSkipsTheRest)
{
    const std::wstring key = L"[HKEY_CURRENT_USER\\Software\\VaroqTest\\Target]";
    struct Case {
        const char* name;
        Bytes file;
        std::map<std::wstring, Value> expected;
    };
    const auto s = [](const std::wstring& text) { return Value{REG_SZ, Utf16(text + std::wstring(1, L'\0'))}; };
    const auto d = [](DWORD v) { return Value{REG_DWORD, Bytes{uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}}; };
    const auto b = [](Bytes bytes) { return Value{REG_BINARY, bytes}; };
    const std::wstring header = L"Windows Registry Editor Version 5.00";
    const Case cases[] = {
        {"with byte-order mark", FileOf(header + L"\r\n\r\n" + key + L"\r\n\"a\"=\"1\"\r\n"), {{L"a", s(L"1")}}},
        {"without byte-order mark", FileOf(header + L"\n" + key + L"\n\"a\"=\"1\"", {}), {{L"a", s(L"1")}}},
        {"header with trailing blanks and returns", FileOf(header + L" \t\r\r\n" + key + L"\r\n@=dword:1f\r\n"),
         {{L"", d(0x1f)}}},
        {"lines before the first key and under other keys",
         FileOf(header + L"\r\n\"early\"=\"x\"\r\n[HKEY_LOCAL_MACHINE\\Software\\VaroqTest\\Target]\r\n\"hklm\"=\"x\"\r\n"
                L"[-" + key.substr(1) + L"\r\n\"deleted\"=\"x\"\r\n[HKEY_CURRENT_USER]\r\n\"root\"=\"x\"\r\n" +
                key + L"\r\n\"kept\"=\"x\"\r\n"),
         {{L"kept", s(L"x")}}},
        {"names and data the reader does not take",
         FileOf(header + L"\r\n" + key + L"\r\n\"a=b\"=\"x\"\r\n;\"comment\"=\"x\"\r\nplain=\"x\"\r\n\"no equals\"\r\n"
                L"\"typed\"=hex(2):41,00\r\n\"gone\"=-\r\n\"d\"=dword:\r\n\"q\"=\"unclosed\r\n"),
         {{L"d", d(0)}, {L"q", s(L"unclose")}}},
        // Numbers of more digits give their lowest byte; the list ends at anything else.
        {"byte lists", FileOf(header + L"\r\n" + key + L"\r\n\"b\"=hex:1ff, 2,AB,\\\r\n  0c\\\r\n  d0,123456789ab;00\r\n\"e\"=hex:\r\n"),
         {{L"b", b({0xff, 0x02, 0xab, 0x0c, 0xd0, 0xab})}, {L"e", b({})}}},
        {"a continuation that ends the file without a line end",
         FileOf(header + L"\r\n" + key + L"\r\n\"b\"=hex:01,02,\\\r\n  03,04"), {{L"b", b({1, 2, 3, 4})}}},
        {"continuation lines that look like key lines",
         FileOf(header + L"\r\n" + key + L"\r\n\"b\"=hex:01,\\\r\n[HKEY_CURRENT_USER\\Software\\VaroqTest\\Other]\r\n\"c\"=\"x\"\r\n"),
         {{L"b", b({1})}, {L"c", s(L"x")}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DeleteTree(L"Software\\VaroqTest");
        WriteFileBytes(folder / L"in.reg", c.file);
        EXPECT_EQ(Failure([&] { regFile.Import(folder / L"in.reg"); }), L"");
        const Tree tree = ReadTree(kTarget);
        EXPECT_TRUE((tree.empty() ? std::map<std::wstring, Value>{} : tree.at(L"")) == c.expected);
        EXPECT_FALSE(KeyExists(L"Software\\VaroqTest\\Other"));
    }
}

TEST_F(TMyRegFileTest, OnlyTheVersion5HeaderIsAccepted)
{
    const std::wstring body = L"\r\n[HKEY_CURRENT_USER\\Software\\VaroqTest\\Target]\r\n\"a\"=\"1\"\r\n";
    const Bytes bigEndianMark = {0xFE, 0xFF};
    std::string regedit4 = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\VaroqTest\\Target]\r\n\"a\"=\"1\"\r\n";
    const Bytes files[] = {
        FileOf(L"Windows Registry Editor Version 5.00" + body, bigEndianMark),
        Bytes(regedit4.begin(), regedit4.end()),
        FileOf(L"windows registry editor version 5.00" + body),
        FileOf(L"Windows Registry Editor Version 4.00" + body),
        {},
    };
    for (const Bytes& file : files) {
        WriteFileBytes(folder / L"in.reg", file);
        EXPECT_EQ(Failure([&] { regFile.Import(folder / L"in.reg"); }), L"レジストリファイルのバージョンが違います");
        EXPECT_FALSE(KeyExists(kTarget));
    }
    WriteFileBytes(folder / L"in.reg", FileOf(L"Windows Registry Editor Version 5.00"));
    EXPECT_EQ(Failure([&] { regFile.Import(folder / L"in.reg"); }), L"");
}

TEST_F(TMyRegFileTest, FilesThatCannotBeOpenedAreReportedAndNothingElseIsTouched)
{
    SetDword(kSource, L"a", 1);
    EXPECT_EQ(Failure([&] { regFile.Import(folder / L"missing.reg"); }), L"入力ファイルのオープンに失敗しました");
    EXPECT_EQ(Failure([&] { regFile.Export(kSource, folder / L"no such folder\\out.reg"); }),
              L"出力ファイルのオープンに失敗しました");
    // A name that the ANSI code page cannot hold is not turned into another name.
    EXPECT_EQ(Failure([&] { regFile.Export(kSource, folder / L"backup\u0800.reg"); }),
              L"出力ファイルのオープンに失敗しました");
    EXPECT_EQ(Failure([&] { regFile.Import(folder / L"backup\u0800.reg"); }), L"入力ファイルのオープンに失敗しました");
    EXPECT_TRUE(folder.FileNames().empty());
}

TEST_F(TMyRegFileTest, AMissingKeyExportsTheHeaderAlone)
{
    regFile.Export(L"Software\\VaroqTest\\Nothing", folder / L"none.reg");
    EXPECT_EQ(ReadFileBytes(folder / L"none.reg"), FileOf(L"Windows Registry Editor Version 5.00\r\n\r\n"));
    EXPECT_FALSE(KeyExists(L"Software\\VaroqTest\\Nothing"));
}
