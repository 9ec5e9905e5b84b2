#include "quandrelle/db/DbTool.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>

#include "quandrelle/ProgramInfo.h"
#include "quandrelle/db/RecordTransfer.h"
#include "quandrelle/fit/StarterPlacement.h"
#include "quandrelle/stores/CartridgeStore.h"
#include "quandrelle/stores/FileReplace.h"
#include "quandrelle/stores/NameIndex.h"
#include "quandrelle/stores/RecordText.h"
#include "quandrelle/stores/StoreError.h"
#include "quandrelle/stores/VaporStore.h"

namespace quandrelle {

namespace {

constexpr const char* kUsage =
    "Usage: quandrelle-db [--folder DIR] COMMAND\n"
    "Commands:\n"
    "  list vapors|cartridges                  the names in list order\n"
    "  show vapor|cartridge NAME               the record of that name\n"
    "  find-cas CAS                            the vapor record of that CAS number\n"
    "  export vapors|cartridges FILE.csv [--force]\n"
    "                                          every named record, in file order (FILE - for the\n"
    "                                          output); an existing FILE is kept unless --force\n"
    "  import vapors|cartridges FILE.csv [--revise] [--truncate]\n"
    "                                          save every row, or nothing if any row is at fault;\n"
    "                                          names on file are skipped, or revised with --revise;\n"
    "                                          --truncate stores over-long or unstorable names cut\n"
    "  --version                               the program's version\n"
    "The record files are VaporB30.DB and CartridgeB30.DB in the data folder: the program's own\n"
    "folder when it may be written to and holds no installed library, otherwise the per-user data\n"
    "folder (started with a copy of the shipped vapor library); --folder names another.\n";

// A command line that cannot be run; the message says why.
struct UsageError {
    std::string message;
};

// A CSV file that cannot be read or written.
struct FileError {
    std::string message;
};

struct CommandLine {
    std::optional<std::string> folder;
    bool revise = false;
    bool truncate = false;
    bool force = false;
    bool help = false;
    bool version = false;
    std::vector<std::string> words;
};

CommandLine parse(const std::vector<std::string>& args) {
    CommandLine line;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--folder") {
            if (i + 1 >= args.size()) {
                throw UsageError{"--folder needs a folder"};
            }
            line.folder = args[++i];
        } else if (arg.rfind("--folder=", 0) == 0) {
            line.folder = arg.substr(9);
        } else if (arg == "--revise") {
            line.revise = true;
        } else if (arg == "--truncate") {
            line.truncate = true;
        } else if (arg == "--force") {
            line.force = true;
        } else if (arg == "--help" || arg == "-h") {
            line.help = true;
        } else if (arg == "--version") {
            line.version = true;
        } else if (arg.size() > 1 && arg.rfind("--", 0) == 0) {
            throw UsageError{"unknown option " + arg};
        } else {
            line.words.push_back(arg);
        }
    }
    if (line.folder && line.folder->empty()) {
        throw UsageError{"--folder needs a folder"};
    }
    return line;
}

enum class Kind { Vapors, Cartridges };

Kind kindOf(const std::string& word, bool singular) {
    if (word == (singular ? "vapor" : "vapors")) {
        return Kind::Vapors;
    }
    if (word == (singular ? "cartridge" : "cartridges")) {
        return Kind::Cartridges;
    }
    throw UsageError{"expected " + std::string(singular ? "vapor or cartridge" : "vapors or cartridges") +
                     ", not \"" + word + "\""};
}

void expectWords(const CommandLine& line, std::size_t count) {
    if (line.words.size() != count) {
        throw UsageError{"\"" + line.words[0] + "\" takes " + std::to_string(count - 1) + " argument" +
                         (count == 2 ? "" : "s")};
    }
}

std::string trimmedEnd(const std::string& text) {
    return trimTrailingBlanks(text);
}

template <typename Record, typename Fields>
void printRecord(const Record& record, const Fields& fields, std::ostream& out) {
    for (const auto& field : fields) {
        out << field.name << ": " << record.*field.member << "\n";
    }
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw FileError{"cannot open " + path + " for reading: " + std::strerror(errno)};
    }
    std::string text;
    try {
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::ios_base::failure& failure) {
        // The system refuses the read itself, as for a folder given as the file.
        throw FileError{"cannot read " + path + ": " + failure.code().message()};
    }
    if (in.bad()) {
        throw FileError{"cannot read " + path};
    }
    return text;
}

bool isRecordFileName(const std::filesystem::path& path) {
    const std::string name = path.filename().string();
    return name == VaporStore::kFileName || name == CartridgeStore::kFileName;
}

