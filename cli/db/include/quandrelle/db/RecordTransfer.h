#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "quandrelle/stores/CartridgeStore.h"
#include "quandrelle/stores/VaporStore.h"

namespace quandrelle {

// A CSV file that cannot be imported as it stands; nothing has been saved when it is thrown.
class ImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class ImportAction { Added, Revised, Skipped };

// Called once per row, after the row has been saved (or skipped), with the name as given.
using ImportProgress = std::function<void(ImportAction, const std::string& name)>;

struct ImportCounts {
    int added = 0;
    int revised = 0;
    int skipped = 0;
    // Columns whose heading names no field of the record; their texts are not saved.
    std::vector<std::string> ignoredColumns;
};

// Saves every row of a CSV text exactly as the screen's Save command would: a new name is
// appended, a name already on file is skipped or, with `revise`, written over the record on file.
// The first row names the columns (the record's field names, in any order and case; a column left
// out is saved blank; a column naming no field is ignored and reported in the counts). The whole
// text is checked before anything is saved: a malformed row, a field named twice, no name column,
// a row without a name or text that is not UTF-8 throws ImportError. A store
// failure part-way (StoreError, StoreFullError) leaves the rows before it saved.
ImportCounts importVapors(VaporStore& store, std::string_view csv, bool revise,
                          const ImportProgress& progress = {});
ImportCounts importCartridges(CartridgeStore& store, std::string_view csv, bool revise,
                              const ImportProgress& progress = {});

// Every record in file order as CSV, with a header row of the field names; texts as the screen
// shows them (trailing blanks removed, the CAS number trimmed at both ends).
std::string exportVapors(const VaporStore& store);
std::string exportCartridges(const CartridgeStore& store);
std::string exportVapors(const std::vector<VaporRecord>& records);
std::string exportCartridges(const std::vector<CartridgeRecord>& records);

}  // namespace quandrelle
