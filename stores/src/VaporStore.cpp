#include "quandrelle/stores/VaporStore.h"

#include "quandrelle/stores/NameIndex.h"
#include "quandrelle/stores/RecordText.h"
#include "quandrelle/stores/StoreError.h"

namespace quandrelle {

namespace {

constexpr std::size_t kCasKeyWidth = 18;

VaporRecord decode(std::string_view bytes) {
    VaporRecord record;
    std::size_t offset = 0;
    for (const auto& field : kVaporFields) {
        record.*field.member = fromCp1252(bytes.substr(offset, field.width));
        offset += field.width;
    }
    return record;
}

std::string encode(const VaporRecord& record) {
    std::string bytes;
    bytes.reserve(VaporStore::kRecordSize);
    for (const auto& field : kVaporFields) {
        bytes += fieldBytes(record.*field.member, field.width);
    }
    return bytes;
}

std::string padded(std::string text, std::size_t width) {
    const std::size_t length = characterCount(text);
    if (length < width) {
        text.append(width - length, ' ');
    }
    return text;
}

}  // namespace

VaporStore::VaporStore(const std::string& dataFolder, MissingFile missing)
    : m_path(dataFolder + std::string(kFileName)), m_file(m_path, kRecordSize, missing) {
    if (numVaporRecs() > 0) {
        CreateIndex();
    }
}

std::vector<std::string> VaporStore::listEntries() const {
    std::vector<std::string> entries;
    for (std::size_t i = 1; i < m_chemIndex.size(); ++i) {
        entries.push_back(m_chemIndex[i].chemKey);
    }
    return entries;
}

void VaporStore::CreateIndex() {
    const std::vector<VaporRecord> records = storedRecords();
    std::vector<ChemIndexEntry> index(records.size() + 1);
    for (std::size_t i = 1; i <= records.size(); ++i) {
        m_vaporRec = records[i - 1];
        index[i] = {nameKey(m_vaporRec.chemName), static_cast<std::int16_t>(i),
                    padded(trimBlanks(m_vaporRec.casNumber), kCasKeyWidth)};
    }
    exchangeSortIndex(index, [](const ChemIndexEntry& e) -> const std::string& { return e.chemKey; });
    m_chemIndex = std::move(index);
}

VaporSearchResult VaporStore::Search(const std::string& findText, VaporSearchMode mode) const {
    VaporSearchResult result;
    for (std::size_t i = 1; i < m_chemIndex.size(); ++i) {
        const auto& entry = m_chemIndex[i];
        const std::string name = trimTrailingBlanks(entry.chemKey);
        const std::string candidate = mode == VaporSearchMode::ByCas ? trimBlanks(entry.casKey) : name;
        if (candidate == findText) {
            result.position = static_cast<std::int16_t>(i);
            if (mode == VaporSearchMode::ByCas) {
                result.casMatchNames.push_back(name);
            }
        }
    }
    return result;
}

VaporRecord VaporStore::shownForm(const VaporRecord& stored) {
    VaporRecord shown;
    for (const auto& field : kVaporFields) {
        shown.*field.member = trimTrailingBlanks(stored.*field.member);
    }
    shown.casNumber = trimBlanks(stored.casNumber);
    return shown;
}

std::string VaporStore::recordCredit(std::string_view chemName) const {
    return "vapor library " + m_path + ", record \"" + trimBlanks(std::string(chemName)) + "\"";
}

VaporRecord VaporStore::ShowVaporRecord(std::int16_t recNum) {
    m_vaporRec = decode(m_file.read(recNum));
    return shownForm(m_vaporRec);
}

VaporSaveResult VaporStore::Save(const VaporRecord& typed) {
    VaporSaveResult result;
    if (trimBlanks(typed.chemName).empty()) {
        return result;
    }
    const RecordFile::ChangeLock lock = lockForChange();
    const std::int16_t position = positionOnFile(typed);
    if (position != 0) {
        result.status = SaveStatus::OnFile;
        result.position = position;
        return result;
    }
    const std::string bytes = encode(typed);
    m_file.write(numVaporRecs() + 1, bytes);
    CreateIndex();
    m_vaporRec = decode(bytes);
    result.status = SaveStatus::Added;
    result.shown = shownForm(m_vaporRec);
    return result;
}

std::int16_t VaporStore::positionOnFile(const VaporRecord& typed) const {
    const std::string findText = nameSearchText(storedForm(typed.chemName, kVaporFields[0].width));
    return Search(findText, VaporSearchMode::ByName).position;
}

RecordFile::ChangeLock VaporStore::lockForChange() {
    RecordFile::ChangeLock lock = m_file.lockForChange();
    refresh();
    return lock;
}

bool VaporStore::refresh() {
    if (!m_file.refresh()) {
        return false;
    }
    CreateIndex();
    return true;
}

void VaporStore::Revise(std::int16_t position, const VaporRecord& typed) {
    const std::uint64_t seen = outsideChanges();
    const RecordFile::ChangeLock lock = lockForChange();
    if (outsideChanges() != seen) {
        position = positionOnFile(typed);
        throwIfGone(m_path, position);
    }
    if (position < 1 || static_cast<std::size_t>(position) >= m_chemIndex.size()) {
        throw StoreError(m_path, "there is no entry " + std::to_string(position) + " to revise");
    }
    const std::string bytes = encode(typed);
    m_file.write(m_chemIndex[position].recNum, bytes);
    CreateIndex();
    m_vaporRec = decode(bytes);
}

std::vector<VaporRecord> VaporStore::storedRecords() const {
    return decodedRecords(m_file, decode);
}

void VaporStore::ReplaceAll(const std::vector<VaporRecord>& records) {
    const std::uint64_t seen = outsideChanges();
    const RecordFile::ChangeLock lock = lockForChange();
    throwIfChangedSince(m_path, seen, outsideChanges());
    replaceRecords(m_file, records, encode);
    CreateIndex();
}

}  // namespace quandrelle
