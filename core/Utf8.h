#pragma once

#include <cstddef>
#include <string_view>

namespace Varnock {

// A character read from UTF-8: its code point and how many bytes it takes.
struct Utf8Character {
    char32_t Point;
    std::size_t Length;
};

// The code point of a byte that starts no valid sequence.
inline constexpr char32_t NotUtf8 = 0xFFFFFFFF;

// The character that starts at Offset. Overlong forms, surrogates and points past U+10FFFF are
// no characters: their first byte stands alone, as NotUtf8.
Utf8Character DecodeUtf8(std::string_view Utf8, std::size_t Offset);

} // namespace Varnock
