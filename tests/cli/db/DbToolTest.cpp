#include "quandrelle/db/DbTool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "ImmutableFile.h"
#include "TempFolder.h"
#include "quandrelle/ProgramInfo.h"

namespace quandrelle {
namespace {

using testing::TempFolder;

constexpr const char* kCartridgeHeader =
    "cartName,bedDiam,bedDepth,carbWgt,micVol,relHumPre,diamGran,apBenzene,affinityForWater\n";

const std::string kVapors =
    "chemName,molWt,liqDensity,molPolariz,waterSolFactor,avgConc,antoineA,antoineB,antoineC,casNumber\n"
    "Toluene,92.14,0.867,31.1,0.5,100,16.0,3096.5,-53.67,108-88-3\n"
    "\"Acetone, \"\"pure\"\"\",58.08,0.79,16.2,1,100,16.6,2940.46,-35.93,67-64-1\n";

class DbToolTest : public ::testing::Test {
protected:
    // Runs with the temporary folder as the program's data folder.
    int run(const std::vector<std::string>& args) {
        out.str("");
        err.str("");
        return runDbTool(args, data.folder(), out, err);
    }
    std::string importVapors() {
        data.write("in.csv", kVapors);
        EXPECT_EQ(run({"import", "vapors", data.file("in.csv").string()}), kDbOk) << err.str();
        return out.str();
    }

