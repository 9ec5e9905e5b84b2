#include "quandrelle/fit/LibraryVapor.h"

#include "quandrelle/stores/NameIndex.h"
#include "quandrelle/stores/VaporStore.h"
#include "quandrelle/validation/NumberReader.h"

namespace quandrelle {

std::optional<VaporInput> libraryVapor(const std::string& dataFolder, std::string_view name, double ppm) {
    VaporStore store(dataFolder, MissingFile::LeaveAbsent);
    const VaporSearchResult found = store.Search(nameSearchText(name), VaporSearchMode::ByName);
    if (found.position < 1) {
        return std::nullopt;
    }
    const VaporRecord record = store.ShowVaporRecord(store.chemIndex()[found.position].recNum);
    return VaporInput{.name = record.chemName,
                      .molWt = readNumber(record.molWt),
                      .liqDensity = readNumber(record.liqDensity),
                      .molPolariz = readNumber(record.molPolariz),
                      .waterSolFactor = readNumber(record.waterSolFactor),
                      .concentration = ppm,
                      .antoineA = readNumber(record.antoineA),
                      .antoineB = readNumber(record.antoineB),
                      .antoineC = readNumber(record.antoineC),
                      .cas = record.casNumber};
}

}  // namespace quandrelle
