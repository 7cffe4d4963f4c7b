// Moving test bytes in and out of the library's memory streams.
#pragma once

#include "classlib/TMemoryStream.h"
#include "support/RegistryFixture.h"

namespace test_support {

// A stream holding the bytes, positioned at 0.
inline classlib::TMemoryStream StreamOf(const Bytes& bytes)
{
    classlib::TMemoryStream stream;
    stream.Write(bytes.data(), bytes.size());
    stream.SetPosition(0);
    return stream;
}

inline Bytes BytesOf(const classlib::TMemoryStream& stream)
{
    return Bytes(stream.Memory(), stream.Memory() + stream.Size());
}

}  // namespace test_support
