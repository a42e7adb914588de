// Writes a list of realistic formulas, one a line, for timing `varnock --list`: 1 to 30 entries
// each, mostly the elements of everyday chemistry, with groups, hydrates, multipliers, charges
// and decimal counts among them, every one within the formula box's 40 characters. The same
// seed gives the same list. With --groups, formulas that name the shipped groups instead, as
// organic, peptide and coordination chemists write them (Ph3P, Boc-Gly-OH, Cu(acac)2).
//
//   FormulaList [--groups] COUNT [SEED] > formulas.txt

#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

const std::vector<std::string> Common = {"H",  "C",  "N",  "O",  "S",  "P",  "Cl",
                                         "Na", "K",  "Ca", "Fe", "Cu", "Mg", "Al",
                                         "Si", "Br", "F",  "I",  "Zn", "Mn"};
const std::vector<std::string> Rare = {"Li", "Be", "B",  "Ti", "Cr", "Co", "Ni", "Ga", "Ge",
                                       "As", "Se", "Sr", "Zr", "Mo", "Ag", "Sn", "Ba", "La",
                                       "Ce", "W",  "Pt", "Au", "Hg", "Pb", "Bi", "U"};

class Writer {
public:
    explicit Writer(unsigned Seed) : Random(Seed) {}

    std::string Formula() {
        while (true) {
            const int Entries = Pick(1, 30);
            std::string Text;
            if (Chance(5))
                Text += std::to_string(Pick(2, 4));
            Text += Part(Entries);
            if (Chance(10))
                Text +=
                    "\xC2\xB7" + std::string(Chance(50) ? "" : std::to_string(Pick(2, 12))) + "H2O";
            if (Chance(5))
                Text += Chance(50) ? "^2-" : "^+";
            // The box holds 40 characters; the middle dot is one character in two bytes.
            const std::size_t Characters =
                Text.size() - (Text.find("\xC2\xB7") != std::string::npos);
            if (Characters <= 40)
                return Text;
        }
    }

    // One to four units, a group of groups.dat or an element, with counts; a peptide's
    // residues joined by hyphens; a ligand's in brackets.
    std::string GroupFormula() {
        static const std::vector<std::string> Organic = {"Me",  "Et", "iPr", "nBu", "tBu",
                                                         "Ph",  "Bn", "Cy",  "Cp",  "Tms",
                                                         "Tos", "Ms", "Boc", "Bz",  "Acet"};
        static const std::vector<std::string> Residues = {"Ala", "Gly", "Leu", "Phe", "Ser",
                                                          "Lys", "Asp", "Pro", "Val", "Tyr"};
        static const std::vector<std::string> Ligands = {"acac", "bpy", "en", "py",
                                                         "PPh3", "cod", "thf"};
        static const std::vector<std::string> Metals = {"Pd", "Cu", "Fe", "Co",
                                                        "Ru", "Ni", "Pt", "Rh"};
        const auto One = [&](const std::vector<std::string>& From) {
            return From[static_cast<std::size_t>(Pick(0, static_cast<int>(From.size()) - 1))];
        };
        switch (Pick(0, 2)) {
        case 0: { // Ph3P, tBuOK, Me3SiCl
            std::string Text = One(Organic);
            if (Chance(50))
                Text += std::to_string(Pick(2, 3));
            return Text + Element();
        }
        case 1: { // H-Ala-Gly-OH, Boc-Leu-Phe-OH
            std::string Text = Chance(50) ? "H" : "Boc";
            for (int Residue = Pick(1, 4); Residue > 0; --Residue)
                Text += "-" + One(Residues);
            return Text + "-OH";
        }
        default: // Pd(PPh3)4, Cu(acac)2
            return One(Metals) + "(" + One(Ligands) + ")" + std::to_string(Pick(2, 4));
        }
    }

private:
    int Pick(int Low, int High) { return std::uniform_int_distribution<int>(Low, High)(Random); }
    bool Chance(int Percent) { return Pick(1, 100) <= Percent; }

    std::string Element() {
        const auto& From = Chance(85) ? Common : Rare;
        std::string Text =
            From[static_cast<std::size_t>(Pick(0, static_cast<int>(From.size()) - 1))];
        const int Count = Pick(0, 9);
        if (Count >= 2)
            Text += std::to_string(Count == 9 ? Pick(10, 24) : Count);
        else if (Count == 1 && Chance(10))
            Text += "0." + std::to_string(Pick(1, 9)); // nonstoichiometric
        return Text;
    }

    std::string Part(int Entries) {
        std::string Text;
        while (Entries > 0) {
            if (Entries >= 3 && Chance(15)) {
                const int Inside = Pick(1, 3);
                const char* Brackets = Chance(80) ? "()" : "[]";
                Text += Brackets[0];
                for (int Index = 0; Index < Inside; ++Index)
                    Text += Element();
                Text += Brackets[1] + std::to_string(Pick(2, 4));
                Entries -= Inside;
            } else {
                Text += Element();
                --Entries;
            }
        }
        return Text;
    }

    std::mt19937 Random;
};

} // namespace

int main(int Argc, char** Argv) {
    const bool Groups = Argc > 1 && std::string(Argv[1]) == "--groups";
    Argv += Groups;
    Argc -= Groups;
    if (Argc < 2) {
        std::fprintf(stderr, "usage: FormulaList [--groups] COUNT [SEED]\n");
        return 2;
    }
    const long Count = std::strtol(Argv[1], nullptr, 10);
    Writer Formulas(Argc > 2 ? static_cast<unsigned>(std::strtoul(Argv[2], nullptr, 10)) : 1);
    for (long Index = 0; Index < Count; ++Index)
        std::printf("%s\n", (Groups ? Formulas.GroupFormula() : Formulas.Formula()).c_str());
    return 0;
}
