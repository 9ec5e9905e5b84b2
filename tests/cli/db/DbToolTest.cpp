#include "quandrelle/db/DbTool.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "TempFolder.h"

namespace quandrelle {
namespace {

using testing::TempFolder;

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
    EXPECT_EQ(importVapors(), "added: Toluene\nadded: Acetone, \"pure\"\n2 added, 0 revised, 0 skipped\n");
    EXPECT_EQ(run({"import", "vapors", data.file("in.csv").string()}), kDbOk);
    EXPECT_EQ(out.str(),
              "skipped, already on file: Toluene\nskipped, already on file: Acetone, \"pure\"\n"
              "0 added, 0 revised, 2 skipped\n");
    EXPECT_EQ(run({"import", "vapors", data.file("in.csv").string(), "--revise"}), kDbOk);
    EXPECT_EQ(out.str(), "revised: Toluene\nrevised: Acetone, \"pure\"\n0 added, 2 revised, 0 skipped\n");
}

TEST_F(DbToolTest, IgnoredColumnsAreNamedOnTheErrorStream) {
    data.write("in.csv", "chemName,formula\nBenzene,C6H6\n");
    EXPECT_EQ(run({"import", "vapors", data.file("in.csv").string()}), kDbOk);
    EXPECT_EQ(out.str(), "added: Benzene\n1 added, 0 revised, 0 skipped\n");
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

}  // namespace
}  // namespace quandrelle
