#pragma once

// lodra05-batch --join FIL DEL...: the tables of a register's shards, given in shard order,
// joined into the table one run over the whole register writes. The parts must fit
// together (one run's shards, every one, each complete, one table); otherwise nothing is
// written and FIL is left as it was.

#include <string>
#include <vector>

#include "base/result.h"
#include "batch/batchrun.h"

namespace lodra::batch {

// join: the joined file, then the parts. Put in place with the commit of every run.
Result<> joinParts(const std::vector<std::string>& join, const StepSeam& seam);

// The exit status of the join, its failure said on streams.errors.
int runJoin(const std::vector<std::string>& join, const RunStreams& streams);

}  // namespace lodra::batch
