#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "TempFolder.h"
#include "quandrelle/fit/CartridgeFit.h"
#include "quandrelle/fit/CartridgeSource.h"
#include "quandrelle/fit/StarterPlacement.h"
#include "quandrelle/stores/CartridgeStore.h"
#include "quandrelle/validation/NumberReader.h"

namespace quandrelle {
namespace {

namespace fs = std::filesystem;
using testing::TempFolder;

std::string bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::string kStarters = std::string(QUANDRELLE_STARTER_DIR) + "/";

CartridgeInput asEntered(const CartridgeRecord& record) {
    return {.name = record.cartName,
            .bedDiameter = readNumber(record.bedDiam),
            .bedDepth = readNumber(record.bedDepth),
            .carbonWeight = readNumber(record.carbWgt),
            .microporeVolume = readNumber(record.micVol),
            .precondRH = readNumber(record.relHumPre),
            .granuleDiameter = readNumber(record.diamGran),
            .benzenePotential = readNumber(record.apBenzene),
            .waterAffinity = readNumber(record.affinityForWater)};
}

// The record as the cartridge screen loads it, run at its test's conditions, must give the test's
// minimum time: a shorter time would make the stand-in worse than any approved cartridge allows.
TEST(StarterCartridgesTest, EachRecordReproducesItsTestsMinimumTime) {
    CartridgeStore store(kStarters, MissingFile::LeaveAbsent);
    ASSERT_EQ(store.numCartRecs(), 3);
    for (std::int16_t n = 1; n <= store.numCartRecs(); ++n) {
        const CartridgeRecord record = store.ShowCartridgeRecord(n);
        const CartridgeSource source = cartridgeSource(kStarters, record.cartName);
        ASSERT_EQ(source.origin, CartridgeOrigin::Starter) << record.cartName;
        ASSERT_EQ(source.record->points.size(), 1u);
        const FitPoint& test = source.record->points.front();
        const double minutes = predictedMinutes(asEntered(record), test);
        EXPECT_NEAR(minutes / test.minutes, 1, 0.01) << record.cartName;
        EXPECT_EQ(minutes, source.record->predicted.front()) << record.cartName;
        EXPECT_LE(record.cartName.size(), 35u);
    }
}

TEST(StarterCartridgesTest, PlacedOnlyWhereNoCartridgeFileIsYet) {
    const fs::path shippedFile = fs::path(kStarters) / CartridgeStore::kFileName;
    const struct {
        const char* what;
        void (*prepare)(const TempFolder&);
        bool placed;
    } rows[] = {
        {"a new folder", [](const TempFolder&) {}, true},
        {"a user's file", [](const TempFolder& f) { f.write("CartridgeB30.DB", std::string(99, 'x')); },
         false},
        {"an empty file", [](const TempFolder& f) { f.write("CartridgeB30.DB", ""); }, false},
        {"a dangling link",
         [](const TempFolder& f) { fs::create_symlink(f.file("gone"), f.file("CartridgeB30.DB")); }, false},
    };
    for (const auto& row : rows) {
        TempFolder folder;
        row.prepare(folder);
        const std::string before = folder.read("CartridgeB30.DB");
        placeStarterCartridges(kStarters, folder.folder());
        placeStarterCartridges(kStarters, folder.folder());  // a second start changes nothing
        const bool sources = fs::exists(folder.file(std::string(kCartridgeSourceFolder)));
        EXPECT_EQ(sources, row.placed) << row.what;
        if (row.placed) {
            EXPECT_EQ(folder.read("CartridgeB30.DB"), bytesOf(shippedFile)) << row.what;
            EXPECT_EQ(cartridgeSource(folder.folder(), "Minimum EU A1 filter (bench test)").origin,
                      CartridgeOrigin::Starter);
        } else {
            EXPECT_EQ(folder.read("CartridgeB30.DB"), before) << row.what;
        }
    }
}

}  // namespace
}  // namespace quandrelle
