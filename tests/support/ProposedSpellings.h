#pragma once

// The formulas a notice proposes, for the tests and the fuzz target to read back: after
// "write ", ", or " and "read as ", up to " for ", ";" or the end. Plain C++.

#include <algorithm>
#include <string>
#include <vector>

namespace Varnock::Testing {

inline std::vector<std::string> ProposedSpellings(const std::string& Notice) {
    std::vector<std::string> Found;
    for (const std::string Lead : {": write ", ", or ", " write ", ": read as "}) {
        for (std::size_t At = Notice.find(Lead); At != std::string::npos;
             At = Notice.find(Lead, At + 1)) {
            if (Lead == " write " && Notice.compare(At - 1, 1, ":") == 0)
                continue; // ": write " above
            const std::size_t From = At + Lead.size();
            const std::size_t To = std::min(Notice.find(" for ", From), Notice.find(';', From));
            Found.push_back(Notice.substr(From, To == std::string::npos ? To : To - From));
        }
    }
    return Found;
}

} // namespace Varnock::Testing
