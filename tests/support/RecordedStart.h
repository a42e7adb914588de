#pragma once

// A stand-in for starting the desktop's opener: it writes down what it was handed and answers
// with the error code the test chooses (0: started).

#include <string>
#include <vector>

namespace Varnock::Testing {

struct Handover {
    std::string Program;
    std::string Directory; // "(none)" when the opener keeps the current directory
    std::vector<std::string> Arguments;
    int Calls = 0;
};

inline Handover Recorded;
inline int Answer = 0;

inline int RecordStart(const char* Program, const char* Directory, char* const Argv[]) {
    ++Recorded.Calls;
    Recorded.Program = Program;
    Recorded.Directory = Directory ? Directory : "(none)";
    Recorded.Arguments.clear();
    for (char* const* Word = Argv; *Word; ++Word)
        Recorded.Arguments.emplace_back(*Word);
    return Answer;
}

} // namespace Varnock::Testing
