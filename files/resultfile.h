#pragma once

// The numbered result files "Result" + N + ".txt" of a folder, and saving into them.

#include <string>
#include <vector>

#include "base/result.h"

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

// Folder joined with "Result" + N + ".txt" by the platform's separator.
std::string resultFilePath(const std::string& folder, int number);

// Writes bytes into the next free numbered file of the folder and returns its path. Never
// replaces anything and never leaves a partial file.
Result<std::string> saveNumberedResult(const std::string& folder, const std::string& bytes);

// Writes bytes to path, replacing a file there only once the whole content is written.
Result<> writeFileReplacing(const std::string& path, const std::string& bytes);

}  // namespace lodra
