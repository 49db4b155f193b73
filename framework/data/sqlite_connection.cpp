#include "framework/data/sqlite_connection.h"

#include "framework/core/exceptions.h"
#include "framework/data/unicode_text.h"

#include <QStringDecoder>
#include <algorithm>
#include <cstring>
#include <memory>
#include <sqlite3.h>
#include <string_view>

namespace qm {

namespace {

// Another connection may hold the write lock for the length of a post; wait rather than fail.
constexpr int kBusyTimeoutMs = 10000;

std::string_view Utf8(const void* text, int bytes) {
    return {static_cast<const char*>(text), static_cast<size_t>(bytes)};
}

// A stored text with every character: QString::fromUtf8 drops a leading U+FEFF as a byte order
// mark, and a row read without it would be written back without it, or not be found again by an
// update that compares all its values. (Sorting and LIKE may ignore the invisible mark.)
QString StoredText(const char* text, int bytes) {
    static constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
    if (bytes < 3 || std::memcmp(text, kByteOrderMark, 3) != 0)
        return QString::fromUtf8(text, bytes);
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
    return decoder(QByteArrayView(text, bytes));
}

std::string_view ValueUtf8(sqlite3_value* value) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
    return Utf8(text, sqlite3_value_bytes(value));
}

// Replaces the engine's ASCII-only NOCASE on this connection.
int NoCaseCollation(void*, int bytesA, const void* a, int bytesB, const void* b) {
    return CompareTextNoCaseUtf8(Utf8(a, bytesA), Utf8(b, bytesB));
}

bool AnyNull(int argc, sqlite3_value** argv) {
    return std::any_of(argv, argv + argc,
                       [](sqlite3_value* v) { return sqlite3_value_type(v) == SQLITE_NULL; });
}

// Sets the result to whether `matches` holds for the pattern of argument 0, which is taken apart
// once per statement and kept by the engine while it stays the same.
template <typename Matches>
void ResultOfPattern(sqlite3_context* context, sqlite3_value* patternText, char32_t escape, Matches matches) {
    const auto* cached = static_cast<const TLikePattern*>(sqlite3_get_auxdata(context, 0));
    if (cached && cached->Escape() == escape)
        return sqlite3_result_int(context, matches(*cached) ? 1 : 0);
    auto pattern = std::make_unique<TLikePattern>(ValueUtf8(patternText), escape);
    sqlite3_result_int(context, matches(*pattern) ? 1 : 0);
    sqlite3_set_auxdata(context, 0, pattern.release(), [](void* p) { delete static_cast<TLikePattern*>(p); });
}

// like(pattern, text [, escape]), what `text LIKE pattern [ESCAPE e]` calls.
void LikeFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    char32_t escape = 0;
    if (argc == 3) {
        const QList<uint> escapeChars = QString::fromUtf8(ValueUtf8(argv[2])).toUcs4();
        if (escapeChars.size() != 1)
            return sqlite3_result_error(context, "ESCAPE expression must be a single character", -1);
        escape = escapeChars.front();
    }
    const std::string_view text = ValueUtf8(argv[1]);
    ResultOfPattern(context, argv[0], escape, [&](const TLikePattern& p) { return p.Matches(text); });
}

// qm_sort_key(value): the key of a text (SortKeyUtf8); any other value is its own key, which keeps
// it where ORDER BY puts it among texts.
void SortKeyFunction(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) != SQLITE_TEXT)
        return sqlite3_result_value(context, argv[0]);
    const std::string key = SortKeyUtf8(ValueUtf8(argv[0]));
    sqlite3_result_text64(context, key.data(), key.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

// qm_key_like(pattern, key): `value LIKE pattern` for the value whose qm_sort_key is `key`.
void KeyLikeFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
    if (AnyNull(argc, argv))
        return sqlite3_result_null(context);
    const bool text = sqlite3_value_type(argv[1]) == SQLITE_TEXT; // asked before any conversion
    const std::string_view key = ValueUtf8(argv[1]);
    ResultOfPattern(context, argv[0], 0,
                    [&](const TLikePattern& p) { return text ? p.MatchesSortKey(key) : p.Matches(key); });
}

int OpenFlags(TOpenMode mode) {
    switch (mode) {
    case TOpenMode::omReadOnly:
        return SQLITE_OPEN_READONLY;
    case TOpenMode::omReadWrite:
        return SQLITE_OPEN_READWRITE;
    case TOpenMode::omCreate:
        break;
    }
    return SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
}

} // namespace

TSQLiteConnection::TSQLiteConnection(const QString& fileName, TOpenMode mode) : fileName_(fileName) {
    const QByteArray name = fileName.toUtf8();
    const int rc = sqlite3_open_v2(name.constData(), &db_, OpenFlags(mode) | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString message =
            db_ ? QString::fromUtf8(sqlite3_errmsg(db_)) : QStringLiteral("out of memory");
        sqlite3_close(db_);
        db_ = nullptr;
        throw EDatabaseError(
            QStringLiteral("Cannot open database '%1': %2").arg(fileName, message).toStdString());
    }
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db_, 1);
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    const auto function = [&](const char* name, int args,
                              void (*body)(sqlite3_context*, int, sqlite3_value**)) {
        return sqlite3_create_function(db_, name, args, flags, nullptr, body, nullptr, nullptr) == SQLITE_OK;
    };
    if (sqlite3_create_collation_v2(db_, "NOCASE", SQLITE_UTF8, nullptr, NoCaseCollation, nullptr) !=
            SQLITE_OK ||
        !function("like", 2, LikeFunction) || !function("like", 3, LikeFunction) ||
        !function("qm_sort_key", 1, SortKeyFunction) || !function("qm_key_like", 2, KeyLikeFunction)) {
        const QString message = QString::fromUtf8(sqlite3_errmsg(db_));
        sqlite3_close(db_);
        db_ = nullptr;
        throw EDatabaseError(message.toStdString());
    }
}

