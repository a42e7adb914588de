#pragma once

// While one lives, the programs a test starts keep what they remember in a folder of the test's
// own (XDG_CONFIG_HOME), never in the user's, and start with nothing remembered.

#include <cstdlib>
#include <string>

#include "tests/support/TestSystem.h"

namespace Varnock::Testing {

class OwnConfigFolder {
public:
    OwnConfigFolder()
        : Had(std::getenv("XDG_CONFIG_HOME") != nullptr),
          Previous(Had ? std::getenv("XDG_CONFIG_HOME") : "") {
        setenv("XDG_CONFIG_HOME", Files.Folder().c_str(), 1);
    }
    ~OwnConfigFolder() {
        if (Had)
            setenv("XDG_CONFIG_HOME", Previous.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
    }
    OwnConfigFolder(const OwnConfigFolder&) = delete;
    OwnConfigFolder& operator=(const OwnConfigFolder&) = delete;

    // The window's settings file in it.
    std::filesystem::path SettingsFile() const {
        return Files.Folder() / "Tervalin" / "varnock.conf";
    }

private:
    TempDir Files;
    bool Had;
    std::string Previous;
};

} // namespace Varnock::Testing
