#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

namespace quandrelle {

// Gives `file` the contents `bytes` in one step: they are written to a new file in the same folder,
// synced to the disk and renamed over the old one, so that whatever fails, the old file (or its
// absence) is left exactly as it was. A file reached through a link is replaced where the link
// points. The new file gets `mode` as its permissions. Returns the system's error, empty on success.
// Puts the folder entry of a newly created or renamed file on the disk, so that the file itself
// survives a power cut. Failures are ignored: the file's data are synced already.
void syncFolderEntry(const std::filesystem::path& file);

std::error_code replaceFileContents(const std::filesystem::path& file, std::string_view bytes, unsigned mode);

}  // namespace quandrelle
