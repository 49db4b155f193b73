#include "jet/jet_database.h"

#include <QDateTime>
#include <QFile>
#include <cmath>
#include <cstring>
#include <mdbtools.h>

namespace qm {

namespace {

// The flag bits libmdb leaves in a row's offset (lookup and deleted).
constexpr int kRowOffsetMask = 0x1fff;
// Memos are read into a buffer of the handle's bind size; a memo that fills it is read again
// with a larger one, up to the largest text a catalogue column is meant to hold.
constexpr size_t kFirstBindSize = 1 << 16;
constexpr size_t kLargestBindSize = size_t{1} << 30;

[[noreturn]] void Fail(const QString& fileName, const QString& problem) {
    throw EJetError(
        QStringLiteral("The Jet database '%1' cannot be read: %2").arg(fileName, problem).toStdString());
}

// Owns what libmdb returns with g_malloc.
struct TGlibText {
    char* text;
    ~TGlibText() { g_free(text); }
    QString ToString() const { return QString::fromUtf8(text ? text : ""); }
};

QString TypeName(int type) {
    switch (type) {
    case MDB_BOOL:
        return QStringLiteral("Yes/No");
    case MDB_BYTE:
        return QStringLiteral("Byte");
    case MDB_INT:
        return QStringLiteral("Integer");
    case MDB_LONGINT:
        return QStringLiteral("Long Integer");
    case MDB_MONEY:
        return QStringLiteral("Currency");
    case MDB_FLOAT:
        return QStringLiteral("Single");
    case MDB_DOUBLE:
        return QStringLiteral("Double");
    case MDB_DATETIME:
        return QStringLiteral("DateTime");
    case MDB_BINARY:
        return QStringLiteral("Binary");
    case MDB_TEXT:
        return QStringLiteral("Text");
    case MDB_OLE:
        return QStringLiteral("OLE");
    case MDB_MEMO:
        return QStringLiteral("Memo");
    case MDB_REPID:
        return QStringLiteral("Replication ID");
    case MDB_NUMERIC:
        return QStringLiteral("Numeric");
    default:
        return QStringLiteral("Unknown %1").arg(type);
    }
}

// A date is days since 30 December 1899 with the time of day as the fraction, which is counted
// forward from the day also before 1899 (libmdb's own conversion gives up outside 1900 to 9999).
QDateTime JetDate(double days) {
    const double whole = std::trunc(days);
    const qint64 milliseconds = std::llround(std::fabs(days - whole) * 86400000.0);
    const QDate date = QDate(1899, 12, 30).addDays(static_cast<qint64>(whole));
    return QDateTime(date, QTime(0, 0)).addMSecs(milliseconds);
}

} // namespace

bool LooksLikeJetFile(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray head = file.read(20);
    return head.size() == 20 && head.startsWith(QByteArray("\x00\x01\x00\x00", 4)) &&
           (head.mid(4, 15) == "Standard Jet DB" || head.mid(4, 15) == "Standard ACE DB");
}

struct TJetDatabase::THandle {
    MdbHandle* mdb = nullptr;
    ~THandle() {
        if (mdb)
            mdb_close(mdb);
    }
};

// One table definition with its columns read; rows are read through the database's handle.
struct TJetDatabase::TTable {
    MdbTableDef* def = nullptr;
    ~TTable() {
        if (def)
            mdb_free_tabledef(def);
    }
    MdbColumn* Column(unsigned int index) const {
        return static_cast<MdbColumn*>(g_ptr_array_index(def->columns, index));
    }
};

TJetDatabase::TJetDatabase(const QString& fileName)
    : fileName_(fileName), handle_(std::make_unique<THandle>()) {
    if (!LooksLikeJetFile(fileName))
        Fail(fileName, QStringLiteral("it is not a Jet database"));
    handle_->mdb = mdb_open(QFile::encodeName(fileName).constData(), MDB_NOFLAGS);
    if (!handle_->mdb)
        Fail(fileName, QStringLiteral("its header is damaged"));
    MdbHandle* mdb = handle_->mdb;
    if (mdb->f->jet_version != MDB_VER_JET3) {
        // libmdb converts Jet 4 texts as UCS-2, which turns every character beyond the first
        // plane (an emoji) into question marks; UTF-16 keeps them.
        iconv_t utf16 = iconv_open("UTF-8", "UTF-16LE");
        if (utf16 != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(mdb->iconv_in);
            mdb->iconv_in = utf16;
        }
    }
    mdb_set_bind_size(mdb, kFirstBindSize);
    if (!mdb_read_catalog(mdb, MDB_TABLE))
        Fail(fileName, QStringLiteral("its catalogue of tables is damaged"));
}

TJetDatabase::~TJetDatabase() = default;

QString TJetDatabase::FormatName() const {
    switch (handle_->mdb->f->jet_version) {
    case MDB_VER_JET3:
        return QStringLiteral("Jet 3");
    case MDB_VER_JET4:
        return QStringLiteral("Jet 4");
    default:
        return QStringLiteral("ACE %1").arg(handle_->mdb->f->jet_version + 10);
    }
}

QStringList TJetDatabase::TableNames() const {
    QStringList names;
    MdbHandle* mdb = handle_->mdb;
    for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type == MDB_TABLE && mdb_is_user_table(entry))
            names << QString::fromUtf8(entry->object_name);
    }
    return names;
}

