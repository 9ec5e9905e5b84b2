// The record decoders on any bytes, as a vapor file and as a cartridge file: opening counts and
// indexes them, every listed name is found again by the search, and where an export of the records
// can be imported at all, importing it into an empty library gives back the same bytes (unnamed
// records left out, a trailing partial record filled with blanks).

#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "quandrelle/db/RecordTransfer.h"
#include "quandrelle/stores/NameIndex.h"
#include "quandrelle/stores/RecordText.h"
#include "quandrelle/stores/StoreError.h"

namespace {

// A scratch folder in memory where there is one: the import syncs what it writes.
const std::filesystem::path& scratch() {
    static const std::filesystem::path folder = [] {
        const std::filesystem::path base =
            std::filesystem::is_directory("/dev/shm") ? "/dev/shm" : std::filesystem::temp_directory_path();
        std::string pattern = (base / "quandrelle-fuzz-XXXXXX").string();
        return std::filesystem::path(::mkdtemp(pattern.data()));
    }();
    return folder;
}

void writeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The file an import of the export must give back: whole records, the named ones only.
std::string namedRecords(const std::string& whole, std::size_t recordSize) {
    std::string kept;
    for (std::size_t offset = 0; offset < whole.size(); offset += recordSize) {
        const std::string record = whole.substr(offset, recordSize);
        if (!quandrelle::trimBlanks(quandrelle::fromCp1252(record.substr(0, 35))).empty()) {
            kept += record;
        }
    }
    return kept;
}

template <typename Store, typename Import, typename Export, typename Search>
void check(std::string_view bytes, Import importRecords, Export exportRecords, Search searchName) {
    // One pair of folders serves every input: only the files in them change.
    static const bool made = [] {
        std::filesystem::create_directories(scratch() / "source");
        std::filesystem::create_directories(scratch() / "copy");
        return true;
    }();
    (void)made;
    const std::filesystem::path source = scratch() / "source";
    const std::filesystem::path copy = scratch() / "copy";
    std::filesystem::remove(copy / Store::kFileName);
    writeFile(source / Store::kFileName, bytes);
    try {
        Store store(source.string() + "/");
        for (const std::string& key : store.listEntries()) {
            if (searchName(store, quandrelle::trimTrailingBlanks(key)) < 1) {
                std::abort();
            }
        }
        const std::string csv = exportRecords(store);
        Store again(copy.string() + "/", quandrelle::MissingFile::LeaveAbsent);
        try {
            importRecords(again, csv);
        } catch (const quandrelle::ImportError&) {
            return;  // values the screens would not accept: such a file is not the program's own
        }
        const std::string whole =
            readFile(source / Store::kFileName) +
            std::string((Store::kRecordSize - bytes.size() % Store::kRecordSize) % Store::kRecordSize, ' ');
        const std::string expected = namedRecords(
            whole.substr(0, store.storedRecords().size() * Store::kRecordSize), Store::kRecordSize);
        if (readFile(copy / Store::kFileName) != expected) {
            std::abort();
        }
    } catch (const quandrelle::StoreError&) {
        // More records than a file can number.
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    check<quandrelle::VaporStore>(
        bytes,
        [](auto& store, const std::string& csv) { quandrelle::importVapors(store, csv, {.revise = true}); },
        [](const auto& store) { return quandrelle::exportVapors(store); },
        [](const auto& store, const std::string& name) {
            return store.Search(name, quandrelle::VaporSearchMode::ByName).position;
        });
    check<quandrelle::CartridgeStore>(
        bytes,
        [](auto& store, const std::string& csv) {
            quandrelle::importCartridges(store, csv, {.revise = true});
        },
        [](const auto& store) { return quandrelle::exportCartridges(store); },
        [](const auto& store, const std::string& name) { return store.Search(name); });
    return 0;
}
