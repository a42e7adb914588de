#include "core/Utf8.h"

namespace Varnock {

Utf8Character DecodeUtf8(std::string_view Utf8, std::size_t Offset) {
    const auto Lead = static_cast<unsigned char>(Utf8[Offset]);
    const std::size_t Length = Lead < 0x80                    ? 1
                               : Lead >= 0xC2 && Lead < 0xE0  ? 2
                               : Lead >= 0xE0 && Lead < 0xF0  ? 3
                               : Lead >= 0xF0 && Lead <= 0xF4 ? 4
                                                              : 0;
    if (Length == 1)
        return {Lead, 1};
    if (Length == 0 || Offset + Length > Utf8.size())
        return {NotUtf8, 1};
    char32_t Point = Lead & (0x7F >> Length);
    for (std::size_t Next = 1; Next < Length; ++Next) {
        const auto Byte = static_cast<unsigned char>(Utf8[Offset + Next]);
        if ((Byte & 0xC0) != 0x80)
            return {NotUtf8, 1};
        Point = (Point << 6) | (Byte & 0x3F);
    }
    if ((Length == 3 && (Point < 0x800 || (Point >= 0xD800 && Point <= 0xDFFF))) ||
        (Length == 4 && (Point < 0x10000 || Point > 0x10FFFF)))
        return {NotUtf8, 1};
    return {Point, Length};
}

} // namespace Varnock
