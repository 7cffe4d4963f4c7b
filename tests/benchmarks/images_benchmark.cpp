// Times cutting every picture and mask out of a PastIconsStream value of 1,000 and of 2,000
// pictures (16 x 16, 32 bits), and one rebuild, and prints the figures. Not a test: run it
// with scripts/benchmark.sh.
#include "Osubstrm/TMyImagesStream.h"

#include "support/BmpBuilder.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>

using namespace test_support;

namespace {

double Now()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct Figures {
    double Load = 0;        // seconds
    double PerPicture = 0;  // microseconds
    double PerMask = 0;
    double Rebuild = 0;     // seconds
};

Figures Measure(uint32_t count)
{
    PastIconsLayout layout;
    layout.ImageCount = count;
    layout.Images = GridLayout{4, 32, {}, [](uint32_t k, int x, int y) { return k * 2654435761u ^ (x << 8 | y); }};
    layout.Masks = GridLayout{4, 1, {0, 0xFFFFFF}, [](uint32_t k, int x, int y) { return (k + x + y) & 1u; }};
    const Bytes value = MakePastIconsStream(layout);

    Figures best{1e9, 1e9, 1e9, 1e9};
    for (int round = 0; round < 3; ++round) {
        classlib::TMemoryStream stream;
        stream.Write(value.data(), value.size());
        double t = Now();
        TMyImagesStream images(stream, 6);
        best.Load = std::min(best.Load, Now() - t);

        TMyImagesStream::Bitmaps pictures, masks;
        pictures.reserve(count);
        masks.reserve(count);
        t = Now();
        for (uint32_t k = 0; k < count; ++k) pictures.push_back(images.GetImage(k));
        best.PerPicture = std::min(best.PerPicture, (Now() - t) / count * 1e6);
        t = Now();
        for (uint32_t k = 0; k < count; ++k) masks.push_back(images.GetMask(k));
        best.PerMask = std::min(best.PerMask, (Now() - t) / count * 1e6);
        t = Now();
        images.Rebuild(pictures, masks);
        best.Rebuild = std::min(best.Rebuild, Now() - t);
    }
    return best;
}

}  // namespace

int main()
{
    const Figures one = Measure(1000);
    const Figures two = Measure(2000);
    std::printf("PastIconsStream, 16 x 16 pictures at 32 bits, best of 3 rounds\n");
    std::printf("%-8s %12s %16s %14s %12s\n", "pictures", "load (ms)", "picture (us)", "mask (us)", "rebuild (ms)");
    for (const auto& [n, f] : {std::pair{1000, one}, std::pair{2000, two}}) {
        std::printf("%-8d %12.2f %16.2f %14.2f %12.2f\n", n, f.Load * 1e3, f.PerPicture, f.PerMask, f.Rebuild * 1e3);
    }
    const double cutOne = (one.PerPicture + one.PerMask) * 1000;
    const double cutTwo = (two.PerPicture + two.PerMask) * 2000;
    std::printf("cutting all pictures and masks: 2,000 cost %.2f times 1,000\n", cutTwo / cutOne);
    std::printf("one rebuild: 2,000 cost %.2f times 1,000\n", two.Rebuild / one.Rebuild);
    return 0;
}
