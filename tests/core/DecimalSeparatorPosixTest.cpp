// The decimal separator comes from the user's locale: locales are compiled into a folder of the
// test's own (LOCPATH), so the test needs none generated on the machine.

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "core/SystemServices.h"
#include "core/TextRules.h"
#include "tests/support/CoreTestSupport.h"

namespace Varnock {
namespace {

class PosixDecimalSeparator : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* Name : {"de_DE", "en_US"}) {
            const std::string Command = "localedef -c -i " + std::string(Name) + " -f UTF-8 " +
                                        Locales.Path(std::string(Name) + ".UTF-8") +
                                        " >/dev/null 2>&1";
            ASSERT_EQ(std::system(Command.c_str()), 0) << Command;
        }
        ::setenv("LOCPATH", Locales.Path("").c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("LOCPATH");
        ::unsetenv("LC_ALL");
    }
    Testing::TempDir Locales;
};

TEST_F(PosixDecimalSeparator, ComesFromTheLocaleInTheEnvironment) {
    const struct {
        const char* Locale;
        char Separator;
    } Cases[] = {
        {"de_DE.UTF-8", ','},
        {"en_US.UTF-8", '.'},
        {"C", '.'},
        {"xx_XX.UTF-8", '.'}, // unknown: the C library falls back to C
    };
    for (const auto& Each : Cases) {
        ::setenv("LC_ALL", Each.Locale, 1);
        const char Separator = SystemServices::DecimalSeparator();
        EXPECT_EQ(Separator, Each.Separator) << Each.Locale;
        EXPECT_EQ(NumberText(18.015, Separator), std::string("18") + Each.Separator + "015")
            << Each.Locale;
    }
}

} // namespace
} // namespace Varnock
