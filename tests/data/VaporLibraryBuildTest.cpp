// The build turns the library CSV into the programs' vapor file through the record tool's import,
// and places it only where the user has no vapor file yet.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "LibraryChecks.h"
#include "TempFolder.h"
#include "quandrelle/data/VaporLibrary.h"
#include "quandrelle/db/Csv.h"
#include "quandrelle/db/RecordTransfer.h"
#include "quandrelle/stores/VaporStore.h"

namespace quandrelle::data {
namespace {

using quandrelle::testing::TempFolder;

std::string readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string shellQuoted(const std::filesystem::path& path) {
    return "'" + path.string() + "'";
}

int run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

const std::string kLibrary = QUANDRELLE_VAPOR_CSV;
const std::string kBuiltLibrary = QUANDRELLE_GENERATED_VAPOR_DB;

std::string padded(const std::string& key) {
    return key + std::string(41 - key.size(), ' ');
}

TEST(BuiltVaporLibrary, IsByteForByteWhatTheRecordToolImports) {
    // The ten record columns, written out with the tool's CSV writer from the data tests' own reading
    // of the library, then imported by the tool exactly as a user would run it.
    const CsvTable library = readCsvFile(kLibrary);
    std::string recordCsv;
    recordCsv += csvRow(std::vector<std::string>(library.header.begin(), library.header.begin() + 10));
    for (const auto& row : library.rows) {
        recordCsv += csvRow(std::vector<std::string>(row.begin(), row.begin() + 10));
    }
    TempFolder folder;
    folder.write("records.csv", recordCsv);
    ASSERT_EQ(run(shellQuoted(QUANDRELLE_DB_PROGRAM) + " --folder " + shellQuoted(folder.folder()) +
                  " import vapors " + shellQuoted(folder.file("records.csv"))),
              0);

    const std::string built = readBytes(kBuiltLibrary);
    EXPECT_EQ(built.size(), library.rows.size() * VaporStore::kRecordSize);
    EXPECT_TRUE(built == folder.read("VaporB30.DB"));
}

TEST(BuiltVaporLibrary, ListsTheCommonSolventsAndFindsThemByCasNumber) {
    TempFolder folder;
    folder.write("VaporB30.DB", readBytes(kBuiltLibrary));
    VaporStore store(folder.folder());
    EXPECT_EQ(store.numVaporRecs(), static_cast<std::int16_t>(readCsvFile(kLibrary).rows.size()));

    const std::vector<std::string> list = store.listEntries();
    for (const char* name : {"BENZENE", "TOLUENE", "ACETONE"}) {
        EXPECT_NE(std::find(list.begin(), list.end(), padded(name)), list.end()) << name;
    }
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end()));

    const VaporSearchResult found = store.Search("108-88-3", VaporSearchMode::ByCas);
    ASSERT_GT(found.position, 0);
    const VaporRecord toluene = store.ShowVaporRecord(store.chemIndex()[found.position].recNum);
    EXPECT_EQ(toluene.chemName, "Toluene");
    EXPECT_EQ(toluene.molWt, "92.1384");
    EXPECT_EQ(toluene.avgConc, "100");
}

TEST(RecordColumns, LeaveTheEvidenceOutAndKeepTheRecordTextsAsWritten) {
    const std::string library =
        "formula,chemName,molWt,liqDensity,molPolariz,waterSolFactor,avgConc,antoineA,antoineB,antoineC,"
        "casNumber,source\n"
        "C2H4Cl2,\"1,1-Dichloroethane\",98.95,1.1757,21.14,0.004,100,16.06518,2703.286,-44.090,75-34-3,"
        "\"Lange, CRC\"\n";
    EXPECT_EQ(
        recordColumnsCsv(library),
        "chemName,molWt,liqDensity,molPolariz,waterSolFactor,avgConc,antoineA,antoineB,antoineC,casNumber\n"
        "\"1,1-Dichloroethane\",98.95,1.1757,21.14,0.004,100,16.06518,2703.286,-44.090,75-34-3\n");
}

