#pragma once
// Comma-separated values as RFC 4180 has them: CR LF after every record, fields with a comma,
// quote or line break inside double quotes, a quote inside doubled. A field keeps whether it was
// quoted, so that an empty quoted field (empty text) stays apart from an empty bare one (NULL).

#include <QByteArray>
#include <QString>
#include <vector>

namespace qm {

struct TCsvField {
    QString text;
    bool quoted = false;
};

struct TCsvRecord {
    int line = 0; // where the record starts, from 1
    std::vector<TCsvField> fields;
};

// Appends one field to a record being built, with the comma before it unless it is the first.
void AppendCsvField(QByteArray& record, const QByteArray& utf8, bool quote, bool first);

// Reads the records of a whole file. Raises qm::Exception "<name>, line N: ..." for a quote in a
// bare field, a quoted field not closed, text after a closing quote, bytes that are not UTF-8,
// and a last record without its line break (a file cut short).
std::vector<TCsvRecord> ReadCsv(const QByteArray& bytes, const QString& name);

} // namespace qm
