// Statistics of a selection of 1,000,000 cells as the grid shows them:
// integer texts, fixed six-decimal float texts and scaled tag texts, medians
// of several runs, against a plain strtod-and-add loop over the same texts in
// the same run (which is neither exact nor keeps the texts of min and max).
//
//   bench_numberstatistics [cells] [runs]

#include "Median.h"
#include "records/NumberStatistics.h"
#include "records/TagValue.h"

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

namespace {

double g_sink = 0;

// The cells in one arena with NUL-ended texts, as the grid keeps them.
struct Cells
{
    QByteArray arena;
    std::vector<qsizetype> starts;
    QByteArrayView at(std::size_t i) const { return QByteArrayView(arena.constData() + starts[i]); }
};

Cells texts(std::size_t cells, const TagFormatter &f, std::mt19937 &rng)
{
    Cells out;
    QByteArray text;
    for (std::size_t i = 0; i < cells; ++i) {
        f.write(std::uint32_t(rng()), text);
        out.starts.push_back(out.arena.size());
        out.arena.append(text).append('\0');
    }
    return out;
}

Tag tag(const QStringList &fields)
{
    Tag t;
    if (TagSheet::tagFromFields(fields, t))
        std::abort();
    return t;
}

} // namespace

int main(int argc, char **argv)
{
    const std::size_t cells = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1000000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 7;
    std::mt19937 rng(20130507);

    const auto field = [](const char *s) { return QString::fromLatin1(s); };
    struct Case
    {
        const char *name;
        Cells cells;
    };
    std::vector<Case> cases;
    cases.push_back(
        {"16-bit signed words",
         texts(cells,
               TagFormatter(
                   tag({field("*"), field("0"), field("A"), {}, field("s16"), {}, {}, {}, {}})),
               rng)});
    cases.push_back(
        {"32-bit float texts",
         texts(cells,
               TagFormatter(
                   tag({field("*"), field("0"), field("A"), {}, field("f32"), {}, {}, {}, {}})),
               rng)});
    cases.push_back({"tag s32 * 0.001 + 12.5",
                     texts(cells,
                           TagFormatter(tag({field("*"),
                                             field("0"),
                                             field("A"),
                                             {},
                                             field("s32"),
                                             field("0.001"),
                                             field("12.5"),
                                             {},
                                             {}})),
                           rng)});

    std::printf("%zu cells, median of %d runs\n", cells, runs);
    for (const Case &c : cases) {
        const double reference = medianSeconds(runs, [&] {
            double sum = 0;
            for (std::size_t i = 0; i < c.cells.starts.size(); ++i)
                sum += std::strtod(c.cells.at(i).data(), nullptr) == 0 ? 0 : 1;
            g_sink += sum;
        });
        const double ours = medianSeconds(runs, [&] {
            NumberStatistics s;
            for (std::size_t i = 0; i < c.cells.starts.size(); ++i)
                s.add(c.cells.at(i));
            g_sink += double(s.count() + s.meanText().size());
        });
        std::printf("%-26s strtod+add %7.1f ms   statistics %7.1f ms   ratio %.2f\n", c.name,
                    reference * 1e3, ours * 1e3, ours / reference);
    }
    std::printf("(sink %g)\n", g_sink);
    return 0;
}
