#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/IsotopeTable.h"
#include "core/Value.h"

namespace Varnock {

// One record of the element table file.
struct ElementRecord {
    Value Symbol;
    Value AtomicNumber;
    Value AtomicWeight;
};

inline constexpr std::string_view ElementTableName = "elements.dat";

// Where a calculation finds atomic weights: the weight of the last record whose symbol text
// equals Symbol exactly, empty when none does. Failures raise numbered run-time errors.
class ElementWeights {
public:
    virtual ~ElementWeights() = default;
    virtual Value WeightOfSymbol(std::string_view Symbol) const = 0;
    // A labelled isotope's exact mass, as in [13C]; empty when unknown.
    virtual Value WeightOfIsotope(std::string_view, int) const { return Value(); }
    // The file the weights come from, for messages.
    virtual const std::string& Path() const = 0;
};

// D and T weigh as 2H and 3H of the isotope table beside the element table, unless the element
// table has rows of their own for them. A missing or unreadable isotope table leaves labelled
// isotopes, D and T without a weight.

// The element table file, read sequentially as comma-delimited fields, three to a record.
// Every access opens and closes the file itself; failures raise numbered run-time errors and
// never leave the file open.
class ElementTable : public ElementWeights {
public:
    explicit ElementTable(std::string Path = std::string(ElementTableName));

    // Hands every record to Receive in file order.
    void ListAll(const std::function<void(const ElementRecord&)>& Receive) const;

    // Reads the whole file for every symbol asked for, so each answer is the file as it is now.
    Value WeightOfSymbol(std::string_view Symbol) const override;
    // Reads the isotope table beside the file for every isotope asked for.
    Value WeightOfIsotope(std::string_view Symbol, int MassNumber) const override;

    const std::string& Path() const override { return FilePath; }

private:
    friend class ElementSnapshot;
    std::string FilePath;
};

// The weights of an element table file as they were when it was read: the file is read once,
// by the same reader and with the same rules, and each answer is the one WeightOfSymbol would
// have given then, a failure included.
class ElementSnapshot : public ElementWeights {
public:
    explicit ElementSnapshot(const ElementTable& Table);

    Value WeightOfSymbol(std::string_view Symbol) const override;
    // The isotope table beside the file is read once, when first asked.
    Value WeightOfIsotope(std::string_view Symbol, int MassNumber) const override;
    const std::string& Path() const override { return FilePath; }
    // The symbols of the table's records, in the file's order, each once.
    const std::vector<std::string>& Symbols() const { return FileOrder; }

private:
    struct Weight {
        Value Number;
        int Error = 0; // raised when asked for: a weight that is text
    };
    std::string FilePath;
    // Symbols looked up as views, without a string made for each: a list weighs many.
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(std::string_view Text) const {
            return std::hash<std::string_view>()(Text);
        }
    };
    std::unordered_map<std::string, Weight, Hash, std::equal_to<>> Weights;
    // The order the map loses, which the nearest names' order among equals follows.
    std::vector<std::string> FileOrder;
    mutable std::shared_ptr<const IsotopeTable> Isotopes;
};

} // namespace Varnock