TSQLiteConnection::~TSQLiteConnection() {
    sqlite3_close_v2(db_);
}

void TSQLiteConnection::Fail() const {
    throw EDatabaseError(sqlite3_errmsg(db_));
}

void TSQLiteConnection::Execute(const QString& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : sqlite3_errmsg(db_);
        sqlite3_free(error);
        throw EDatabaseError(message);
    }
}

TSQLiteStatement TSQLiteConnection::Prepare(const QString& sql) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db_, text.constData(), static_cast<int>(text.size()), &stmt, &tail) != SQLITE_OK)
        Fail();
    if (!stmt) // only blanks or comments
        throw EDatabaseError("The statement is empty");
    TSQLiteStatement statement(*this, stmt);
    for (; tail && *tail; ++tail)
        if (!std::strchr(" \t\r\n;", *tail))
            throw EDatabaseError("Only one statement can be run at a time");
    return statement;
}

qint64 TSQLiteConnection::LastInsertRowId() const {
    return sqlite3_last_insert_rowid(db_);
}

int TSQLiteConnection::Changes() const {
    return sqlite3_changes(db_);
}

TSQLiteStatement::~TSQLiteStatement() {
    sqlite3_finalize(stmt_);
}

TSQLiteStatement::TSQLiteStatement(TSQLiteStatement&& other) noexcept
    : connection_(other.connection_), stmt_(std::exchange(other.stmt_, nullptr)) {}

TSQLiteStatement& TSQLiteStatement::operator=(TSQLiteStatement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(stmt_);
        connection_ = other.connection_;
        stmt_ = std::exchange(other.stmt_, nullptr);
    }
    return *this;
}

bool TSQLiteStatement::Step() {
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // The error text belongs to the connection; reset keeps the statement reusable.
    const std::string message = sqlite3_errmsg(connection_->Handle());
    sqlite3_reset(stmt_);
    throw EDatabaseError(message);
}

void TSQLiteStatement::Reset() {
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

void TSQLiteStatement::BindInt64(int index, qint64 value) {
    if (sqlite3_bind_int64(stmt_, index, value) != SQLITE_OK)
        connection_->Fail();
}

void TSQLiteStatement::BindNull(int index) {
    if (sqlite3_bind_null(stmt_, index) != SQLITE_OK)
        connection_->Fail();
}

void TSQLiteStatement::BindTextInPlace(int index, std::string_view utf8) {
    // The engine takes a null pointer for NULL; an empty text is still a text.
    const char* text = utf8.data() != nullptr ? utf8.data() : "";
    if (sqlite3_bind_text64(stmt_, index, text, utf8.size(), SQLITE_STATIC, SQLITE_UTF8) != SQLITE_OK)
        connection_->Fail();
}

void TSQLiteStatement::Bind(int index, const QVariant& value) {
    int rc = SQLITE_OK;
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        rc = sqlite3_bind_null(stmt_, index);
        break;
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Short:
        rc = sqlite3_bind_int64(stmt_, index, value.toLongLong());
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        rc = sqlite3_bind_double(stmt_, index, value.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        rc = sqlite3_bind_blob64(stmt_, index, bytes.constData(), static_cast<sqlite3_uint64>(bytes.size()),
                                 SQLITE_TRANSIENT);
        break;
    }
    default: {
        if (value.isNull()) {
            rc = sqlite3_bind_null(stmt_, index);
            break;
        }
        const QByteArray text = value.toString().toUtf8();
        rc = sqlite3_bind_text64(stmt_, index, text.constData(), static_cast<sqlite3_uint64>(text.size()),
                                 SQLITE_TRANSIENT, SQLITE_UTF8);
        break;
    }
    }
    if (rc != SQLITE_OK)
        connection_->Fail();
}

int TSQLiteStatement::ColumnCount() const {
    return sqlite3_column_count(stmt_);
}

QString TSQLiteStatement::ColumnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(stmt_, column));
}

QVariant TSQLiteStatement::Column(int column) const {
    switch (sqlite3_column_type(stmt_, column)) {
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(sqlite3_column_int64(stmt_, column)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt_, column));
    case SQLITE_BLOB: {
        const auto* data = static_cast<const char*>(sqlite3_column_blob(stmt_, column));
        return QVariant(QByteArray(data, sqlite3_column_bytes(stmt_, column)));
    }
    case SQLITE_NULL:
        return {};
    default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
        return QVariant(StoredText(text, sqlite3_column_bytes(stmt_, column)));
    }
    }
}

qint64 TSQLiteStatement::ColumnInt64(int column) const {
    return sqlite3_column_int64(stmt_, column);
}

bool TSQLiteStatement::ReadOnly() const {
    return sqlite3_stmt_readonly(stmt_) != 0;
}

QString QuoteIdentifier(const QString& name) {
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

} // namespace qm
