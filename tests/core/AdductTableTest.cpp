#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "core/AdductTable.h"
#include "core/RunTimeError.h"
#include "tests/support/TestSystem.h"

namespace Varnock {
namespace {

TEST(AdductTableTest, NamesTheirAdductsAndBrokenRowsByLine) {
    const Testing::TempDir Folder;
    const std::string Path = Folder.Write("adducts.dat", "# comment\r\n"
                                                         "\"[M+ACN+H]+\",\"[M+C2H3N+H]+\"\r\n"
                                                         "\n"
                                                         "M+H only\n"
                                                         ",[M+H]+\n"
                                                         "\"[M+X]+\",\"[M+H]0+\"\n"
                                                         "  Na , [M+Na]+  \n"
                                                         "\"[M+ACN+H]+\",\"[M+C2H3N+2H]2+\"\n");
    const AdductTable Table(Path);
    EXPECT_EQ(
        Table.Notices(),
        (std::vector<std::string>{
            Path + ", line 4: 2 fields expected, 1 found", Path + ", line 5: the name is missing",
            Path + ", line 6: Adduct [M+H]0+: character 6 \"0\": the charge can't be 0"}));
    EXPECT_FALSE(Table.Find("[M+X]+"));
    ASSERT_TRUE(Table.Find("Na"));
    EXPECT_EQ(Table.Find("Na")->Text, "[M+Na]+");
    // The later row of a name wins.
    const AdductReading Named = ReadNamedAdduct("[M+ACN+H]+", &Table);
    ASSERT_EQ(Named.Result, AdductResult::Read);
    EXPECT_EQ(Named.Ion.Text, "[M+C2H3N+2H]2+");
    EXPECT_EQ(Named.Ion.Charge, 2);

    // Without the file there are no names, and no notice: the notation still reads.
    const AdductTable None(Folder.Path("none.dat"));
    EXPECT_TRUE(None.Notices().empty());
    EXPECT_FALSE(None.Find("[M+ACN+H]+"));
    EXPECT_EQ(ReadNamedAdduct("Na", &None).Result, AdductResult::NoOpening);
    EXPECT_EQ(ReadNamedAdduct("[M+H]+", &None).Ion.Charge, 1);
    EXPECT_EQ(ReadNamedAdduct("[M+H]+", nullptr).Ion.Charge, 1);
    // A folder where the file should be is a failure of the file, not a missing table.
    EXPECT_THROW(AdductTable{Folder.Folder().string()}, RunTimeError);
}

TEST(AdductTableTest, ShippedNamesAndCommonAdductsRead) {
    const AdductTable Shipped(AdductTableBeside(VARNOCK_ELEMENTS_DAT));
    EXPECT_TRUE(Shipped.Notices().empty());
    // Acetonitrile and a proton: C2H3N + H.
    const Adduct* Acetonitrile = Shipped.Find("[M+ACN+H]+");
    ASSERT_TRUE(Acetonitrile);
    EXPECT_EQ(Acetonitrile->Text, "[M+C2H3N+H]+");
    // The common ions read: each has its charge.
    for (const NamedAdduct& Common : CommonAdducts()) {
        SCOPED_TRACE(Common.Name);
        EXPECT_NE(Common.Ion.Charge, 0);
    }
}

} // namespace
} // namespace Varnock
