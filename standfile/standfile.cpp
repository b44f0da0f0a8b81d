#include "standfile/standfile.h"

#include <algorithm>
#include <utility>

#include "base/quote.h"
#include "base/utf8.h"
#include "calc/numberparse.h"
#include "calc/parameters.h"
#include "report/windows1252.h"

namespace lodra {

namespace {

// The bytes of the sequence that a lead byte starts (one for any other byte).
std::size_t sequenceLength(unsigned char lead) {
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// The bytes at the end of text that start a character the next piece finishes.
std::size_t cutOff(std::string_view text) {
    for (std::size_t k = 1; k <= 3 && k <= text.size(); ++k) {
        const auto b = static_cast<unsigned char>(text[text.size() - k]);
        if (b >= 0xC0) {
            return sequenceLength(b) > k ? k : 0;
        }
        if (b < 0x80) {
            return 0;
        }
    }
    return 0;
}

}  // namespace

void Utf8Check::check(std::string_view text) {
    for (std::size_t i = 0; i < text.size() && !bad_;) {
        if (static_cast<unsigned char>(text[i]) < 0x80) {
            ++i;
        } else {
            bad_ = decodeUtf8(text, i) == kNotUtf8;
        }
    }
}

void Utf8Check::feed(std::string_view bytes) {
    // First the character the last piece cut off, a byte at a time.
    while (!bad_ && !carry_.empty() && !bytes.empty()) {
        carry_ += bytes.front();
        bytes.remove_prefix(1);
        if (carry_.size() >= sequenceLength(static_cast<unsigned char>(carry_[0]))) {
            check(carry_);
            carry_.clear();
        }
    }
    if (bad_ || bytes.empty()) {
        return;
    }
    const std::size_t whole = bytes.size() - cutOff(bytes);
    check(bytes.substr(0, whole));
    carry_ = bytes.substr(whole);
}

bool CsvReader::refill() {
    if (eof_) {
        return false;
    }
    base_ += len_;
    in_.read(buf_.data(), static_cast<std::streamsize>(buf_.size()));
    len_ = static_cast<std::size_t>(in_.gcount());
    pos_ = 0;
    if (len_ < buf_.size()) {
        eof_ = true;
    }
    utf8_.feed(std::string_view(buf_.data(), len_));
    return len_ > 0;
}

int CsvReader::get() {
    if (pos_ == len_ && !refill()) {
        return -1;
    }
    return static_cast<unsigned char>(buf_[pos_++]);
}

void CsvReader::start() {
    started_ = true;
    refill();
    if (fileStart_ && len_ >= 3 && static_cast<unsigned char>(buf_[0]) == 0xEF &&
        static_cast<unsigned char>(buf_[1]) == 0xBB &&
        static_cast<unsigned char>(buf_[2]) == 0xBF) {
        bom_ = true;
        pos_ = 3;
    }
}

Error CsvReader::tooLong() const {
    return fail("Rad " + std::to_string(row_) + " är längre än 1 MB.");
}

Result<CsvReader::Field> CsvReader::readQuoted() {
    Field field;
    for (;;) {
        int c = get();
        if (c < 0) {
            return fail("Rad " + std::to_string(row_) +
                        ": ett citattecken som inleder ett fält avslutas aldrig.");
        }
        if (c == '"' && (c = get()) != '"') {
            field.end = c;
            return field;
        }
        if (!countByte()) {
            return tooLong();
        }
        field.text.push_back(static_cast<char>(c));
    }
}

Result<CsvReader::Field> CsvReader::readPlain(int first) {
    Field field;
    int c = first;
    while (c >= 0 && c != ';' && c != '\n' && c != '\r') {
        if (!countByte()) {
            return tooLong();
        }
        field.text.push_back(static_cast<char>(c));
        // The rest of the field in the buffer, in one piece.
        std::size_t end = pos_;
        while (end < len_ && buf_[end] != ';' && buf_[end] != '\n' && buf_[end] != '\r') {
            ++end;
        }
        if (recordBytes_ + (end - pos_) > kMaxRecordBytes) {
            recordBytes_ = kMaxRecordBytes;
            return tooLong();
        }
        recordBytes_ += end - pos_;
        field.text.append(buf_.data() + pos_, end - pos_);
        pos_ = end;
        c = get();
    }
    field.end = c;
    return field;
}

std::string CsvReader::tooManyFields() const {
    if (row_ == 1) {
        return "Rubrikraden har fler än " + std::to_string(fieldLimit_) + " fält.";
    }
    return "Rad " + std::to_string(row_) + " har fler fält än rubrikraden, som har " +
           std::to_string(fieldLimit_) + ".";
}

Result<> CsvReader::endRecord(int c) {
    if (c == '\r') {
        // A lone CR ends the record too; the byte after it starts the next one.
        if (const int d = get(); d >= 0 && d != '\n') {
            unget();
        }
        return {};
    }
    if (c == '\n' || c < 0) {
        return {};
    }
    return fail("Rad " + std::to_string(row_) +
                ": efter ett avslutande citattecken ska ';' eller radslut följa.");
}

Result<bool> CsvReader::readRecord(std::vector<std::string>& fields) {
    if (!started_) {
        start();
    }
    int c = get();
    if (c < 0) {
        return false;
    }
    recordOffset_ = base_ + pos_ - 1;
    ++row_;
    fieldCount_ = 0;
    recordBytes_ = 0;
    for (;;) {
        Result<Field> field = c == '"' ? readQuoted() : readPlain(c);
        if (!field) {
            return field.error();
        }
        // A record stops at its first field beyond the limit, so that a row of separators
        // costs no more than the header's fields.
        if (++fieldCount_ > fieldLimit_) {
            return fail(tooManyFields());
        }
        fields.push_back(std::move(field->text));
        c = field->end;
        if (c != ';') {
            if (Result<> ended = endRecord(c); !ended) {
                return ended.error();
            }
            return true;
        }
        if (!countByte()) {
            return tooLong();
        }
        c = get();
    }
}

Result<bool> CsvReader::next(std::vector<std::string>& fields) {
    fields.clear();
    if (error_) {
        return *error_;
    }
    Result<bool> read = readRecord(fields);
    if (!read) {
        error_ = read.error();
    }
    return read;
}

namespace {

std::string asciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return out;
}

}  // namespace

bool blankRecord(const std::vector<std::string>& fields) {
    return std::all_of(fields.begin(), fields.end(),
                       [](const std::string& f) { return withoutBlanks(f).empty(); });
}

namespace {

// Where the column of the lower-case name key goes in columns; null for an unknown name.
int* columnSlot(StandColumns& columns, const std::string& key) {
    for (std::size_t p = 0; p < kParameterTable.size(); ++p) {
        if (key == asciiLower(kParameterTable[p].column)) {
            return &columns.parameter[p];
        }
    }
    if (key == kSpeciesColumn.column) {
        return &columns.tradslag;
    }
    if (key == kMeasureColumn.column) {
        return &columns.atgard;
    }
    if (key == kNameColumn) {
        return &columns.bestand;
    }
    for (std::size_t k = 0; k < kTreeRows; ++k) {
        const std::string number = std::to_string(k + 1);
        if (key == std::string(kDiameterColumn) + number) {
            return &columns.dia[k];
        }
        if (key == std::string(kMarkColumn) + number) {
            return &columns.avv[k];
        }
    }
    return nullptr;
}

}  // namespace

std::string treeColumns(std::string_view kind) {
    return std::string(kind) + "1 till " + std::string(kind) + std::to_string(kTreeRows);
}

std::string columnNames() {
    std::string names;
    const auto add = [&names](std::string_view name) {
        names += (names.empty() ? "" : ", ") + std::string(name);
    };
    for (const ParameterRow& row : kParameterTable) {
        add(row.column);
        for (const ChoiceColumn& choice : kChoiceColumns) {
            if (choice.after == row.field) {
                add(choice.column);
            }
        }
    }
    add(treeColumns(kDiameterColumn));
    add(treeColumns(kMarkColumn));
    return names + " och " + std::string(kNameColumn);
}

Result<StandColumns> readHeader(const std::vector<std::string>& header) {
    StandColumns columns;
    columns.parameter.fill(-1);
    columns.dia.fill(-1);
    columns.avv.fill(-1);
    columns.fieldCount = header.size();

    for (std::size_t i = 0; i < header.size(); ++i) {
        const int index = static_cast<int>(i);
        const std::string_view name = withoutBlanks(header[i]);
        if (name.empty()) {
            return fail("Kolumn " + std::to_string(index + 1) + " i rubrikraden saknar namn.");
        }
        const std::string key = asciiLower(name);
        int* slot = columnSlot(columns, key);
        if (slot == nullptr) {
            return fail("Okänd kolumn " + inQuotes(name) + " i rubrikraden. Kolumnerna heter " +
                        columnNames() + ".");
        }
        if (*slot >= 0) {
            return fail("Kolumnen " + inQuotes(name) + " finns mer än en gång i rubrikraden.");
        }
        *slot = index;
        if (key.starts_with(kDiameterColumn) || key.starts_with(kMarkColumn)) {
            columns.anyTreeColumn = true;
        }
    }
    return columns;
}

std::optional<std::string> tradslagRefusal(std::string_view cell) {
    const std::string_view art = withoutBlanks(cell);
    if (art.empty() || speciesNamed(art)) {
        return std::nullopt;
    }
    return "Okänt trädslag " + inQuotes(art) + " i kolumnen " + std::string(kSpeciesColumn.column) +
           ". Skriv " + std::string(kSpeciesColumn.names) + ".";
}

std::optional<std::string> atgardRefusal(std::string_view cell) {
    const std::string_view atgard = withoutBlanks(cell);
    if (atgard.empty() || measureNamed(atgard)) {
        return std::nullopt;
    }
    return "Okänd åtgärd " + inQuotes(atgard) + " i kolumnen " +
           std::string(kMeasureColumn.column) + ". Skriv " + std::string(kMeasureColumn.names) +
           ".";
}

std::optional<std::string> markRefusal(std::string_view cell, int tree) {
    const std::string_view avv = withoutBlanks(cell);
    if (avv.empty() || avv == "x" || avv == "X") {
        return std::nullopt;
    }
    return "Okänt värde " + inQuotes(avv) + " i kolumnen " + std::string(kMarkColumn) +
           std::to_string(tree) + ". Skriv x för ett träd som avverkas direkt, annars ingenting.";
}

std::vector<std::string> choiceRefusals(const ChoiceCells& cells) {
    std::vector<std::string> refusals;
    const auto add = [&refusals](std::optional<std::string> refused) {
        if (refused) {
            refusals.push_back(std::move(*refused));
        }
    };
    add(tradslagRefusal(cells.tradslag.value_or("")));
    add(atgardRefusal(cells.atgard.value_or("")));
    for (std::size_t k = 0; k < cells.avv.size(); ++k) {
        add(markRefusal(cells.avv[k].value_or(""), static_cast<int>(k) + 1));
    }
    return refusals;
}

namespace {

// The cells of one row by column index; a column past the row's end is an empty cell.
struct Cells {
    const std::vector<std::string>& fields;
    std::string_view operator()(int index) const {
        if (index < 0 || static_cast<std::size_t>(index) >= fields.size()) {
            return std::string_view();
        }
        return fields[static_cast<std::size_t>(index)];
    }
};

Result<> takeTradslag(std::string_view art, InputRecord& record) {
    if (std::optional<std::string> refused = tradslagRefusal(art)) {
        return fail(*refused);
    }
    if (const std::optional<Species> species = speciesNamed(art)) {
        record.species = *species;
    }
    return {};
}

Result<> takeAtgard(std::string_view atgard, InputRecord& record) {
    if (std::optional<std::string> refused = atgardRefusal(atgard)) {
        return fail(*refused);
    }
    if (const std::optional<Measure> measure = measureNamed(atgard)) {
        record.measure = *measure;
    }
    return {};
}

// The tree rows; a blank diameter cell is an empty row.
Result<> takeTrees(const StandColumns& columns, const Cells& cell, BlankCell blank,
                   InputRecord& record) {
    Result<> taken;
    for (std::size_t k = 0; k < record.rows.size(); ++k) {
        TreeRow& row = record.rows[k];
        const std::string_view dia = cell(columns.dia[k]);
        const bool keep = blank == BlankCell::asWritten || !withoutBlanks(dia).empty();
        row.text = keep ? std::string(dia) : std::string();
        const std::string_view avv = withoutBlanks(cell(columns.avv[k]));
        if (std::optional<std::string> refused = markRefusal(avv, static_cast<int>(k) + 1)) {
            if (taken) {
                taken = fail(*refused);
            }
            continue;
        }
        row.avverkas = !avv.empty();
    }
    return taken;
}

}  // namespace

Result<> toInputRecord(const StandColumns& columns, const std::vector<std::string>& fields,
                       InputRecord& record, BlankCell blank) {
    const Cells cell{fields};
    for (std::size_t p = 0; p < kParameterTable.size(); ++p) {
        const int index = columns.parameter[p];
        const std::string_view text = cell(index);
        if (!withoutBlanks(text).empty() || (blank == BlankCell::asWritten && index >= 0)) {
            record.*kParameterTable[p].member = std::string(text);
        }
    }
    // Every cell is taken; the first cell that cannot be used is the refusal.
    const Result<> art = takeTradslag(withoutBlanks(cell(columns.tradslag)), record);
    const Result<> atgard = takeAtgard(withoutBlanks(cell(columns.atgard)), record);
    const Result<> trees =
        columns.anyTreeColumn ? takeTrees(columns, cell, blank, record) : Result<>();
    for (const Result<>* taken : {&art, &atgard, &trees}) {
        if (!*taken) {
            return *taken;
        }
    }
    return {};
}

ChoiceCells choiceCells(const StandColumns& columns, const std::vector<std::string>& fields) {
    const Cells cell{fields};
    const auto taken = [&cell](int index) -> std::optional<std::string> {
        if (index < 0) {
            return std::nullopt;
        }
        return std::string(cell(index));
    };
    ChoiceCells cells;
    cells.tradslag = taken(columns.tradslag);
    cells.atgard = taken(columns.atgard);
    for (std::size_t k = 0; k < cells.avv.size(); ++k) {
        cells.avv[k] = taken(columns.avv[k]);
    }
    return cells;
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

Result<> StandFile::countStands() {
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

    // First reading: the encoding, the shape of every record and the number of stands.
    reader_ = std::make_unique<CsvReader>(in);
    Result<std::vector<std::string>> header = readHeaderRow();
    if (!header) {
        return header.error();
    }
    if (Result<> counted = countStands(); !counted) {
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
        stand.name = std::string(Cells{fields}(columns_.bestand));
    }
    if (Result<> taken = toInputRecord(columns_, fields, stand.input, blank_); !taken) {
        stand.refusal = taken.message();
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
