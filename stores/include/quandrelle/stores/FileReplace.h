#pragma once

#include <filesystem>
#include <string>
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

// Whether anything stands at `file`: a file, a folder, or a link, even a dangling one (whatever the
// user put there is theirs).
bool isOccupied(const std::filesystem::path& file);

// Gives `destination` a copy of `source` unless something is there by then. The copy is made under a
// temporary name and then linked to its own name, which fails rather than replaces a file that
// appeared meanwhile, so an interrupted copy never leaves a truncated file that would afterwards
// count as the user's own. The copy is the user's to change even when the shipped file is
// read-only. Throws a StoreError naming `what` ("the vapor library") and the reason.
void copyWithoutReplacing(const std::filesystem::path& source, const std::filesystem::path& destination,
                          const std::string& what);

}  // namespace quandrelle