TEST(RecordColumns, AMissingRecordColumnOrBrokenRowIsRefused) {
    EXPECT_THROW(recordColumnsCsv("chemName,molWt\nBenzene,78.11\n"), ImportError);
    EXPECT_THROW(recordColumnsCsv(""), ImportError);
    const std::string header =
        "chemName,molWt,liqDensity,molPolariz,waterSolFactor,avgConc,antoineA,antoineB,antoineC,casNumber\n";
    EXPECT_THROW(recordColumnsCsv(header + "Benzene,78.11\n"), ImportError);
    EXPECT_THROW(recordColumnsCsv(header + "\"Benzene,78.11\n"), ImportError);
}

const std::string kTwoVapors =
    "chemName,molWt,liqDensity,molPolariz,waterSolFactor,avgConc,antoineA,antoineB,antoineC,casNumber\n"
    "Benzene,78.11,0.8765,26.26,0.002,100,15.90085,2788.507,-52.360,71-43-2\n"
    "Toluene,92.14,0.8668,31.06,0,100,16.01365,3096.516,-53.668,108-88-3\n";

TEST(BuildVaporLibrary, StartsFromAnEmptyFileWhateverWasBuiltBefore) {
    TempFolder folder;
    folder.write("VaporB30.DB", std::string(117, 'x'));
    EXPECT_EQ(buildVaporLibrary(kTwoVapors, folder.path()), 2);
    VaporStore store(folder.folder());
    EXPECT_EQ(store.listEntries(), (std::vector<std::string>{padded("BENZENE"), padded("TOLUENE")}));
    EXPECT_FALSE(std::filesystem::exists(folder.file("building")));
}

TEST(BuildVaporLibrary, ANameListedTwiceFailsAndKeepsThePreviousFile) {
    TempFolder folder;
    ASSERT_EQ(buildVaporLibrary(kTwoVapors, folder.path()), 2);
    const std::string before = folder.read("VaporB30.DB");
    EXPECT_THROW(buildVaporLibrary(kTwoVapors + "  benzene ,1,1,1,1,1,1,1,1,1-1-1\n", folder.path()),
                 ImportError);
    EXPECT_EQ(folder.read("VaporB30.DB"), before);
}

// The placement the build and the install run, on a scratch destination.
int place(const std::filesystem::path& source, const std::filesystem::path& destination) {
    return run(shellQuoted(QUANDRELLE_CMAKE_COMMAND) + " -DSOURCE=" + shellQuoted(source) +
               " -DDESTINATION=" + shellQuoted(destination) + " -P " + shellQuoted(QUANDRELLE_PLACE_SCRIPT));
}

TEST(PlaceVaporLibrary, PlacesTheBuiltFileWhereThereIsNone) {
    TempFolder folder;
    const auto destination = folder.path() / "bin" / "VaporB30.DB";
    ASSERT_EQ(place(kBuiltLibrary, destination), 0);
    EXPECT_TRUE(readBytes(destination) == readBytes(kBuiltLibrary));
    EXPECT_FALSE(std::filesystem::exists(destination.string() + ".partial"));
}

TEST(PlaceVaporLibrary, ARebuildLeavesTheUsersChangedFileAlone) {
    TempFolder folder;
    const auto destination = folder.path() / "VaporB30.DB";
    ASSERT_EQ(place(kBuiltLibrary, destination), 0);
    // The user revises a record and adds one of their own.
    std::string changed = readBytes(destination);
    changed.replace(35, 8, "99.99   ");
    changed += quandrelle::testing::field("My solvent", 35) + std::string(82, ' ');
    folder.write("VaporB30.DB", changed);

    ASSERT_EQ(place(kBuiltLibrary, destination), 0);
    EXPECT_TRUE(readBytes(destination) == changed);

    // An empty file (one the program created before the library was built) is the user's too.
    folder.write("VaporB30.DB", "");
    ASSERT_EQ(place(kBuiltLibrary, destination), 0);
    EXPECT_EQ(std::filesystem::file_size(destination), 0u);
}

}  // namespace
}  // namespace quandrelle::data
