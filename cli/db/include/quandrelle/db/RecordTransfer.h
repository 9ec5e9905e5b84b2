#pragma once

#include <cstddef>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "quandrelle/stores/CartridgeStore.h"
#include "quandrelle/stores/VaporStore.h"

namespace quandrelle {

// A CSV file that cannot be imported as it stands; nothing has been saved when it is thrown. The
// message names every row and column at fault, one per line.
class ImportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class ImportAction { Added, Revised, Skipped };

// One row of an import, reported once the file holds the import.
struct ImportedRow {
    ImportAction action = ImportAction::Added;
    std::size_t line = 0;
    std::string storedName;  // as the record file now holds it, trailing blanks removed
    std::string givenName;   // as the CSV gave it; differs from storedName only with `truncate`
};

using ImportProgress = std::function<void(const ImportedRow&)>;

struct ImportOptions {
    // A name on file is written over instead of skipped.
    bool revise = false;
    // A name or CAS number that the file cannot hold as given (too long, or with characters outside
    // its code page) is stored cut or with "?" instead of refused; the report gives the stored text.
    bool truncate = false;
};

struct ImportCounts {
    int added = 0;
    int revised = 0;
    int skipped = 0;
    // Rows added under a name that an earlier row of the same file also added: the library then
    // holds the name twice, as an exported library that held it twice is given back.
    int repeated = 0;
    // Columns whose heading names no field of the record; their texts are not saved.
    std::vector<std::string> ignoredColumns;
    // What the user should know of rows that were skipped or repeated, naming their lines.
    std::vector<std::string> warnings;
};

// Imports the rows of a CSV text into the library as one change. The first row names the columns
// (the record's field names, in any order and case; a column left out is saved blank; a column
// naming no field is ignored and reported). Every row is checked before anything is saved: each
// text must be stored exactly as given (see ImportOptions::truncate), hold no control characters,
// and each number must read as a number by the program's reading rule, fit its field and lie within
// the limits of its screen field, or be blank. Any fault throws ImportError naming the rows.
// A row is matched by name against the library as it stood before the import: a name on file is
// skipped or revised; any other row is added. A row without a name is skipped with a warning
// (export leaves unnamed records out the same way). Then the whole new file is written beside the
// old one and put in its place in one step (StoreError, StoreFullError leave the file untouched).
// The file is locked from the matching to the writing, so no other program's save is lost with
// the old file; StoreBusyError when another program keeps it locked beyond the store's wait;
// `progress` hears of each row only after that.
ImportCounts importVapors(VaporStore& store, std::string_view csv, const ImportOptions& options,
                          const ImportProgress& progress = {});
ImportCounts importCartridges(CartridgeStore& store, std::string_view csv, const ImportOptions& options,
                              const ImportProgress& progress = {});

// Every named record in file order as CSV, with a header row of the field names; each text as
// stored without its blank filling (leading blanks kept, so that an import gives back the same
// bytes). A record whose name is blank cannot be found from a screen and is left out; its number
// (from 1) is added to `unnamed` when given.
std::string exportVapors(const VaporStore& store, std::vector<int>* unnamed = nullptr);
std::string exportCartridges(const CartridgeStore& store, std::vector<int>* unnamed = nullptr);
std::string exportVapors(const std::vector<VaporRecord>& records, std::vector<int>* unnamed = nullptr);
std::string exportCartridges(const std::vector<CartridgeRecord>& records,
                             std::vector<int>* unnamed = nullptr);

}  // namespace quandrelle
