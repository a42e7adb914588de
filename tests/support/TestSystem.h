#pragma once

// What the tests need from the system, one file per system (TestSystemPosix.cpp,
// TestSystemWindows.cpp), and temporary folders made with it. Plain C++: no test framework.

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Varnock::Testing {

// Makes a fresh, uniquely named folder under the system's temporary folder.
std::filesystem::path MakeTempFolder();
// Files and handles the process has open: a file left open by the code under test shows as
// one more.
int OpenDescriptorCount();
// Division by zero and invalid operations on doubles trap while On, so that a hidden one fails;
// false when the system refused.
bool TrapFloatingPointFaults(bool On);

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir() : Made(MakeTempFolder()) {}
    ~TempDir() {
        std::error_code Ignored;
        std::filesystem::remove_all(Made, Ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Folder() const { return Made; }
    std::string Path(std::string_view Name) const { return (Made / Name).string(); }

    // Writes Bytes exactly (no line end translation) and returns the file's path.
    std::string Write(std::string_view Name, std::string_view Bytes) const {
        const std::string FilePath = Path(Name);
        std::ofstream Out(FilePath, std::ios::binary | std::ios::trunc);
        Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
        if (!Out)
            throw std::runtime_error("cannot write " + FilePath);
        return FilePath;
    }

private:
    std::filesystem::path Made;
};

} // namespace Varnock::Testing
