#include "quandrelle/fit/CartridgeSource.h"

#include <gtest/gtest.h>

#include "TempFolder.h"

namespace quandrelle {
namespace {

using testing::TempFolder;

CartridgeInput halfMask(std::string name) {
    return {.name = std::move(name),
            .bedDiameter = 8,
            .bedDepth = 3,
            .carbonWeight = 26,
            .microporeVolume = 0.412345,
            .precondRH = 50,
            .granuleDiameter = 0.1,
            .benzenePotential = 19,
            .waterAffinity = 0.06};
}

FitPoint toluenePoint(double minutes) {
    return {
        .conditions = {.temperature = 25, .pressure = 1, .relHumidity = 50, .cartridges = 2, .airFlow = 30},
        .vapor = {.name = "Toluene",
                  .molWt = 92.14,
                  .liqDensity = 0.867,
                  .molPolariz = 31.1,
                  .waterSolFactor = 0,
                  .concentration = 500,
                  .antoineA = 16.0137,
                  .antoineB = 3096.52,
                  .antoineC = -53.67,
                  .cas = "108-88-3"},
        .breakConc = 10,
        .minutes = minutes};
}

CartridgeSourceRecord fittedRecord(std::string name) {
    CartridgeSourceRecord record;
    record.cartridge = halfMask(std::move(name));
    record.fitted = {"microporeVolume"};
    record.points = {toluenePoint(120), toluenePoint(95.5)};
    record.predicted = {119.2, 96.1};
    record.notes = {"The adsorption potential was held at 19 kJ/mol."};
    return record;
}

TEST(CartridgeSourceTest, FileReadsBackWhatWasWritten) {
    CartridgeSourceRecord starter = fittedRecord("Minimum US OV cartridge pair (bench test)");
    starter.origin = CartridgeOrigin::Starter;
    starter.test = CertificationTest{"US bench test", "the approval regulation's bench-test table"};
    for (const CartridgeSourceRecord& record : {fittedRecord("Line 3 cartridge"), starter}) {
        const CartridgeSourceRecord back = readCartridgeSourceText(cartridgeSourceText(record));
        EXPECT_EQ(back.origin, record.origin);
        EXPECT_EQ(back.cartridge.name, record.cartridge.name);
        EXPECT_EQ(back.cartridge.microporeVolume, record.cartridge.microporeVolume);
        EXPECT_EQ(back.fitted, record.fitted);
        EXPECT_EQ(back.test.has_value(), record.test.has_value());
        ASSERT_EQ(back.points.size(), 2u);
        EXPECT_EQ(back.points[1].minutes, 95.5);
        EXPECT_EQ(back.points[1].vapor.cas, "108-88-3");
        EXPECT_EQ(back.predicted, record.predicted);
        EXPECT_EQ(back.notes, record.notes);
    }
}

TEST(CartridgeSourceTest, DamagedFilesAreRefusedNamingTheProblem) {
    const struct {
        const char* text;
        const char* names;
    } rows[] = {
        {"[1]", "not a JSON object"},
        {R"({"format": "other", "version": 1})", "version 1"},
        {R"({"format": "quandrelle-cartridge-source", "version": 1, "origin": "guess", "points": []})",
         "origin"},
        {R"({"format": "quandrelle-cartridge-source", "version": 1, "origin": "fit", "points": [{}]})",
         "points[1].conditions: is missing"},
    };
    for (const auto& row : rows) {
        try {
            readCartridgeSourceText(row.text);
            ADD_FAILURE() << row.text;
        } catch (const CartridgeSourceError& e) {
            EXPECT_NE(std::string(e.what()).find(row.names), std::string::npos) << e.what();
        }
    }
}

TEST(CartridgeSourceTest, EverySpellingThatFindsTheRecordFindsItsFile) {
    const std::string folder = "/data/";
    const auto path = cartridgeSourcePath(folder, "Line 3 cartridge");
    EXPECT_EQ(path, cartridgeSourcePath(folder, "  LINE 3 CARTRIDGE "));
    EXPECT_EQ(path.filename(), "LINE%203%20CARTRIDGE.json");
    // Beyond the record's 35 characters a name is cut, as the record stores it.
    EXPECT_EQ(cartridgeSourcePath(folder, std::string(35, 'a') + "tail"),
              cartridgeSourcePath(folder, std::string(35, 'A')));
    // No name leaves the folder.
    EXPECT_EQ(cartridgeSourcePath(folder, "../../etc/passwd").parent_path(), "/data/CartridgeSources");
}

TEST(CartridgeSourceTest, LookupTellsTypedFittedAndChangedRecordsApart) {
    TempFolder temp;
    EXPECT_EQ(cartridgeSource(temp.folder(), "Line 3 cartridge").origin, CartridgeOrigin::Typed);

    const CartridgeSourceRecord record = fittedRecord("Line 3 cartridge");
    writeCartridgeSource(temp.folder(), record);
    const CartridgeSource found = cartridgeSource(temp.folder(), "line 3 cartridge");
    EXPECT_EQ(found.origin, CartridgeOrigin::Fitted);
    EXPECT_NE(found.summary().find("Toluene at 500 ppm, 120 min (predicted 119.2 min)"), std::string::npos)
        << found.summary();

    CalcState inUse;
    storeCartridge(inUse, record.cartridge);
    EXPECT_EQ(cartridgeSource(temp.folder(), "Line 3 cartridge", &inUse).origin, CartridgeOrigin::Fitted);
    CartridgeInput revised = record.cartridge;
    revised.carbonWeight = 30;
    storeCartridge(inUse, revised);
    const CartridgeSource changed = cartridgeSource(temp.folder(), "Line 3 cartridge", &inUse);
    EXPECT_EQ(changed.origin, CartridgeOrigin::Typed);
    EXPECT_NE(changed.summary().find("changed afterwards"), std::string::npos);

    temp.write("CartridgeSources/LINE%203%20CARTRIDGE.json", "{");
    const CartridgeSource damaged = cartridgeSource(temp.folder(), "Line 3 cartridge");
    EXPECT_EQ(damaged.origin, CartridgeOrigin::Typed);
    EXPECT_NE(damaged.note.find("cannot be read"), std::string::npos);
}

}  // namespace
}  // namespace quandrelle
