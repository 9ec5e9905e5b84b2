#include "quandrelle/stores/VaporStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TempFolder.h"
#include "quandrelle/stores/NameIndex.h"
#include "quandrelle/stores/StoreError.h"

namespace quandrelle {
namespace {

using testing::field;
using testing::TempFolder;

// A vapor record built by hand, byte by byte, as the file holds it.
std::string vaporBytes(const std::string& name, const std::string& cas = "",
                       const std::string& molWt = "78.11") {
    return field(name, 35) + field(molWt, 8) + field("0.879", 8) + field("26.2", 8) + field("0.5", 8) +
           field("100", 8) + field("15.9", 8) + field("2788.5", 8) + field("-52.36", 8) + field(cas, 18);
}

VaporRecord typedVapor(const std::string& name, const std::string& cas = "71-43-2") {
    return {name, "78.11", "0.879", "26.2", "0.5", "100", "15.9", "2788.5", "-52.36", cas};
}

std::vector<std::string> trimmedList(const VaporStore& store) {
    std::vector<std::string> names;
    for (const auto& entry : store.listEntries()) {
        names.push_back(entry.substr(0, entry.find_last_not_of(' ') + 1));
    }
    return names;
}

class VaporStoreTest : public ::testing::Test {
protected:
    void writeFile(const std::vector<std::string>& records) {
        std::string bytes;
        for (const auto& r : records) {
            bytes += r;
        }
        dir.write("VaporB30.DB", bytes);
    }
    std::string fileBytes() const { return dir.read("VaporB30.DB"); }
    TempFolder dir;
};

TEST_F(VaporStoreTest, MissingFileIsCreatedEmptyAndFirstSaveAppendsRecordOne) {
    VaporStore store(dir.folder());
    EXPECT_EQ(store.VaporDB(), dir.folder() + "VaporB30.DB");
    EXPECT_EQ(store.numVaporRecs(), 0);
    EXPECT_TRUE(store.listEntries().empty());
    EXPECT_EQ(store.Search("BENZENE", VaporSearchMode::ByName).position, 0);

    const auto saved = store.Save(typedVapor("Benzene"));
    ASSERT_EQ(saved.status, SaveStatus::Added);
    EXPECT_EQ(store.numVaporRecs(), 1);
    EXPECT_EQ(fileBytes(), vaporBytes("Benzene", "71-43-2"));
    EXPECT_EQ(store.listEntries(), std::vector<std::string>{nameKey("BENZENE")});
}

TEST_F(VaporStoreTest, HandBuiltFileReadsBack) {
    writeFile({vaporBytes("Toluene", "108-88-3", "92.14"), vaporBytes("  acetone", " 67-64-1 ")});
    VaporStore store(dir.folder());
    ASSERT_EQ(store.numVaporRecs(), 2);
    // Listed upper case, sorted, each entry 41 characters.
    EXPECT_EQ(store.listEntries(),
              (std::vector<std::string>{"ACETONE" + std::string(34, ' '), "TOLUENE" + std::string(34, ' ')}));
    EXPECT_EQ(store.chemIndex()[1].recNum, 2);
    EXPECT_EQ(store.chemIndex()[1].casKey, "67-64-1" + std::string(11, ' '));
    // The buffer holds the last record of the file after the index is built.
    EXPECT_EQ(store.vaporRec().chemName, field("  acetone", 35));

    const VaporRecord shown = store.ShowVaporRecord(1);
    EXPECT_EQ(shown, (VaporRecord{"Toluene", "92.14", "0.879", "26.2", "0.5", "100", "15.9", "2788.5",
                                  "-52.36", "108-88-3"}));
    // The name keeps its leading blanks; the CAS number is trimmed at both ends.
    EXPECT_EQ(store.ShowVaporRecord(2).chemName, "  acetone");
    EXPECT_EQ(store.ShowVaporRecord(2).casNumber, "67-64-1");
}

TEST_F(VaporStoreTest, CountsATrailingPartialRecordAndReadsItBlankFilled) {
    const std::string partial = vaporBytes("Xylene", "1330-20-7").substr(0, 60);
    writeFile({vaporBytes("A"), vaporBytes("B"), vaporBytes("C"), partial});
    VaporStore four(dir.folder());
    ASSERT_EQ(four.numVaporRecs(), 4);
    const VaporRecord shown = four.ShowVaporRecord(4);
    EXPECT_EQ(shown.chemName, "Xylene");
    EXPECT_EQ(shown.avgConc, "");  // bytes 67..116 are missing
    EXPECT_EQ(shown.casNumber, "");

    writeFile({vaporBytes("A"), vaporBytes("B"), vaporBytes("C"), partial.substr(0, 58)});
    VaporStore three(dir.folder());
    EXPECT_EQ(three.numVaporRecs(), 3);
}

TEST_F(VaporStoreTest, NamesSortByCharacterCode) {
    writeFile({vaporBytes("Butylamine"), vaporBytes("Acetone"), vaporBytes("Butyl acetate"),
               vaporBytes("1,1,1-Trichloroethane")});
    VaporStore store(dir.folder());
    EXPECT_EQ(trimmedList(store),
              (std::vector<std::string>{"1,1,1-TRICHLOROETHANE", "ACETONE", "BUTYL ACETATE", "BUTYLAMINE"}));
}

TEST_F(VaporStoreTest, SearchIsExactOnTheWholeName) {
    writeFile({vaporBytes(" Benzene ", "71-43-2"), vaporBytes("Acetone", "67-64-1")});
    VaporStore store(dir.folder());
    for (const char* typed : {"benzene", "  Benzene  ", "BENZENE"}) {
        EXPECT_EQ(store.Search(nameSearchText(typed), VaporSearchMode::ByName).position, 2) << typed;
    }
    EXPECT_EQ(store.Search("ACET", VaporSearchMode::ByName).position, 0);
    EXPECT_EQ(store.Search("ACETONES", VaporSearchMode::ByName).position, 0);
    EXPECT_EQ(store.Search("benzene", VaporSearchMode::ByName).position, 0);  // callers upper-case
}

TEST_F(VaporStoreTest, SearchByCasGivesTheLastMatchAndEveryMatchingName) {
    writeFile({vaporBytes("Xylene", "1330-20-7"), vaporBytes("m-Xylene", "108-38-3"),
               vaporBytes("Dimethylbenzene", "1330-20-7")});
    VaporStore store(dir.folder());
    const auto found = store.Search("1330-20-7", VaporSearchMode::ByCas);
    EXPECT_EQ(found.casMatchNames, (std::vector<std::string>{"DIMETHYLBENZENE", "XYLENE"}));
    EXPECT_EQ(found.position, 3);
    EXPECT_EQ(store.chemIndex()[found.position].recNum, 1);
    EXPECT_EQ(store.Search("1330-20", VaporSearchMode::ByCas).position, 0);
    EXPECT_TRUE(store.Search("1330-20", VaporSearchMode::ByCas).casMatchNames.empty());
}

TEST_F(VaporStoreTest, SameNameTwiceFindsTheLaterAndReviseOverwritesOnlyThatOne) {
    writeFile({vaporBytes("Hexane", "first"), vaporBytes("Acetone"), vaporBytes("HEXANE", "second")});
    VaporStore store(dir.folder());
    const auto position = store.Search("HEXANE", VaporSearchMode::ByName).position;
    EXPECT_EQ(position, 3);
    EXPECT_EQ(store.chemIndex()[position].recNum, 3);

    const auto saved = store.Save(typedVapor("hexane", "new"));
    ASSERT_EQ(saved.status, SaveStatus::OnFile);
    EXPECT_EQ(saved.position, position);
    store.Revise(saved.position, typedVapor("hexane", "new"));
    EXPECT_EQ(fileBytes(),
              vaporBytes("Hexane", "first") + vaporBytes("Acetone") + vaporBytes("hexane", "new", "78.11"));
}

TEST_F(VaporStoreTest, AddWritesExactlyTheRecordAndShowsItAsStored) {
    writeFile({vaporBytes("Toluene")});
    VaporStore store(dir.folder());
    VaporRecord typed = typedVapor("Acetone", "  67-64-1");
    typed.molWt = "123.45678";
    typed.antoineC = "";
    const auto saved = store.Save(typed);
    ASSERT_EQ(saved.status, SaveStatus::Added);
    const std::string expected = field("Acetone", 35) + "123.4567" + field("0.879", 8) + field("26.2", 8) +
                                 field("0.5", 8) + field("100", 8) + field("15.9", 8) + field("2788.5", 8) +
                                 std::string(8, ' ') + field("  67-64-1", 18);
    EXPECT_EQ(fileBytes(), vaporBytes("Toluene") + expected);
    EXPECT_EQ(saved.shown.molWt, "123.4567");
    EXPECT_EQ(saved.shown.antoineC, "");
    EXPECT_EQ(saved.shown.casNumber, "67-64-1");
    EXPECT_EQ(trimmedList(store), (std::vector<std::string>{"ACETONE", "TOLUENE"}));
}

TEST_F(VaporStoreTest, ReviseWritesExactlyTheRecordAndRebuildsTheIndex) {
    writeFile({vaporBytes("Benzene", "71-43-2"), vaporBytes("Toluene", "108-88-3")});
    VaporStore store(dir.folder());
    const auto saved = store.Save(typedVapor("BENZENE", "00071-43-2"));
    ASSERT_EQ(saved.status, SaveStatus::OnFile);
    store.Revise(saved.position, typedVapor("BENZENE", "00071-43-2"));
    EXPECT_EQ(fileBytes(), vaporBytes("BENZENE", "00071-43-2") + vaporBytes("Toluene", "108-88-3"));
    EXPECT_EQ(store.numVaporRecs(), 2);
    EXPECT_NE(store.Search("00071-43-2", VaporSearchMode::ByCas).position, 0);
    EXPECT_EQ(store.Search("71-43-2", VaporSearchMode::ByCas).position, 0);
}

TEST_F(VaporStoreTest, EmptyNameWritesNothing) {
    VaporStore store(dir.folder());
    EXPECT_EQ(store.Save(typedVapor("   ")).status, SaveStatus::EmptyName);
    EXPECT_EQ(store.Save(typedVapor("")).status, SaveStatus::EmptyName);
    EXPECT_EQ(fileBytes(), "");
}

TEST_F(VaporStoreTest, PlaceholderNameIsSavedLikeAnyOther) {
    VaporStore store(dir.folder());
    EXPECT_EQ(store.Save(typedVapor("None Selected")).status, SaveStatus::Added);
    EXPECT_EQ(trimmedList(store), std::vector<std::string>{"NONE SELECTED"});
}

TEST_F(VaporStoreTest, OverLongNameSavedTwiceAsksToReviseInsteadOfAddingTwice) {
    VaporStore store(dir.folder());
    const std::string name = "Dipropylene glycol monomethyl ether acetate";  // 43 characters
    const auto first = store.Save(typedVapor(name));
    ASSERT_EQ(first.status, SaveStatus::Added);
    EXPECT_EQ(first.shown.chemName, name.substr(0, 35));
    const auto second = store.Save(typedVapor(name));
    EXPECT_EQ(second.status, SaveStatus::OnFile);
    EXPECT_EQ(store.numVaporRecs(), 1);
}

TEST_F(VaporStoreTest, CharactersOutsideTheCodePageAreStoredAsQuestionMarks) {
    VaporStore store(dir.folder());
    const auto saved = store.Save(typedVapor("\xCE\xB1-Pinene \xC3\xA9"));  // α-Pinene é
    ASSERT_EQ(saved.status, SaveStatus::Added);
    EXPECT_EQ(fileBytes().substr(0, 10), "?-Pinene \xE9");
    EXPECT_EQ(saved.shown.chemName, "?-Pinene \xC3\xA9");
    EXPECT_EQ(trimmedList(store), std::vector<std::string>{"?-PINENE \xC3\x89"});
    // Saved again as typed, it is found as the same name.
    EXPECT_EQ(store.Save(typedVapor("\xCE\xB1-Pinene \xC3\xA9")).status, SaveStatus::OnFile);
}

TEST_F(VaporStoreTest, AFullFileRefusesAnAdd) {
    std::string bytes;
    for (int i = 1; i <= 32767; ++i) {
        bytes += vaporBytes("Vapor " + std::to_string(i));
    }
    dir.write("VaporB30.DB", bytes);
    VaporStore store(dir.folder());
    ASSERT_EQ(store.numVaporRecs(), 32767);
    EXPECT_THROW(store.Save(typedVapor("One more")), StoreFullError);
    EXPECT_EQ(store.numVaporRecs(), 32767);
    EXPECT_EQ(fileBytes(), bytes);
    // A revision still works.
    const auto onFile = store.Save(typedVapor("vapor 32767"));
    ASSERT_EQ(onFile.status, SaveStatus::OnFile);
    EXPECT_EQ(store.chemIndex()[onFile.position].recNum, 32767);
}

TEST_F(VaporStoreTest, MissingFolderIsATypedError) {
    EXPECT_THROW(VaporStore(dir.folder() + "missing/"), StoreError);
}

}  // namespace
}  // namespace quandrelle