// An export never takes the place of a record file, and takes that of another existing file only
// when the user says so; it is written whole beside it first, so a failure leaves the old file.
void writeWholeFile(const std::string& path, const std::string& text, bool force, std::ostream& out) {
    if (path == "-") {
        out << text;
        return;
    }
    if (isRecordFileName(path)) {
        throw FileError{"will not write CSV text over the record file " + path};
    }
    std::error_code ec;
    if (!force && std::filesystem::exists(std::filesystem::symlink_status(path, ec))) {
        throw FileError{path + " already exists (give --force to write over it)"};
    }
    if (const std::error_code error = replaceFileContents(path, text, 0644)) {
        throw FileError{"cannot write " + path + ": " + error.message()};
    }
}

// Looking at a library must not leave an empty record file behind where none was (it would stand in
// the way of one copied there later), nor may a failed import: a missing file reads as empty.
VaporStore openVapors(const std::string& folder) {
    return VaporStore(folder, MissingFile::LeaveAbsent);
}

CartridgeStore openCartridges(const std::string& folder) {
    return CartridgeStore(folder, MissingFile::LeaveAbsent);
}

int list(Kind kind, const std::string& folder, std::ostream& out) {
    const auto entries =
        kind == Kind::Vapors ? openVapors(folder).listEntries() : openCartridges(folder).listEntries();
    for (const auto& entry : entries) {
        out << entry << "\n";
    }
    return kDbOk;
}

int show(Kind kind, const std::string& name, const std::string& folder, std::ostream& out,
         std::ostream& err) {
    const std::string findText = nameSearchText(name);
    if (kind == Kind::Vapors) {
        VaporStore store = openVapors(folder);
        const auto position = store.Search(findText, VaporSearchMode::ByName).position;
        if (position < 1) {
            err << "Can't find " << findText << ".\n";
            return kDbNotFound;
        }
        printRecord(store.ShowVaporRecord(store.chemIndex()[position].recNum), kVaporFields, out);
        return kDbOk;
    }
    CartridgeStore store = openCartridges(folder);
    const auto position = store.Search(findText);
    if (position < 1) {
        err << "Can't find " << findText << ".\n";
        return kDbNotFound;
    }
    printRecord(store.ShowCartridgeRecord(store.cartIndex()[position].recNum), kCartridgeFields, out);
    return kDbOk;
}

int findCas(const std::string& cas, const std::string& folder, std::ostream& out, std::ostream& err) {
    const std::string findText = trimBlanks(cas);
    VaporStore store = openVapors(folder);
    const auto found = store.Search(findText, VaporSearchMode::ByCas);
    if (found.position < 1) {
        err << "Can't find " << findText << ".\n";
        return kDbNotFound;
    }
    printRecord(store.ShowVaporRecord(store.chemIndex()[found.position].recNum), kVaporFields, out);
    return kDbOk;
}

int exportFile(Kind kind, const std::string& path, bool force, const std::string& folder, std::ostream& out,
               std::ostream& err) {
    std::vector<int> unnamed;
    const std::string csv = kind == Kind::Vapors ? exportVapors(openVapors(folder), &unnamed)
                                                 : exportCartridges(openCartridges(folder), &unnamed);
    writeWholeFile(path, csv, force, out);
    for (const int record : unnamed) {
        err << "quandrelle-db: record " << record << " has no name and was not exported\n";
    }
    return kDbOk;
}

std::string quotedIfEmpty(const std::string& text) {
    return text.empty() ? "\"\"" : text;
}

// "field old -> new" for every field whose text differs, joined by "; ".
template <typename Record, typename Fields>
std::string fieldChanges(const Record& before, const Record& after, const Fields& fields) {
    std::string changes;
    for (const auto& field : fields) {
        const std::string& old = before.*field.member;
        const std::string& now = after.*field.member;
        if (old != now) {
            changes += (changes.empty() ? "" : "; ") + std::string(field.name) + " " + quotedIfEmpty(old) +
                       " -> " + quotedIfEmpty(now);
        }
    }
    return changes;
}

// The name a row is listed by: as stored, and as given too when --truncate changed it.
std::string listedName(const ImportedRow& row) {
    if (row.storedName == trimmedEnd(row.givenName)) {
        return row.storedName;
    }
    return row.storedName + " (given as " + row.givenName + ")";
}

// Lists every row of an import. A row that revised a record is listed with the fields it changed,
// found by comparing the records on file before and after the import: the user wants to know what
// the revision altered, and a revision may leave a record exactly as it was ("unchanged"). Returns
// the number of such unchanged revisions.
template <typename Record, typename Fields>
int reportImport(const std::vector<ImportedRow>& rows, const std::vector<Record>& before,
                 const std::vector<Record>& after, const Fields& fields, std::ostream& out) {
    // The records a revision changed, by the name they are found by. Records are never moved, so a
    // record keeps its place in file order; records added by the import lie beyond `before`.
    std::map<std::string, std::size_t> changed;
    for (std::size_t i = 0; i < before.size() && i < after.size(); ++i) {
        if (before[i] != after[i]) {
            changed.emplace(nameSearchText(after[i].*fields[0].member), i);
        }
    }
    int unchanged = 0;
    for (const ImportedRow& row : rows) {
        const std::string name = listedName(row);
        if (row.action == ImportAction::Added) {
            out << "added: " << name << "\n";
        } else if (row.action == ImportAction::Skipped) {
            out << "skipped, already on file: " << name << "\n";
        } else if (const auto found = changed.find(nameSearchText(row.storedName)); found != changed.end()) {
            out << "revised: " << name << ": "
                << fieldChanges(before[found->second], after[found->second], fields) << "\n";
            // A later row of the same name finds the record as this one left it.
            changed.erase(found);
        } else {
            out << "unchanged: " << name << "\n";
            ++unchanged;
        }
    }
    return unchanged;
}

