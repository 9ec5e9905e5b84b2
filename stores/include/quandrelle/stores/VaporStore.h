#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "quandrelle/stores/RecordFile.h"

namespace quandrelle {

// One vapor record as text (UTF-8). As read from the file each field carries its blank filling;
// as shown on the screen the blanks are trimmed (see ShowVaporRecord).
struct VaporRecord {
    std::string chemName;
    std::string molWt;
    std::string liqDensity;
    std::string molPolariz;
    std::string waterSolFactor;
    std::string avgConc;
    std::string antoineA;
    std::string antoineB;
    std::string antoineC;
    std::string casNumber;

    friend bool operator==(const VaporRecord&, const VaporRecord&) = default;
};

// The fields in file order, with their names and widths in bytes (117 in all).
struct VaporField {
    std::string_view name;
    std::string VaporRecord::*member;
    std::size_t width;
};
inline const std::array<VaporField, 10> kVaporFields = {{{"chemName", &VaporRecord::chemName, 35},
                                                         {"molWt", &VaporRecord::molWt, 8},
                                                         {"liqDensity", &VaporRecord::liqDensity, 8},
                                                         {"molPolariz", &VaporRecord::molPolariz, 8},
                                                         {"waterSolFactor", &VaporRecord::waterSolFactor, 8},
                                                         {"avgConc", &VaporRecord::avgConc, 8},
                                                         {"antoineA", &VaporRecord::antoineA, 8},
                                                         {"antoineB", &VaporRecord::antoineB, 8},
                                                         {"antoineC", &VaporRecord::antoineC, 8},
                                                         {"casNumber", &VaporRecord::casNumber, 18}}};

struct ChemIndexEntry {
    std::string chemKey;  // trimmed upper-case name, filled with blanks to 41 characters
    std::int16_t recNum = 0;
    std::string casKey;  // trimmed CAS number, filled with blanks to 18 characters
};

enum class VaporSearchMode { ByName = 0, ByCas = 1 };

struct VaporSearchResult {
    std::int16_t position = 0;  // index position of the last match, 0 when none
    // By CAS number: the names of every matching entry, in index order, for the name list.
    std::vector<std::string> casMatchNames;
};

enum class SaveStatus {
    EmptyName,  // nothing written: the name is blank
    OnFile,     // nothing written yet: the caller asks whether to revise, then calls Revise
    Added,      // appended as a new record; the index has been rebuilt
};

struct VaporSaveResult {
    SaveStatus status = SaveStatus::EmptyName;
    std::int16_t position = 0;  // OnFile: the index position of the record on file
    VaporRecord shown;          // Added: the record as stored, as the screen shows it
};

// The vapor library VaporB30.DB: 117-byte records, an index of names sorted by character code, a
// search by name or CAS number, and adding and revising records. Every operation that fails on the
// file throws StoreError; nothing here shows a message.
class VaporStore {
public:
    static constexpr std::string_view kFileName = "VaporB30.DB";
    static constexpr int kRecordSize = 117;

    // Opens (creating when missing) the file in the data folder, counts it and builds the index.
    // With MissingFile::LeaveAbsent a missing file reads as an empty library and is not created.
    explicit VaporStore(const std::string& dataFolder, MissingFile missing = MissingFile::Create);

    const std::string& VaporDB() const { return m_path; }
    std::int16_t numVaporRecs() const { return m_file.count(); }
    // Entries 1..numVaporRecs in index order; entry 0 is never used.
    const std::vector<ChemIndexEntry>& chemIndex() const { return m_chemIndex; }
    // The record buffer: the last record read or written, with its blank filling.
    const VaporRecord& vaporRec() const { return m_vaporRec; }

    // What the name list holds after a fill: every key in index order, 41 characters each.
    std::vector<std::string> listEntries() const;

    // Reads every record and rebuilds the sorted index.
    void CreateIndex();

    // Exact match of the whole text against every entry: by name the caller passes the
    // nameSearchText of what was typed; by CAS number the CAS text trimmed of blanks.
    VaporSearchResult Search(const std::string& findText, VaporSearchMode mode) const;

    // Reads record recNum and gives it as the screen shows it: trailing blanks removed, and the CAS
    // number trimmed at both ends.
    VaporRecord ShowVaporRecord(std::int16_t recNum);

    // How a calculation credits the properties of a vapor taken unchanged from this file: the file
    // and the record's name, so that a reader of the filed report can look the values up. A record
    // the user saved here earlier is credited the same way: the file holds no word of who wrote it.
    std::string recordCredit(std::string_view chemName) const;

    // The save command on the screen's texts. The name is looked up as it will be stored (cut to
    // its width), so an over-long name already saved is found again rather than added twice.
    // Throws StoreFullError when a new record would not fit.
    VaporSaveResult Save(const VaporRecord& typed);

    // Writes the screen's texts over the record of index position `position` (from Save's OnFile). When
    // another program changed the file meanwhile, the record is found again by the typed name; if it
    // is no longer on file, StoreChangedError says so and nothing is written
    // and rebuilds the index, so that a changed CAS number is found at once.
    void Revise(std::int16_t position, const VaporRecord& typed);

    // Every record in file order as the file holds it, blank filling included.
    std::vector<VaporRecord> storedRecords() const;

    // Puts these records, in this order, in the file's place in one step (see RecordFile::replaceAll)
    // and rebuilds the index once. When another program changed the file since this store last
    // read it, the records given may have been read from the old file: StoreChangedError, nothing
    // written (hold lockForChange from the read to here to rule that out).
    void ReplaceAll(const std::vector<VaporRecord>& records);

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

    static VaporRecord shownForm(const VaporRecord& stored);

private:
    // The index position Save finds for this typed name, or 0.
    std::int16_t positionOnFile(const VaporRecord& typed) const;

    std::string m_path;
    RecordFile m_file;
    std::vector<ChemIndexEntry> m_chemIndex;
    VaporRecord m_vaporRec;
};

}  // namespace quandrelle
