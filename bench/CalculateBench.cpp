// Cost of one calculation against the shipped table and against generated larger tables.
// The table file is read once per entry, so the cost should grow with records x entries.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/Calculation.h"
#include "core/GroupTable.h"
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

// What a list does with each formula that names groups: read it with the groups and weigh it
// against a snapshot of the element table, into a view that shows no report. The formulas come
// from FormulaList --groups, written to a file by the caller (GroupsSpeed.sh), or a few typical
// ones when there is none.
class MassOnlyView : public Testing::RecordingView {
public:
    bool ShowsReport() const override { return false; }
};

void BM_GroupFormulas(benchmark::State& State) {
    std::vector<std::string> Formulas;
    if (const char* Path = std::getenv("VARNOCK_GROUP_FORMULAS")) {
        std::ifstream In(Path);
        for (std::string Line; std::getline(In, Line);)
            Formulas.push_back(Line);
    }
    if (Formulas.empty())
        Formulas = {"Ph3P",      "Et3N",         "tBuOK",      "Pd(PPh3)4",
                    "Cu(acac)2", "H-Ala-Gly-OH", "Boc-Gly-OH", "Me3SiCl"};
    const ElementTable Table(VARNOCK_ELEMENTS_DAT);
    const ElementSnapshot Elements(Table);
    const GroupTable Groups(GroupTableBeside(VARNOCK_ELEMENTS_DAT), ElementSymbols::Of(Table));
    BasVarnock Entries;
    MassOnlyView View;
    View.KeepEvents = false;
    for (auto _ : State)
        for (const std::string& Formula : Formulas) {
            View.Notices.clear();
            Calculate(Entries, ReadTyped(Formula), Elements, View, '.', &Groups);
            benchmark::DoNotOptimize(View.Mass.data());
        }
    if (!View.Notices.empty())
        State.SkipWithError(View.Notices.front().c_str());
    State.SetItemsProcessed(State.iterations() * static_cast<std::int64_t>(Formulas.size()));
}

} // namespace

BENCHMARK(BM_WaterShippedTable)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThirtyEntriesShippedTable)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ThirtyEntriesGeneratedTable)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GroupFormulas)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
