#include "standfile/standfile.h"

#include <algorithm>
#include <utility>

#include "calc/numberparse.h"
#include "report/windows1252.h"

namespace lodra {

bool blankRecord(const std::vector<std::string>& fields) {
    return std::all_of(fields.begin(), fields.end(),
                       [](const std::string& f) { return withoutBlanks(f).empty(); });
}

void StandFile::decode(std::vector<std::string>& fields) const {
    if (!windows1252_) {
        return;
    }
    for (std::string& field : fields) {
        field = fromWindows1252(field);
    }
}

namespace {

// Whether the header row shows a file in UTF-16 (a byte-order mark of it, or NUL bytes).
bool looksLikeUtf16(const std::vector<std::string>& header) {
    const std::string_view first = header.front();
    return first.starts_with("\xFF\xFE") || first.starts_with("\xFE\xFF") ||
           std::any_of(header.begin(), header.end(), [](const std::string& field) {
               return field.find('\0') != std::string::npos;
           });
}

}  // namespace

Result<std::vector<std::string>> StandFile::readHeaderRow() {
    std::vector<std::string> header;
    const Result<bool> haveHeader = reader_->next(header);
    if (in_->bad()) {
        return fail("Filen kunde inte läsas.");
    }
    if (!haveHeader) {
        return haveHeader.error();
    }
    if (!*haveHeader) {
        return fail("Filen är tom: den saknar rubrikrad med kolumnernas namn.");
    }
    if (looksLikeUtf16(header)) {
        return fail(
            "Filen är varken UTF-8 eller Windows-1252 (den är kanske UTF-16). Spara den som "
            "UTF-8 eller Windows-1252.");
    }
    reader_->limitFields(header.size());
    return header;
}

Result<> StandFile::watched(std::uint64_t before) const {
    if (watch_ == nullptr) {
        return {};
    }
    watch_->bytes = before + reader_->bytesRead();
    if (watch_->cancel) {
        return Error{"Läsningen av filen avbröts.", Status::Cancelled};
    }
    return {};
}

Result<> StandFile::countStands(int areaColumn) {
    for (;;) {
        const Result<bool> read = reader_->next(fields_);
        if (!read) {
            return read.error();
        }
        if (!*read) {
            break;
        }
        if (!blankRecord(fields_)) {
            ++standCount_;
            if (!withoutBlanks(cellAt(fields_, areaColumn)).empty()) {
                ++areaCount_;
            }
        }
        if (Result<> going = watched(0); !going) {
            return going;
        }
    }
    if (in_->bad()) {
        return fail("Filen kunde inte läsas.");
    }
    size_ = reader_->bytesRead();
    if (watch_ != nullptr) {
        watch_->total = 2 * size_;
    }
    return {};
}

Result<> StandFile::open(std::istream& in) {
    in_ = &in;
    standCount_ = 0;
    areaCount_ = 0;

    // First reading: the encoding, the shape of every record and the number of stands.
    reader_ = std::make_unique<CsvReader>(in);
    Result<std::vector<std::string>> header = readHeaderRow();
    if (!header) {
        return header.error();
    }
    // The column's name is ASCII, so it is found before the encoding is known.
    const Result<StandColumns> undecoded = readHeader(*header);
    if (Result<> counted = countStands(undecoded ? undecoded->hektar : -1); !counted) {
        return counted;
    }
    windows1252_ = !reader_->utf8();
    decode(*header);
    Result<StandColumns> columns = readHeader(*header);
    if (!columns) {
        return columns.error();
    }
    columns_ = *columns;

    // Second reading, handed out by next().
    in.clear();
    in.seekg(0);
    if (!in) {
        return fail("Filen kunde inte läsas en andra gång.");
    }
    reader_ = std::make_unique<CsvReader>(in);
    if (!reader_->next(fields_)) {
        return fail("Filen kunde inte läsas en andra gång.");
    }
    reader_->limitFields(columns_.fieldCount);
    return {};
}

Result<bool> StandFile::nextRecord() {
    if (!reader_) {
        return false;
    }
    for (;;) {
        const Result<bool> read = reader_->next(fields_);
        if (!read || !*read) {
            return read;
        }
        if (Result<> going = watched(size_); !going) {
            return going.error();
        }
        if (!blankRecord(fields_)) {
            return true;
        }
    }
}

StandFile::Stand StandFile::standOf(const std::vector<std::string>& fields, int row) const {
    Stand stand;
    stand.row = row;
    if (columns_.bestand >= 0) {
        stand.name = std::string(cellAt(fields, columns_.bestand));
    }
    if (Result<> taken = toInputRecord(columns_, fields, stand.input, blank_); !taken) {
        stand.refusal = taken.message();
    }
    if (columns_.hektar >= 0) {
        stand.hektarCell = std::string(cellAt(fields, columns_.hektar));
        Result<std::optional<double>> area = areaOf(*stand.hektarCell);
        if (area) {
            stand.hektar = *area;
        } else if (!stand.refusal) {
            stand.refusal = area.message();
        }
    }
    return stand;
}

Result<bool> StandFile::next(Stand& stand) {
    const Result<bool> read = nextRecord();
    if (!read || !*read) {
        return read;
    }
    decode(fields_);
    stand = standOf(fields_, reader_->row());
    return true;
}

Result<bool> StandFile::nextRow(Row& row) {
    const Result<bool> read = nextRecord();
    if (!read || !*read) {
        return read;
    }
    row = Row{reader_->row(), reader_->recordOffset(), &fields_};
    return true;
}

std::string StandFile::decoded(const std::string& field) const {
    return windows1252_ ? fromWindows1252(field) : field;
}

Result<StandFile::Stand> StandFile::standAt(std::istream& in, const Row& row,
                                            ChoiceCells* cells) const {
    in.clear();
    in.seekg(static_cast<std::streamoff>(row.offset));
    if (!in) {
        return fail("Filen kunde inte läsas.");
    }
    CsvReader reader(in, row.offset, row.row);
    reader.limitFields(columns_.fieldCount);
    std::vector<std::string> fields;
    const Result<bool> read = reader.next(fields);
    if (in.bad()) {
        return fail("Filen kunde inte läsas.");
    }
    if (!read) {
        return read.error();
    }
    if (!*read || blankRecord(fields)) {
        return fail("Rad " + std::to_string(row.row) + " finns inte längre i filen.");
    }
    decode(fields);
    if (cells != nullptr) {
        *cells = choiceCells(columns_, fields);
    }
    return standOf(fields, row.row);
}

}  // namespace lodra
