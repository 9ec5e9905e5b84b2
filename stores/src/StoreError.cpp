#include "quandrelle/stores/StoreError.h"

namespace quandrelle {

StoreError::StoreError(const std::filesystem::path& file, const std::string& reason)
    : std::runtime_error("The record file " + file.string() + " cannot be used: " + reason + "."),
      m_file(file),
      m_reason(reason) {}

StoreFullError::StoreFullError(const std::filesystem::path& file)
    : StoreError(file,
                 "it already holds 32,767 records, the most it can hold, so no record can be added "
                 "(the file was not changed)") {}

StoreBusyError::StoreBusyError(const std::filesystem::path& file, const std::string& holder)
    : StoreError(file,
                 (holder.empty() ? std::string("another program") : "another program (" + holder + ")") +
                     " is changing it and did not finish in time, so nothing was saved; try again "
                     "once it has finished"),
      m_holder(holder) {}

}  // namespace quandrelle
