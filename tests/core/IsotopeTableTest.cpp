#include <cmath>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/ElementTable.h"
#include "core/IsotopeTable.h"
#include "tests/support/CoreTestSupport.h"

namespace Varnock {
namespace {

using Testing::ErrorNumberOf;
using Testing::TempDir;

const std::string ShippedIsotopes = IsotopeTableBeside(VARNOCK_ELEMENTS_DAT);

// The generated table against the Atomic Mass Evaluation 2020 (Chinese Physics C 45, 030003).
TEST(IsotopeTableTest, ShippedMassesAgreeWithTheAtomicMassEvaluation) {
    const IsotopeTable Table(ShippedIsotopes);
    EXPECT_TRUE(Table.Notices().empty());
    struct Nuclide {
        const char* Symbol;
        int MassNumber;
        double Mass;
        double Within;
    };
    const Nuclide Cases[] = {
        {"H", 1, 1.00782503223, 1e-6},
        {"H", 2, 2.01410177812, 1e-6},
        {"C", 12, 12, 1e-6},
        {"C", 13, 13.00335483507, 1e-6},
        {"N", 14, 14.00307400443, 1e-6},
        {"O", 16, 15.99491461957, 1e-6},
        {"S", 32, 31.9720711744, 1e-6},
        {"Cl", 35, 34.968852682, 1e-6},
        {"Br", 79, 78.9183376, 1e-6},
        // The data set's edition gives 126.904473, 1.1e-6 above the 2020 evaluation.
        {"I", 127, 126.9044719, 1.2e-6},
    };
    for (const auto& [Symbol, MassNumber, Mass, Within] : Cases) {
        SCOPED_TRACE(std::string(Symbol) + std::to_string(MassNumber));
        const Isotope* Found = Table.Find(Symbol, MassNumber);
        ASSERT_NE(Found, nullptr);
        EXPECT_NEAR(Found->Mass, Mass, Within);
    }
    // The labels chemists use are there too, with no natural abundance.
    for (const auto& [Symbol, MassNumber] : std::vector<std::pair<const char*, int>>{
             {"H", 3}, {"C", 11}, {"C", 14}, {"F", 18}, {"P", 32}, {"S", 35}, {"I", 125}}) {
        const Isotope* Found = Table.Find(Symbol, MassNumber);
        ASSERT_NE(Found, nullptr) << Symbol << MassNumber;
        EXPECT_EQ(Found->Abundance, 0);
    }
    EXPECT_EQ(Table.MostAbundant("C")->MassNumber, 12);
    EXPECT_EQ(Table.MostAbundant("Fe")->MassNumber, 56);
    EXPECT_EQ(Table.MostAbundant("Tc"), nullptr);
}

TEST(IsotopeTableTest, ShippedAbundancesSumToOnePerElement) {
    const IsotopeTable Table(ShippedIsotopes);
    // Every element of elements.dat that has a natural isotope, read from the table itself.
    std::map<std::string, double> Sums;
    ElementTable(VARNOCK_ELEMENTS_DAT).ListAll([&](const ElementRecord& Record) {
        double Sum = 0;
        for (const Isotope& Each : Table.Of(Record.Symbol.Text()))
            Sum += Each.Abundance;
        if (Sum > 0)
            Sums[Record.Symbol.Text()] = Sum;
    });
    EXPECT_EQ(Sums.size(), 84u); // the elements found in nature with a known composition
    for (const auto& [Symbol, Sum] : Sums)
        EXPECT_NEAR(Sum, 1, 1e-4) << Symbol;
}

TEST(IsotopeTableTest, BrokenRowsAreNamedByFileAndLineAndLeftOut) {
    TempDir Folder;
    const std::string Path = Folder.Write("isotopes.dat", "# comment\r\n"
                                                          "\"C\",12,12,0.9893\r\n"
                                                          "\"C\",13,13.00335484\n"
                                                          "\"C\",14,heavy,0\n"
                                                          "\"N\",14,14.003074,1.5\n"
                                                          "\"N\",15,15.0001089,-0.1\n"
                                                          ",16,15.99,1\n"
                                                          "\"O\",16.5,15.99,1\n"
                                                          "\"O\",17,16.999,0.0004,x\n"
                                                          "\"\",18,17.999,0.002\n"
                                                          "\n"
                                                          "\"O\",16,15.99491462,0.99757");
    const IsotopeTable Table(Path);
    EXPECT_EQ(Table.Notices(),
              (std::vector<std::string>{
                  Path + ", line 3: 4 fields expected, 3 found",
                  Path + ", line 4: the mass \"heavy\" is no number",
                  Path + ", line 5: the abundance 1.5 is outside 0 to 1",
                  Path + ", line 6: the abundance -0.1 is outside 0 to 1",
                  Path + ", line 7: the symbol is missing",
                  Path + ", line 8: the mass number 16.5 is no whole number from 1 on",
                  Path + ", line 9: 4 fields expected, 5 found",
                  Path + ", line 10: the symbol is missing",
              }));
    EXPECT_EQ(Table.Of("C").size(), 1u);
    EXPECT_TRUE(Table.Of("N").empty());
    ASSERT_NE(Table.Find("O", 16), nullptr);
    EXPECT_EQ(Table.Find("O", 16)->Mass, 15.99491462);

    EXPECT_EQ(ErrorNumberOf([&] { IsotopeTable(Folder.Path("none.dat")); }), ErrFileNotFound);
}

// D and T weigh as 2H and 3H from the isotope table beside the element table, unless the
// element table has a row for them; labelled isotopes weigh their exact mass.
TEST(IsotopeTableTest, HeavyHydrogenAndLabelsWeighTheirExactMass) {
    const ElementTable Shipped(VARNOCK_ELEMENTS_DAT);
    const ElementSnapshot Snapshot(Shipped);
    for (const ElementWeights* Weights : {static_cast<const ElementWeights*>(&Shipped),
                                          static_cast<const ElementWeights*>(&Snapshot)}) {
        EXPECT_NEAR(Weights->WeightOfSymbol("D").AsDouble(), 2.01410177812, 1e-8);
        EXPECT_NEAR(Weights->WeightOfSymbol("T").AsDouble(), 3.01604928132, 1e-8);
        EXPECT_NEAR(Weights->WeightOfIsotope("C", 13).AsDouble(), 13.00335483507, 1e-8);
        EXPECT_TRUE(Weights->WeightOfIsotope("C", 99).IsEmpty());
        EXPECT_TRUE(Weights->WeightOfSymbol("E").IsEmpty());
    }

    TempDir Folder;
    const std::string Own = Folder.Write("elements.dat", "\"H\",1,1.008\n\"D\",1,2.014\n");
    EXPECT_EQ(ElementTable(Own).WeightOfSymbol("D"), Value(2.014));
    // No isotope table beside it: T, like any symbol the table lacks, has no weight.
    EXPECT_TRUE(ElementTable(Own).WeightOfSymbol("T").IsEmpty());
    EXPECT_TRUE(ElementSnapshot(ElementTable(Own)).WeightOfIsotope("C", 13).IsEmpty());
}

} // namespace
} // namespace Varnock
