#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "core/FormulaParser.h"
#include "core/SystemServices.h"
#include "tests/support/CoreTestSupport.h"

namespace Varnock {
namespace {

using Testing::RecordingView;
using Testing::TempDir;

TEST(CodePageTest, UpperCaseMapsWindows1252Letters) {
    const std::pair<unsigned char, unsigned char> Cases[] = {
        {'a', 'A'},   {'z', 'Z'},   {'A', 'A'},   {'Z', 'Z'},   {'0', '0'},   {'[', '['},
        {'{', '{'},   {'~', '~'},   {0x7F, 0x7F}, {0xE9, 0xC9}, {0xC9, 0xC9}, {0xE0, 0xC0},
        {0xFE, 0xDE}, {0xF6, 0xD6}, {0xF7, 0xF7}, {0xD7, 0xD7}, {0xDF, 0xDF}, {0xFF, 0x9F},
        {0x9A, 0x8A}, {0x9C, 0x8C}, {0x9E, 0x8E}, {0x8A, 0x8A}, {0x80, 0x80}, {0xAA, 0xAA},
        {0xB5, 0xB5}, {0xA0, 0xA0}, {0x83, 0x83},
    };
    for (const auto& [Code, Upper] : Cases)
        EXPECT_EQ(UpperCase(Code), Upper) << "code " << int(Code);

    for (int Code = 0; Code < 256; ++Code) {
        const unsigned char Mapped = UpperCase(static_cast<unsigned char>(Code));
        EXPECT_EQ(UpperCase(Mapped), Mapped) << "uppercasing twice changes code " << Code;
        if (Code < 'a') {
            EXPECT_EQ(Mapped, Code) << "code " << Code;
        }
    }
}

TEST(CodePageTest, Utf8RoundTrips) {
    const std::pair<std::string, std::string> Cases[] = {
        {"H2O", "H2O"},
        {"\xC3\x89", "\xC9"},     // E acute
        {"\xC3\xA9", "\xE9"},     // e acute
        {"\xE2\x82\xAC", "\x80"}, // euro sign
        {"\xC5\xB8", "\x9F"},     // Y diaeresis
        {"\xC5\xA1", "\x9A"},     // s caron
        {"\xC3\xBF", "\xFF"},     // y diaeresis
        {"\xC2\xA0", "\xA0"},     // no-break space
        {"", ""},
        {"Na\xC3\x89", "Na\xC9"},
    };
    for (const auto& [Utf8, Bytes] : Cases) {
        SCOPED_TRACE(::testing::PrintToString(Utf8));
        EXPECT_EQ(FromUtf8(Utf8), Bytes);
        EXPECT_EQ(ToUtf8(Bytes), Utf8);
    }
    for (int Code = 0; Code < 256; ++Code) {
        const std::string Byte(1, static_cast<char>(Code));
        EXPECT_EQ(FromUtf8(ToUtf8(Byte)), Byte) << "code " << Code;
    }
}

TEST(CodePageTest, CharactersOutsideThePageBecomeQuestionMarks) {
    const std::pair<std::string, std::string> Cases[] = {
        {"A\xCE\xA9"
         "B",
         "A?B"},               // Greek capital omega
        {"\xE4\xB8\xAD", "?"}, // a CJK character
        {"\xF0\x9F\x98\x80"
         "C",
         "?C"}, // an emoji, four bytes
        {"H\xE2\x80\x8B"
         "2",
         "H?2"}, // zero-width space
    };
    for (const auto& [Utf8, Bytes] : Cases) {
        SCOPED_TRACE(::testing::PrintToString(Utf8));
        EXPECT_EQ(FromUtf8(Utf8), Bytes);
    }
    // Broken sequences turn into question marks only, and what follows them survives.
    for (const std::string Broken : {"\xFF", "\xC3", "\xE2\x82", "\xC0\x80", "\xED\xA0\x80",
                                     "\xF5\x80\x80\x80", "\x80", "\xF0\x9F\x98"}) {
        SCOPED_TRACE(::testing::PrintToString(Broken));
        const std::string Bytes = FromUtf8(Broken + "Na");
        ASSERT_GE(Bytes.size(), 3u);
        EXPECT_EQ(Bytes.substr(Bytes.size() - 2), "Na");
        EXPECT_EQ(Bytes.substr(0, Bytes.size() - 2).find_first_not_of('?'), std::string::npos);
    }
}

TEST(CodePageTest, AccentedLettersInFormulas) {
    struct Case {
        std::string Formula;
        int Result;
        std::string FirstSymbol;
    };
    const Case Cases[] = {
        {"\xC9", 2, "\xC9"}, // an uppercase accented letter starts an entry
        {"\xC9\xE9"
         "2",
         2, "\xC9\xE9"}, // a lowercase one is a second letter
        {"H\xE9", 2, "H\xE9"},
        {"S\x9A", 2, "S\x9A"},
        {"\x80"
         "2",
         2, "\x80"}, // uncased characters above 127 start entries
        {"\xE9", 1, ""},
        {"\xFF", 1, ""},
    };
    for (const auto& Each : Cases) {
        SCOPED_TRACE(::testing::PrintToString(Each.Formula));
        BasVarnock Table;
        Value Compound = Each.Formula;
        EXPECT_EQ(GetElements(Table, Compound), Each.Result);
        if (Each.Result > 1) {
            EXPECT_EQ(Table.ElementSymbol(1).Text(), Each.FirstSymbol);
        }
    }

    const TempDir Folder;
    const ElementTable Elements(
        Folder.Write("elements.dat", "\"\xC9\xE9\",200,5\r\n\"\xC9\",201,3\r\n"));
    BasVarnock Entries;
    RecordingView View;
    Calculate(Entries,
              "\xC9\xE9"
              "2\xC9",
              Elements, View, '.');
    // The view gets UTF-8.
    EXPECT_EQ(View.Report, "\xC3\x89\xC3\xA9*2=\t10\t  76.92%  \r\n"
                           " \xC3\x89*1=\t3\t  23.08%  \r\n"
                           "============================\r\nTotal: \t13\t  100%\r\n");
    EXPECT_TRUE(View.Notices.empty());

    RecordingView Lower;
    Calculate(Entries, "\xE9\xC9", Elements, Lower, '.');
    EXPECT_EQ(Lower.Notices,
              std::vector<std::string>{"Formula: character 1 \"\xC3\xA9\" can't be read"});
}

} // namespace
} // namespace Varnock
