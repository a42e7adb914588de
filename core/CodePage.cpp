#include "core/CodePage.h"

#include <array>
#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

namespace Varnock {

#ifdef _WIN32

unsigned char UpperCase(unsigned char Code) {
    char Character = static_cast<char>(Code);
    CharUpperBuffA(&Character, 1);
    return static_cast<unsigned char>(Character);
}

namespace {
std::string Convert(std::string_view Text, UINT From, UINT To) {
    if (Text.empty())
        return {};
    const int Wide =
        MultiByteToWideChar(From, 0, Text.data(), static_cast<int>(Text.size()), nullptr, 0);
    std::wstring Buffer(static_cast<std::size_t>(Wide), L'\0');
    MultiByteToWideChar(From, 0, Text.data(), static_cast<int>(Text.size()), Buffer.data(), Wide);
    const int Narrow = WideCharToMultiByte(To, 0, Buffer.data(), Wide, nullptr, 0,
                                           To == CP_UTF8 ? nullptr : "?", nullptr);
    std::string Result(static_cast<std::size_t>(Narrow), '\0');
    WideCharToMultiByte(To, 0, Buffer.data(), Wide, Result.data(), Narrow,
                        To == CP_UTF8 ? nullptr : "?", nullptr);
    return Result;
}
} // namespace

std::string FromUtf8(std::string_view Utf8) {
    return Convert(Utf8, CP_UTF8, CP_ACP);
}
std::string ToUtf8(std::string_view Bytes) {
    return Convert(Bytes, CP_ACP, CP_UTF8);
}

#else

namespace {

// Windows-1252 codes 0x80 to 0x9F; the five it leaves undefined keep their C1 code points.
constexpr std::array<char32_t, 32> HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t CodePoint(unsigned char Code) {
    return Code >= 0x80 && Code <= 0x9F ? HighControls[Code - 0x80] : Code;
}

int CodeOf(char32_t Point) {
    if (Point < 0x80 || (Point >= 0xA0 && Point <= 0xFF))
        return static_cast<int>(Point);
    for (std::size_t Index = 0; Index < HighControls.size(); ++Index)
        if (HighControls[Index] == Point)
            return static_cast<int>(0x80 + Index);
    return '?';
}

void AppendUtf8(std::string& Out, char32_t Point) {
    if (Point < 0x80) {
        Out += static_cast<char>(Point);
    } else if (Point < 0x800) {
        Out += static_cast<char>(0xC0 | (Point >> 6));
        Out += static_cast<char>(0x80 | (Point & 0x3F));
    } else {
        Out += static_cast<char>(0xE0 | (Point >> 12));
        Out += static_cast<char>(0x80 | ((Point >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (Point & 0x3F));
    }
}

} // namespace

unsigned char UpperCase(unsigned char Code) {
    if ((Code >= 'a' && Code <= 'z') || (Code >= 0xE0 && Code <= 0xFE && Code != 0xF7))
        return static_cast<unsigned char>(Code - 0x20);
    switch (Code) {
    case 0x9A: // s caron
    case 0x9C: // oe
    case 0x9E: // z caron
        return static_cast<unsigned char>(Code - 0x10);
    case 0xFF: // y diaeresis
        return 0x9F;
    default:
        return Code;
    }
}

std::string FromUtf8(std::string_view Utf8) {
    std::string Out;
    Out.reserve(Utf8.size());
    std::size_t At = 0;
    while (At < Utf8.size()) {
        const auto Lead = static_cast<unsigned char>(Utf8[At]);
        int Length = Lead < 0x80                    ? 1
                     : Lead >= 0xF0 && Lead <= 0xF4 ? 4
                     : Lead >= 0xE0                 ? 3
                     : Lead >= 0xC2 && Lead < 0xE0  ? 2
                                                    : 0;
        char32_t Point = Length == 1 ? Lead : Lead & (0x7F >> Length);
        for (int Next = 1; Next < Length; ++Next) {
            const std::size_t Index = At + static_cast<std::size_t>(Next);
            const auto Byte = Index < Utf8.size() ? static_cast<unsigned char>(Utf8[Index]) : 0;
            if ((Byte & 0xC0) != 0x80) {
                Length = 0;
                break;
            }
            Point = (Point << 6) | (Byte & 0x3F);
        }
        // Overlong forms, surrogates and points past U+10FFFF are not characters.
        const bool Valid =
            Length > 0 &&
            !(Length == 3 && (Point < 0x800 || (Point >= 0xD800 && Point <= 0xDFFF))) &&
            !(Length == 4 && (Point < 0x10000 || Point > 0x10FFFF));
        Out += static_cast<char>(Valid ? CodeOf(Point) : '?');
        At += Valid ? static_cast<std::size_t>(Length) : 1;
    }
    return Out;
}

std::string ToUtf8(std::string_view Bytes) {
    std::string Out;
    Out.reserve(Bytes.size());
    for (char Byte : Bytes)
        AppendUtf8(Out, CodePoint(static_cast<unsigned char>(Byte)));
    return Out;
}

#endif

} // namespace Varnock
