// The conversion between the program's 16-bit wide characters and the bytes of a registry
// export file: UTF-16 little-endian, with the byte-order mark FF FE written first and
// skipped when read. A file that starts with FE FF (big-endian) cannot be read.
#pragma once

#include <cwchar>
#include <locale>

class utf16le_codecvt : public std::codecvt<wchar_t, char, std::mbstate_t> {
public:
    explicit utf16le_codecvt(std::size_t refs = 0) : std::codecvt<wchar_t, char, std::mbstate_t>(refs) {}

protected:
    result do_out(state_type& state, const intern_type* from, const intern_type* fromEnd, const intern_type*& fromNext,
                  extern_type* to, extern_type* toEnd, extern_type*& toNext) const override;
    result do_in(state_type& state, const extern_type* from, const extern_type* fromEnd, const extern_type*& fromNext,
                 intern_type* to, intern_type* toEnd, intern_type*& toNext) const override;
    result do_unshift(state_type&, extern_type* to, extern_type*, extern_type*& toNext) const override
    {
        toNext = to;
        return noconv;
    }
    int do_encoding() const noexcept override { return 2; }
    bool do_always_noconv() const noexcept override { return false; }
    int do_length(state_type& state, const extern_type* from, const extern_type* end, std::size_t max) const override;
    int do_max_length() const noexcept override { return 2; }
};
