#include "quandrelle/db/RecordTransfer.h"

#include <gtest/gtest.h>

#include <filesystem>
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
        const auto counts = importVapors(store, kVaporHeader + kToluene + kBenzene, {});
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
    importVapors(store, kVaporHeader + kBenzene, {});
    std::vector<std::pair<ImportAction, std::string>> seen;
    const auto record = [&](const ImportedRow& row) { seen.emplace_back(row.action, row.storedName); };

    const std::string changed = "BENZENE,78.11,0.879,26.2,0.5,100,15.9,2788.5,-52.36,00071-43-2\n";
    auto counts = importVapors(store, kVaporHeader + changed + kToluene, {}, record);
    EXPECT_EQ(counts.skipped, 1);
    EXPECT_EQ(counts.added, 1);
    EXPECT_EQ(seen.front(), std::make_pair(ImportAction::Skipped, std::string("BENZENE")));
    EXPECT_EQ(store.Search("00071-43-2", VaporSearchMode::ByCas).position, 0);

    counts = importVapors(store, kVaporHeader + changed, {.revise = true}, record);
    EXPECT_EQ(counts.revised, 1);
    EXPECT_EQ(store.numVaporRecs(), 2);
    EXPECT_NE(store.Search("00071-43-2", VaporSearchMode::ByCas).position, 0);
    EXPECT_EQ(vaporFile().substr(0, 7), "BENZENE");
}

TEST_F(RecordTransferTest, SameNameTwiceInOneFileIsAddedTwiceWithAWarning) {
    // As an export of a library holding the name twice gives it back.
    VaporStore store(dir.folder());
    const auto counts = importVapors(store, kVaporHeader + kBenzene + kToluene + "benzene,78,,,,,,,,\n", {});
    EXPECT_EQ(counts.added, 3);
    EXPECT_EQ(counts.repeated, 1);
    EXPECT_EQ(counts.warnings,
              (std::vector<std::string>{
                  "line 4: benzene was added on line 2 too; the library holds the name twice"}));
    EXPECT_EQ(store.numVaporRecs(), 3);
}

TEST_F(RecordTransferTest, ColumnsInAnyOrderAndCaseAndLeftOutColumnsBlank) {
    CartridgeStore store(dir.folder());
    importCartridges(store, "MicVol, CARTNAME\n0.43,\"Cart, Model 1\"\n", {});
    ASSERT_EQ(store.numCartRecs(), 1);
    const auto shown = store.ShowCartridgeRecord(1);
    EXPECT_EQ(shown.cartName, "Cart, Model 1");
    EXPECT_EQ(shown.micVol, "0.43");
    EXPECT_EQ(shown.bedDiam, "");
    EXPECT_EQ(dir.read("CartridgeB30.DB").size(), 99u);
}

TEST_F(RecordTransferTest, ColumnsNamingNoFieldAreIgnoredAndReported) {
    VaporStore store(dir.folder());
    const auto counts = importVapors(store, "formula,chemName,source\nC6H6,Benzene,\"CRC, 2009\"\n", {});
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
        kVaporHeader + kBenzene + "Toluene,1,2,3,4,5,6,7,8,9\n",     // values outside their limits
        kVaporHeader + kBenzene + "\"Toluene,92.14,0.867\n",         // a quote never closed
        kVaporHeader + kBenzene + "\xE9thanol,1,2,3,4,5,6,7,8,9\n",  // not UTF-8
    };
    for (const auto& csv : faulty) {
        VaporStore store(dir.folder());
        EXPECT_THROW(importVapors(store, csv, {}), ImportError) << csv;
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
                     {});
        const std::string csv = exportVapors(store);
        EXPECT_EQ(csv, kVaporHeader + kToluene +
                           "\"Acetone, \"\"pure\"\"\",58.08,0.79,16.2,1,100,16.6,2940.46,,\n" + kBenzene);
        TempFolder copy;
        VaporStore again(copy.folder());
        importVapors(again, csv, {});
        EXPECT_EQ(copy.read("VaporB30.DB"), vaporFile());
    }
    CartridgeStore empty(dir.folder());
    EXPECT_EQ(exportCartridges(empty),
              "cartName,bedDiam,bedDepth,carbWgt,micVol,relHumPre,diamGran,apBenzene,affinityForWater\n");
}

