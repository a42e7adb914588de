#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

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
    // The file the weights come from, for messages.
    virtual const std::string& Path() const = 0;
};

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
    const std::string& Path() const override { return FilePath; }

private:
    struct Weight {
        Value Number;
        int Error = 0; // raised when asked for: a weight that is text
    };
    std::string FilePath;
    std::unordered_map<std::string, Weight> Weights;
};

} // namespace Varnock
