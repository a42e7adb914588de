#pragma once

// The groups chemists abbreviate (Ph, Et, Boc, Ala, acac), from a table the user owns beside the
// element table: one row a group, "name","formula","description" and optionally the element
// symbol the name may be taken for ("Tos","C7H7O2S","tosyl","Ts"); # starts a comment. A
// group's formula is kept as read, element by element, and weighed from the element table at
// every calculation, never from a stored mass.

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/ElementTable.h"
#include "core/FormulaReader.h"

namespace Varnock {

inline constexpr std::string_view GroupTableName = "groups.dat";

// The symbols of an element table, as a formula's reading asks for them: one or two bytes each.
class ElementSymbols {
public:
    void Add(std::string_view Symbol);
    bool Contains(std::string_view Symbol) const {
        return (Symbol.size() == 1 || Symbol.size() == 2) && Bits.test(Key(Symbol));
    }
    // Every symbol of the table's records that a formula can name.
    static ElementSymbols Of(const ElementTable& Table);
    // Calls Each with every symbol, in the order added.
    template <typename Visit> void ForEach(Visit&& Each) const {
        for (std::size_t At = 0; At < Pairs.size(); At += 2)
            Each(std::string_view(Pairs.data() + At, Pairs[At + 1] ? 2 : 1));
    }

private:
    static std::size_t Key(std::string_view Symbol) {
        const auto Second = Symbol.size() == 2 ? static_cast<unsigned char>(Symbol[1]) : 0u;
        return static_cast<unsigned char>(Symbol[0]) << 8 | Second;
    }
    std::bitset<65536> Bits;
    std::string Pairs; // two bytes a symbol, the second 0 for a one-letter symbol
};

// One group, its texts in the table's own copy of the file.
struct Group {
    std::string_view Name;
    std::string_view Formula; // as the table writes it
    std::string_view Description;
    std::string_view LookAlike; // an element symbol the name may be taken for, or empty
    // The formula read: elements and labelled isotopes. Read when first asked, so that a table
    // costs little to load.
    const std::vector<FormulaEntry>& Entries() const;

private:
    mutable std::vector<FormulaEntry> Read;
};

// Whether Name has one of the three shapes of a group's name: an uppercase letter and lowercase
// letters (Ph, Boc); one to three lowercase letters before that (tBu, iPr); lowercase letters
// alone (acac, bpy). No symbol starts with a lowercase letter, so the last two never read as one.
bool IsGroupName(std::string_view Name);

class GroupTable {
public:
    // No groups.
    GroupTable() = default;
    // The table at Path, read against the element table's symbols when first asked for a group,
    // so that a formula without a lowercase letter (H2O) costs no reading. A missing file gives no
    // groups; a bad row is left out and named in a notice with the file and its line.
    GroupTable(std::string Path, ElementSymbols Elements);

    // Reads the file, unless that was done; whether it was.
    void Load() const;
    bool Loaded() const { return Read; }

    const Group* Find(std::string_view Name) const;
    // The longest name that Text starts with, or nullptr.
    const Group* Longest(std::string_view Text) const;
    // The group that names Symbol as its look-alike, or nullptr. A look-alike has two letters, so
    // a symbol of one is answered without reading the table.
    const Group* LookAlikeOf(std::string_view Symbol) const {
        // Asked for every element a formula names: answered here for most.
        if (Symbol.size() != 2 || (Read && !LookAlikes.Contains(Symbol)))
            return nullptr;
        return FindLookAlike(Symbol);
    }
    // Up to three names of groups or elements nearest to Name, nearest first.
    std::vector<std::string> Nearest(std::string_view Name) const;
    bool IsElement(std::string_view Symbol) const { return Elements.Contains(Symbol); }

    // In the order of the file, a replaced row where its first row stood.
    const std::vector<Group>& All() const {
        Load();
        return Groups;
    }
    const std::string& Path() const { return FilePath; }
    const std::vector<std::string>& Notices() const {
        Load();
        return Faults;
    }

private:
    // What reading the file fills in is mutable: the table is read when first asked, through
    // a const table.
    void ReadFile() const;
    const Group* FindLookAlike(std::string_view Symbol) const;
    void ReadRow(std::string_view Line, std::size_t Number) const;
    void Index() const;

    std::string FilePath;
    ElementSymbols Elements;
    mutable bool Read = false;
    // The file's bytes, which the groups' texts are views of; shared by copies of the table.
    mutable std::shared_ptr<const std::string> Text;
    mutable std::vector<Group> Groups;
    mutable ElementSymbols LookAlikes; // the symbols some group names as its look-alike
    // The groups' indexes by the first byte of their names, longest name first within a byte:
    // those of byte B from First[B] to First[B + 1].
    mutable std::vector<std::uint32_t> Order;
    mutable std::array<std::uint32_t, 257> First{};
    mutable std::vector<std::string> Faults;
};

// The group table's path beside an element table file: the same folder.
std::string GroupTableBeside(std::string_view ElementTablePath);

// A group's weight as a calculation takes it: every element of its formula weighed from Elements
// and summed, counts multiplied. Empty when an element is missing; Missing then names it.
Value GroupWeight(const Group& Of, const ElementWeights& Elements, std::string& Missing);

} // namespace Varnock