TEST_F(RecordTransferTest, AnImportThatWouldOverfillTheFileSavesNothing) {
    std::string bytes;
    for (int i = 1; i < 32767; ++i) {
        bytes += "Cart " + std::to_string(i) + std::string(99 - 5 - std::to_string(i).size(), ' ');
    }
    dir.write("CartridgeB30.DB", bytes);
    CartridgeStore store(dir.folder());
    ASSERT_EQ(store.numCartRecs(), 32766);
    int reported = 0;
    EXPECT_THROW(importCartridges(store, "cartName\nLast one\nOne too many\n", {},
                                  [&](const ImportedRow&) { ++reported; }),
                 StoreFullError);
    EXPECT_EQ(reported, 0);
    EXPECT_EQ(store.numCartRecs(), 32766);
    EXPECT_EQ(dir.read("CartridgeB30.DB"), bytes);
    // One row fits.
    EXPECT_EQ(importCartridges(store, "cartName\nLast one\n", {}).added, 1);
    EXPECT_EQ(store.ShowCartridgeRecord(32767).cartName, "Last one");
}

// ---- Every row is checked before anything is stored ----

// The one problem an import of `row` (under the vapor header) reports, or "" when it imports.
std::string vaporRowProblem(const std::string& row, const ImportOptions& options = {}) {
    TempFolder folder;
    VaporStore store(folder.folder(), MissingFile::LeaveAbsent);
    try {
        importVapors(store, kVaporHeader + kBenzene + row + "\n", options);
    } catch (const ImportError& e) {
        EXPECT_FALSE(std::filesystem::exists(folder.file("VaporB30.DB"))) << row;
        return e.what();
    }
    return "";
}

TEST(ImportChecks, ATextTheFileWouldChangeIsRefusedNamingRowAndColumn) {
    const std::string longName(36, 'x');
    EXPECT_EQ(
        vaporRowProblem(longName + ",78,0.9,26,0.5,100,15.9,2788,-52,1"),
        "line 3, chemName: \"" + longName +
            "\" is 36 characters long, more than the 35 its field holds (--truncate stores it cut to fit)");
    EXPECT_EQ(vaporRowProblem("\xCE\xB1-Pinene,136,0.86,44,0,100,15.8,3500,-65,80-56-8"),
              "line 3, chemName: \"\xCE\xB1-Pinene\" holds characters the record file cannot hold (it keeps "
              "Windows-1252 only) (--truncate stores it cut to fit)");
    EXPECT_NE(vaporRowProblem("Xylene,106,0.86,36,0,100,16,3300,-60,1330-20-7-1330-20-7")
                  .find("line 3, casNumber: \"1330-20-7-1330-20-7\" is 19 characters long"),
              std::string::npos);
    // Names and CAS numbers that fit are stored as given, trailing blanks being the filling anyway.
    EXPECT_EQ(vaporRowProblem(std::string(35, 'y') + "   ,78,0.9,26,0.5,100,15.9,2788,-52,1"), "");
    EXPECT_EQ(vaporRowProblem("Caf\xC3\xA9 \xE2\x82\xAC,78,0.9,26,0.5,100,15.9,2788,-52,1"), "");
}

TEST(ImportChecks, ControlCharactersAreRefusedInEveryColumn) {
    EXPECT_EQ(vaporRowProblem("\"Tab\tName\",78,0.9,26,0.5,100,15.9,2788,-52,1"),
              "line 3, chemName: holds the control character U+0009");
    EXPECT_EQ(vaporRowProblem("\"Line\nbreak\",78,0.9,26,0.5,100,15.9,2788,-52,1"),
              "line 3, chemName: holds the control character U+000A");
    EXPECT_EQ(vaporRowProblem("Ok,78,0.9,26,0.5,100,15.9,2788,-52,\"71\x7F\""),
              "line 3, casNumber: holds the control character U+007F");
    EXPECT_EQ(vaporRowProblem("Ok,\"7\t8\",0.9,26,0.5,100,15.9,2788,-52,1"),
              "line 3, molWt: holds the control character U+0009");
    // Even with --truncate: a control character is never stored.
    EXPECT_NE(vaporRowProblem("\"Tab\tName\",78,0.9,26,0.5,100,15.9,2788,-52,1", {.truncate = true}), "");
}

