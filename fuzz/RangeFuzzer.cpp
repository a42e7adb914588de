// Arbitrary bytes as the element ranges of a formula search, then the search itself over the
// shipped tables. The reader either reads ranges that hold (symbols of one uppercase and up to
// two lowercase letters, each once, counts in order and within the limit, read back the same
// from their text) or refuses with a notice at a place within the text. Ranges whose elements
// the tables hold are searched for a mass the input's length picks, under a step limit: the
// search ends, and every candidate lies within the tolerance, in order.

#include <cmath>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>

#include "core/FormulaSearch.h"
#include "fuzz/FuzzCheck.h"

namespace {

using namespace Varnock;
using Varnock::Fuzzing::Quoted;
using Varnock::Fuzzing::Require;

bool IsSymbol(const std::string& Symbol) {
    if (Symbol.empty() || Symbol.size() > 3 || Symbol[0] < 'A' || Symbol[0] > 'Z')
        return false;
    for (std::size_t At = 1; At < Symbol.size(); ++At)
        if (Symbol[At] < 'a' || Symbol[At] > 'z')
            return false;
    return true;
}

const IsotopeTable& Isotopes() {
    static const IsotopeTable Table(IsotopeTableBeside(VARNOCK_ELEMENTS_DAT));
    return Table;
}

const std::unordered_map<std::string, int>& Numbers() {
    static const auto Read = AtomicNumbers(ElementTable(VARNOCK_ELEMENTS_DAT));
    return Read;
}

void CheckSearch(const std::vector<ElementRange>& Ranges, std::size_t Size) {
    std::string Notice;
    FindRequest Request;
    Request.Elements = SearchElements(Ranges, Numbers(), Isotopes(), Notice);
    if (Request.Elements.empty())
        return;
    Request.Measured = 50.0 + static_cast<double>(Size % 64) * 23.7;
    Request.Tolerance = 20;
    Request.StepLimit = 200000;
    Request.Max = 50;
    const FindResult Result = FindFormulas(Request);
    Require(Result.Steps <= Request.StepLimit, [&] {
        return "the search tried " + std::to_string(Result.Steps) + " formulas past its limit";
    });
    const double Window = Request.Measured * Request.Tolerance * 1e-6;
    for (std::size_t At = 0; At < Result.Candidates.size(); ++At) {
        const Candidate& Each = Result.Candidates[At];
        Require(std::fabs(Each.MassToCharge - Request.Measured) <= Window, [&] {
            return Each.Hill + " lies outside the tolerance of " + std::to_string(Request.Measured);
        });
        Require(At == 0 || std::fabs(Result.Candidates[At - 1].ErrorPpm) <= std::fabs(Each.ErrorPpm),
                [&] { return Each.Hill + " is out of order"; });
    }
    Require(Result.Candidates.size() <= Request.Max && Result.Found >= Result.Candidates.size(),
            [&] { return std::string("more candidates kept than found or allowed"); });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string_view Text(reinterpret_cast<const char*>(Data), Size);
    const RangeReading Read = ReadRanges(Text);
    if (!Read.Read) {
        Require(Read.Position <= Text.size() && Read.Notice.rfind("Ranges: ", 0) == 0, [&] {
            return "refusal of " + Quoted(Text) + " at " + std::to_string(Read.Position) + ": " +
                   Read.Notice;
        });
        return 0;
    }
    std::set<std::string> Seen;
    for (const ElementRange& Range : Read.Ranges) {
        Require(IsSymbol(Range.Symbol) && Seen.insert(Range.Symbol).second &&
                    Range.Min >= 0 && Range.Min <= Range.Max && Range.Max <= RangeCountLimit,
                [&] {
                    return Quoted(Text) + " read as " + Quoted(Range.Symbol) + " " +
                           std::to_string(Range.Min) + " to " + std::to_string(Range.Max);
                });
    }
    Require(!Read.Ranges.empty() && ReadRanges(RangesText(Read.Ranges)).Ranges == Read.Ranges,
            [&] { return Quoted(Text) + " does not read back from " + RangesText(Read.Ranges); });
    CheckSearch(Read.Ranges, Size);
    return 0;
}
