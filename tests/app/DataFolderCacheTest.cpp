// The data folder: resolved from the program folder once, then kept.

#include <gtest/gtest.h>

#include "quandrelle/app/DataFolderCache.h"

namespace quandrelle {
namespace {

TEST(DataFolderCacheTest, ResolvesOnceAndKeepsTheAnswer) {
    int looks = 0;
    std::string folder = "/home/ih/quandrelle/bin";
    DataFolderCache cache([&] {
        ++looks;
        return folder;
    });
    EXPECT_EQ(cache.DataFolderPath(), "/home/ih/quandrelle/bin/");
    folder = "/elsewhere";
    EXPECT_EQ(cache.DataFolderPath(), "/home/ih/quandrelle/bin/");
    EXPECT_EQ(looks, 1);
}

TEST(DataFolderCacheTest, FollowsTheFolderRule) {
    struct Case {
        std::string programFolder;
        std::string dataFolder;
    };
    const std::vector<Case> cases = {
        {"/", "/"},
        {"/opt/q/", "/opt/q/"},
        {"/home/x/VB98/q", "/opt/Quandrelle/"},
        {"/home/x/Visual Studio/q", "/opt/Quandrelle/"},
        {"/home/x/vb98/q", "/home/x/vb98/q/"},
    };
    for (const Case& c : cases) {
        DataFolderCache cache([&] { return c.programFolder; });
        EXPECT_EQ(cache.DataFolderPath(), c.dataFolder) << c.programFolder;
    }
}

TEST(DataFolderCacheTest, DefaultsToTheRunningProgramsFolder) {
    DataFolderCache cache;
    const std::string& folder = cache.DataFolderPath();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_NE(folder.find("tests/app"), std::string::npos) << folder;
}

}  // namespace
}  // namespace quandrelle
