// Cost of one calculation against the shipped table and against generated larger tables.
// The table file is read once per entry, so the cost should grow with records x entries.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/Calculation.h"
#include "tests/support/RecordingView.h"

namespace {

using namespace Varnock;

// H to Zn: 30 entries in 40 characters, the most the formula box holds.
constexpr std::string_view ThirtyEntries = "HHeLiBeBCNOFNeNaMgAlSiPSClArKCaScTiVCrMnFeCoNiCuZn";

// A table of Records records: fillers first, the shipped table last so every element is found.
std::string GeneratedTable(int Records) {
    std::ifstream Shipped(VARNOCK_ELEMENTS_DAT, std::ios::binary);
    std::stringstream ShippedText;
    ShippedText << Shipped.rdbuf();
    const std::string Path = (std::filesystem::temp_directory_path() /
                              ("varnock-bench-" + std::to_string(Records) + ".dat"))
                                 .string();
    std::ofstream Out(Path, std::ios::binary);
    for (int Record = 118; Record < Records; ++Record)
        Out << "\"Q" << Record << "\"," << Record << "," << Record << ".125\r\n";
    Out << ShippedText.str();
    return Path;
}

void Run(benchmark::State& State, std::string_view Formula, const std::string& TablePath) {
    const ElementTable Elements(TablePath);
    BasVarnock Table;
    Testing::RecordingView View;
    View.KeepEvents = false; // a record growing with every run would be timed too
    for (auto _ : State) {
        Calculate(Table, Formula, Elements, View, '.');
        benchmark::DoNotOptimize(View.Report.data());
    }
    if (!View.Notices.empty())
        State.SkipWithError("an element was missing from the table");
    State.counters["Entries"] = static_cast<double>(Formula.size() > 3 ? 30 : 2);
}

void BM_WaterShippedTable(benchmark::State& State) {
    Run(State, "H2O", VARNOCK_ELEMENTS_DAT);
}
void BM_ThirtyEntriesShippedTable(benchmark::State& State) {
    Run(State, ThirtyEntries, VARNOCK_ELEMENTS_DAT);
}
void BM_ThirtyEntriesGeneratedTable(benchmark::State& State) {
    const std::string Path = GeneratedTable(static_cast<int>(State.range(0)));
    Run(State, ThirtyEntries, Path);
    std::filesystem::remove(Path);
}

} // namespace

BENCHMARK(BM_WaterShippedTable)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThirtyEntriesShippedTable)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThirtyEntriesGeneratedTable)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
