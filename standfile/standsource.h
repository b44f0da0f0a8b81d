#pragma once

// A stand file opened by its name: the messages of a file that cannot be used, and the check
// that nothing wrote it while it was read. The batch tool and the windows say the same.

#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"
#include "files/filestate.h"
#include "standfile/standfile.h"

namespace lodra {

struct StandSource {
    std::ifstream in;
    StandFile file;
    std::optional<FileState> state;  // when first read
};

// A fault found in the stand file, naming it.
Error standFileError(const std::string& path, const std::string& message);

// Opens the stand file and reads it through once, checking every record and counting
// the stands, before anything is calculated. A file without stands is refused.
Result<> openStands(const std::string& path, StandSource& source);

// The stand file gave every stand it counted, and nothing wrote it while it was read.
Result<> checkReadConsistently(const std::string& path, const StandSource& source, int handedOut);

// Every stand of the file in order (the windows let the user choose one), blank cells as
// they are written.
Result<std::vector<StandFile::Stand>> readAllStands(const std::string& path);

}  // namespace lodra