    TempFolder data;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(DbToolTest, ImportListsWhatItDid) {
    EXPECT_EQ(importVapors(),
              "added: Toluene\nadded: Acetone, \"pure\"\n2 added, 0 revised, 0 unchanged, 0 skipped\n");
    EXPECT_EQ(run({"import", "vapors", data.file("in.csv").string()}), kDbOk);
    EXPECT_EQ(out.str(),
              "skipped, already on file: Toluene\nskipped, already on file: Acetone, \"pure\"\n"
              "0 added, 0 revised, 0 unchanged, 2 skipped\n");
    // Revising with the same rows rewrites nothing that matters, and says so.
    EXPECT_EQ(run({"import", "vapors", data.file("in.csv").string(), "--revise"}), kDbOk);
    EXPECT_EQ(
        out.str(),
        "unchanged: Toluene\nunchanged: Acetone, \"pure\"\n0 added, 0 revised, 2 unchanged, 0 skipped\n");
}

TEST_F(DbToolTest, RevisionListsEveryFieldItChangedWithTheOldAndNewText) {
    importVapors();
    data.write(
        "corrected.csv",
        "chemName,molWt,liqDensity,molPolariz,waterSolFactor,avgConc,antoineA,antoineB,antoineC,casNumber\n"
        "\"Acetone, \"\"pure\"\"\",58.08,0.79,16.2,1,100,16.6,2940.46,-35.93,67-64-1\n"
        " TOLUENE,92.1384,0.867,31.1,0.5,100,16.45881,3096.5,-53.67,\n"
        "Benzene,78.1118,0.8776,26.227,0.00204,100,15.99152,2832.612,-50.535,71-43-2\n");
    EXPECT_EQ(run({"import", "vapors", data.file("corrected.csv").string(), "--revise"}), kDbOk) << err.str();
    EXPECT_EQ(
        out.str(),
        "unchanged: Acetone, \"pure\"\n"
        "revised:  TOLUENE: chemName Toluene ->  TOLUENE; molWt 92.14 -> 92.1384; antoineA 16.0 -> 16.45881; "
        "casNumber 108-88-3 -> \"\"\n"
        "added: Benzene\n"
        "1 added, 1 revised, 1 unchanged, 0 skipped\n");
    // Without --revise nothing on file changes, and nothing is reported as revised.
    EXPECT_EQ(run({"import", "vapors", data.file("in.csv").string()}), kDbOk);
    EXPECT_EQ(out.str(),
              "skipped, already on file: Toluene\nskipped, already on file: Acetone, \"pure\"\n"
              "0 added, 0 revised, 0 unchanged, 2 skipped\n");
}

TEST_F(DbToolTest, RevisionOfANameCutToItsFieldIsStillReported) {
    const std::string longName = "Dipropylene glycol monomethyl ether acetate";  // 43 characters, kept 35
    const std::string header =
        "chemName,molWt,liqDensity,molPolariz,waterSolFactor,avgConc,antoineA,antoineB,antoineC,casNumber\n";
    data.write("first.csv", header + longName + ",190.24,0.97,47,1,100,17,4000,-60,88917-22-0\n");
    data.write("second.csv", header + longName + ",190.24,0.97,47,1,50,17,4000,-60,88917-22-0\n");
    ASSERT_EQ(run({"import", "vapors", data.file("first.csv").string(), "--truncate"}), kDbOk);
    EXPECT_EQ(run({"import", "vapors", data.file("second.csv").string(), "--revise", "--truncate"}), kDbOk);
    EXPECT_EQ(out.str(), "revised: " + longName.substr(0, 35) + " (given as " + longName +
                             "): avgConc 100 -> 50\n0 added, 1 revised, 0 unchanged, 0 skipped\n");
}

TEST_F(DbToolTest, CartridgeRevisionIsReportedTheSameWay) {
    const std::string header =
        "cartName,bedDiam,bedDepth,carbWgt,micVol,relHumPre,diamGran,apBenzene,affinityForWater\n";
    data.write("carts.csv", header + "Half mask,8,3,26,0.45,50,0.1,20,0.06\n");
    ASSERT_EQ(run({"import", "cartridges", data.file("carts.csv").string()}), kDbOk);
    data.write("carts.csv", header + "Half mask,8,2.5,26,0.45,50,0.1,20,0.06\n");
    EXPECT_EQ(run({"import", "cartridges", data.file("carts.csv").string(), "--revise"}), kDbOk);
    EXPECT_EQ(out.str(),
              "revised: Half mask: bedDepth 3 -> 2.5\n0 added, 1 revised, 0 unchanged, 0 skipped\n");
}

TEST_F(DbToolTest, IgnoredColumnsAreNamedOnTheErrorStream) {
    data.write("in.csv", "chemName,formula\nBenzene,C6H6\n");
    EXPECT_EQ(run({"import", "vapors", data.file("in.csv").string()}), kDbOk);
    EXPECT_EQ(out.str(), "added: Benzene\n1 added, 0 revised, 0 unchanged, 0 skipped\n");
    EXPECT_EQ(err.str(), "quandrelle-db: column \"formula\" names no field and was not imported\n");
}

TEST_F(DbToolTest, ListGivesTheEntriesInIndexOrder) {
    importVapors();
    EXPECT_EQ(run({"list", "vapors"}), kDbOk);
    EXPECT_EQ(out.str(),
              "ACETONE, \"PURE\"" + std::string(26, ' ') + "\nTOLUENE" + std::string(34, ' ') + "\n");
    EXPECT_EQ(run({"list", "cartridges"}), kDbOk);
    EXPECT_EQ(out.str(), "");
}

TEST_F(DbToolTest, ShowAndFindCasPrintTheRecordAsTheScreenShowsIt) {
    importVapors();
    const std::string toluene =
        "chemName: Toluene\nmolWt: 92.14\nliqDensity: 0.867\nmolPolariz: 31.1\nwaterSolFactor: 0.5\n"
        "avgConc: 100\nantoineA: 16.0\nantoineB: 3096.5\nantoineC: -53.67\ncasNumber: 108-88-3\n";
    EXPECT_EQ(run({"show", "vapor", "  toluene "}), kDbOk);
    EXPECT_EQ(out.str(), toluene);
    EXPECT_EQ(run({"find-cas", " 108-88-3 "}), kDbOk);
    EXPECT_EQ(out.str(), toluene);
}

TEST_F(DbToolTest, NameNotFoundIsStatusOne) {
    importVapors();
    EXPECT_EQ(run({"show", "vapor", "tolu"}), kDbNotFound);
    EXPECT_EQ(err.str(), "Can't find TOLU.\n");
    EXPECT_EQ(run({"find-cas", "108-88"}), kDbNotFound);
    EXPECT_EQ(run({"show", "cartridge", "x"}), kDbNotFound);
}

TEST_F(DbToolTest, ExportWritesTheFileOrToTheOutput) {
    importVapors();
    EXPECT_EQ(run({"--folder", data.path().string(), "export", "vapors", data.file("out.csv").string()}),
              kDbOk);
    EXPECT_EQ(data.read("out.csv"), kVapors);
    EXPECT_EQ(run({"export", "vapors", "-"}), kDbOk);
    EXPECT_EQ(out.str(), kVapors);
}

TEST_F(DbToolTest, FolderOptionChoosesAnotherLibrary) {
    TempFolder other;
    other.write("in.csv", kVapors);
    EXPECT_EQ(run({"--folder", other.path().string(), "import", "vapors", other.file("in.csv").string()}),
              kDbOk);
    EXPECT_TRUE(std::filesystem::exists(other.file("VaporB30.DB")));
    EXPECT_FALSE(std::filesystem::exists(data.file("VaporB30.DB")));
}

TEST_F(DbToolTest, LookingDoesNotCreateAMissingFile) {
    EXPECT_EQ(run({"list", "vapors"}), kDbOk);
    EXPECT_EQ(run({"show", "cartridge", "A"}), kDbNotFound);
    EXPECT_EQ(run({"find-cas", "1"}), kDbNotFound);
    EXPECT_EQ(run({"export", "cartridges", "-"}), kDbOk);
    EXPECT_EQ(out.str(),
              "cartName,bedDiam,bedDepth,carbWgt,micVol,relHumPre,diamGran,apBenzene,affinityForWater\n");
    EXPECT_FALSE(std::filesystem::exists(data.file("VaporB30.DB")));
    EXPECT_FALSE(std::filesystem::exists(data.file("CartridgeB30.DB")));
}

TEST_F(DbToolTest, BadUseIsStatusTwoWithAMessage) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"list"},
        {"list", "vapor"},
        {"show", "vapors", "x"},
        {"show", "vapor"},
        {"frobnicate"},
        {"list", "vapors", "--revise"},
        {"--folder"},
        {"--colour", "list", "vapors"},
        {"export", "vapors"},
    };
    for (const auto& args : bad) {
        EXPECT_EQ(run(args), kDbBadUse);
        EXPECT_NE(err.str().find("Usage: quandrelle-db"), std::string::npos);
    }
    EXPECT_EQ(run({"--help"}), kDbOk);
    EXPECT_NE(out.str().find("Usage: quandrelle-db"), std::string::npos);
}

