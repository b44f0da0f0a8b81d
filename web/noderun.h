#pragma once

// The Node entry's run: a stand register calculated as `lodra05-batch --output - FILE` does
// it, with the same bytes on standard output, the same messages on standard error and the
// same exit status. Plain C++: the file is read from the module's own file system, where
// the entry put the bytes it read.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/result.h"

namespace lodra::web {

struct NodeArguments {
    std::string stands;
    std::optional<std::uint64_t> seed;
};

// The command line the entry takes: [--seed N] [--output -] FILE, refused in the batch
// tool's words.
Result<NodeArguments> parseNodeArguments(const std::vector<std::string>& args);

struct NodeRun {
    std::string out;  // standard output
    std::string err;  // standard error
    int status = 0;   // 0 every stand calculated, 1 a row refused, 2 a usage or file error
};

// The run over the stand file at path; readableOnce tells that the file is a pipe or a
// device (the entry asks the real file system).
NodeRun runStands(const NodeArguments& arguments, bool readableOnce, char decimalSeparator);

// The message of a stand file that could not be read, for the error's code ("ENOENT").
std::string openFailure(const std::string& path, const std::string& code);

}  // namespace lodra::web
