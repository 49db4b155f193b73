#include "catalogue/db/software_keys_statement.h"

#include "catalogue/db/sql_text.h"

#include <QStringList>
#include <algorithm>

namespace qm {

namespace {

const QStringList kTextColumns{QStringLiteral("Name"), QStringLiteral("Keywords"),
                               QStringLiteral("Description")};
const QStringList kNumberColumns{QStringLiteral("CDID"), QStringLiteral("CategoryID"),
                                 QStringLiteral("TypeID")};
const QStringList kOrderColumns{QStringLiteral("ID"),     QStringLiteral("Name"),
                                QStringLiteral("CDID"),   QStringLiteral("CategoryID"),
                                QStringLiteral("TypeID"), QStringLiteral("Keywords")};

// The column of `names` that `word` names without regard to case; empty when none.
QString Named(const QStringList& names, const QString& word) {
    const auto found = std::find_if(names.begin(), names.end(), [&](const QString& name) {
        return name.compare(word, Qt::CaseInsensitive) == 0;
    });
    return found == names.end() ? QString() : *found;
}

// Reads the statement token by token: words, [bracketed] names, 'quoted' texts, whole numbers and
// single symbols, with blanks between them.
class TStatementReader {
public:
    explicit TStatementReader(const QString& sql) : sql_(sql) {}

    bool AtEnd() {
        SkipBlanks();
        return at_ == sql_.size();
    }
    bool Keyword(const char* keyword) {
        const qsizetype start = Mark();
        if (Word().compare(QLatin1String(keyword), Qt::CaseInsensitive) == 0)
            return true;
        at_ = start;
        return false;
    }
    bool Symbol(QChar symbol) {
        SkipBlanks();
        if (at_ == sql_.size() || sql_[at_] != symbol)
            return false;
        ++at_;
        return true;
    }
    // A word or a bracketed name; empty when neither stands next.
    QString Name() {
        SkipBlanks();
        if (at_ < sql_.size() && sql_[at_] == QLatin1Char('[')) {
            const qsizetype close = sql_.indexOf(QLatin1Char(']'), at_);
            if (close < 0)
                return {};
            const QString name = sql_.mid(at_ + 1, close - at_ - 1);
            at_ = close + 1;
            return name;
        }
        return Word();
    }
    std::optional<QString> Quoted() {
        if (!Symbol(QLatin1Char('\'')))
            return std::nullopt;
        QString text;
        for (; at_ < sql_.size(); ++at_) {
            if (sql_[at_] != QLatin1Char('\'')) {
                text += sql_[at_];
            } else if (at_ + 1 < sql_.size() && sql_[at_ + 1] == QLatin1Char('\'')) {
                text += sql_[++at_];
            } else {
                ++at_;
                return text;
            }
        }
        return std::nullopt;
    }
    std::optional<qint64> Number() {
        const qsizetype start = Mark();
        const bool negative = Symbol(QLatin1Char('-'));
        const QString digits = Word();
        bool whole =
            std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
        const qint64 value = whole ? digits.toLongLong(&whole) : 0;
        if (whole)
            return negative ? -value : value;
        at_ = start;
        return std::nullopt;
    }

private:
    void SkipBlanks() {
        while (at_ < sql_.size() && sql_[at_].isSpace())
            ++at_;
    }
    qsizetype Mark() {
        SkipBlanks();
        return at_;
    }
    QString Word() {
        const qsizetype start = Mark();
        while (at_ < sql_.size() && (sql_[at_].isLetterOrNumber() || sql_[at_] == QLatin1Char('_')))
            ++at_;
        return sql_.mid(start, at_ - start);
    }