TEST_F(DbToolTest, UnreadableFilesAreStatusTwo) {
    EXPECT_EQ(run({"import", "vapors", data.file("absent.csv").string()}), kDbBadUse);
    EXPECT_NE(err.str().find("absent.csv"), std::string::npos);
    EXPECT_EQ(run({"--folder", data.file("no such folder").string(), "list", "vapors"}), kDbBadUse);
    EXPECT_NE(err.str().find("does not exist"), std::string::npos) << err.str();
    importVapors();
    EXPECT_EQ(run({"export", "vapors", data.file("no such folder/out.csv").string()}), kDbBadUse);
    const auto before = data.read("VaporB30.DB");
    data.write("bad.csv", "name,molWt\nX,1\n");
    EXPECT_EQ(run({"import", "vapors", data.file("bad.csv").string()}), kDbBadUse);
    EXPECT_EQ(
        err.str(),
        "quandrelle-db: nothing imported: line 1: the first row must name the columns, and one of them must "
        "be chemName (the columns are chemName, molWt, liqDensity, molPolariz, waterSolFactor, avgConc, "
        "antoineA, antoineB, antoineC, casNumber)\n");
    EXPECT_EQ(data.read("VaporB30.DB"), before);
}

// ---- Imports: all or nothing, and what is stored is said ----

TEST_F(DbToolTest, AFolderGivenAsTheCsvIsStatusTwo) {
    std::filesystem::create_directory(data.file("in.csv"));
    EXPECT_EQ(run({"import", "vapors", data.file("in.csv").string()}), kDbBadUse);
    EXPECT_EQ(err.str(), "quandrelle-db: cannot read " + data.file("in.csv").string() + ": Is a directory\n");
    EXPECT_FALSE(std::filesystem::exists(data.file("VaporB30.DB")));
}

TEST_F(DbToolTest, AFailedImportCreatesNoRecordFile) {
    data.write("bad.csv", "chemName,molWt\nBenzene,1\n");
    EXPECT_EQ(run({"import", "vapors", data.file("bad.csv").string()}), kDbBadUse);
    EXPECT_EQ(err.str(),
              "quandrelle-db: nothing imported: line 2, molWt: \"1\" is below the lower limit of 2\n");
    data.write("bad.csv", "cartName,micVol\nHalf mask,5\n");
    EXPECT_EQ(run({"import", "cartridges", data.file("bad.csv").string()}), kDbBadUse);
    EXPECT_FALSE(std::filesystem::exists(data.file("VaporB30.DB")));
    EXPECT_FALSE(std::filesystem::exists(data.file("CartridgeB30.DB")));
}

