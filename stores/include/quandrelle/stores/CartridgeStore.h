#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "quandrelle/stores/RecordFile.h"
#include "quandrelle/stores/VaporStore.h"

namespace quandrelle {

// One cartridge record as text (UTF-8), named after the screen fields it fills. As read from the
// file each field carries its blank filling; as shown the trailing blanks are removed.
struct CartridgeRecord {
    std::string cartName;
    std::string bedDiam;
    std::string bedDepth;
    std::string carbWgt;
    std::string micVol;
    std::string relHumPre;
    std::string diamGran;
    std::string apBenzene;
    std::string affinityForWater;

    friend bool operator==(const CartridgeRecord&, const CartridgeRecord&) = default;
};

// The fields in file order, with their names and widths in bytes (99 in all).
struct CartridgeField {
    std::string_view name;
    std::string CartridgeRecord::*member;
    std::size_t width;
};
inline const std::array<CartridgeField, 9> kCartridgeFields = {
    {{"cartName", &CartridgeRecord::cartName, 35},
     {"bedDiam", &CartridgeRecord::bedDiam, 8},
     {"bedDepth", &CartridgeRecord::bedDepth, 8},
     {"carbWgt", &CartridgeRecord::carbWgt, 8},
     {"micVol", &CartridgeRecord::micVol, 8},
     {"relHumPre", &CartridgeRecord::relHumPre, 8},
     {"diamGran", &CartridgeRecord::diamGran, 8},
     {"apBenzene", &CartridgeRecord::apBenzene, 8},
     {"affinityForWater", &CartridgeRecord::affinityForWater, 8}}};

struct CartIndexEntry {
    std::string cartKey;  // trimmed upper-case name, filled with blanks to 41 characters
    std::int16_t recNum = 0;
};

struct CartridgeSaveResult {
    SaveStatus status = SaveStatus::EmptyName;
    std::int16_t position = 0;  // OnFile: the index position of the record on file
    CartridgeRecord shown;      // Added: the record as stored, as the screen shows it
};

// The cartridge library CartridgeB30.DB: 99-byte records, an index of names sorted by character
// code and searched by halving, and adding and revising records. Every operation that fails on the
// file throws StoreError; nothing here shows a message.
class CartridgeStore {
public:
    static constexpr std::string_view kFileName = "CartridgeB30.DB";
    static constexpr int kRecordSize = 99;

    // Opens (creating when missing) the file in the data folder, counts it and builds the index.
    // With MissingFile::LeaveAbsent a missing file reads as an empty library and is not created.
    explicit CartridgeStore(const std::string& dataFolder, MissingFile missing = MissingFile::Create);

    const std::string& cartridgeFilePath() const { return m_path; }
    std::int16_t numCartRecs() const { return m_file.count(); }
    // Entries 1..numCartRecs in index order; entry 0 is never used.
    const std::vector<CartIndexEntry>& cartIndex() const { return m_cartIndex; }
    // The record buffer: the last record read or written, with its blank filling.
    const CartridgeRecord& cartRec() const { return m_cartRec; }

    // What the name list holds after a fill: every key in index order, 41 characters each.
    std::vector<std::string> listEntries() const;

    // Reads every record and rebuilds the sorted index.
    void CreateIndex1();

    // The index position of the entry whose name is exactly findText (the nameSearchText of what
    // was typed), or 0.
    std::int16_t Search(const std::string& findText) const;

    // Reads record recNum and gives it as the screen shows it, trailing blanks removed.
    CartridgeRecord ShowCartridgeRecord(std::int16_t recNum);

    // The save command on the screen's texts; the name is looked up as it will be stored (cut to
    // its width). Throws StoreFullError when a new record would not fit.
    CartridgeSaveResult Save(const CartridgeRecord& typed);

    // Writes the screen's texts over the record of index position `position` (from Save's OnFile). When
    // another program changed the file meanwhile, the record is found again by the typed name; if it
    // is no longer on file, StoreChangedError says so and nothing is written.
    void Revise(std::int16_t position, const CartridgeRecord& typed);

    // Every record in file order as the file holds it, blank filling included.
    std::vector<CartridgeRecord> storedRecords() const;

    // Puts these records, in this order, in the file's place in one step (see RecordFile::replaceAll)
    // and rebuilds the index once. When another program changed the file since this store last
    // read it, the records given may have been read from the old file: StoreChangedError, nothing
    // written (hold lockForChange from the read to here to rule that out).
    void ReplaceAll(const std::vector<CartridgeRecord>& records);

    bool readOnly() const { return m_file.readOnly(); }

    // Other programs may use the same file. Save, Revise and ReplaceAll each hold the file's lock
    // and first catch up with what the others did (the file opened again if it was replaced, the
    // index rebuilt), so that what the user typed goes into the file as it now stands. A change made
    // of several steps (reading the records, then writing them all back) takes the lock itself with
    // lockForChange and holds it throughout.
    [[nodiscard]] RecordFile::ChangeLock lockForChange();

    // Reads the file again when another program changed it, rebuilding the index; true when it
    // did, so that a name list filled from the index is filled again.
    bool refresh();

    // How many times the index was rebuilt for another program's change; a list filled at another
    // count is out of date.
    std::uint64_t outsideChanges() const { return m_file.outsideChanges(); }

    // How long a change waits for another program to finish with the file (StoreBusyError after).
    void setLockWait(std::chrono::milliseconds wait) { m_file.setLockWait(wait); }

    static CartridgeRecord shownForm(const CartridgeRecord& stored);

private:
    // The index position Save finds for this typed name, or 0.
    std::int16_t positionOnFile(const CartridgeRecord& typed) const;

    std::string m_path;
    RecordFile m_file;
    std::vector<CartIndexEntry> m_cartIndex;
    CartridgeRecord m_cartRec;
};

}  // namespace quandrelle
