#include "quandrelle/db/RecordTransfer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempFolder.h"
#include "quandrelle/stores/StoreError.h"

namespace quandrelle {
namespace {

using testing::TempFolder;

const std::string kVaporHeader =
    "chemName,molWt,liqDensity,molPolariz,waterSolFactor,avgConc,antoineA,antoineB,antoineC,casNumber\n";
const std::string kBenzene = "Benzene,78.11,0.879,26.2,0.5,100,15.9,2788.5,-52.36,71-43-2\n";
const std::string kToluene = "Toluene,92.14,0.867,31.1,0.5,100,16.0,3096.5,-53.67,108-88-3\n";

class RecordTransferTest : public ::testing::Test {
protected:
    std::string vaporFile() const { return dir.read("VaporB30.DB"); }
    TempFolder dir;
};

TEST_F(RecordTransferTest, ImportSavesEachRowAsTheSaveCommandWould) {
    {
        VaporStore store(dir.folder());
        const auto counts = importVapors(store, kVaporHeader + kToluene + kBenzene, false);
        EXPECT_EQ(counts.added, 2);
        EXPECT_EQ(store.numVaporRecs(), 2);
    }
    TempFolder byHand;
    VaporStore store(byHand.folder());
    store.Save({"Toluene", "92.14", "0.867", "31.1", "0.5", "100", "16.0", "3096.5", "-53.67", "108-88-3"});
    store.Save({"Benzene", "78.11", "0.879", "26.2", "0.5", "100", "15.9", "2788.5", "-52.36", "71-43-2"});
    EXPECT_EQ(vaporFile(), byHand.read("VaporB30.DB"));
}

TEST_F(RecordTransferTest, NamesOnFileAreSkippedOrRevised) {
    VaporStore store(dir.folder());
    importVapors(store, kVaporHeader + kBenzene, false);
    std::vector<std::pair<ImportAction, std::string>> seen;
    const auto record = [&](ImportAction action, const std::string& name) {
        seen.emplace_back(action, name);
    };

    const std::string changed = "BENZENE,78.11,0.879,26.2,0.5,100,15.9,2788.5,-52.36,00071-43-2\n";
    auto counts = importVapors(store, kVaporHeader + changed + kToluene, false, record);
    EXPECT_EQ(counts.skipped, 1);
    EXPECT_EQ(counts.added, 1);
    EXPECT_EQ(seen.front(), std::make_pair(ImportAction::Skipped, std::string("BENZENE")));
    EXPECT_EQ(store.Search("00071-43-2", VaporSearchMode::ByCas).position, 0);

    counts = importVapors(store, kVaporHeader + changed, true, record);
    EXPECT_EQ(counts.revised, 1);
    EXPECT_EQ(store.numVaporRecs(), 2);
    EXPECT_NE(store.Search("00071-43-2", VaporSearchMode::ByCas).position, 0);
    EXPECT_EQ(vaporFile().substr(0, 7), "BENZENE");
}

TEST_F(RecordTransferTest, SameNameTwiceInOneFileIsAddedOnce) {
    VaporStore store(dir.folder());
    const auto counts = importVapors(store, kVaporHeader + kBenzene + kBenzene, false);
    EXPECT_EQ(counts.added, 1);
    EXPECT_EQ(counts.skipped, 1);
}

TEST_F(RecordTransferTest, ColumnsInAnyOrderAndCaseAndLeftOutColumnsBlank) {
    CartridgeStore store(dir.folder());
    importCartridges(store, "MicVol, CARTNAME\n0.43,\"Cart, Model 1\"\n", false);
    ASSERT_EQ(store.numCartRecs(), 1);
    const auto shown = store.ShowCartridgeRecord(1);
    EXPECT_EQ(shown.cartName, "Cart, Model 1");
    EXPECT_EQ(shown.micVol, "0.43");
    EXPECT_EQ(shown.bedDiam, "");
    EXPECT_EQ(dir.read("CartridgeB30.DB").size(), 99u);
}

TEST_F(RecordTransferTest, ColumnsNamingNoFieldAreIgnoredAndReported) {
    VaporStore store(dir.folder());
    const auto counts = importVapors(store, "formula,chemName,source\nC6H6,Benzene,\"CRC, 2009\"\n", false);
    EXPECT_EQ(counts.added, 1);
    EXPECT_EQ(counts.ignoredColumns, (std::vector<std::string>{"formula", "source"}));
    EXPECT_EQ(store.ShowVaporRecord(1).chemName, "Benzene");
    EXPECT_EQ(store.ShowVaporRecord(1).molWt, "");
}

TEST_F(RecordTransferTest, AFaultyFileSavesNothing) {
    const std::vector<std::string> faulty = {
        "",                                                          // no header
        "molWt,casNumber\n78.11,71-43-2\n",                          // no name column
        "chemName,chemName\nBenzene,Benzene\n",                      // a column twice
        kVaporHeader + kBenzene + "Toluene,92.14\n",                 // a short row
        kVaporHeader + kBenzene + " ,1,2,3,4,5,6,7,8,9\n",           // a row without a name
        kVaporHeader + kBenzene + "\"Toluene,92.14,0.867\n",         // a quote never closed
        kVaporHeader + kBenzene + "\xE9thanol,1,2,3,4,5,6,7,8,9\n",  // not UTF-8
    };
    for (const auto& csv : faulty) {
        VaporStore store(dir.folder());
        EXPECT_THROW(importVapors(store, csv, false), ImportError) << csv;
        EXPECT_EQ(store.numVaporRecs(), 0) << csv;
    }
    EXPECT_EQ(vaporFile(), "");
}

TEST_F(RecordTransferTest, ExportGivesEveryRecordInFileOrderAndReimportsIdentically) {
    {
        VaporStore store(dir.folder());
        importVapors(store,
                     kVaporHeader + kToluene +
                         "\"Acetone, \"\"pure\"\"\",58.08,0.79,16.2,1,100,16.6,2940.46,,\n" + kBenzene,
                     false);
        const std::string csv = exportVapors(store);
        EXPECT_EQ(csv, kVaporHeader + kToluene +
                           "\"Acetone, \"\"pure\"\"\",58.08,0.79,16.2,1,100,16.6,2940.46,,\n" + kBenzene);
        TempFolder copy;
        VaporStore again(copy.folder());
        importVapors(again, csv, false);
        EXPECT_EQ(copy.read("VaporB30.DB"), vaporFile());
    }
    CartridgeStore empty(dir.folder());
    EXPECT_EQ(exportCartridges(empty),
              "cartName,bedDiam,bedDepth,carbWgt,micVol,relHumPre,diamGran,apBenzene,affinityForWater\n");
}

TEST_F(RecordTransferTest, AFullStoreStopsTheImportKeepingTheRowsBefore) {
    std::string bytes;
    for (int i = 1; i < 32767; ++i) {
        bytes += "Cart " + std::to_string(i) + std::string(99 - 5 - std::to_string(i).size(), ' ');
    }
    dir.write("CartridgeB30.DB", bytes);
    CartridgeStore store(dir.folder());
    ASSERT_EQ(store.numCartRecs(), 32766);
    EXPECT_THROW(importCartridges(store, "cartName\nLast one\nOne too many\n", false), StoreFullError);
    EXPECT_EQ(store.numCartRecs(), 32767);
    EXPECT_EQ(store.ShowCartridgeRecord(32767).cartName, "Last one");
}

}  // namespace
}  // namespace quandrelle
