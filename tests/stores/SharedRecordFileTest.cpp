// One record file used by two programs at once: each store here stands for one program (the
// desktop program's screen, the record tool), with the file changed under it in every way another
// program changes it.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "CartridgeSamples.h"
#include "TempFolder.h"
#include "quandrelle/stores/CartridgeStore.h"
#include "quandrelle/stores/RecordLock.h"
#include "quandrelle/stores/StoreError.h"
#include "quandrelle/stores/VaporStore.h"

namespace quandrelle {
namespace {

using namespace std::chrono_literals;
using testing::cartBytes;
using testing::TempFolder;
using testing::typedCartridge;

class SharedRecordFileTest : public ::testing::Test {
protected:
    std::string fileBytes() const { return dir.read("CartridgeB30.DB"); }
    std::filesystem::path file() const { return dir.file("CartridgeB30.DB"); }
    TempFolder dir;
};

// How the other program changes the file while this one has it open.
struct OutsideChange {
    const char* what;
    void (*change)(const TempFolder&);
    std::string leaves;  // the file's bytes after the change
};

TEST_F(SharedRecordFileTest, ASaveGoesIntoTheFileAsTheOtherProgramLeftIt) {
    const OutsideChange changes[] = {
        {"replaced by a new file renamed over it",
         [](const TempFolder& d) { CartridgeStore(d.folder()).ReplaceAll({typedCartridge("IMPORTED")}); },
         cartBytes("IMPORTED")},
        {"appended to in place",
         [](const TempFolder& d) { CartridgeStore(d.folder()).Save(typedCartridge("OTHER")); },
         cartBytes("OLD") + cartBytes("OTHER")},
        {"removed", [](const TempFolder& d) { std::filesystem::remove(d.file("CartridgeB30.DB")); }, ""},
    };
    for (const auto& c : changes) {
        dir.write("CartridgeB30.DB", cartBytes("OLD"));
        CartridgeStore mine(dir.folder());
        c.change(dir);
        const auto saved = mine.Save(typedCartridge("MINE"));
        EXPECT_EQ(saved.status, SaveStatus::Added) << c.what;
        EXPECT_EQ(fileBytes(), c.leaves + cartBytes("MINE")) << c.what;
        EXPECT_EQ(mine.numCartRecs(), static_cast<int>(fileBytes().size() / 99)) << c.what;
        EXPECT_EQ(mine.outsideChanges(), 1u) << c.what;
    }
}

TEST_F(SharedRecordFileTest, ARevisionFindsItsRecordAgainOrSaysItIsGone) {
    dir.write("CartridgeB30.DB", cartBytes("A") + cartBytes("B"));
    CartridgeStore mine(dir.folder());
    const auto onFile = mine.Save(typedCartridge("B", "0.5"));
    ASSERT_EQ(onFile.status, SaveStatus::OnFile);

    // Another program puts a record before it: the revision reaches B where it now lies.
    CartridgeStore(dir.folder()).ReplaceAll({typedCartridge("0"), typedCartridge("A"), typedCartridge("B")});
    mine.Revise(onFile.position, typedCartridge("B", "0.5"));
    EXPECT_EQ(fileBytes(), cartBytes("0") + cartBytes("A") + cartBytes("B", "0.5"));

    // Another program leaves it out: nothing is written.
    const auto again = mine.Save(typedCartridge("B", "0.6"));
    CartridgeStore(dir.folder()).ReplaceAll({typedCartridge("A")});
    EXPECT_THROW(mine.Revise(again.position, typedCartridge("B", "0.6")), StoreChangedError);
    EXPECT_EQ(fileBytes(), cartBytes("A"));
}

TEST_F(SharedRecordFileTest, RecordsReadBeforeAnotherProgramsChangeAreNotWrittenBack) {
    CartridgeStore mine(dir.folder());
    auto records = mine.storedRecords();
    CartridgeStore(dir.folder()).Save(typedCartridge("OTHER"));
    records.push_back(typedCartridge("MINE"));
    EXPECT_THROW(mine.ReplaceAll(records), StoreChangedError);
    EXPECT_EQ(fileBytes(), cartBytes("OTHER"));
    // Read under the lock, the same change goes through.
    const auto lock = mine.lockForChange();
    records = mine.storedRecords();
    records.push_back(typedCartridge("MINE"));
    mine.ReplaceAll(records);
    EXPECT_EQ(fileBytes(), cartBytes("OTHER") + cartBytes("MINE"));
}

TEST_F(SharedRecordFileTest, ALockHeldTooLongRefusesTheSaveAndNamesTheHolder) {
    CartridgeStore mine(dir.folder());
    mine.setLockWait(50ms);
    {
        const RecordLock other(file(), RecordLock::Mode::Exclusive, 0ms);
        try {
            mine.Save(typedCartridge("MINE"));
            FAIL() << "saved under another program's lock";
        } catch (const StoreBusyError& busy) {
            EXPECT_EQ(busy.holder(),
                      std::string(program_invocation_short_name) + ", process " + std::to_string(::getpid()));
        }
        // Looking again does not wait for it either: the list stays as it was.
        EXPECT_FALSE(mine.refresh());
    }
    EXPECT_EQ(fileBytes(), "");
    EXPECT_EQ(mine.Save(typedCartridge("MINE")).status, SaveStatus::Added);
}

TEST_F(SharedRecordFileTest, TheLockOfAProgramThatDiedIsTakenAtOnce) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Ends holding the lock, as a program killed while saving would.
        new RecordLock(file(), RecordLock::Mode::Exclusive, 0ms);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    CartridgeStore mine(dir.folder());
    mine.setLockWait(0ms);
    EXPECT_EQ(mine.Save(typedCartridge("MINE")).status, SaveStatus::Added);
}

TEST_F(SharedRecordFileTest, ASearchAfterAnotherProgramsSaveFindsItsRecord) {
    VaporStore mine(dir.folder());
    VaporStore(dir.folder())
        .Save({"Toluene", "92.14", "0.867", "31.1", "0.5", "100", "16", "3096.5", "-53.67", "108-88-3"});
    EXPECT_EQ(mine.Search("TOLUENE", VaporSearchMode::ByName).position, 0);
    EXPECT_TRUE(mine.refresh());
    EXPECT_FALSE(mine.refresh());
    EXPECT_EQ(mine.Search("TOLUENE", VaporSearchMode::ByName).position, 1);
    EXPECT_EQ(mine.Search("108-88-3", VaporSearchMode::ByCas).position, 1);
}

}  // namespace
}  // namespace quandrelle
