#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/Adduct.h"
#include "core/TypedFormula.h"

namespace Varnock {
namespace {

const IsotopeTable& ShippedIsotopes() {
    static const IsotopeTable Table(IsotopeTableBeside(VARNOCK_ELEMENTS_DAT));
    return Table;
}

// Entries as "symbol*count", joined by spaces.
std::string Written(const std::vector<FormulaEntry>& Entries) {
    std::string Text;
    for (const auto& Entry : Entries)
        Text += (Text.empty() ? "" : " ") + (Entry.MassNumber ? LabelText(Entry) : Entry.Symbol) +
                "*" + Entry.Count.Text();
    return Text;
}

Adduct Read(const std::string& Text) {
    const AdductReading Reading = ReadAdduct(Text);
    EXPECT_EQ(Reading.Result, AdductResult::Read) << AdductRefusalNotice(Reading, ReadTyped(Text));
    return Reading.Ion;
}

TEST(AdductTest, ReadsTheUsualNotation) {
    const struct {
        const char* Text;
        int Molecules;
        int Charge;
        const char* Added;
        const char* Removed;
    } Cases[] = {
        {"[M+H]+", 1, 1, "H*1", ""},
        {"[M+Na]+", 1, 1, "Na*1", ""},
        {"[M+NH4]+", 1, 1, "N*1 H*4", ""},
        {"[M-H]-", 1, -1, "", "H*1"},
        {"[M+Cl]-", 1, -1, "Cl*1", ""},
        {"[M+2H]2+", 1, 2, "H*2", ""},
        {"[M+H+Na]2+", 1, 2, "H*1 Na*1", ""},
        {"[2M+H]+", 2, 1, "H*1", ""},
        {"[M-H2O+H]+", 1, 1, "H*1", "H*2 O*1"},
        {"[M+HCOO]-", 1, -1, "H*1 C*1 O*2", ""},
        {"[M+H+H]2+", 1, 2, "H*2", ""},
        {"[M-2H]2-", 1, -2, "", "H*2"},
        {"[M+[13C]H3]+", 1, 1, "[13C]*1 H*3", ""},
        {"[M+Fe]3+", 1, 3, "Fe*1", ""},
        {"[M]+", 1, 1, "", ""},
        {"[12M+H]+1", 12, 1, "H*1", ""},
        // As a pasted superscript charge reads, and with blanks around its parts.
        {"[M+H]^+", 1, 1, "H*1", ""},
        {" [ 2M + Na - H ] 2- ", 2, -2, "Na*1", "H*1"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Text);
        const Adduct Ion = Read(Case.Text);
        EXPECT_EQ(Ion.Molecules, Case.Molecules);
        EXPECT_EQ(Ion.Charge, Case.Charge);
        EXPECT_EQ(Written(Ion.Added), Case.Added);
        EXPECT_EQ(Written(Ion.Removed), Case.Removed);
        EXPECT_EQ(Ion.Text, Case.Text);
    }
    // Where each removed entry's formula starts, for the notice when the molecule lacks it.
    EXPECT_EQ(Read("[M-H2O-HCl+H]+").RemovedAt, (std::vector<std::size_t>{3, 3, 7}));
}

TEST(AdductTest, RefusesWithTheCharacterAndItsPlace) {
    const struct {
        const char* Text;
        AdductResult Result;
        std::size_t Position;
        const char* Notice = nullptr;
    } Cases[] = {
        {"", AdductResult::NoOpening, 0},
        {"M+H", AdductResult::NoOpening, 0,
         "Adduct M+H: character 1 \"M\": an adduct starts with [, as in [M+H]+"},
        {"[X+H]+", AdductResult::NoMolecule, 1},
        {"[2+H]+", AdductResult::NoMolecule, 2},
        {"[0M+H]+", AdductResult::ZeroMolecules, 1},
        {"[10000M+H]+", AdductResult::TooLarge, 1},
        {"[M+H]10000+", AdductResult::TooLarge, 5},
        {"[M+]+", AdductResult::EmptyPart, 2},
        {"[M+H- ]+", AdductResult::EmptyPart, 4},
        {"[M*H]+", AdductResult::Unreadable, 2},
        {"[M+H]+ x", AdductResult::Unreadable, 7},
        {"[M+H", AdductResult::Unclosed, 0, "Adduct [M+H: character 1 \"[\" is never closed"},
        {"[M+(H]+", AdductResult::PartRefused, 5},
        {"[M+H]", AdductResult::NoCharge, 5,
         "Adduct [M+H]: at the end: the ion's charge belongs here, as in [M+H]+, [M-H]- or "
         "[M+2H]2+"},
        {"[M+2H]2", AdductResult::NoCharge, 7},
        {"[M+H]x", AdductResult::NoCharge, 5},
        {"[M+H]0+", AdductResult::ZeroCharge, 5,
         "Adduct [M+H]0+: character 6 \"0\": the charge can't be 0"},
        {"[M-0]-", AdductResult::PartRefused, 3},
        {"[M+SO4(2-)]-", AdductResult::ChargedPart, 3,
         "Adduct [M+SO4(2-)]-: character 4 \"S\": what is added or removed has no charge of its "
         "own; the ion's follows the ], as in [M+H]+"},
        // The formula reader's own notices, their places counted in the adduct.
        {"[M+H)]+", AdductResult::PartRefused, 4,
         "Adduct [M+H)]+: character 5 \")\" closes no group"},
        {"[M+Na()]+", AdductResult::PartRefused, 6,
         "Adduct [M+Na()]+: character 7 \")\": the group is empty"},
        {"[M+H\xE2\x82\x82%]+", AdductResult::PartRefused, 5,
         "Adduct [M+H\xE2\x82\x82%]+: character 6 \"%\" can't be read"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Text);
        const TypedFormula Typed = ReadTyped(Case.Text);
        const AdductReading Reading = ReadAdduct(Typed.Text);
        EXPECT_EQ(Reading.Result, Case.Result);
        EXPECT_EQ(Reading.Position, Case.Position);
        EXPECT_EQ(Reading.Ion, Adduct());
        if (Case.Notice) {
            EXPECT_EQ(AdductRefusalNotice(Reading, Typed), Case.Notice);
        }
    }
}

// Masses of the nuclides from AME2020 (Chinese Physics C 45, 030003), and the electron's
// (CODATA 2018): every m/z below is worked from these by hand.
constexpr double H1 = 1.00782503223, H2 = 2.01410177812, C12 = 12, N14 = 14.00307400443,
                 O16 = 15.99491461957, Na23 = 22.9897692820, Cl35 = 34.968852682,
                 K39 = 38.9637064864, Electron = 0.000548579909;
constexpr double Caffeine = 8 * C12 + 10 * H1 + 4 * N14 + 2 * O16;
constexpr double Glucose = 6 * C12 + 12 * H1 + 6 * O16;
// Leu-enkephalin, the peptide YGGFL.
constexpr double Enkephalin = 28 * C12 + 37 * H1 + 5 * N14 + 7 * O16;

TEST(AdductTest, MassToChargeAsWorkedByHand) {
    const struct {
        double Molecule;
        const char* Adduct;
        double MassToCharge;
    } Cases[] = {
        {Caffeine, "[M+H]+", Caffeine + H1 - Electron},
        {Caffeine, "[M+Na]+", Caffeine + Na23 - Electron},
        {Caffeine, "[M+2H]2+", (Caffeine + 2 * H1 - 2 * Electron) / 2},
        {Caffeine, "[2M+H]+", 2 * Caffeine + H1 - Electron},
        {Caffeine, "[M-H]-", Caffeine - H1 + Electron},
        {Caffeine, "[M+D]+", Caffeine + H2 - Electron},
        {Glucose, "[M+NH4]+", Glucose + N14 + 4 * H1 - Electron},
        {Glucose, "[M+K]+", Glucose + K39 - Electron},
        {Glucose, "[M+Cl]-", Glucose + Cl35 + Electron},
        {Glucose, "[M+HCOO]-", Glucose + C12 + H1 + 2 * O16 + Electron},
        {Glucose, "[M-H2O+H]+", Glucose - H1 - O16 - Electron},
        {Glucose, "[2M-H]-", 2 * Glucose - H1 + Electron},
        {Enkephalin, "[M+H+Na]2+", (Enkephalin + H1 + Na23 - 2 * Electron) / 2},
        {Enkephalin, "[M+3H]3+", (Enkephalin + 3 * H1 - 3 * Electron) / 3},
        {Enkephalin, "[M-2H]2-", (Enkephalin - 2 * H1 + 2 * Electron) / 2},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(Case.Adduct);
        const Adduct Ion = Read(Case.Adduct);
        const std::optional<double> Shift = AdductShift(Ion, ShippedIsotopes());
        ASSERT_TRUE(Shift);
        // The shipped isotope masses differ from AME2020's by less than 3e-7 u an atom.
        const double MassToCharge = AdductMassToCharge(Ion, Case.Molecule, *Shift);
        EXPECT_NEAR(MassToCharge, Case.MassToCharge, 3e-7);
        EXPECT_NEAR(AdductMoleculeMass(Ion, MassToCharge, *Shift), Case.Molecule, 1e-9);
    }
    // As published: caffeine [M+H]+ 195.08765, glucose [M+Na]+ 203.0526, Leu-enkephalin
    // [M+H]+ 556.2766.
    const auto Published = [](double Molecule, const char* Text) {
        const Adduct Ion = Read(Text);
        return AdductMassToCharge(Ion, Molecule, *AdductShift(Ion, ShippedIsotopes()));
    };
    EXPECT_NEAR(Published(Caffeine, "[M+H]+"), 195.08765, 5e-6);
    EXPECT_NEAR(Published(Glucose, "[M+Na]+"), 203.0526, 5e-5);
    EXPECT_NEAR(Published(Enkephalin, "[M+H]+"), 556.2766, 5e-5);
    // An isotope the table lacks gives no shift: technetium has no natural one.
    EXPECT_FALSE(AdductShift(Read("[M+Tc]+"), ShippedIsotopes()));
}

TEST(AdductTest, FormsTheIonOrSaysWhatTheMoleculeLacks) {
    const struct {
        const char* Molecule;
        const char* Adduct;
        const char* Ion;
        const char* Notice = nullptr;
    } Cases[] = {
        {"C6H12O6", "[M-H2O+H]+", "C*6 H*11 O*5"},
        {"C8H10N4O2", "[2M+H]+", "C*16 H*21 N*8 O*4"},
        {"CH3COOH", "[M-H]-", "C*2 H*3 O*2"},
        {"NaCl", "[M-Cl]+", "Na*1"},
        {"CH4", "[2M-5H]5-", "C*2 H*3"},
        {"CH4", "[M-H2O+H]+", "",
         "Adduct [M-H2O+H]+: character 4 \"H\": removes more O than the molecule holds"},
        {"CH4", "[M-5H]5-", "",
         "Adduct [M-5H]5-: character 4 \"5\": removes more H than the molecule holds"},
        {"C2H6", "[M+Na-H-[13C]]+", "",
         "Adduct [M+Na-H-[13C]]+: character 9 \"[\": removes more [13C] than the molecule "
         "holds"},
        // What is added first may be removed again.
        {"CH4", "[M+O-H2O]2-", "C*1 H*2"},
    };
    for (const auto& Case : Cases) {
        SCOPED_TRACE(std::string(Case.Molecule) + " " + Case.Adduct);
        const Adduct Ion = Read(Case.Adduct);
        const IonFormula Formed = FormIon(Ion, ReadFormula(Case.Molecule).Entries);
        EXPECT_EQ(Written(Formed.Entries), Case.Ion);
        EXPECT_EQ(Formed.Lacking.has_value(), Case.Notice != nullptr);
        if (Case.Notice && Formed.Lacking) {
            EXPECT_EQ(LackingNotice(Ion, *Formed.Lacking), Case.Notice);
        }
    }
}

} // namespace
} // namespace Varnock