std::unique_ptr<TJetDatabase::TTable> TJetDatabase::OpenTable(const QString& table) const {
    MdbHandle* mdb = handle_->mdb;
    for (unsigned int i = 0; i < mdb->num_catalog; ++i) {
        auto* entry = static_cast<MdbCatalogEntry*>(g_ptr_array_index(mdb->catalog, i));
        if (entry->object_type != MDB_TABLE || QString::fromUtf8(entry->object_name) != table)
            continue;
        auto opened = std::make_unique<TTable>();
        opened->def = mdb_read_table(entry);
        if (!opened->def || !mdb_read_columns(opened->def) || opened->def->num_cols > MDB_MAX_COLS)
            Fail(fileName_, QStringLiteral("the definition of table %1 is damaged").arg(table));
        return opened;
    }
    Fail(fileName_, QStringLiteral("it has no table %1").arg(table));
}

std::vector<TJetColumn> TJetDatabase::Columns(const QString& table) const {
    const auto opened = OpenTable(table);
    std::vector<TJetColumn> columns;
    for (unsigned int i = 0; i < opened->def->num_cols; ++i) {
        const MdbColumn* column = opened->Column(i);
        columns.push_back({QString::fromUtf8(column->name), TypeName(column->col_type), column->col_size});
    }
    return columns;
}

QStringList TJetDatabase::ColumnNames(const QString& table) const {
    QStringList names;
    for (const TJetColumn& column : Columns(table))
        names << column.name;
    return names;
}

qint64 TJetDatabase::RowCount(const QString& table) const {
    return OpenTable(table)->def->num_rows;
}

