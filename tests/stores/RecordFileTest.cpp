#include "quandrelle/stores/RecordFile.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "ImmutableFile.h"
#include "TempFolder.h"
#include "quandrelle/stores/StoreError.h"

namespace quandrelle {
namespace {

using testing::TempFolder;

class RecordFileTest : public ::testing::Test {
protected:
    TempFolder dir;
};

TEST_F(RecordFileTest, MissingFileIsCreatedEmpty) {
    RecordFile file(dir.file("new.db"), 117);
    EXPECT_EQ(file.count(), 0);
    EXPECT_TRUE(std::filesystem::exists(dir.file("new.db")));
    EXPECT_EQ(std::filesystem::file_size(dir.file("new.db")), 0u);
    EXPECT_FALSE(file.readOnly());
}

TEST_F(RecordFileTest, CountRoundsATrailingPartToTheNearestRecord) {
    const struct {
        std::size_t bytes;
        int recordSize;
        int expected;
    } cases[] = {{117 * 3 + 58, 117, 3},
                 {117 * 3 + 59, 117, 4},
                 {117 * 3 + 60, 117, 4},
                 {140, 99, 1},
                 {150, 99, 2},
                 {198, 99, 2},
                 {49, 99, 0},
                 {50, 99, 1}};
    for (const auto& c : cases) {
        dir.write("f.db", std::string(c.bytes, 'x'));
        RecordFile file(dir.file("f.db"), c.recordSize);
        EXPECT_EQ(file.count(), c.expected) << c.bytes << " bytes";
    }
}

TEST_F(RecordFileTest, PartialLastRecordReadsItsMissingBytesAsBlanks) {
    dir.write("f.db", std::string(10, 'a') + std::string(6, 'b'));
    RecordFile file(dir.file("f.db"), 10);
    ASSERT_EQ(file.count(), 2);
    EXPECT_EQ(file.read(2), "bbbbbb    ");
    EXPECT_EQ(file.readAll(), std::string(10, 'a') + "bbbbbb    ");
    EXPECT_THROW(file.read(3), StoreError);
    EXPECT_THROW(file.read(0), StoreError);
}

TEST_F(RecordFileTest, AppendAfterAPartialRecordCompletesItWithBlanks) {
    dir.write("f.db", std::string(10, 'a') + std::string(6, 'b'));
    {
        RecordFile file(dir.file("f.db"), 10);
        file.write(3, std::string(10, 'c'));
        EXPECT_EQ(file.count(), 3);
    }
    EXPECT_EQ(dir.read("f.db"), std::string(10, 'a') + "bbbbbb    " + std::string(10, 'c'));
}

TEST_F(RecordFileTest, AppendOverAnIgnoredTrailingPartReplacesIt) {
    dir.write("f.db", std::string(10, 'a') + "zz");
    {
        RecordFile file(dir.file("f.db"), 10);
        ASSERT_EQ(file.count(), 1);
        file.write(2, std::string(10, 'c'));
    }
    EXPECT_EQ(dir.read("f.db"), std::string(10, 'a') + std::string(10, 'c'));
}

TEST_F(RecordFileTest, OverwriteChangesOnlyThatRecord) {
    dir.write("f.db", std::string(10, 'a') + std::string(10, 'b') + std::string(10, 'c'));
    {
        RecordFile file(dir.file("f.db"), 10);
        file.write(2, "0123456789");
        EXPECT_EQ(file.count(), 3);
        EXPECT_THROW(file.write(5, "0123456789"), StoreError);  // no gaps
        EXPECT_THROW(file.write(1, "short"), StoreError);
    }
    EXPECT_EQ(dir.read("f.db"), std::string(10, 'a') + "0123456789" + std::string(10, 'c'));
}

TEST_F(RecordFileTest, MissingFolderIsATypedErrorNamingFileAndFolder) {
    const auto path = dir.path() / "gone" / "VaporB30.DB";
    try {
        RecordFile file(path, 117);
        FAIL() << "opened";
    } catch (const StoreError& e) {
        EXPECT_EQ(e.file(), path);
        const std::string message = e.what();
        EXPECT_NE(message.find(path.string()), std::string::npos) << message;
        EXPECT_NE(message.find("does not exist"), std::string::npos) << message;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "gone"));
}

TEST_F(RecordFileTest, AFolderInPlaceOfTheFileIsAnError) {
    std::filesystem::create_directory(dir.file("f.db"));
    EXPECT_THROW(RecordFile(dir.file("f.db"), 10), StoreError);
}

// Permission checks do not hold for the superuser, so these tests only mean something without it.
bool permissionsAreEnforced() {
    return ::geteuid() != 0;
}

TEST_F(RecordFileTest, ReadOnlyFolderCannotTakeANewFile) {
    if (!permissionsAreEnforced()) {
        GTEST_SKIP() << "running as root";
    }
    std::filesystem::permissions(dir.path(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_THROW(RecordFile(dir.file("f.db"), 10), StoreError);
}

TEST_F(RecordFileTest, ReadOnlyFileCanBeReadButNotWritten) {
    if (!permissionsAreEnforced()) {
        GTEST_SKIP() << "running as root";
    }
    dir.write("f.db", std::string(10, 'a'));
    std::filesystem::permissions(dir.file("f.db"), std::filesystem::perms::owner_read);
    RecordFile file(dir.file("f.db"), 10);
    EXPECT_TRUE(file.readOnly());
    EXPECT_EQ(file.read(1), std::string(10, 'a'));
    EXPECT_THROW(file.write(2, std::string(10, 'b')), StoreError);
    EXPECT_THROW(file.write(1, std::string(10, 'b')), StoreError);
    EXPECT_EQ(file.count(), 1);
    EXPECT_EQ(dir.read("f.db"), std::string(10, 'a'));
}

TEST_F(RecordFileTest, AFullFileRefusesAnAddAndStaysAsItWas) {
    const std::string full(static_cast<std::size_t>(RecordFile::kMaxRecords) * 4, 'r');
    dir.write("f.db", full);
    RecordFile file(dir.file("f.db"), 4);
    ASSERT_EQ(file.count(), 32767);
    EXPECT_THROW(file.write(-32768, "abcd"), StoreError);
    try {
        file.write(file.count() + 1, "abcd");
        FAIL() << "added record 32,768";
    } catch (const StoreFullError& e) {
        EXPECT_NE(std::string(e.what()).find("32,767"), std::string::npos);
    }
    EXPECT_EQ(file.count(), 32767);
    file.write(32767, "last");  // the last record can still be revised
    EXPECT_EQ(dir.read("f.db"), full.substr(0, full.size() - 4) + "last");
}

TEST_F(RecordFileTest, AFileBeyondTheRecordLimitIsReportedNotMiscounted) {
    dir.write("f.db", std::string(32768 * 2, 'r'));
    EXPECT_THROW(RecordFile(dir.file("f.db"), 2), StoreError);
}

// ---- Opening without creating, and files that refuse to be opened ----

TEST_F(RecordFileTest, LeftAbsentAMissingFileReadsEmptyUntilTheFirstWrite) {
    RecordFile file(dir.file("f.db"), 4, MissingFile::LeaveAbsent);
    EXPECT_TRUE(file.absent());
    EXPECT_EQ(file.count(), 0);
    EXPECT_EQ(file.readAll(), "");
    EXPECT_FALSE(std::filesystem::exists(dir.file("f.db")));
    file.write(1, "abcd");
    EXPECT_FALSE(file.absent());
    EXPECT_EQ(dir.read("f.db"), "abcd");

    EXPECT_THROW(RecordFile(dir.file("no folder/f.db"), 4, MissingFile::LeaveAbsent), StoreError);
}

TEST_F(RecordFileTest, AFileTheSystemWillNotOpenIsAnErrorNotAnEmptyLibrary) {
    std::filesystem::create_symlink("loop.db", dir.file("loop.db"));
    std::filesystem::create_directory(dir.file("folder.db"));
    const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ::sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socketPath = dir.file("socket.db").string();
    ASSERT_LT(socketPath.size(), sizeof address.sun_path);
    socketPath.copy(address.sun_path, socketPath.size());
    ASSERT_EQ(::bind(sock, reinterpret_cast<const ::sockaddr*>(&address), sizeof address), 0);
    for (const char* name : {"loop.db", "folder.db", "socket.db"}) {
        for (const MissingFile missing : {MissingFile::Create, MissingFile::LeaveAbsent}) {
            try {
                RecordFile file(dir.file(name), 4, missing);
                ADD_FAILURE() << name << " opened";
            } catch (const StoreError& e) {
                EXPECT_NE(std::string(e.what()).find(name), std::string::npos) << e.what();
            }
        }
    }
    ::close(sock);
}

TEST_F(RecordFileTest, AnImmutableFileIsOpenedReadOnly) {
    dir.write("f.db", "abcd");
    const testing::ImmutableFile immutable(dir.file("f.db"));
    if (!immutable.set()) {
        GTEST_SKIP() << "files cannot be marked immutable here";
    }
    RecordFile file(dir.file("f.db"), 4);
    EXPECT_TRUE(file.readOnly());
    EXPECT_EQ(file.read(1), "abcd");
    EXPECT_THROW(file.write(2, "efgh"), StoreError);
    EXPECT_THROW(file.replaceAll("efgh"), StoreError);
    EXPECT_EQ(dir.read("f.db"), "abcd");
}

// ---- Replacing the whole file in one step ----

TEST_F(RecordFileTest, ReplaceAllPutsTheNewRecordsInPlaceAndKeepsServingThem) {
    dir.write("f.db", "abcdefg");  // one record and a part that counts as a second
    std::filesystem::permissions(dir.file("f.db"), std::filesystem::perms::owner_read |
                                                       std::filesystem::perms::owner_write |
                                                       std::filesystem::perms::group_read);
    RecordFile file(dir.file("f.db"), 4);
    ASSERT_EQ(file.count(), 2);
    file.replaceAll("1111222233334444");
    EXPECT_EQ(file.count(), 4);
    EXPECT_EQ(file.read(4), "4444");
    file.write(5, "5555");
    EXPECT_EQ(dir.read("f.db"), "11112222333344445555");
    EXPECT_EQ(std::filesystem::status(dir.file("f.db")).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
    // Nothing is left beside it but its lock file.
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"f.db", "f.db.lock"}));
}

TEST_F(RecordFileTest, ReplaceAllThroughALinkReplacesTheFileItPointsTo) {
    std::filesystem::create_directory(dir.file("shared"));
    dir.write("shared/f.db", "abcd");
    std::filesystem::create_symlink("shared/f.db", dir.file("f.db"));
    RecordFile file(dir.file("f.db"), 4);
    file.replaceAll("wxyz");
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("f.db")));
    EXPECT_EQ(dir.read("shared/f.db"), "wxyz");
}

