#pragma once

// The numbered result files "Result" + N + ".txt" and the Windows-1252 bytes they hold.

#include <optional>
#include <string>

namespace lodra {

// UTF-8 text to Windows-1252. Characters that Windows-1252 cannot hold become '?'.
std::string toWindows1252(const std::string& utf8);
// Windows-1252 bytes to UTF-8.
std::string fromWindows1252(const std::string& bytes);

struct NumberResult {
    int number = 0;     // the next free file number, 1..32767, when error is empty
    std::string error;  // Swedish message naming the folder
};

// One more than the highest N of the folder's files named exactly "Result" + digits +
// ".txt" (case-sensitive; leading zeros allowed; other names skipped). Fails on a folder
// that cannot be listed and when N would pass 32767.
NumberResult nextResultNumber(const std::string& folder);

// Folder joined with "Result" + N + ".txt" by the platform's separator.
std::string resultFilePath(const std::string& folder, int number);

struct SaveResult {
    bool ok = false;
    std::string path;     // the file written, when ok
    std::string message;  // Swedish message saying what failed and where, when not ok
};

// Writes bytes into the next free numbered file of the folder. Never replaces an existing
// file and never leaves a partial one: the bytes go to a temporary file in the folder,
// which is then linked into place under a name that is still free.
SaveResult saveNumberedResult(const std::string& folder, const std::string& bytes);

// Writes bytes to path, replacing it only once the whole content is written.
SaveResult writeFileReplacing(const std::string& path, const std::string& bytes);

}  // namespace lodra
