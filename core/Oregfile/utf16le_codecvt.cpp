#include "Oregfile/utf16le_codecvt.h"

#include <cstring>

namespace {

// The conversion state holds one flag: whether the byte-order mark has been dealt with.
bool MarkHandled(const std::mbstate_t& state)
{
    unsigned char first;
    std::memcpy(&first, &state, 1);
    return first != 0;
}

void SetMarkHandled(std::mbstate_t& state)
{
    const unsigned char one = 1;
    std::memcpy(&state, &one, 1);
}

}  // namespace

utf16le_codecvt::result utf16le_codecvt::do_out(state_type& state, const intern_type* from, const intern_type* fromEnd,
                                                const intern_type*& fromNext, extern_type* to, extern_type* toEnd,
                                                extern_type*& toNext) const
{
    fromNext = from;
    toNext = to;
    if (!MarkHandled(state)) {
        if (toEnd - toNext < 2) {
            return error;
        }
        *toNext++ = static_cast<extern_type>(0xFF);
        *toNext++ = static_cast<extern_type>(0xFE);
        SetMarkHandled(state);
    }
    // Whole characters only, as many as both buffers take: one call per buffer, not one per
    // character.
    const std::size_t count =
        std::min<std::size_t>(static_cast<std::size_t>(fromEnd - fromNext), static_cast<std::size_t>(toEnd - toNext) / 2);
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned unit = static_cast<unsigned short>(fromNext[i]);
        toNext[2 * i] = static_cast<extern_type>(unit & 0xFF);
        toNext[2 * i + 1] = static_cast<extern_type>(unit >> 8);
    }
    fromNext += count;
    toNext += 2 * count;
    return fromNext == fromEnd ? ok : partial;
}

utf16le_codecvt::result utf16le_codecvt::do_in(state_type& state, const extern_type* from, const extern_type* fromEnd,
                                               const extern_type*& fromNext, intern_type* to, intern_type* toEnd,
                                               intern_type*& toNext) const
{
    fromNext = from;
    toNext = to;
    if (!MarkHandled(state)) {
        if (fromEnd - fromNext < 2) {
            return partial;
        }
        const auto b0 = static_cast<unsigned char>(fromNext[0]);
        const auto b1 = static_cast<unsigned char>(fromNext[1]);
        if (b0 == 0xFE && b1 == 0xFF) {
            return error;  // big-endian text is not read
        }
        if (b0 == 0xFF && b1 == 0xFE) {
            fromNext += 2;
        }
        SetMarkHandled(state);
    }
    const std::size_t count =
        std::min<std::size_t>(static_cast<std::size_t>(fromEnd - fromNext) / 2, static_cast<std::size_t>(toEnd - toNext));
    for (std::size_t i = 0; i < count; ++i) {
        toNext[i] = static_cast<intern_type>(static_cast<unsigned char>(fromNext[2 * i]) |
                                             static_cast<unsigned char>(fromNext[2 * i + 1]) << 8);
    }
    fromNext += 2 * count;
    toNext += count;
    return fromNext == fromEnd ? ok : partial;
}

int utf16le_codecvt::do_length(state_type& state, const extern_type* from, const extern_type* end, std::size_t max) const
{
    const std::size_t wanted = 2 * max + (MarkHandled(state) ? 0 : 2);
    const std::size_t available = static_cast<std::size_t>(end - from);
    return static_cast<int>(std::min(wanted, available - available % 2));
}
