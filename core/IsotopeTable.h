#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace Varnock {

inline constexpr std::string_view IsotopeTableName = "isotopes.dat";
// The electron's mass in u (CODATA 2018), taken off per charge for m/z.
inline constexpr double ElectronMass = 0.000548579909;

struct Isotope {
    int MassNumber = 0;
    double Mass = 0;      // exact mass in u
    double Abundance = 0; // natural abundance as a fraction; 0 for a nuclide made, not found
};

// The isotope table: one row a nuclide, "symbol",mass number,exact mass,abundance; lines
// starting with # are comments. It is read whole once. A broken row (a field missing, text
// where a number belongs, an abundance outside 0 to 1) is left out and named in a notice with
// the file and the line.
class IsotopeTable {
public:
    IsotopeTable() = default;
    // Failures of the file itself raise numbered run-time errors (53 when there is none).
    explicit IsotopeTable(std::string Path);

    // The element's isotopes in file order; empty when the table has none.
    const std::vector<Isotope>& Of(std::string_view Symbol) const;
    // One nuclide, or nullptr.
    const Isotope* Find(std::string_view Symbol, int MassNumber) const;
    // The element's most abundant isotope, or nullptr when none has an abundance.
    const Isotope* MostAbundant(std::string_view Symbol) const;

    const std::string& Path() const { return FilePath; }
    const std::vector<std::string>& Notices() const { return Faults; }

private:
    void ReadLine(std::string_view Line, std::size_t Number);

    // Symbols looked up as views, without a string made for each.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view Text) const {
            return std::hash<std::string_view>()(Text);
        }
    };
    struct Element {
        std::vector<Isotope> Isotopes;
        int MostAbundant = -1; // an index, so that copies of the table stay sound
    };
    const Element* ElementOf(std::string_view Symbol) const;

    std::string FilePath;
    std::unordered_map<std::string, Element, Hash, std::equal_to<>> Elements;
    std::vector<std::string> Faults;
};

// D and T stand for 2H and 3H unless the table has them as elements: the mass number of
// hydrogen an entry of a formula stands for, else 0. Isotopes may be null.
int HeavyHydrogen(std::string_view Symbol, int MassNumber, const IsotopeTable* Isotopes);

// The isotope an entry of a formula weighs in an exact mass: the labelled one ([13C]), D and T
// as above, else the element's most abundant; nullptr when the table lacks it.
const Isotope* ExactIsotope(const IsotopeTable& Isotopes, std::string_view Symbol, int MassNumber);

// The isotope table's path beside an element table file: the same folder.
std::string IsotopeTableBeside(std::string_view ElementTablePath);

} // namespace Varnock
