#pragma once

// Adduct ions as mass spectrometry writes them: [M+H]+, [M+Na]+, [M-H]-, [M+2H]2+, [2M+H]+,
// [M-H2O+H]+, [M+HCOO]-. Inside the brackets: an optional count of molecules, M, then any
// number of formulas each after a + (added) or a - (removed), read by the formula reader; after
// the brackets the ion's charge: +, -, 2+, 3-, ^+ (as a pasted superscript reads), or +2.
//
// With M the molecule's monoisotopic mass, k the count and z the charge:
//   m/z = (k*M + Shift) / |z|,  Shift = added - removed - z*m_e
// so that a cation has lost z electrons and an anion gained -z.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/FormulaReader.h"
#include "core/IsotopeTable.h"
#include "core/TypedFormula.h"

namespace Varnock {

// The largest count of molecules and the largest charge an adduct may give.
inline constexpr int AdductLimit = 9999;

struct Adduct {
    int Molecules = 1; // k, the count before M
    int Charge = 0;    // z, signed; never 0 once read
    // The formulas after + and after -, their entries merged by symbol and mass number in the
    // order they first occur, counts as the formula reader gives them.
    std::vector<FormulaEntry> Added;
    std::vector<FormulaEntry> Removed;
    // For each entry of Removed, the byte of Text where the first formula removing it starts.
    std::vector<std::size_t> RemovedAt;
    std::string Text; // as read, code page: "[M+H]+"

    friend bool operator==(const Adduct&, const Adduct&) = default;
};

enum class AdductResult {
    Read,
    NoOpening,     // no "[" at the start
    NoMolecule,    // no M after the "[" and the count
    ZeroMolecules, // a count of 0 before M
    TooLarge,      // a count or a charge above AdductLimit, or a formula's counts overflowing
    EmptyPart,     // a + or - with no formula after it
    PartRefused,   // a formula the formula reader refuses: Part says why
    ChargedPart,   // a formula added or removed that carries a charge of its own: SO4(2-)
    Unreadable,    // a character that stands where nothing can
    Unclosed,      // no "]" ends the molecule's part
    NoCharge,      // no charge after the "]"
    ZeroCharge,    // a charge of 0
};

struct AdductReading {
    AdductResult Result = AdductResult::Read;
    std::size_t Position = 0; // 0-based byte of the text where the reading stopped
    Adduct Ion;               // when read
    // PartRefused: where the refused formula starts and ends, and the reader's reading of it,
    // its positions within the formula.
    std::size_t PartStart = 0;
    std::size_t PartEnd = 0;
    FormulaReading Part;
};

// Reads code page text, as ReadFormula does; blanks around the whole are skipped.
// With Groups, a formula of the adduct may name groups, which the adduct holds as their elements.
AdductReading ReadAdduct(std::string_view Text, const GroupTable* Groups = nullptr);

// One line naming the character and its place, as the formula reader's notices do, Typed being
// the text the reading read:
// Adduct [M+H]0+: character 6 "0": the charge can't be 0
std::string AdductRefusalNotice(const AdductReading& Reading, const TypedFormula& Typed);

// The monoisotopic mass the adduct adds to k*M: added - removed - z*m_e; empty when the
// isotope table lacks one of their isotopes.
std::optional<double> AdductShift(const Adduct& Ion, const IsotopeTable& Isotopes);

// m/z of the ion of a molecule of monoisotopic mass Mass, and the inverse: the molecule's mass
// from a measured m/z.
double AdductMassToCharge(const Adduct& Ion, double Mass, double Shift);
double AdductMoleculeMass(const Adduct& Ion, double MassToCharge, double Shift);

// The ion's formula: k times the molecule, plus the added, less the removed, merged by symbol
// and mass number (the molecule's order first), entries that come to 0 left out. Lacking is the
// index in Ion.Removed of the first entry the molecule and the added formulas hold too little
// of; the entries are then empty.
struct IonFormula {
    std::vector<FormulaEntry> Entries;
    std::optional<std::size_t> Lacking;
};
IonFormula FormIon(const Adduct& Ion, const std::vector<FormulaEntry>& Molecule);
// The same Lacking alone, without forming the ion: for a list, quickly.
std::optional<std::size_t> LackingEntry(const Adduct& Ion,
                                        const std::vector<FormulaEntry>& Molecule);

// Why the ion can't be formed, for IonFormula's Lacking:
// Adduct [M-H2O+H]+: character 4 "H": removes more O than the molecule holds
std::string LackingNotice(const Adduct& Ion, std::size_t Lacking);

} // namespace Varnock
