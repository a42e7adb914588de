#include "core/AdductTable.h"

#include "core/RunTimeError.h"
#include "core/TextFile.h"

namespace Varnock {

AdductTable::AdductTable(std::string Path) : FilePath(std::move(Path)) {
    try {
        ForEachRow(FilePath,
                   [this](std::string_view Row, std::size_t Number) { ReadRow(Row, Number); });
    } catch (const RunTimeError& Failure) {
        if (Failure.Number() != ErrFileNotFound)
            throw;
    }
}

void AdductTable::ReadRow(std::string_view Row, std::size_t Number) {
    const std::vector<std::string_view> Fields = RowFields(Row);
    const auto Fault = [&](const std::string& What) {
        Faults.push_back(FilePath + ", line " + std::to_string(Number) + ": " + What);
    };
    if (Fields.size() != 2)
        return Fault("2 fields expected, " + std::to_string(Fields.size()) + " found");
    const std::string_view Name = Unquoted(Fields[0]);
    if (Name.empty())
        return Fault("the name is missing");
    const std::string_view Notation = Unquoted(Fields[1]);
    const AdductReading Reading = ReadAdduct(Notation);
    if (Reading.Result != AdductResult::Read)
        return Fault(AdductRefusalNotice(Reading, FromCodePage(Notation)));
    Named.insert_or_assign(std::string(Name), Reading.Ion);
}

const Adduct* AdductTable::Find(std::string_view Name) const {
    const auto Found = Named.find(Name);
    return Found == Named.end() ? nullptr : &Found->second;
}

AdductReading ReadNamedAdduct(std::string_view Text, const AdductTable* Table) {
    if (const Adduct* Named = Table ? Table->Find(Text) : nullptr) {
        AdductReading Reading;
        Reading.Ion = *Named;
        return Reading;
    }
    return ReadAdduct(Text);
}

const std::vector<NamedAdduct>& CommonAdducts() {
    static const std::vector<NamedAdduct> Common = [] {
        std::vector<NamedAdduct> Read;
        for (const char* Name : {"[M+H]+", "[M+NH4]+", "[M+Na]+", "[M+K]+", "[M+2H]2+", "[2M+H]+",
                                 "[M-H2O+H]+", "[M-H]-", "[M+Cl]-", "[M+HCOO]-", "[2M-H]-"})
            Read.push_back({Name, ReadAdduct(Name).Ion});
        return Read;
    }();
    return Common;
}

std::string AdductTableBeside(std::string_view ElementTablePath) {
    return FileBeside(ElementTablePath, AdductTableName);
}

} // namespace Varnock
