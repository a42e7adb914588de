#pragma once

#include <string>
#include <string_view>

#include "core/ElementTable.h"

namespace Varnock {

// One line of the element list: atomic number in 3, "-", symbol in 2, "(", weight, ")".
std::string ElementListEntry(const ElementRecord& Record, char DecimalSeparator);

// The symbol read back from a list line: characters 5 and 6, spaces trimmed from both ends.
std::string ListEntrySymbol(std::string_view Entry);

} // namespace Varnock
