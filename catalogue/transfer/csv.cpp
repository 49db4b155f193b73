#include "catalogue/transfer/csv.h"

#include "framework/core/exceptions.h"

#include <QByteArrayView>
#include <algorithm>
#include <cstring>

namespace qm {

namespace {

bool NeedsQuotes(const QByteArray& utf8) {
    for (const char c : utf8)
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            return true;
    return false;
}

bool IsFieldEnd(char c) {
    return c == ',' || c == '\r' || c == '\n';
}

// The first line that is not UTF-8. No byte of a multi-byte sequence is a line feed, so a
// line can be judged alone.
int FirstLineNotUtf8(QByteArrayView bytes) {
    int line = 1;
    for (qsizetype start = 0; start < bytes.size(); ++line) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        if (!bytes.sliced(start, end - start).isValidUtf8())
            return line;
        start = end + 1;
    }
    return line;
}

} // namespace

void AppendCsvField(QByteArray& record, const QByteArray& utf8, bool quote, bool first) {
    if (!first)
        record += ',';
    if (!quote && !NeedsQuotes(utf8)) {
        record += utf8;
        return;
    }
    record += '"';
    for (const char c : utf8) {
        if (c == '"')
            record += '"';
        record += c;
    }
    record += '"';
}

TCsvReader::TCsvReader(QByteArray bytes, QString name) : bytes_(std::move(bytes)), name_(std::move(name)) {
    // Quoted fields are undone in these bytes: they must be this reader's alone.
    bytes_.detach();
    // Checked once for the whole file, so that every field can be handed on as it stands.
    if (!QByteArrayView(bytes_).isValidUtf8())
        Fail(FirstLineNotUtf8(bytes_), QStringLiteral("bytes that are not UTF-8"));
    if (bytes_.startsWith("\xEF\xBB\xBF"))
        pos_ = 3;
}

bool TCsvReader::Next() {
    fields_.clear();
    if (pos_ >= bytes_.size())
        return false;
    recordLine_ = line_;
    for (;;) {
        fields_.push_back(pos_ < bytes_.size() && bytes_[pos_] == '"' ? QuotedField() : BareField());
        if (pos_ >= bytes_.size())
            Fail(line_, QStringLiteral("the file ends in the middle of a line; it may be cut short"));
        const char c = bytes_[pos_++];
        if (c == ',')
            continue;
        if (c == '\r' && pos_ < bytes_.size() && bytes_[pos_] == '\n')
            ++pos_;
        ++line_;
        return true;
    }
}

TCsvField TCsvReader::BareField() {
    const qsizetype start = pos_;
    const char* data = bytes_.constData();
    while (pos_ < bytes_.size() && !IsFieldEnd(data[pos_])) {
        if (data[pos_] == '"')
            Fail(line_, QStringLiteral("a quote inside a field that does not start with one"));
        ++pos_;
    }
    return {std::string_view(data + start, static_cast<size_t>(pos_ - start)), false};
}

// Doubled quotes are undone by moving the text after them back over the second quote; the text
// only ever gets shorter, so it stays inside the field's own bytes.
TCsvField TCsvReader::QuotedField() {
    const int startLine = line_;
    char* const data = bytes_.data();
    const qsizetype size = bytes_.size();
    ++pos_;
    char* const begin = data + pos_;
    char* out = begin;
    for (;;) {
        const auto* close =
            static_cast<const char*>(std::memchr(data + pos_, '"', static_cast<size_t>(size - pos_)));
        if (close == nullptr)
            Fail(startLine, QStringLiteral("a quoted field is not closed; the file may be cut short"));
        const qsizetype length = close - (data + pos_);
        line_ += static_cast<int>(std::count(data + pos_, data + pos_ + length, '\n'));
        if (out != data + pos_)
            std::memmove(out, data + pos_, static_cast<size_t>(length));
        out += length;
        pos_ += length + 1;
        if (pos_ < size && data[pos_] == '"') {
            *out++ = '"';
            ++pos_;
            continue;
        }
        if (pos_ < size && !IsFieldEnd(data[pos_]))
            Fail(line_, QStringLiteral("text after the closing quote of a field"));
        return {std::string_view(begin, static_cast<size_t>(out - begin)), true};
    }
}

void TCsvReader::Fail(int line, const QString& problem) const {
    throw Exception(QStringLiteral("%1, line %2: %3").arg(name_).arg(line).arg(problem).toStdString());
}

} // namespace qm
