#include "quandrelle/stores/DataFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "TempFolder.h"
#include "quandrelle/stores/StoreError.h"

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

namespace quandrelle {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

TEST(DataFolderRule, WritableProgramFolderWithoutAnInstalledLibraryKeepsTheRecordsBesideIt) {
    const DataFolderFacts portable{"/media/stick/quandrelle/", true, "/home/ann/.local/share/quandrelle/",
                                   std::nullopt};
    EXPECT_EQ(chooseDataFolder(portable), (DataFolderChoice{"/media/stick/quandrelle/", std::nullopt}));
}

TEST(DataFolderRule, AnInstalledProgramUsesThePerUserFolder) {
    const std::string user = "/home/ann/.local/share/quandrelle/";
    const std::string shipped = "/usr/share/quandrelle/VaporB30.DB";
    // Read-only program folder, with and without the shipped library to start from.
    EXPECT_EQ(chooseDataFolder({"/usr/bin/", false, user, shipped}), (DataFolderChoice{user, shipped}));
    EXPECT_EQ(chooseDataFolder({"/usr/bin/", false, user, std::nullopt}),
              (DataFolderChoice{user, std::nullopt}));
    // A program installed where the user may write (a prefix of their own, or run as root) is still
    // an installed program: its records do not go into the bin folder.
    EXPECT_EQ(chooseDataFolder({"/home/ann/.local/bin/", true, user, shipped}),
              (DataFolderChoice{user, shipped}));
}

TEST(DataFolderRule, PerUserFolderFollowsTheXdgVariables) {
    EXPECT_EQ(userDataFolder("/data/ann", "/home/ann"), "/data/ann/quandrelle/");
    EXPECT_EQ(userDataFolder("/data/ann/", "/home/ann"), "/data/ann/quandrelle/");
    EXPECT_EQ(userDataFolder("", "/home/ann"), "/home/ann/.local/share/quandrelle/");
    EXPECT_EQ(userDataFolder(std::nullopt, "/home/ann/"), "/home/ann/.local/share/quandrelle/");
    EXPECT_EQ(userDataFolder(std::nullopt, "/"), "/.local/share/quandrelle/");
    EXPECT_EQ(userDataFolder("/", "/home/ann"), "/quandrelle/");
    // Without HOME the password file names the home folder; the result is still a whole path.
    const std::string fromPasswordFile = userDataFolder(std::nullopt, std::nullopt);
    EXPECT_EQ(fromPasswordFile.front(), '/');
    EXPECT_TRUE(fromPasswordFile.ends_with("/.local/share/quandrelle/")) << fromPasswordFile;
}

TEST(DataFolderRule, TheShippedLibraryLiesInTheInstallTreesShareFolder) {
    EXPECT_EQ(shippedLibraryPath("/usr/bin"), "/usr/share/quandrelle/VaporB30.DB");
    EXPECT_EQ(shippedLibraryPath("/opt/q/bin/"), "/opt/q/share/quandrelle/VaporB30.DB");
}

// A program folder, its install tree's share folder and a home folder, on the real file system.
class DataFolderOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(bin);
        userFolder = (root.path() / "home/.local/share/quandrelle").string() + "/";
    }
    void TearDown() override {
        // Whatever a test made read-only must be removable again.
        for (const auto& entry : fs::recursive_directory_iterator(root.path())) {
            std::error_code ignored;
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
        }
    }
    void installShippedLibrary(const std::string& bytes) {
        const fs::path library = shippedLibraryPath(bin.string());
        fs::create_directories(library.parent_path());
        std::ofstream(library, std::ios::binary) << bytes;
        fs::permissions(library, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    }
    std::string read(const fs::path& file) const {
        std::ifstream in(file, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::vector<std::string> namesIn(const fs::path& folder) const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder root;
    fs::path bin = root.path() / "prefix/bin";
    std::string userFolder;
};

TEST_F(DataFolderOnDisk, AnInstalledProgramStartsTheUserFromACopyOfTheShippedLibrary) {
    installShippedLibrary("shipped library bytes");
    const DataFolderChoice choice = chooseDataFolderFor(bin.string(), userFolder);
    EXPECT_EQ(choice.folder, userFolder);

    prepareDataFolder(choice);
    const fs::path copy = fs::path(userFolder) / "VaporB30.DB";
    EXPECT_EQ(read(copy), "shipped library bytes");
    EXPECT_EQ(namesIn(userFolder), std::vector<std::string>{"VaporB30.DB"}) << "no temporary file is left";
    // The shipped file is read-only; the user's copy must take new records.
    EXPECT_NE(fs::status(copy).permissions() & fs::perms::owner_write, fs::perms::none);
    std::ofstream(copy, std::ios::binary | std::ios::app) << " and a saved record";
    EXPECT_EQ(read(copy), "shipped library bytes and a saved record");

    prepareDataFolder(choice);
    EXPECT_EQ(read(copy), "shipped library bytes and a saved record") << "the user's file is never replaced";
}

TEST_F(DataFolderOnDisk, AnExistingVaporFileIsKeptEvenWhenEmptyOrALink) {
    installShippedLibrary("shipped");
    fs::create_directories(userFolder);
    std::ofstream(fs::path(userFolder) / "VaporB30.DB");
    prepareDataFolder(chooseDataFolderFor(bin.string(), userFolder));
    EXPECT_EQ(read(fs::path(userFolder) / "VaporB30.DB"), "");

    fs::remove(fs::path(userFolder) / "VaporB30.DB");
    fs::create_symlink(root.path() / "elsewhere.DB", fs::path(userFolder) / "VaporB30.DB");
    prepareDataFolder(chooseDataFolderFor(bin.string(), userFolder));
    EXPECT_TRUE(fs::is_symlink(fs::path(userFolder) / "VaporB30.DB"));
    EXPECT_FALSE(fs::exists(root.path() / "elsewhere.DB"));
}

TEST_F(DataFolderOnDisk, AWritableProgramFolderKeepsTheRecordsBesideTheProgram) {
    const DataFolderChoice choice = chooseDataFolderFor(bin.string(), userFolder);
    EXPECT_EQ(choice, (DataFolderChoice{bin.string() + "/", std::nullopt}));
    prepareDataFolder(choice);
    EXPECT_FALSE(fs::exists(userFolder)) << "nothing is made in the home folder";
}

TEST_F(DataFolderOnDisk, AReadOnlyProgramFolderSendsTheRecordsToThePerUserFolder) {
    fs::permissions(bin, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                             fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    WritableProbe probe = isWritableFolder;
    if (isWritableFolder(bin.string())) {
        // Run as root, where no permission bit keeps this process out: the rule is checked through
        // a probe that answers as it would for an ordinary user.
        probe = [](const std::string&) { return false; };
    }
    const DataFolderChoice choice = chooseDataFolderFor(bin.string(), userFolder, probe);
    EXPECT_EQ(choice, (DataFolderChoice{userFolder, std::nullopt}));
    prepareDataFolder(choice);
    EXPECT_TRUE(fs::is_directory(userFolder));
    EXPECT_TRUE(namesIn(userFolder).empty()) << "without a shipped library the store starts empty";
}

TEST_F(DataFolderOnDisk, AFolderThatCannotBeCreatedIsReportedWithItsReason) {
    std::ofstream(root.path() / "home") << "a file where the home folder should be";
    try {
        prepareDataFolder(chooseDataFolderFor("/nonexistent/bin", userFolder));
        FAIL() << "expected a StoreError";
    } catch (const StoreError& error) {
        EXPECT_NE(std::string(error.what()).find(userFolder), std::string::npos) << error.what();
        EXPECT_NE(std::string(error.what()).find("cannot be created"), std::string::npos) << error.what();
    }
}

TEST_F(DataFolderOnDisk, AFailedCopyLeavesNoVaporFileBehind) {
    const DataFolderChoice choice{userFolder, (root.path() / "missing.DB").string()};
    EXPECT_THROW(prepareDataFolder(choice), StoreError);
    EXPECT_TRUE(namesIn(userFolder).empty()) << "neither a partial copy nor an empty vapor file";
}

}  // namespace
}  // namespace quandrelle
