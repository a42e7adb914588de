#pragma once

// varnock --find MASS: the formulas that fit a measured mass, one block of candidates per
// mass, tab-separated or as JSON lines. MASS is a number, or a file of masses (- for standard
// input) read one a line as a filter.

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "cli/CommandLine.h"
#include "core/FormulaSearch.h"

namespace Varnock {

// What the options of --find say, read before any table.
struct FindSettings {
    std::string Masses; // a number, a file, or - for standard input
    double Tolerance = 5;
    bool Ppm = true;
    std::string Ranges{DefaultRanges};
    FindRules Rules;
    std::size_t Max = 100;
    unsigned long long StepLimit = 1000000000ULL;
    std::optional<std::string> Peaks;
    std::optional<std::string> Adduct; // as typed: "[M+H]+", or a name of adducts.dat
    bool Json = false;
};

// Whether Name ("--ppm") is one of --find's own options, each of which takes a value.
bool IsFindOption(std::string_view Name);

// Reads one of --find's options into Settings; the text of a usage error, or empty.
std::string ReadFindOption(std::string_view Name, const std::string& Value, FindSettings& Settings);

// Runs the search for every mass, with the atomic numbers of the element table at TablePath;
// the adduct may name Groups.
int RunFind(const FindSettings& Settings, const std::string& TablePath,
            const std::unordered_map<std::string, int>& Numbers, const std::string& IsotopePath,
            const GroupTable* Groups, CommandLineIo& Io, char Separator);

} // namespace Varnock