TEST_F(RecordFileTest, ReplaceAllCreatesAMissingFileOnlyWhenItSucceeds) {
    {
        RecordFile file(dir.file("f.db"), 4, MissingFile::LeaveAbsent);
        EXPECT_THROW(file.replaceAll("abc"), StoreError);  // not whole records
        EXPECT_THROW(file.replaceAll(std::string((RecordFile::kMaxRecords + 1) * 4, 'r')), StoreFullError);
        EXPECT_FALSE(std::filesystem::exists(dir.file("f.db")));
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0);
        file.replaceAll("abcd");
        EXPECT_EQ(file.count(), 1);
    }
    EXPECT_EQ(dir.read("f.db"), "abcd");
}

TEST_F(RecordFileTest, NothingIsWrittenIntoAFileThatWasReplacedOrChangedSinceItWasRead) {
    const struct {
        const char* what;
        std::string after;  // the file's bytes after another program's change
    } changes[] = {{"replaced", "rrrr"}, {"appended to", "aaaabbbb"}};
    for (const auto& c : changes) {
        dir.write("f.db", "aaaa");
        RecordFile file(dir.file("f.db"), 4);
        if (std::string(c.what) == "replaced") {
            dir.write("new.db", c.after);
            std::filesystem::rename(dir.file("new.db"), dir.file("f.db"));
        } else {
            dir.write("f.db", c.after);
        }
        EXPECT_THROW(file.write(2, "cccc"), StoreChangedError) << c.what;
        EXPECT_THROW(file.replaceAll("cccc"), StoreChangedError) << c.what;
        EXPECT_EQ(dir.read("f.db"), c.after) << c.what;
        EXPECT_TRUE(file.refresh()) << c.what;
        file.write(file.count() + 1, "cccc");
        EXPECT_EQ(dir.read("f.db"), c.after + "cccc") << c.what;
    }
}

}  // namespace
}  // namespace quandrelle
