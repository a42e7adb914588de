#pragma once

// The user's named adducts, adducts.dat beside elements.dat: one row a name and its adduct in
// the notation, "[M+ACN+H]+","[M+C2H3N+H]+"; lines starting with # are comments. A name stands
// for its adduct wherever an adduct is asked for; a later row of a name replaces an earlier one.

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/Adduct.h"

namespace Varnock {

inline constexpr std::string_view AdductTableName = "adducts.dat";

// An adduct asked for, and what it is called: its notation, or its name in adducts.dat.
struct NamedAdduct {
    std::string Name;
    Adduct Ion;
};

class AdductTable {
public:
    AdductTable() = default;
    // A file that isn't there is a table without names: the notation still reads. A broken row
    // (a field missing, no name, an adduct that doesn't read) is left out and named in a notice
    // with the file and the line. Other failures of the file raise numbered run-time errors.
    explicit AdductTable(std::string Path);

    // The adduct of a name, or nullptr.
    const Adduct* Find(std::string_view Name) const;

    const std::string& Path() const { return FilePath; }
    const std::vector<std::string>& Notices() const { return Faults; }

private:
    void ReadRow(std::string_view Row, std::size_t Number);

    std::string FilePath;
    std::map<std::string, Adduct, std::less<>> Named;
    std::vector<std::string> Faults;
};

// The adduct a name of the table stands for, else the text read in the notation. Table may be
// null. A named adduct's Text is its notation.
AdductReading ReadNamedAdduct(std::string_view Text, const AdductTable* Table);

// The ions the analysis view lists: the common positive and negative ones.
const std::vector<NamedAdduct>& CommonAdducts();

// The adduct table's path beside an element table file: the same folder.
std::string AdductTableBeside(std::string_view ElementTablePath);

} // namespace Varnock
