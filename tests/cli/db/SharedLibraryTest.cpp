// The record tool and a store held open by another process (as the desktop program holds it) saving
// into one cartridge file at the same time.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "CartridgeSamples.h"
#include "TempFolder.h"
#include "quandrelle/db/DbTool.h"
#include "quandrelle/stores/CartridgeStore.h"
#include "quandrelle/stores/RecordLock.h"

namespace quandrelle {
namespace {

using testing::cartBytes;
using testing::TempFolder;
using testing::typedCartridge;

constexpr int kRounds = 40;

std::string importCsv(const std::vector<std::string>& names) {
    std::string csv =
        "cartName,bedDiam,bedDepth,carbWgt,micVol,relHumPre,diamGran,apBenzene,affinityForWater\n";
    for (const auto& name : names) {
        csv += name + ",8.8,2.3,45,0.43,50,0.15,29,0.06\n";
    }
    return csv;
}

// Each round saves one cartridge through the store it keeps open and imports two through the record
// tool. Gives every name it was told was saved.
std::vector<std::string> saveAndImport(const TempFolder& dir, const std::string& tag) {
    std::vector<std::string> saved;
    CartridgeStore store(dir.folder());
    for (int round = 0; round < kRounds; ++round) {
        const std::string name = tag + " SAVED " + std::to_string(round);
        if (store.Save(typedCartridge(name)).status == SaveStatus::Added) {
            saved.push_back(name);
        }
        const std::vector<std::string> imported = {tag + " IMPORTED " + std::to_string(round) + "A",
                                                   tag + " IMPORTED " + std::to_string(round) + "B"};
        const std::string csv = dir.file(tag + ".csv").string();
        std::ofstream(csv, std::ios::binary | std::ios::trunc) << importCsv(imported);
        std::ostringstream out;
        std::ostringstream err;
        if (runDbTool({"--folder", dir.folder(), "import", "cartridges", csv}, dir.folder(), out, err) ==
                kDbOk &&
            out.str().find("2 added") != std::string::npos) {
            saved.insert(saved.end(), imported.begin(), imported.end());
        }
    }
    return saved;
}

TEST(SharedLibrary, EveryRecordEitherProgramSavedIsInTheFileOnce) {
    TempFolder dir;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::ofstream list(dir.file("child.txt"));
        for (const auto& name : saveAndImport(dir, "CHILD")) {
            list << name << "\n";
        }
        list.close();
        ::_exit(list ? 0 : 1);
    }
    std::vector<std::string> saved = saveAndImport(dir, "PARENT");
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    std::istringstream childList(dir.read("child.txt"));
    for (std::string name; std::getline(childList, name);) {
        saved.push_back(name);
    }
    // Neither program had to give up: every save and import was reported done.
    ASSERT_EQ(saved.size(), 2u * 3 * kRounds);

    std::map<std::string, int> onFile;
    const std::string bytes = dir.read("CartridgeB30.DB");
    for (std::size_t at = 0; at + 99 <= bytes.size(); at += 99) {
        ++onFile[bytes.substr(at, 99)];
    }
    // Nothing else is in the file, and no record was written where another already stood.
    EXPECT_EQ(bytes.size(), saved.size() * 99);
    for (const auto& name : saved) {
        EXPECT_EQ(onFile[cartBytes(name)], 1) << name;
    }
}

TEST(SharedLibrary, TheToolGivesUpOnALockedFileWithStatusTwoAndChangesNothing) {
    TempFolder dir;
    dir.write("in.csv", importCsv({"NEW"}));
    const RecordLock other(dir.file("CartridgeB30.DB"), RecordLock::Mode::Exclusive,
                           std::chrono::milliseconds(0));
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runDbTool({"import", "cartridges", dir.file("in.csv").string()}, dir.folder(), out, err),
              kDbBadUse);
    EXPECT_NE(err.str().find("is changing it"), std::string::npos) << err.str();
    EXPECT_FALSE(std::filesystem::exists(dir.file("CartridgeB30.DB")));
}

}  // namespace
}  // namespace quandrelle
