// A wide character classification in which a comma counts as a blank, so that number
// extraction from a stream reads "01,ab,ff" as three numbers.
#pragma once

#include <locale>

class comma_ctype : public std::ctype<wchar_t> {
public:
    explicit comma_ctype(std::size_t refs = 0) : std::ctype<wchar_t>(refs) {}

protected:
    bool do_is(mask m, char_type c) const override
    {
        if ((m & space) && c == L',') {
            return true;
        }
        return std::ctype<wchar_t>::do_is(m, c);
    }
    const char_type* do_is(const char_type* low, const char_type* high, mask* vec) const override
    {
        std::ctype<wchar_t>::do_is(low, high, vec);
        for (const char_type* c = low; c != high; ++c, ++vec) {
            if (*c == L',') *vec |= space;
        }
        return high;
    }
    const char_type* do_scan_is(mask m, const char_type* low, const char_type* high) const override
    {
        for (; low != high && !do_is(m, *low); ++low) {
        }
        return low;
    }
    const char_type* do_scan_not(mask m, const char_type* low, const char_type* high) const override
    {
        for (; low != high && do_is(m, *low); ++low) {
        }
        return low;
    }
};