// Every record as the screen shows it, for comparing before and after an import.
template <typename Store>
auto shownRecords(const Store& store) {
    auto records = store.storedRecords();
    for (auto& record : records) {
        record = Store::shownForm(record);
    }
    return records;
}

template <typename Store, typename Fields, typename Import>
int importInto(Store& store, const std::string& csv, const ImportOptions& options, const Fields& fields,
               Import import, std::ostream& out, std::ostream& err) {
    std::vector<ImportedRow> rows;
    const auto before = shownRecords(store);
    const ImportCounts counts =
        import(store, csv, options, [&rows](const ImportedRow& row) { rows.push_back(row); });
    const int unchanged = reportImport(rows, before, shownRecords(store), fields, out);
    for (const auto& column : counts.ignoredColumns) {
        err << "quandrelle-db: column \"" << column << "\" names no field and was not imported\n";
    }
    for (const auto& warning : counts.warnings) {
        err << "quandrelle-db: " << warning << "\n";
    }
    out << counts.added << " added, " << counts.revised - unchanged << " revised, " << unchanged
        << " unchanged, " << counts.skipped << " skipped\n";
    return kDbOk;
}

int importFile(Kind kind, const std::string& path, const ImportOptions& options, const std::string& folder,
               std::ostream& out, std::ostream& err) {
    const std::string csv = readWholeFile(path);
    if (kind == Kind::Vapors) {
        VaporStore store = openVapors(folder);
        return importInto(store, csv, options, kVaporFields, importVapors, out, err);
    }
    CartridgeStore store = openCartridges(folder);
    return importInto(store, csv, options, kCartridgeFields, importCartridges, out, err);
}

int run(const CommandLine& line, const std::string& folder, std::ostream& out, std::ostream& err) {
    const std::string& command = line.words[0];
    if ((line.revise || line.truncate) && command != "import") {
        throw UsageError{std::string(line.revise ? "--revise" : "--truncate") + " goes with import only"};
    }
    if (line.force && command != "export") {
        throw UsageError{"--force goes with export only"};
    }
    if (command == "list") {
        expectWords(line, 2);
        return list(kindOf(line.words[1], false), folder, out);
    }
    if (command == "show") {
        expectWords(line, 3);
        return show(kindOf(line.words[1], true), line.words[2], folder, out, err);
    }
    if (command == "find-cas") {
        expectWords(line, 2);
        return findCas(line.words[1], folder, out, err);
    }
    if (command == "export") {
        expectWords(line, 3);
        return exportFile(kindOf(line.words[1], false), line.words[2], line.force, folder, out, err);
    }
    if (command == "import") {
        expectWords(line, 3);
        return importFile(kindOf(line.words[1], false), line.words[2], {line.revise, line.truncate}, folder,
                          out, err);
    }
    throw UsageError{"unknown command \"" + command + "\""};
}

}  // namespace

int runDbTool(const std::vector<std::string>& args, const std::string& defaultFolder, std::ostream& out,
              std::ostream& err) {
    return runDbTool(args, DataFolderChoice{defaultFolder, std::nullopt}, out, err);
}

int runDbTool(const std::vector<std::string>& args, const DataFolderChoice& defaultFolder, std::ostream& out,
              std::ostream& err) {
    try {
        const CommandLine line = parse(args);
        if (line.help) {
            out << kUsage << "Your record files are in " << line.folder.value_or(defaultFolder.folder)
                << "\n";
            return kDbOk;
        }
        if (line.version) {
            out << "quandrelle-db " << kProgramVersion << "\n";
            return kDbOk;
        }
        if (line.words.empty()) {
            throw UsageError{"no command given"};
        }
        if (!line.folder) {
            prepareDataFolderWithStarters(defaultFolder);
        }
        std::string folder = line.folder.value_or(defaultFolder.folder);
        if (folder.back() != '/') {
            folder += '/';
        }
        return run(line, folder, out, err);
    } catch (const UsageError& e) {
        err << "quandrelle-db: " << e.message << "\n" << kUsage;
    } catch (const ImportError& e) {
        err << "quandrelle-db: nothing imported: " << e.what() << "\n";
    } catch (const StoreError& e) {
        err << "quandrelle-db: " << e.what() << "\n";
    } catch (const FileError& e) {
        err << "quandrelle-db: " << e.message << "\n";
    }
    return kDbBadUse;
}

}  // namespace quandrelle