TEST(ImportChecks, NumbersMustReadAsNumbersWithinTheScreenLimitsAndFitUncut) {
    const std::string rest = ",0.9,26,0.5,100,15.9,2788,-52,1";
    EXPECT_EQ(vaporRowProblem("X,123.45678" + rest),
              "line 3, molWt: \"123.45678\" is 9 characters long, more "
              "than the 8 its field holds");
    EXPECT_EQ(vaporRowProblem("X,abc" + rest), "line 3, molWt: \"abc\" is not a number");
    EXPECT_EQ(vaporRowProblem("X,1e400" + rest), "line 3, molWt: \"1e400\" is too large a number");
    EXPECT_EQ(vaporRowProblem("X,1" + rest), "line 3, molWt: \"1\" is below the lower limit of 2");
    EXPECT_EQ(vaporRowProblem("X,\"1,500\"" + rest),
              "line 3, molWt: \"1,500\" is below the lower limit of 2");
    EXPECT_EQ(vaporRowProblem("X,78,0.9,26,0.5,100,15.9,20001,-52,1"),
              "line 3, antoineB: \"20001\" is above the upper limit of 20,000");
    EXPECT_EQ(vaporRowProblem("X,78,0.9,26,0.5,100,15.9,2788,-121,1"),
              "line 3, antoineC: \"-121\" is below the lower limit of -120");
    // What the screens accept is accepted: limits themselves, a zero where zero is allowed, a number
    // followed by text (it reads as the number), blanks.
    EXPECT_EQ(vaporRowProblem("X,1000,4.0,5,0,0.01,50,1000,-120,"), "");
    EXPECT_EQ(vaporRowProblem("X,12abc,0.9,26,0.5,1e3,15.9,2788,-52,1"), "");
    EXPECT_EQ(vaporRowProblem("X,,,,,,,,,"), "");
}

TEST(ImportChecks, EveryFaultyRowIsListedAndNothingIsStored) {
    TempFolder folder;
    folder.write("VaporB30.DB", "");
    VaporStore store(folder.folder());
    try {
        importVapors(store,
                     kVaporHeader + "A,1,0.9,26,0.5,100,15.9,2788,-52,1\n" + kToluene +
                         "B,78,9,26,0.5,100,15.9,2788,-52,1\n",
                     {});
        FAIL() << "imported";
    } catch (const ImportError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "2 problems:\n  line 2, molWt: \"1\" is below the lower limit of 2\n"
                  "  line 4, liqDensity: \"9\" is above the upper limit of 4.0");
    }
    EXPECT_EQ(store.numVaporRecs(), 0);
    EXPECT_EQ(folder.read("VaporB30.DB"), "");
}

TEST(ImportChecks, TruncateStoresTheCutTextAndReportsIt) {
    TempFolder folder;
    VaporStore store(folder.folder());
    std::vector<ImportedRow> rows;
    const auto counts =
        importVapors(store,
                     kVaporHeader + "\xCE\xB1-Pinene,136,0.86,44,0,100,15.8,3500,-65,80-56-8\n" +
                         "\xCE\xB2-Pinene,136,0.87,44,0,100,15.9,3600,-66,127-91-3\n" + std::string(40, 'z') +
                         ",78,0.9,26,0.5,100,15.9,2788,-52,1\n",
                     {.truncate = true}, [&](const ImportedRow& row) { rows.push_back(row); });
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].storedName, "?-Pinene");
    EXPECT_EQ(rows[0].givenName, "\xCE\xB1-Pinene");
    EXPECT_EQ(rows[2].storedName, std::string(35, 'z'));
    // The collision the cut names make is said, not hidden.
    EXPECT_EQ(counts.repeated, 1);
    EXPECT_EQ(counts.warnings.front(),
              "line 3: ?-Pinene was added on line 2 too; the library holds the name twice");
    EXPECT_EQ(store.ShowVaporRecord(2).chemName, "?-Pinene");
}

