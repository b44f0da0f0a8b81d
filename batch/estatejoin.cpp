#include "batch/estatejoin.h"

#include <array>
#include <charconv>
#include <map>

#include "base/charconv.h"
#include "base/quote.h"
#include "report/csv.h"
#include "report/numbertext.h"

namespace lodra::batch {

namespace {

constexpr std::string_view kColumns =
    "År;Volym (m3sk);Netto (kr);Återväxt och röjning (kr);Kassaflöde (kr);Nuvärde (kr)\r\n";
constexpr std::string_view kTotals = "Summa";
constexpr std::size_t kFigures = 5;
using Figures = std::array<double, kFigures>;

// A figure as the tables print it, with either decimal separator.
std::optional<double> figure(std::string_view cell) {
    std::string text(cell);
    for (char& c : text) {
        c = c == ',' ? '.' : c;
    }
    double value = 0;
    const auto [stop, error] = fromChars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || stop != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Adds a row's figures to its year; false for a line that is not a row of the flow.
bool addRow(std::string_view line, std::map<int, Figures>& years) {
    std::vector<std::string_view> cells;
    for (std::size_t start = 0;;) {
        const std::size_t end = line.find(';', start);
        cells.push_back(line.substr(start, end - start));
        if (end == std::string_view::npos) {
            break;
        }
        start = end + 1;
    }
    if (cells.size() != kFigures + 1) {
        return false;
    }
    if (cells[0] == kTotals) {
        return true;  // summed anew
    }
    int year = 0;
    const char* last = cells[0].data() + cells[0].size();
    const auto [stop, error] = std::from_chars(cells[0].data(), last, year);
    if (cells[0].empty() || error != std::errc() || stop != last) {
        return false;
    }
    Figures& sums = years.try_emplace(year, Figures{}).first->second;
    for (std::size_t i = 0; i < kFigures; ++i) {
        const std::optional<double> value = figure(cells[i + 1]);
        if (!value) {
            return false;
        }
        sums[i] += *value;
    }
    return true;
}

void appendRow(std::string& out, const Figures& figures, char decimalSeparator) {
    for (const double value : figures) {
        out += ';';
        appendNumber(out, value, decimalSeparator);
    }
    out += "\r\n";
}

}  // namespace

bool isEstateHeader(std::string_view header) {
    if (header.starts_with(kUtf8ByteOrderMark)) {
        header.remove_prefix(kUtf8ByteOrderMark.size());
    }
    return header == kColumns;
}

Result<std::string> joinEstateRows(const std::vector<std::pair<std::string, std::string>>& parts,
                                   char decimalSeparator) {
    std::map<int, Figures> years;
    for (const auto& [name, rows] : parts) {
        std::string_view rest(rows);
        while (!rest.empty()) {
            const std::size_t end = rest.find("\r\n");
            if (end == std::string_view::npos || !addRow(rest.substr(0, end), years)) {
                return fail("Delen " + inQuotes(name) + " har en rad som inte hör till flödet: " +
                            inQuotes(rest.substr(0, std::min(end, rest.size()))) + ".");
            }
            rest.remove_prefix(end + 2);
        }
    }
    std::string out;
    Figures totals{};
    for (const auto& [year, figures] : years) {
        appendNumber(out, year);
        appendRow(out, figures, decimalSeparator);
        for (std::size_t i = 0; i < kFigures; ++i) {
            totals[i] += figures[i];
        }
    }
    out += kTotals;
    appendRow(out, totals, decimalSeparator);
    return out;
}

}  // namespace lodra::batch
