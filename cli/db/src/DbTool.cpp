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
#include "quandrelle/stores/CartridgeStore.h"
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
    "  export vapors|cartridges FILE.csv       every record, in file order (FILE - for the output)\n"
    "  import vapors|cartridges FILE.csv [--revise]\n"
    "                                          save every row; names on file are skipped,\n"
    "                                          or revised with --revise\n"
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
    std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) {
        throw FileError{"cannot read " + path};
    }
    return text;
}

void writeWholeFile(const std::string& path, const std::string& text, std::ostream& out) {
    if (path == "-") {
        out << text;
        return;
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file) {
        throw FileError{"cannot create " + path + ": " + std::strerror(errno)};
    }
    file << text;
    file.flush();
    if (!file) {
        throw FileError{"cannot write " + path};
    }
}

// Looking at a library must not leave an empty record file behind where none was (it would stand in
// the way of one copied there later), so a missing file reads as empty without being created.
bool missingFile(Kind kind, const std::string& folder) {
    std::error_code ignored;
    const std::string name(kind == Kind::Vapors ? VaporStore::kFileName : CartridgeStore::kFileName);
    return std::filesystem::is_directory(folder, ignored) && !std::filesystem::exists(folder + name, ignored);
}

int list(Kind kind, const std::string& folder, std::ostream& out) {
    if (missingFile(kind, folder)) {
        return kDbOk;
    }
    const auto entries =
        kind == Kind::Vapors ? VaporStore(folder).listEntries() : CartridgeStore(folder).listEntries();
    for (const auto& entry : entries) {
        out << entry << "\n";
    }
    return kDbOk;
}

int show(Kind kind, const std::string& name, const std::string& folder, std::ostream& out,
         std::ostream& err) {
    const std::string findText = nameSearchText(name);
    if (missingFile(kind, folder)) {
        err << "Can't find " << findText << ".\n";
        return kDbNotFound;
    }
    if (kind == Kind::Vapors) {
        VaporStore store(folder);
        const auto position = store.Search(findText, VaporSearchMode::ByName).position;
        if (position < 1) {
            err << "Can't find " << findText << ".\n";
            return kDbNotFound;
        }
        printRecord(store.ShowVaporRecord(store.chemIndex()[position].recNum), kVaporFields, out);
        return kDbOk;
    }
    CartridgeStore store(folder);
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
    if (missingFile(Kind::Vapors, folder)) {
        err << "Can't find " << findText << ".\n";
        return kDbNotFound;
    }
    VaporStore store(folder);
    const auto found = store.Search(findText, VaporSearchMode::ByCas);
    if (found.position < 1) {
        err << "Can't find " << findText << ".\n";
        return kDbNotFound;
    }
    printRecord(store.ShowVaporRecord(store.chemIndex()[found.position].recNum), kVaporFields, out);
    return kDbOk;
}

std::string exportCsv(Kind kind, const std::string& folder) {
    if (missingFile(kind, folder)) {
        return kind == Kind::Vapors ? exportVapors(std::vector<VaporRecord>{})
                                    : exportCartridges(std::vector<CartridgeRecord>{});
    }
    return kind == Kind::Vapors ? exportVapors(VaporStore(folder)) : exportCartridges(CartridgeStore(folder));
}

int exportFile(Kind kind, const std::string& path, const std::string& folder, std::ostream& out) {
    const std::string csv = exportCsv(kind, folder);
    writeWholeFile(path, csv, out);
    return kDbOk;
}

// One row of an import, as the import reported it.
struct ImportedRow {
    ImportAction action;
    std::string name;
};

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

// Lists every row of an import. A row that revised a record is listed with the fields it changed,
// found by comparing the records on file before and after the import: the user wants to know what
// the revision altered, and a revision may leave a record exactly as it was ("unchanged"). Returns
// the number of such unchanged revisions.
template <typename Record, typename Fields>
int reportImport(const std::vector<ImportedRow>& rows, const std::vector<Record>& before,
                 const std::vector<Record>& after, const Fields& fields, std::ostream& out) {
    const std::size_t nameWidth = fields[0].width;
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
        const std::string name = trimmedEnd(row.name);
        if (row.action == ImportAction::Added) {
            out << "added: " << name << "\n";
        } else if (row.action == ImportAction::Skipped) {
            out << "skipped, already on file: " << name << "\n";
        } else if (const auto found = changed.find(nameSearchText(storedForm(row.name, nameWidth)));
                   found != changed.end()) {
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

template <typename Store, typename Fields, typename Import>
int importInto(Store& store, const std::string& csv, bool revise, const Fields& fields, Import import,
               std::ostream& out, std::ostream& err) {
    std::vector<ImportedRow> rows;
    const auto before = store.allRecords();
    const ImportCounts counts =
        import(store, csv, revise, [&rows](ImportAction action, const std::string& name) {
            rows.push_back({action, name});
        });
    const int unchanged = reportImport(rows, before, store.allRecords(), fields, out);
    for (const auto& column : counts.ignoredColumns) {
        err << "quandrelle-db: column \"" << column << "\" names no field and was not imported\n";
    }
    out << counts.added << " added, " << counts.revised - unchanged << " revised, " << unchanged
        << " unchanged, " << counts.skipped << " skipped\n";
    return kDbOk;
}

int importFile(Kind kind, const std::string& path, bool revise, const std::string& folder, std::ostream& out,
               std::ostream& err) {
    const std::string csv = readWholeFile(path);
    if (kind == Kind::Vapors) {
        VaporStore store(folder);
        return importInto(store, csv, revise, kVaporFields, importVapors, out, err);
    }
    CartridgeStore store(folder);
    return importInto(store, csv, revise, kCartridgeFields, importCartridges, out, err);
}

int run(const CommandLine& line, const std::string& folder, std::ostream& out, std::ostream& err) {
    const std::string& command = line.words[0];
    if (line.revise && command != "import") {
        throw UsageError{"--revise goes with import only"};
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
        return exportFile(kindOf(line.words[1], false), line.words[2], folder, out);
    }
    if (command == "import") {
        expectWords(line, 3);
        return importFile(kindOf(line.words[1], false), line.words[2], line.revise, folder, out, err);
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
            prepareDataFolder(defaultFolder);
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
