#pragma once
// Comma-separated values as RFC 4180 has them: CR LF after every record, fields with a comma,
// quote or line break inside double quotes, a quote inside doubled. A field keeps whether it was
// quoted, so that an empty quoted field (empty text) stays apart from an empty bare one (NULL).

#include <QByteArray>
#include <QString>
#include <string_view>
#include <vector>

namespace qm {

struct TCsvField {
    std::string_view utf8; // valid UTF-8, quotes undone; points into the reader's bytes
    bool quoted = false;
};

// Appends one field to a record being built, with the comma before it unless it is the first.
void AppendCsvField(QByteArray& record, const QByteArray& utf8, bool quote, bool first);

// Reads the records of a whole file one after the other, without copying a field: quoted
// fields are undone in place in the reader's own bytes. Raises qm::Exception
// "<name>, line N: ..." for bytes that are not UTF-8 (before the first record), a quote in a bare
// field, a quoted field not closed, text after a closing quote, and a last record without its
// line break (a file cut short).
class TCsvReader {
public:
    TCsvReader(QByteArray bytes, QString name);

    // Moves to the next record; false at the end of the file.
    bool Next();
    // The current record's fields, valid until the next call of Next().
    const std::vector<TCsvField>& Fields() const { return fields_; }
    // The line on which the current record starts, from 1.
    int Line() const { return recordLine_; }

private:
    TCsvField BareField();
    TCsvField QuotedField();
    [[noreturn]] void Fail(int line, const QString& problem) const;

    QByteArray bytes_;
    QString name_;
    std::vector<TCsvField> fields_;
    qsizetype pos_ = 0;
    int line_ = 1;
    int recordLine_ = 0;
};

} // namespace qm
