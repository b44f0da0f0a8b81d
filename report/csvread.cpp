#include "report/csv.h"

#include <utility>

namespace lodra {

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
    if (fileStart_ && std::string_view(buf_.data(), len_).starts_with(kUtf8ByteOrderMark)) {
        bom_ = true;
        pos_ = kUtf8ByteOrderMark.size();
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

}  // namespace lodra
