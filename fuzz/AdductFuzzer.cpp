// Adduct bytes through the adduct reader, the table of named adducts and the ion's m/z against
// the shipped isotope table. Besides the sanitizers' findings it aborts when the reader breaks
// one of its promises: a reading either reads, with a charge that is never 0, a count of
// molecules from 1 to the limit and the text kept as given, or stops at a place inside the text
// (or just after it) with a notice naming it; the m/z shift of a read adduct is finite; the
// ion's formula that FormIon makes of caffeine and its Lacking agree with LackingEntry, with no
// count below 0; the m/z comes back to the molecule's mass through the inverse.

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/Adduct.h"
#include "core/AdductTable.h"
#include "fuzz/FuzzCheck.h"

namespace {

using namespace Varnock;
using Varnock::Fuzzing::Quoted;
using Varnock::Fuzzing::Require;

const IsotopeTable& Isotopes() {
    static const IsotopeTable Table(IsotopeTableBeside(VARNOCK_ELEMENTS_DAT));
    return Table;
}
const AdductTable& Named() {
    static const AdductTable Table(AdductTableBeside(VARNOCK_ELEMENTS_DAT));
    return Table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string Text(reinterpret_cast<const char*>(Data), Size);
    const auto About = [&](const std::string& What) { return Quoted(Text) + ": " + What; };
    const AdductReading Reading = ReadNamedAdduct(Text, &Named());
    const std::string Notice = AdductRefusalNotice(Reading, FromCodePage(Text));
    if (Reading.Result != AdductResult::Read) {
        Require(Reading.Position <= Text.size(), [&] { return About("stopped outside the text"); });
        Require(Notice.starts_with("Adduct "), [&] { return About("notice " + Quoted(Notice)); });
        Require(Reading.Ion == Adduct(), [&] { return About("a refusal kept an adduct"); });
        return 0;
    }
    const Adduct& Ion = Reading.Ion;
    Require(Notice.empty(), [&] { return About("read, with a notice"); });
    Require(Ion.Charge != 0 && std::abs(Ion.Charge) <= AdductLimit,
            [&] { return About("charge " + std::to_string(Ion.Charge)); });
    Require(Ion.Molecules >= 1 && Ion.Molecules <= AdductLimit,
            [&] { return About("molecules " + std::to_string(Ion.Molecules)); });
    Require(Ion.Text == Text || Named().Find(Text),
            [&] { return About("text kept as " + Quoted(Ion.Text)); });
    Require(Ion.RemovedAt.size() == Ion.Removed.size(),
            [&] { return About("a removed entry without its place"); });
    for (const std::size_t At : Ion.RemovedAt)
        Require(At < Ion.Text.size(), [&] { return About("a removed entry's place is outside"); });

    // Caffeine, C8H10N4O2, as the molecule.
    const std::vector<FormulaEntry> Caffeine = {
        {"C", 8.0, 0}, {"H", 10.0, 0}, {"N", 4.0, 0}, {"O", 2.0, 0}};
    const IonFormula Formed = FormIon(Ion, Caffeine);
    Require(Formed.Lacking == LackingEntry(Ion, Caffeine),
            [&] { return About("FormIon and LackingEntry disagree"); });
    if (Formed.Lacking) {
        Require(*Formed.Lacking < Ion.Removed.size(), [&] { return About("lacking outside"); });
        Require(LackingNotice(Ion, *Formed.Lacking).starts_with("Adduct "),
                [&] { return About("lacking notice"); });
    }
    for (const FormulaEntry& Entry : Formed.Entries)
        Require(Entry.Count.AsDouble() > 0, [&] { return About("a count of 0 or below"); });

    const double Mass = 194.08037556;
    if (const auto Shift = AdductShift(Ion, Isotopes()); Shift && std::isfinite(*Shift)) {
        const double MassToCharge = AdductMassToCharge(Ion, Mass, *Shift);
        const double Back = AdductMoleculeMass(Ion, MassToCharge, *Shift);
        // Within what a double keeps of the sum: a huge shift leaves less of the molecule's mass.
        Require(std::abs(Back - Mass) < 1e-6 + std::abs(*Shift) * 1e-15,
                [&] { return About("m/z back to " + std::to_string(Back)); });
    }
    return 0;
}
