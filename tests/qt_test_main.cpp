#include "controls/Controls.h"

#include <QApplication>
#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Widgets run headless; the runtime dir silences Qt's warning when none is set.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const auto runtimeDir = std::filesystem::temp_directory_path() / "norvane-test-runtime";
    std::filesystem::create_directories(runtimeDir);
    std::filesystem::permissions(runtimeDir, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    setenv("XDG_RUNTIME_DIR", runtimeDir.c_str(), 1);
    QApplication app(argc, argv);
    // The fonts the programs lay their windows out with.
    InstallFontSubstitutions();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
