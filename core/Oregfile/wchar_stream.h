// A wide file stream over a registry export file: UTF-16 little-endian through
// utf16le_codecvt, opened in binary mode so that no line end is translated. The name
// reaches the file system through the system's ANSI code page.
#pragma once

#include "Oregfile/utf16le_codecvt.h"

#include <windows.h>

#include <fstream>
#include <locale>
#include <string>

// The file name in the ANSI code page, or empty when a character has no place there (it
// would otherwise become another file's name).
std::string AnsiFileName(const std::wstring& name);

template <typename Stream>
class wchar_stream : public Stream {
public:
    wchar_stream(const std::wstring& fileName, std::ios_base::openmode mode)
    {
        this->imbue(std::locale(std::locale::classic(), new utf16le_codecvt));
        const std::string ansi = AnsiFileName(fileName);
        if (!ansi.empty()) {
            this->open(ansi.c_str(), mode | std::ios_base::binary);
        } else {
            this->setstate(std::ios_base::failbit);
        }
    }
};