    const QString& sql_;
    qsizetype at_ = 0;
};

std::optional<TSoftwareCondition> ReadCondition(TStatementReader& reader) {
    const QString name = reader.Name();
    if (const QString text = Named(kTextColumns, name); !text.isEmpty() && reader.Keyword("LIKE")) {
        if (const std::optional<QString> pattern = reader.Quoted())
            return TSoftwareCondition{text, *pattern, std::nullopt};
    } else if (const QString number = Named(kNumberColumns, name); !number.isEmpty() && reader.Symbol('=')) {
        if (const std::optional<qint64> value = reader.Number())
            return TSoftwareCondition{number, QString(), value};
    }
    return std::nullopt;
}

bool ReadConditions(TStatementReader& reader, std::vector<TSoftwareCondition>& conditions) {
    if (!reader.Keyword("WHERE"))
        return true;
    do {
        const std::optional<TSoftwareCondition> condition = ReadCondition(reader);
        if (!condition)
            return false;
        conditions.push_back(*condition);
    } while (reader.Keyword("AND"));
    return true;
}

// The sort key column of a text column; empty for the others.
QString KeyColumn(const QString& column) {
    if (column == QLatin1String("Name") || column == QLatin1String("Keywords"))
        return QStringLiteral("k.%1Key").arg(column);
    return {};
}

QString Quoted(const QString& text) {
    return QLatin1Char('\'') + QuotedLiteralText(text) + QLatin1Char('\'');
}

QString Condition(const TSoftwareCondition& condition) {
    if (condition.number)
        return QStringLiteral("s.%1 = %2").arg(condition.column).arg(*condition.number);
    const QString key = KeyColumn(condition.column);
    if (key.isEmpty())
        return QStringLiteral("s.%1 LIKE %2").arg(condition.column, Quoted(condition.pattern));
    return QStringLiteral("qm_key_like(%1, %2)").arg(Quoted(condition.pattern), key);
}

QString OrderTerms(const QString& order) {
    if (order == QLatin1String("ID"))
        return QStringLiteral("k.ID");
    const QString key = KeyColumn(order);
    return (key.isEmpty() ? QStringLiteral("s.") + order : key) + QStringLiteral(", k.ID");
}

} // namespace

std::optional<TSoftwareStatement> ParseSoftwareStatement(const QString& sql) {
    TStatementReader reader(sql);
    if (!reader.Keyword("SELECT") || !reader.Symbol('*') || !reader.Keyword("FROM") ||
        !reader.Keyword("SOFTWARE"))
        return std::nullopt;
    TSoftwareStatement statement{{}, QStringLiteral("ID")};
    if (!ReadConditions(reader, statement.conditions))
        return std::nullopt;
    if (reader.Keyword("ORDER")) {
        if (!reader.Keyword("BY"))
            return std::nullopt;
        statement.order = Named(kOrderColumns, reader.Name());
        if (statement.order.isEmpty() || !reader.Keyword("ASC"))
            return std::nullopt;
    }
    if (!reader.AtEnd())
        return std::nullopt;
    return statement;
}

std::optional<QString> SoftwareKeysStatement(const TSoftwareStatement& statement) {
    const auto keyed = [](const QString& column) { return !KeyColumn(column).isEmpty(); };
    const bool matchesKeys =
        std::any_of(statement.conditions.begin(), statement.conditions.end(),
                    [&](const TSoftwareCondition& c) { return !c.number && keyed(c.column); });
    if (!matchesKeys && !keyed(statement.order))
        return std::nullopt;
    const bool readsRows = (!keyed(statement.order) && statement.order != QLatin1String("ID")) ||
                           std::any_of(statement.conditions.begin(), statement.conditions.end(),
                                       [&](const TSoftwareCondition& c) { return !keyed(c.column); });
    QString sql = QStringLiteral("SELECT k.ID FROM SOFTWARE_KEYS AS k");
    if (readsRows)
        sql += QStringLiteral(" JOIN SOFTWARE AS s ON s.ID = k.ID");
    QStringList conditions;
    for (const TSoftwareCondition& condition : statement.conditions)
        conditions << Condition(condition);
    if (!conditions.isEmpty())
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    return sql + QStringLiteral(" ORDER BY ") + OrderTerms(statement.order);
}

} // namespace qm