TEST_F(DbToolTest, AnImportBeyondTheRecordLimitReportsNothingAddedAndChangesNothing) {
    std::string bytes;
    for (int i = 1; i <= 32765; ++i) {
        bytes += testing::field("Vapor " + std::to_string(i), 117);
    }
    data.write("VaporB30.DB", bytes);
    data.write("in.csv", "chemName\nNew A\nNew B\nNew C\n");
    EXPECT_EQ(run({"import", "vapors", data.file("in.csv").string()}), kDbBadUse);
    EXPECT_EQ(out.str(), "");
    EXPECT_NE(err.str().find("(the file was not changed)"), std::string::npos) << err.str();
    EXPECT_EQ(data.read("VaporB30.DB"), bytes);
}

TEST_F(DbToolTest, TruncateReportsTheStoredName) {
    data.write("in.csv", "chemName\n\xCE\xB1-Pinene\n");
    EXPECT_EQ(run({"import", "vapors", data.file("in.csv").string()}), kDbBadUse);
    EXPECT_EQ(run({"import", "vapors", data.file("in.csv").string(), "--truncate"}), kDbOk) << err.str();
    EXPECT_EQ(out.str(),
              "added: ?-Pinene (given as \xCE\xB1-Pinene)\n1 added, 0 revised, 0 unchanged, 0 skipped\n");
    EXPECT_EQ(run({"export", "vapors", "-", "--truncate"}), kDbBadUse);
}

TEST_F(DbToolTest, CartridgeNamesWithControlCharactersOnFileAreNotAddedAgain) {
    data.write("CartridgeB30.DB",
               testing::field("A\tB", 99) + testing::field("A", 99) + testing::field("AB", 99));
    data.write("in.csv", "cartName\n\"A\tB\"\n");
    // Such a name can no longer come in, but the one on file is found, so nothing is appended.
    EXPECT_EQ(run({"import", "cartridges", data.file("in.csv").string()}), kDbBadUse);
    data.write("in.csv", "cartName\nA\nab\n");
    EXPECT_EQ(run({"import", "cartridges", data.file("in.csv").string()}), kDbOk);
    EXPECT_EQ(out.str(),
              "skipped, already on file: A\nskipped, already on file: ab\n0 added, 0 revised, 0 unchanged, 2 "
              "skipped\n");
    EXPECT_EQ(run({"show", "cartridge", "a\tb"}), kDbOk);
}

// ---- Export never writes over a file unasked ----

TEST_F(DbToolTest, ExportKeepsAnExistingFileUnlessForced) {
    importVapors();
    data.write("out.csv", "keep me");
    EXPECT_EQ(run({"export", "vapors", data.file("out.csv").string()}), kDbBadUse);
    EXPECT_EQ(err.str(), "quandrelle-db: " + data.file("out.csv").string() +
                             " already exists (give --force to write over it)\n");
    EXPECT_EQ(data.read("out.csv"), "keep me");
    EXPECT_EQ(run({"export", "vapors", data.file("out.csv").string(), "--force"}), kDbOk);
    EXPECT_EQ(data.read("out.csv"), kVapors);
    EXPECT_EQ(run({"import", "vapors", data.file("out.csv").string(), "--force"}), kDbBadUse);
}

TEST_F(DbToolTest, ExportNeverWritesOverARecordFile) {
    importVapors();
    const std::string library = data.read("VaporB30.DB");
    for (const char* name : {"VaporB30.DB", "CartridgeB30.DB"}) {
        EXPECT_EQ(run({"export", "vapors", data.file(name).string(), "--force"}), kDbBadUse);
        EXPECT_NE(err.str().find("will not write CSV text over the record file"), std::string::npos);
    }
    EXPECT_EQ(data.read("VaporB30.DB"), library);
    EXPECT_FALSE(std::filesystem::exists(data.file("CartridgeB30.DB")));
}

TEST_F(DbToolTest, UnnamedRecordsAreLeftOutOfAnExportWithAWarning) {
    data.write("CartridgeB30.DB", testing::field("One", 99) + testing::field("", 99));
    EXPECT_EQ(run({"export", "cartridges", "-"}), kDbOk);
    EXPECT_EQ(out.str(), std::string(kCartridgeHeader) + "One,,,,,,,,\n");
    EXPECT_EQ(err.str(), "quandrelle-db: record 2 has no name and was not exported\n");
}

