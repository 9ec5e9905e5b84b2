#include "quandrelle/stores/DataFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace quandrelle {
namespace {

TEST(DataFolder, AppendsOneSeparatorUnlessPresent) {
    EXPECT_EQ(resolveDataFolder("/usr/local/bin"), "/usr/local/bin/");
    EXPECT_EQ(resolveDataFolder("/usr/local/bin/"), "/usr/local/bin/");
    EXPECT_EQ(resolveDataFolder("/"), "/");
    EXPECT_EQ(resolveDataFolder("relative dir"), "relative dir/");
}

TEST(DataFolder, DevelopmentFolderMarkers) {
    EXPECT_EQ(resolveDataFolder("/home/ann/VB98/bin"), kDevelopmentDataFolder);
    EXPECT_EQ(resolveDataFolder("/home/ann/Visual Studio/proj"), kDevelopmentDataFolder);
    EXPECT_EQ(resolveDataFolder("xVB98"), kDevelopmentDataFolder);  // second character counts
    // The comparison is case-sensitive.
    EXPECT_EQ(resolveDataFolder("/home/ann/vb98"), "/home/ann/vb98/");
    EXPECT_EQ(resolveDataFolder("/home/ann/visual studio"), "/home/ann/visual studio/");
    // At the very first character the marker does not count, and only its first occurrence is looked at.
    EXPECT_EQ(resolveDataFolder("VB98"), "VB98/");
    EXPECT_EQ(resolveDataFolder("VB98/tools/VB98"), "VB98/tools/VB98/");
    EXPECT_EQ(resolveDataFolder("Visual Studio/x"), "Visual Studio/x/");
}

TEST(DataFolder, ExecutableFolderIsThisTestProgramsFolder) {
    const std::string folder = executableFolder();
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder) / "stores_tests"));
    EXPECT_NE(folder.back(), '/');
}

}  // namespace
}  // namespace quandrelle
