// Registry export files (the registry editor's version 5.00 text, UTF-16): writing a key of
// HKEY_CURRENT_USER with its values and subkeys to a file, and reading such a file back
// into the registry. Only string, 32-bit integer and binary values are written or read.
#pragma once

#include <memory>
#include <string>

class TMyRegFile {
public:
    TMyRegFile();

    // Writes the key at keyPath (below HKEY_CURRENT_USER) and everything under it; a key
    // that cannot be opened gives a file of the header alone. Raises
    // "出力ファイルのオープンに失敗しました" when the file cannot be created and
    // "レジストリからバイナリデータ取得に失敗しました" when a binary value cannot be sized.
    void Export(const std::wstring& keyPath, const std::wstring& fileName);
    // Writes every value the file describes, creating keys as needed. Raises
    // "入力ファイルのオープンに失敗しました" and "レジストリファイルのバージョンが違います".
    void Import(const std::wstring& fileName);

    class Impl;

private:
    std::shared_ptr<Impl> impl_;
};
