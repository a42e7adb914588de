// CShell's properties, the same on every system.

#include <cstdint>
#include <string>

#include <gtest/gtest.h>

#include "core/RunTimeError.h"
#include "shell/CShell.h"

namespace Varnock {
namespace {

TEST(Shell, FreshInstanceHoldsDefaults) {
    const CShell Shell;
    EXPECT_EQ(Shell.WindowState(), 0);
    EXPECT_EQ(Shell.WorkingDirectory(), "");
    EXPECT_EQ(Shell.Parameters(), "");
}

TEST(Shell, WindowStateKeepsSixteenBitsAndRefusesTheRest) {
    const std::int32_t Kept[] = {32767, -1, -32768, 0, 3};
    const std::int32_t Refused[] = {32768, -32769, 65535, INT32_MAX, INT32_MIN};
    CShell Shell;
    for (const auto Value : Kept) {
        Shell.SetWindowState(Value);
        EXPECT_EQ(Shell.WindowState(), Value);
    }
    Shell.SetWindowState(7);
    for (const auto Value : Refused) {
        try {
            Shell.SetWindowState(Value);
            ADD_FAILURE() << Value << " was taken";
        } catch (const RunTimeError& Failure) {
            EXPECT_EQ(Failure.Number(), ErrOverflow) << Value;
        }
        EXPECT_EQ(Shell.WindowState(), 7) << Value;
    }
}

TEST(Shell, StringPropertiesAreCopies) {
    CShell Shell;
    std::string Folder = "/tmp";
    Shell.SetWorkingDirectory(Folder);
    Shell.SetParameters("--x y");
    Folder = "changed";
    EXPECT_EQ(Shell.WorkingDirectory(), "/tmp");
    EXPECT_EQ(Shell.Parameters(), "--x y");
}

} // namespace
} // namespace Varnock
