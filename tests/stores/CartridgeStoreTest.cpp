#include "quandrelle/stores/CartridgeStore.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CartridgeSamples.h"
#include "TempFolder.h"
#include "quandrelle/stores/NameIndex.h"
#include "quandrelle/stores/StoreError.h"

namespace quandrelle {
namespace {

using testing::cartBytes;
using testing::TempFolder;
using testing::typedCartridge;

std::vector<std::string> trimmedList(const CartridgeStore& store) {
    std::vector<std::string> names;
    for (const auto& entry : store.listEntries()) {
        EXPECT_EQ(entry.size(), 41u);
        names.push_back(entry.substr(0, entry.find_last_not_of(' ') + 1));
    }
    return names;
}

class CartridgeStoreTest : public ::testing::Test {
protected:
    void writeFile(const std::vector<std::string>& records) {
        std::string bytes;
        for (const auto& r : records) {
            bytes += r;
        }
        dir.write("CartridgeB30.DB", bytes);
    }
    std::string fileBytes() const { return dir.read("CartridgeB30.DB"); }
    TempFolder dir;
};

TEST_F(CartridgeStoreTest, MissingFileIsCreatedEmptyAndFirstSaveAppendsRecordOne) {
    CartridgeStore store(dir.folder());
    EXPECT_EQ(store.cartridgeFilePath(), dir.folder() + "CartridgeB30.DB");
    EXPECT_EQ(store.numCartRecs(), 0);
    EXPECT_EQ(store.Search("ANY"), 0);
    const auto saved = store.Save(typedCartridge("SAMPLE OV-1"));
    ASSERT_EQ(saved.status, SaveStatus::Added);
    EXPECT_EQ(fileBytes(), cartBytes("SAMPLE OV-1"));
    EXPECT_EQ(store.Search("SAMPLE OV-1"), 1);
}

TEST_F(CartridgeStoreTest, CountRoundsTheFileLength) {
    const std::string two = cartBytes("A") + cartBytes("B");
    writeFile({two});
    EXPECT_EQ(CartridgeStore(dir.folder()).numCartRecs(), 2);  // 198 bytes
    writeFile({two.substr(0, 150)});
    CartridgeStore partial(dir.folder());
    ASSERT_EQ(partial.numCartRecs(), 2);
    const auto shown = partial.ShowCartridgeRecord(2);
    EXPECT_EQ(shown.cartName, "B");
    EXPECT_EQ(shown.bedDiam, "8.8");
    EXPECT_EQ(shown.bedDepth, "2.3");  // bytes 99..149 hold the name and two values
    EXPECT_EQ(shown.carbWgt, "");      // the missing bytes read as blanks
    EXPECT_EQ(shown.affinityForWater, "");
    writeFile({two.substr(0, 140)});
    EXPECT_EQ(CartridgeStore(dir.folder()).numCartRecs(), 1);
}

TEST_F(CartridgeStoreTest, ListedUpperCaseInCharacterCodeOrder) {
    writeFile({cartBytes("CART 12B"), cartBytes("abc"), cartBytes("CART 12"), cartBytes("Zeta")});
    CartridgeStore store(dir.folder());
    EXPECT_EQ(trimmedList(store), (std::vector<std::string>{"ABC", "CART 12", "CART 12B", "ZETA"}));
}

TEST_F(CartridgeStoreTest, SearchFindsTheWholeNameWhateverItsCaseAndBlanks) {
    writeFile({cartBytes("CART 12B"), cartBytes(" Abc"), cartBytes("CART 12")});
    CartridgeStore store(dir.folder());
    const auto position = store.Search(nameSearchText(" abc "));
    ASSERT_NE(position, 0);
    const auto shown = store.ShowCartridgeRecord(store.cartIndex()[position].recNum);
    EXPECT_EQ(shown.cartName, " Abc");  // the stored form, not the list's
    EXPECT_EQ(shown.micVol, "0.43");
    EXPECT_EQ(store.Search("CART"), 0);
    EXPECT_EQ(store.Search("CART 1"), 0);
    EXPECT_EQ(store.cartIndex()[store.Search("CART 12")].recNum, 3);
}

TEST_F(CartridgeStoreTest, SavingAnExistingNameRevisesItOnlyWhenAsked) {
    writeFile({cartBytes("ABC"), cartBytes("XYZ")});
    CartridgeStore store(dir.folder());
    const auto typed = typedCartridge("abc", "0.123456789");
    const auto saved = store.Save(typed);
    ASSERT_EQ(saved.status, SaveStatus::OnFile);
    EXPECT_EQ(fileBytes(), cartBytes("ABC") + cartBytes("XYZ"));  // nothing written before the answer

    store.Revise(saved.position, typed);
    EXPECT_EQ(fileBytes(), cartBytes("abc", "0.123456") + cartBytes("XYZ"));
    EXPECT_EQ(trimmedList(store), (std::vector<std::string>{"ABC", "XYZ"}));
    EXPECT_EQ(store.numCartRecs(), 2);
}

TEST_F(CartridgeStoreTest, AddShowsTheStoredCutValues) {
    CartridgeStore store(dir.folder());
    writeFile({});
    const auto saved = store.Save(typedCartridge("New", "0.123456789"));
    ASSERT_EQ(saved.status, SaveStatus::Added);
    EXPECT_EQ(saved.shown.micVol, "0.123456");
    EXPECT_EQ(fileBytes(), cartBytes("New", "0.123456"));
}

TEST_F(CartridgeStoreTest, OverLongNameIsComparedAsStored) {
    CartridgeStore store(dir.folder());
    const std::string name = "Organic vapor cartridge with P100 prefilter";
    ASSERT_EQ(store.Save(typedCartridge(name)).status, SaveStatus::Added);
    EXPECT_EQ(store.Save(typedCartridge(name)).status, SaveStatus::OnFile);
    EXPECT_EQ(store.numCartRecs(), 1);
    EXPECT_NE(store.Search(nameSearchText(name.substr(0, 35))), 0);
}

TEST_F(CartridgeStoreTest, EmptyNameWritesNothing) {
    CartridgeStore store(dir.folder());
    EXPECT_EQ(store.Save(typedCartridge("  ")).status, SaveStatus::EmptyName);
    EXPECT_EQ(fileBytes(), "");
}

TEST_F(CartridgeStoreTest, SearchHalvesCorrectlyInALargeFile) {
    // Past 16,384 records the sum of the two halving bounds no longer fits 16 bits.
    std::string bytes;
    std::vector<std::string> names;
    for (int i = 0; i < 32767; ++i) {
        names.push_back("C" + std::to_string(100000 + i));
        bytes += cartBytes(names.back());
    }
    dir.write("CartridgeB30.DB", bytes);
    CartridgeStore store(dir.folder());
    for (int i : {0, 1, 16383, 16384, 20000, 32765, 32766}) {
        const auto position = store.Search(names[i]);
        ASSERT_EQ(position, i + 1) << names[i];
    }
    EXPECT_EQ(store.Search("C99"), 0);
    EXPECT_EQ(store.Search("D"), 0);
    EXPECT_THROW(store.Save(typedCartridge("New")), StoreFullError);
    EXPECT_EQ(fileBytes(), bytes);
}

TEST_F(CartridgeStoreTest, EqualNamesFindTheEntryTheSearchMeetsFirst) {
    writeFile({cartBytes("B"), cartBytes("A"), cartBytes("B"), cartBytes("C"), cartBytes("B")});
    CartridgeStore store(dir.folder());
    const auto position = store.Search("B");
    ASSERT_NE(position, 0);
    EXPECT_EQ(position, 3);  // the middle of five
    EXPECT_EQ(trimmedList(store), (std::vector<std::string>{"A", "B", "B", "B", "C"}));
}

TEST_F(CartridgeStoreTest, NamesWithControlCharactersOnFileAreFoundAgain) {
    // Older imports let tabs into names; such a key sorts before the blank filling of a shorter name.
    std::vector<std::string> records;
    for (const char* name : {"A\tB", "A", "A\x01", "AB", "A B", "B\t", "B", "C"}) {
        records.push_back(cartBytes(name));
    }
    writeFile(records);
    CartridgeStore store(dir.folder());
    for (const char* name : {"A\tB", "A", "A\x01", "AB", "A B", "B\t", "B", "C"}) {
        const auto position = store.Search(name);
        ASSERT_GT(position, 0) << name;
        EXPECT_EQ(store.ShowCartridgeRecord(store.cartIndex()[position].recNum).cartName, name);
    }
    EXPECT_EQ(store.Search("A\t"), 0);
}

}  // namespace
}  // namespace quandrelle
