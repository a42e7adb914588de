#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/Value.h"

namespace Varnock {

// One record of the element table file.
struct ElementRecord {
    Value Symbol;
    Value AtomicNumber;
    Value AtomicWeight;
};

inline constexpr std::string_view ElementTableName = "elements.dat";

// The element table file, read sequentially as comma-delimited fields, three to a record.
// Every access opens and closes the file itself; failures raise numbered run-time errors and
// never leave the file open.
class ElementTable {
public:
    explicit ElementTable(std::string Path = std::string(ElementTableName));

    // Hands every record to Receive in file order.
    void ListAll(const std::function<void(const ElementRecord&)>& Receive) const;

    // Weight of the last record whose symbol text equals Symbol exactly; empty when none does.
    Value WeightOfSymbol(std::string_view Symbol) const;

    const std::string& Path() const { return FilePath; }

private:
    std::string FilePath;
};

} // namespace Varnock
