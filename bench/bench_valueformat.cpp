// Cost of the value texts for one format change of a large grid: 5,000,000
// cells per run, medians of several runs, against snprintf on the same
// values in the same run.
//
//   bench_valueformat [cells] [runs]

#include "Median.h"
#include "records/ValueFormat.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <vector>

using namespace ValueFormat;

namespace {

// Keeps the optimiser from dropping the texts.
std::uint64_t g_sink = 0;

void report(const char *name, double seconds, double reference, std::size_t cells)
{
    std::printf("%-34s %8.1f ms  %6.1f ns/cell  ratio %.2f\n", name, seconds * 1e3,
                seconds * 1e9 / double(cells), seconds / reference);
}

} // namespace

int main(int argc, char **argv)
{
    const std::size_t cells = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 5000000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 5;

    std::mt19937 rng(20130507);
    // Raw words as a panel logs them: random patterns and plausible floats.
    std::vector<std::uint32_t> randomBits(cells);
    std::vector<std::uint32_t> floatBits(cells);
    std::uniform_real_distribution<float> measured(-5000.0f, 5000.0f);
    for (std::size_t i = 0; i < cells; ++i) {
        randomBits[i] = std::uint32_t(rng());
        const float f = measured(rng);
        std::memcpy(&floatBits[i], &f, sizeof f);
    }
    const DecimalSeparator sep('.');

    const auto printfFloat = [&](const std::vector<std::uint32_t> &bits) {
        return medianSeconds(runs, [&] {
            char buf[64];
            for (std::uint32_t b : bits) {
                float f;
                std::memcpy(&f, &b, sizeof f);
                g_sink += std::size_t(std::snprintf(buf, sizeof buf, "%.6f", double(f)));
            }
        });
    };
    const auto ours = [&](const std::vector<std::uint32_t> &bits, auto &&make) {
        return medianSeconds(runs, [&] {
            for (std::uint32_t b : bits)
                g_sink += std::size_t(make(b).size);
        });
    };

    std::printf("%zu cells, median of %d runs\n", cells, runs);
    const double refPlausible = printfFloat(floatBits);
    report("snprintf %.6f, plausible floats", refPlausible, refPlausible, cells);
    report("format 4, plausible floats",
           ours(floatBits, [&](std::uint32_t b) { return floatText(b, sep); }), refPlausible,
           cells);
    const double refRandom = printfFloat(randomBits);
    report("snprintf %.6f, random patterns", refRandom, refRandom, cells);
    report("format 4, random patterns",
           ours(randomBits, [&](std::uint32_t b) { return floatText(b, sep); }), refRandom, cells);
    report("format 2, random patterns",
           ours(randomBits,
                [&](std::uint32_t b) {
                    return pairText(Format::Signed32, std::uint16_t(b), std::uint16_t(b >> 16),
                                    sep);
                }),
           refRandom, cells);
    report("format 3, random patterns",
           ours(randomBits, [&](std::uint32_t b) { return hexText(b); }), refRandom, cells);
    report("format 1, random words",
           ours(randomBits,
                [&](std::uint32_t b) { return wordText(Format::Signed16, std::uint16_t(b)); }),
           refRandom, cells);

    // Stored texts: what a database format change reads.
    std::vector<char> stored(cells * 8);
    for (std::size_t i = 0; i < cells; ++i)
        std::snprintf(&stored[i * 8], 8, "%u", unsigned(randomBits[i] & 0xFFFF));
    const double storedPairs = medianSeconds(runs, [&] {
        Text out;
        for (std::size_t i = 0; i + 1 < cells; i += 2) {
            const QByteArrayView low(&stored[i * 8]);
            const QByteArrayView high(&stored[(i + 1) * 8]);
            if (storedPairText(Format::Float32, low, high, sep, out))
                g_sink += std::size_t(out.size);
        }
    });
    report("format 4 from stored texts", storedPairs * 2, refRandom, cells);

    std::printf("(sink %llu)\n", static_cast<unsigned long long>(g_sink));
    return 0;
}
