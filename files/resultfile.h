#pragma once

// The numbered result files "Result" + N + ".txt" of a folder, and saving into them.

#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "files/filestate.h"
#include "files/pendingfile.h"

namespace lodra {

constexpr int kHighestResultNumber = 32767;

// What one listing of a folder tells about its result files.
struct ResultNumbers {
    // The highest N of the folder's files (not folders) named exactly "Result" + digits +
    // ".txt" (case-sensitive; leading zeros allowed; other names skipped).
    int highest = 0;
    // Which names "Result" + N + ".txt" are taken by anything: file, folder or link.
    std::vector<bool> takenNames = std::vector<bool>(kHighestResultNumber + 1);

    bool taken(int number) const { return takenNames[static_cast<std::size_t>(number)]; }
};

// Lists the folder once. Fails on a folder that cannot be listed, on a result file whose
// number passes 32767, and when the highest is 32767 already.
Result<ResultNumbers> listResultNumbers(const std::string& folder);
// The same for a folder already open (see openFolder), which messages call folder.
Result<ResultNumbers> listResultNumbers(int folderFd, const std::string& folder);

// The number the next save tries first: the first one above the highest whose name is free.
Result<int> nextResultNumber(const std::string& folder);

// The name of the result file numbered N: "Result" + N + ".txt".
std::string resultFileName(int number);
// Folder joined with "Result" + N + ".txt" by the platform's separator.
std::string resultFilePath(const std::string& folder, int number);

// Puts the complete pending file in place as its folder's next free "Result" + N + ".txt",
// never replacing anything; returns its path.
Result<std::string> commitNumbered(PendingFile& file);

// Writes bytes into the next free numbered file of the folder and returns its path. Never
// replaces anything and never leaves a partial file.
Result<std::string> saveNumberedResult(const std::string& folder, const std::string& bytes);

// The file that saving to path writes: path itself, or where its symbolic links lead, link
// after link (a link to nothing leads to the file it names, which the save then makes).
// Fails on a loop of links.
Result<std::string> followedLinks(const std::string& path);

// Saves bytes under path, replacing a file there only once the whole content is written, and
// returns the state of the saved file. A symbolic link is followed and the file it leads to
// replaced, in its own folder; the link stays. A replaced file keeps its permission bits.
// An existing file is refused, with the system's reason, when this program may not write
// it, and also when nobody may (no write bit at all, which even the superuser keeps to
// here: such a file was marked read-only on purpose). With unchanged, a file that is no
// longer in that state (another program wrote it meanwhile) is refused instead of replaced.
Result<FileState> saveReplacing(const std::string& path, const std::string& bytes,
                                const std::optional<FileState>& unchanged = std::nullopt);

// saveReplacing without a state to keep to.
Result<> writeFileReplacing(const std::string& path, const std::string& bytes);

}  // namespace lodra
