#include "catalogue/transfer/csv.h"

#include "framework/core/exceptions.h"

#include <QStringDecoder>

namespace qm {

namespace {

[[noreturn]] void Fail(const QString& name, int line, const QString& problem) {
    throw Exception(QStringLiteral("%1, line %2: %3").arg(name).arg(line).arg(problem).toStdString());
}

bool NeedsQuotes(const QByteArray& utf8) {
    for (const char c : utf8)
        if (c == ',' || c == '"' || c == '\r' || c == '\n')
            return true;
    return false;
}

// The CSV reader proper: walks the bytes once, line by line.
class TCsvParser {
public:
    TCsvParser(const QByteArray& bytes, const QString& name) : bytes_(bytes), name_(name) {
        if (bytes_.startsWith("\xEF\xBB\xBF"))
            pos_ = 3;
    }

    std::vector<TCsvRecord> Records() {
        std::vector<TCsvRecord> records;
        while (pos_ < bytes_.size())
            records.push_back(Record());
        return records;
    }

private:
    TCsvRecord Record() {
        TCsvRecord record;
        record.line = line_;
        for (;;) {
            record.fields.push_back(Field());
            if (pos_ >= bytes_.size())
                Fail(name_, line_,
                     QStringLiteral("the file ends in the middle of a line; it may be cut short"));
            const char c = bytes_[pos_++];
            if (c == ',')
                continue;
            if (c == '\r' && pos_ < bytes_.size() && bytes_[pos_] == '\n')
                ++pos_;
            ++line_;
            return record;
        }
    }

    TCsvField Field() {
        if (pos_ < bytes_.size() && bytes_[pos_] == '"')
            return QuotedField();
        const qsizetype start = pos_;
        while (pos_ < bytes_.size() && !IsFieldEnd(bytes_[pos_])) {
            if (bytes_[pos_] == '"')
                Fail(name_, line_, QStringLiteral("a quote inside a field that does not start with one"));
            ++pos_;
        }
        return {Text(start, pos_), false};
    }

    TCsvField QuotedField() {
        const int startLine = line_;
        QByteArray value;
        ++pos_;
        for (;;) {
            const qsizetype close = bytes_.indexOf('"', pos_);
            if (close < 0)
                Fail(name_, startLine,
                     QStringLiteral("a quoted field is not closed; the file may be cut short"));
            line_ += static_cast<int>(std::count(bytes_.begin() + pos_, bytes_.begin() + close, '\n'));
            value += bytes_.mid(pos_, close - pos_);
            pos_ = close + 1;
            if (pos_ < bytes_.size() && bytes_[pos_] == '"') {
                value += '"';
                ++pos_;
                continue;
            }
            if (pos_ < bytes_.size() && !IsFieldEnd(bytes_[pos_]))
                Fail(name_, line_, QStringLiteral("text after the closing quote of a field"));
            return {Decode(value), true};
        }
    }

    static bool IsFieldEnd(char c) { return c == ',' || c == '\r' || c == '\n'; }

    QString Text(qsizetype start, qsizetype end) { return Decode(bytes_.mid(start, end - start)); }

    QString Decode(const QByteArray& utf8) {
        QString text = decoder_(utf8);
        if (decoder_.hasError())
            Fail(name_, line_, QStringLiteral("bytes that are not UTF-8"));
        return text;
    }

    const QByteArray& bytes_;
    const QString& name_;
    QStringDecoder decoder_{QStringDecoder::Utf8, QStringDecoder::Flag::Stateless};
    qsizetype pos_ = 0;
    int line_ = 1;
};

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

std::vector<TCsvRecord> ReadCsv(const QByteArray& bytes, const QString& name) {
    return TCsvParser(bytes, name).Records();
}

} // namespace qm