TEST(ImportChecks, RowsWithoutANameAreSkippedWithAWarning) {
    TempFolder folder;
    VaporStore store(folder.folder());
    const auto counts = importVapors(store, kVaporHeader + "  ,1,2,3,4,5,6,7,8,9\n" + kBenzene, {});
    EXPECT_EQ(counts.added, 1);
    EXPECT_EQ(counts.warnings, (std::vector<std::string>{"line 2: no chemName; the row was skipped"}));
}

// ---- Round trip ----

std::string vaporBytes(const std::vector<std::string>& texts) {
    std::string bytes;
    for (std::size_t f = 0; f < kVaporFields.size(); ++f) {
        bytes += testing::field(f < texts.size() ? texts[f] : "", kVaporFields[f].width);
    }
    return bytes;
}

TEST(RoundTrip, ExportThenImportIntoAnEmptyFolderGivesTheSameFileByteForByte) {
    TempFolder source;
    const std::string duplicate =
        vaporBytes({"Xylene", "106.16", "0.86", "36", "0", "100", "16.1", "3366", "-58", "1330-20-7"});
    const std::string unnamed = vaporBytes({"", "78", "0.9", "26", "0.5", "100", "15.9", "2788", "-52", ""});
    const std::vector<std::string> named = {
        vaporBytes(
            {"Toluene", "92.14", "0.867", "31.1", "0.5", "100", "16.0", "3096.5", "-53.67", "108-88-3"}),
        duplicate,
        vaporBytes({"  Leading, \"quoted\"", "58.08", "", "", "", "", "", "", "", "  67-64-1"}),
        vaporBytes({"Caf\xE9 \x80 ligne", "12abc", "1e0", "5", "0", ".01", "50", "20000", "500", ""}),
        vaporBytes({"xylene", "106.16", "0.87", "36", "0", "100", "16.1", "3366", "-58", "1330-20-7"}),
        duplicate,
    };
    std::string original;
    std::string expected;
    for (std::size_t i = 0; i < named.size(); ++i) {
        original += named[i] + (i == 2 ? unnamed : "");
        expected += named[i];
    }
    source.write("VaporB30.DB", original);
    std::vector<int> skipped;
    const std::string csv = exportVapors(VaporStore(source.folder()), &skipped);
    EXPECT_EQ(skipped, (std::vector<int>{4}));

    TempFolder copy;
    VaporStore store(copy.folder(), MissingFile::LeaveAbsent);
    const auto counts = importVapors(store, csv, {.revise = true});
    EXPECT_EQ(counts.added, 6);
    EXPECT_EQ(copy.read("VaporB30.DB"), expected);
}

TEST(RoundTrip, CartridgesToo) {
    TempFolder source;
    CartridgeStore original(source.folder());
    for (const char* name : {"Half mask", "  Full face, P100", "half MASK"}) {
        original.Save({name, "8.8", "2.3", "45", "0.43", "50", "0.15", "29", "0.06"});
    }
    original.Save({"Bed", "", "", "", "", "", "", "", ""});
    TempFolder copy;
    CartridgeStore store(copy.folder(), MissingFile::LeaveAbsent);
    importCartridges(store, exportCartridges(original), {.revise = true});
    EXPECT_EQ(copy.read("CartridgeB30.DB"), source.read("CartridgeB30.DB"));
}

TEST(RoundTrip, ARevisingImportWritesOverTheRecordTheSearchFinds) {
    TempFolder folder;
    folder.write("VaporB30.DB", vaporBytes({"Xylene", "10"}) + vaporBytes({"XYLENE", "20"}));
    VaporStore store(folder.folder());
    importVapors(store, kVaporHeader + "xylene,106,,,,,,,,\n", {.revise = true});
    // The vapor search finds the later of two equal names; that one is revised, once.
    EXPECT_EQ(folder.read("VaporB30.DB"), vaporBytes({"Xylene", "10"}) + vaporBytes({"xylene", "106"}));
}

}  // namespace
}  // namespace quandrelle