// ---- A library that cannot be read is an error, not an empty library ----

TEST_F(DbToolTest, AnImmutableLibraryIsListedButNotImportedInto) {
    importVapors();
    const testing::ImmutableFile immutable(data.file("VaporB30.DB"));
    if (!immutable.set()) {
        GTEST_SKIP() << "files cannot be marked immutable here";
    }
    EXPECT_EQ(run({"list", "vapors"}), kDbOk);
    EXPECT_EQ(out.str(),
              "ACETONE, \"PURE\"" + std::string(26, ' ') + "\nTOLUENE" + std::string(34, ' ') + "\n");
    data.write("more.csv", "chemName\nXylene\n");
    EXPECT_EQ(run({"import", "vapors", data.file("more.csv").string()}), kDbBadUse);
    EXPECT_NE(err.str().find("it may only be read, so nothing was saved"), std::string::npos) << err.str();
}

TEST_F(DbToolTest, AnUnreadableLibraryIsStatusTwoForEveryCommand) {
    std::filesystem::create_symlink("VaporB30.DB", data.file("VaporB30.DB"));
    std::filesystem::create_directory(data.file("CartridgeB30.DB"));
    data.write("in.csv", kVapors);
    const std::vector<std::vector<std::string>> commands = {
        {"list", "vapors"},
        {"show", "vapor", "Toluene"},
        {"find-cas", "108-88-3"},
        {"export", "vapors", "-"},
        {"import", "vapors", data.file("in.csv").string()},
        {"list", "cartridges"},
        {"show", "cartridge", "A"},
        {"export", "cartridges", "-"},
    };
    for (const auto& command : commands) {
        EXPECT_EQ(run(command), kDbBadUse) << command[0] << " " << command[1];
        const std::string file = command[1].starts_with("cartridge") ? "CartridgeB30.DB" : "VaporB30.DB";
        EXPECT_NE(err.str().find(data.file(file).string()), std::string::npos) << err.str();
    }
}

}  // namespace
}  // namespace quandrelle

namespace quandrelle {
namespace {

using testing::TempFolder;

// The data folder as the rule chose it for an installed program: a per-user folder not made yet,
// to start from a copy of the shipped library.
class DbToolDataFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        temp.write("shipped.DB", std::string(117, ' '));
        choice = {temp.folder() + "user/quandrelle/", temp.file("shipped.DB").string()};
    }
    int run(const std::vector<std::string>& args) { return runDbTool(args, choice, out, err); }

    TempFolder temp;
    DataFolderChoice choice;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(DbToolDataFolderTest, HelpNamesTheFolderThatHoldsTheRecordsWithoutMakingIt) {
    EXPECT_EQ(run({"--help"}), kDbOk);
    EXPECT_NE(out.str().find("Your record files are in " + choice.folder + "\n"), std::string::npos)
        << out.str();
    EXPECT_FALSE(std::filesystem::exists(choice.folder));
}

TEST_F(DbToolDataFolderTest, TheFirstCommandStartsThePerUserFolderFromTheShippedLibrary) {
    EXPECT_EQ(run({"list", "vapors"}), kDbOk) << err.str();
    EXPECT_EQ(out.str(), std::string(41, ' ') + "\n") << "the one blank record of the copied library";
    EXPECT_TRUE(std::filesystem::exists(choice.folder + "VaporB30.DB"));
}

TEST_F(DbToolDataFolderTest, FolderOptionOverridesTheRuleAndLeavesTheChosenFolderAlone) {
    EXPECT_EQ(run({"--folder", temp.folder(), "list", "vapors"}), kDbOk) << err.str();
    EXPECT_EQ(out.str(), "");
    EXPECT_FALSE(std::filesystem::exists(choice.folder));
}

TEST_F(DbToolDataFolderTest, AFolderThatCannotBeMadeIsBadUseWithItsReason) {
    temp.write("user", "a file where the folder should be");
    EXPECT_EQ(run({"list", "vapors"}), kDbBadUse);
    EXPECT_NE(err.str().find("cannot be created"), std::string::npos) << err.str();
}

TEST_F(DbToolDataFolderTest, VersionIsTheBuildsVersion) {
    EXPECT_EQ(run({"--version"}), kDbOk);
    EXPECT_EQ(out.str(), "quandrelle-db " + std::string(kProgramVersion) + "\n");
}

}  // namespace
}  // namespace quandrelle
