#pragma once

// The property's flow (--estate) of a register from its shards' printed flows, for parts
// whose notes do not carry the flow's exact sums (written before they did): the figures of
// each year summed over the parts in shard order, and the totals row "Summa" summed anew over
// the joined years. A sum of the parts' printed figures equals the whole run's figure
// exactly when every figure and partial sum is exact in a double (whole kronor and
// volumes in binary fractions, below 2^53); otherwise they may differ in the last of the
// 15 significant digits.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/result.h"

namespace lodra::batch {

// Whether a table's header line (with its byte-order mark) is that of the flow.
bool isEstateHeader(std::string_view header);

// The joined rows (after the header) from each part's rows: (part's name, its rows).
Result<std::string> joinEstateRows(const std::vector<std::pair<std::string, std::string>>& parts,
                                   char decimalSeparator);

}  // namespace lodra::batch