namespace {

QString TextValue(MdbHandle* mdb, int start, int size) {
    // Every stored byte becomes at most three bytes of UTF-8 (a code page byte or a compressed
    // character), a UTF-16 unit pair at most four.
    QByteArray utf8(size * 3 + 16, Qt::Uninitialized);
    const int length =
        mdb_unicode2ascii(mdb, reinterpret_cast<const char*>(mdb->pg_buf) + start, static_cast<size_t>(size),
                          utf8.data(), static_cast<size_t>(utf8.size()));
    return QString::fromUtf8(utf8.constData(), qMax(0, length));
}

QString MemoValue(MdbHandle* mdb, int start, int size) {
    for (;;) {
        const TGlibText memo{mdb_col_to_string(mdb, mdb->pg_buf, start, MDB_MEMO, size)};
        const size_t length = memo.text ? std::strlen(memo.text) : 0;
        // A memo that reaches the end of the buffer may have been cut short.
        if (length + 8 < mdb->bind_size || mdb->bind_size >= kLargestBindSize)
            return memo.ToString();
        mdb_set_bind_size(mdb, mdb->bind_size * 4);
    }
}

QByteArray OleValue(MdbHandle* mdb, MdbColumn* column, int start, int size) {
    if (size < MDB_MEMO_OVERHEAD)
        return QByteArray("");
    // libmdb reads an OLE value through the column's bound buffer, which must hold its header.
    QByteArray bound(MDB_BIND_SIZE, '\0');
    std::memcpy(bound.data(), mdb->pg_buf + start, MDB_MEMO_OVERHEAD);
    column->bind_ptr = bound.data();
    column->cur_value_start = start;
    column->cur_value_len = size;
    size_t length = 0;
    void* data = mdb_ole_read_full(mdb, column, &length);
    column->bind_ptr = nullptr;
    QByteArray value(static_cast<const char*>(data), static_cast<qsizetype>(length));
    free(data);
    return value;
}

QVariant FieldValue(MdbHandle* mdb, MdbTableDef* table, const MdbField& field) {
    auto* column = static_cast<MdbColumn*>(g_ptr_array_index(table->columns, field.colnum));
    // A Yes/No value lives in the row's null mask: set means yes.
    if (column->col_type == MDB_BOOL)
        return QVariant(field.is_null ? 0LL : 1LL);
    if (field.is_null)
        return {};
    const int start = field.start;
    const unsigned char* bytes = mdb->pg_buf + start;
    switch (column->col_type) {
    case MDB_BYTE:
        return QVariant(static_cast<qlonglong>(bytes[0]));
    case MDB_INT:
        return QVariant(static_cast<qlonglong>(static_cast<qint16>(mdb_get_int16(mdb->pg_buf, start))));
    case MDB_LONGINT:
        return QVariant(static_cast<qlonglong>(static_cast<qint32>(mdb_get_int32(mdb->pg_buf, start))));
    case MDB_FLOAT:
        return QVariant(static_cast<double>(mdb_get_single(mdb->pg_buf, start)));
    case MDB_DOUBLE:
        return QVariant(mdb_get_double(mdb->pg_buf, start));
    case MDB_DATETIME:
        return QVariant(JetDate(mdb_get_double(mdb->pg_buf, start)));
    case MDB_MONEY:
        return TGlibText{mdb_money_to_string(mdb, start)}.ToString();
    case MDB_NUMERIC:
        return TGlibText{mdb_numeric_to_string(mdb, start, column->col_scale, column->col_prec)}.ToString();
    case MDB_REPID:
        return TGlibText{mdb_uuid_to_string_fmt(mdb->pg_buf, start, MDB_BRACES_4_2_2_8)}.ToString();
    case MDB_TEXT:
        return TextValue(mdb, start, field.siz);
    case MDB_MEMO:
        return MemoValue(mdb, start, field.siz);
    case MDB_OLE:
        return OleValue(mdb, column, start, field.siz);
    default:
        return QByteArray(reinterpret_cast<const char*>(bytes), field.siz);
    }
}

} // namespace

void TJetDatabase::ReadRows(const QString& table, const std::function<void(const TSourceRow&)>& onRow) const {
    const auto opened = OpenTable(table);
    MdbTableDef* def = opened->def;
    MdbHandle* mdb = handle_->mdb;
    const unsigned int columnCount = def->num_cols;
    std::vector<MdbField> fields(MDB_MAX_COLS);
    TSourceRow row(columnCount);
    mdb_rewind_table(def);
    // Nothing is bound: a fetch only finds the next live row on its data page, which stays in the
    // handle's page buffer. The row is then taken apart here, where NULL and empty stay apart.
    while (mdb_fetch_row(def)) {
        int start = 0;
        size_t size = 0;
        if (mdb_find_row(mdb, static_cast<int>(def->cur_row) - 1, &start, &size) != 0)
            Fail(fileName_, QStringLiteral("a row of table %1 is damaged").arg(table));
        const int count = mdb_crack_row(def, start & kRowOffsetMask, size, fields.data());
        if (count < 0 || static_cast<unsigned int>(count) < columnCount)
            Fail(fileName_, QStringLiteral("a row of table %1 is damaged").arg(table));
        for (unsigned int i = 0; i < columnCount; ++i) {
            const MdbField& field = fields[i];
            if (field.colnum < 0 || static_cast<unsigned int>(field.colnum) >= columnCount)
                Fail(fileName_, QStringLiteral("a row of table %1 is damaged").arg(table));
            row[static_cast<size_t>(field.colnum)] = FieldValue(mdb, def, field);
        }
        onRow(row);
    }
}

} // namespace qm
