#include "quandrelle/stores/CartridgeStore.h"

#include "quandrelle/stores/NameIndex.h"
#include "quandrelle/stores/RecordText.h"
#include "quandrelle/stores/StoreError.h"

namespace quandrelle {

namespace {

CartridgeRecord decode(std::string_view bytes) {
    CartridgeRecord record;
    std::size_t offset = 0;
    for (const auto& field : kCartridgeFields) {
        record.*field.member = fromCp1252(bytes.substr(offset, field.width));
        offset += field.width;
    }
    return record;
}

std::string encode(const CartridgeRecord& record) {
    std::string bytes;
    bytes.reserve(CartridgeStore::kRecordSize);
    for (const auto& field : kCartridgeFields) {
        bytes += fieldBytes(record.*field.member, field.width);
    }
    return bytes;
}

}  // namespace

CartridgeStore::CartridgeStore(const std::string& dataFolder, MissingFile missing)
    : m_path(dataFolder + std::string(kFileName)), m_file(m_path, kRecordSize, missing) {
    if (numCartRecs() > 0) {
        CreateIndex1();
    }
}

std::vector<std::string> CartridgeStore::listEntries() const {
    std::vector<std::string> entries;
    for (std::size_t i = 1; i < m_cartIndex.size(); ++i) {
        entries.push_back(m_cartIndex[i].cartKey);
    }
    return entries;
}

void CartridgeStore::CreateIndex1() {
    const std::vector<CartridgeRecord> records = storedRecords();
    std::vector<CartIndexEntry> index(records.size() + 1);
    for (std::size_t i = 1; i <= records.size(); ++i) {
        m_cartRec = records[i - 1];
        index[i] = {nameKey(m_cartRec.cartName), static_cast<std::int16_t>(i)};
    }
    exchangeSortIndex(index, [](const CartIndexEntry& e) -> const std::string& { return e.cartKey; });
    m_cartIndex = std::move(index);
}

std::int16_t CartridgeStore::Search(const std::string& findText) const {
    // Compared as the index is sorted, on keys filled to their width: a name holding a character
    // below the blank (a tab from an older import) sorts before the blank filling of a shorter name,
    // so comparing the trimmed texts would send the halving the wrong way and miss it.
    const std::string target = nameKey(findText);
    // Halving in a wider type: low + high of two 16-bit record numbers can pass 32,767.
    int low = 1;
    int high = static_cast<int>(m_cartIndex.size()) - 1;
    while (low <= high) {
        const int middle = (low + high) / 2;
        const std::string& key = m_cartIndex[middle].cartKey;
        if (key == target) {
            return static_cast<std::int16_t>(middle);
        }
        if (target > key) {
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    return 0;
}

CartridgeRecord CartridgeStore::shownForm(const CartridgeRecord& stored) {
    CartridgeRecord shown;
    for (const auto& field : kCartridgeFields) {
        shown.*field.member = trimTrailingBlanks(stored.*field.member);
    }
    return shown;
}

CartridgeRecord CartridgeStore::ShowCartridgeRecord(std::int16_t recNum) {
    m_cartRec = decode(m_file.read(recNum));
    return shownForm(m_cartRec);
}

CartridgeSaveResult CartridgeStore::Save(const CartridgeRecord& typed) {
    CartridgeSaveResult result;
    if (trimBlanks(typed.cartName).empty()) {
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
    m_file.write(numCartRecs() + 1, bytes);
    CreateIndex1();
    m_cartRec = decode(bytes);
    result.status = SaveStatus::Added;
    result.shown = shownForm(m_cartRec);
    return result;
}

std::int16_t CartridgeStore::positionOnFile(const CartridgeRecord& typed) const {
    return Search(nameSearchText(storedForm(typed.cartName, kCartridgeFields[0].width)));
}

RecordFile::ChangeLock CartridgeStore::lockForChange() {
    RecordFile::ChangeLock lock = m_file.lockForChange();
    refresh();
    return lock;
}

bool CartridgeStore::refresh() {
    if (!m_file.refresh()) {
        return false;
    }
    CreateIndex1();
    return true;
}

void CartridgeStore::Revise(std::int16_t position, const CartridgeRecord& typed) {
    const std::uint64_t seen = outsideChanges();
    const RecordFile::ChangeLock lock = lockForChange();
    if (outsideChanges() != seen) {
        position = positionOnFile(typed);
        throwIfGone(m_path, position);
    }
    if (position < 1 || static_cast<std::size_t>(position) >= m_cartIndex.size()) {
        throw StoreError(m_path, "there is no entry " + std::to_string(position) + " to revise");
    }
    const std::string bytes = encode(typed);
    m_file.write(m_cartIndex[position].recNum, bytes);
    m_cartRec = decode(bytes);
}

std::vector<CartridgeRecord> CartridgeStore::storedRecords() const {
    return decodedRecords(m_file, decode);
}

void CartridgeStore::ReplaceAll(const std::vector<CartridgeRecord>& records) {
    const std::uint64_t seen = outsideChanges();
    const RecordFile::ChangeLock lock = lockForChange();
    throwIfChangedSince(m_path, seen, outsideChanges());
    replaceRecords(m_file, records, encode);
    CreateIndex1();
}

}  // namespace quandrelle
