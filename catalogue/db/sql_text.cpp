#include "catalogue/db/sql_text.h"

namespace qm {

QString QuotedLiteralText(const QString& text) {
    QString quoted = text;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return quoted;
}

} // namespace qm
