#pragma once

// Where a cartridge record's values came from. A record the user typed has nothing beside it; a
// starter cartridge and a fitted one each have a small JSON file beside the cartridge file, named
// for the record, that keeps what the values were derived from: the certification test of a starter,
// the known breakthrough times of a fit. A change schedule can then say what its cartridge data rest
// on.
//
// The file, "<data folder>/CartridgeSources/<record key>.json", holds:
//   {"format": "quandrelle-cartridge-source", "version": 1,
//    "origin": "starter" | "fit",
//    "cartridge": {...the cartridge as saved, keys as in a scenario...},
//    "fitted": ["microporeVolume", "benzenePotential"],      (what the fit found; the rest was given)
//    "test": {"name": ..., "source": ...},                    (starter only)
//    "points": [{"conditions": {...}, "vapor": {...}, "breakConc": ppm, "minutes": t,
//                "predicted": t}],
//    "notes": [...]}

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "quandrelle/engine/CalcState.h"
#include "quandrelle/engine/Inputs.h"
#include "quandrelle/fit/FitPoint.h"

namespace quandrelle {

enum class CartridgeOrigin {
    Typed,    // nothing known: typed by the user (or changed since it was derived)
    Starter,  // a starter cartridge derived from a certification test
    Fitted,   // fitted to known breakthrough times
};

// The certification test a starter cartridge just meets.
struct CertificationTest {
    std::string name;    // "US approval bench test, organic vapors (carbon tetrachloride)"
    std::string source;  // where its conditions and minimum time are stated
};

// What the file beside the record holds.
struct CartridgeSourceRecord {
    CartridgeOrigin origin = CartridgeOrigin::Fitted;
    CartridgeInput cartridge;  // as saved in the record
    std::vector<std::string> fitted;
    std::optional<CertificationTest> test;
    std::vector<FitPoint> points;
    std::vector<double> predicted;  // per point, by the saved cartridge
    std::vector<std::string> notes;
};

// A source file that cannot be read or written; the message names the file and the reason.
class CartridgeSourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::string_view kCartridgeSourceFolder = "CartridgeSources";

// The file for the record named `cartName` (as typed or as stored: the name is taken as the
// cartridge file stores it and looks it up, cut to its width, trimmed and in upper case, so that
// every spelling that finds the record finds its file).
std::filesystem::path cartridgeSourcePath(const std::string& dataFolder, std::string_view cartName);

std::string cartridgeSourceText(const CartridgeSourceRecord& record);
// Throws CartridgeSourceError naming every problem.
CartridgeSourceRecord readCartridgeSourceText(std::string_view text);

// Writes the file for record.cartridge.name, replacing any earlier one in one step. Throws
// CartridgeSourceError.
void writeCartridgeSource(const std::string& dataFolder, const CartridgeSourceRecord& record);

// What is known of a cartridge's data.
struct CartridgeSource {
    CartridgeOrigin origin = CartridgeOrigin::Typed;
    std::optional<CartridgeSourceRecord> record;  // Starter and Fitted
    // Why a record with a file still counts as typed (unreadable file, values changed since).
    std::string note;

    // One sentence for a report: "Starter cartridge: fitted to just meet ...", "Fitted to 3 known
    // breakthrough times ...", "Typed by the user; where its values come from is not recorded."
    std::string summary() const;
};

// The lookup. With `inUse` (a calculation state holding the cartridge), a file whose values differ
// from the state's cartridge says Typed with a note: the record was changed after it was derived.
CartridgeSource cartridgeSource(const std::string& dataFolder, std::string_view cartName,
                                const CalcState* inUse = nullptr);

}  // namespace quandrelle
