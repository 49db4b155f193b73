#include "tests/support/catalogue_files.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringDecoder>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace qm::test {

QString JetSample(const QString& name) {
    const QString path = QStringLiteral(QM_JET_SAMPLES "/") + name;
    EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
    return path;
}

bool JetSamplesPresent() {
    return QFile::exists(QStringLiteral(QM_JET_SAMPLES "/catalogue-small.mdb"));
}

QJsonObject ExpectedSampleCatalogue() {
    QFile file(JetSample(QStringLiteral("catalogue-small.expected.json")));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return QJsonDocument::fromJson(file.readAll()).object();
}

TWorkFolder::TWorkFolder() {
    EXPECT_TRUE(dir_.isValid() && runtime_.isValid());
}

QString TWorkFolder::Path(const QString& name) const {
    return name.isEmpty() ? dir_.path() : QDir(dir_.path()).filePath(name);
}

QProcessEnvironment TWorkFolder::Environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime_.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    return environment;
}

ToolRun TWorkFolder::Run(const QStringList& arguments, const QProcessEnvironment& extra) const {
    QProcessEnvironment environment = Environment();
    environment.insert(extra);
    return RunProgramIn(QStringLiteral(QM_QUILLMERE_EXE), arguments, dir_.path(), environment, 120000);
}

void TWorkFolder::Copy(const QString& from, const QString& name) const {
    QFile::remove(Path(name));
    ASSERT_TRUE(QFile::copy(from, Path(name))) << from.toStdString();
    QFile::setPermissions(Path(name), QFile::ReadOwner | QFile::WriteOwner);
}

void TWorkFolder::Write(const QString& name, const QByteArray& bytes) const {
    QDir().mkpath(QFileInfo(Path(name)).absolutePath());
    QFile file(Path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray TWorkFolder::Read(const QString& name) const {
    QFile file(Path(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonObject CatalogueRows(const QString& catalogueFile) {
    sqlite3* db = nullptr;
    QJsonObject tables;
    if (sqlite3_open_v2(catalogueFile.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) !=
        SQLITE_OK) {
        ADD_FAILURE() << "cannot open " << catalogueFile.toStdString();
        sqlite3_close(db);
        return tables;
    }
    for (const char* table : {"CD", "Category", "Type", "SOFTWARE"}) {
        sqlite3_stmt* select = nullptr;
        const QByteArray sql = QByteArray("SELECT * FROM \"") + table + "\" ORDER BY ID";
        EXPECT_EQ(sqlite3_prepare_v2(db, sql.constData(), -1, &select, nullptr), SQLITE_OK)
            << sqlite3_errmsg(db);
        QJsonArray rows;
        while (select && sqlite3_step(select) == SQLITE_ROW) {
            QJsonObject row;
            for (int c = 0; c < sqlite3_column_count(select); ++c) {
                const QString name = QString::fromUtf8(sqlite3_column_name(select, c));
                switch (sqlite3_column_type(select, c)) {
                case SQLITE_NULL:
                    row.insert(name, QJsonValue::Null);
                    break;
                case SQLITE_INTEGER:
                    row.insert(name, static_cast<qint64>(sqlite3_column_int64(select, c)));
                    break;
                default: {
                    // Every character, a leading U+FEFF too (QString::fromUtf8 would drop it).
                    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::ConvertInitialBom);
                    row.insert(name, QString(utf8(QByteArrayView(
                                         reinterpret_cast<const char*>(sqlite3_column_text(select, c)),
                                         sqlite3_column_bytes(select, c)))));
                }
                }
            }
            rows.append(row);
        }
        sqlite3_finalize(select);
        tables.insert(QLatin1String(table), rows);
    }
    sqlite3_close(db);
    return tables;
}

} // namespace qm::test
