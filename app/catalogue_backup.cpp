#include "app/catalogue_backup.h"

#include "framework/core/exceptions.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>

namespace qm {

namespace {

struct TBackupWatch {
    QByteArray catalogue; // absolute path, as the engine reports a connection's file
    bool armed = false;
    bool done = false;
    bool copying = false; // the backup's own connections are not watched
};

TBackupWatch& Watch() {
    static TBackupWatch watch;
    return watch;
}

bool IsRowWrite(int action, const char* table) {
    const bool write = action == SQLITE_INSERT || action == SQLITE_UPDATE || action == SQLITE_DELETE;
    return write && table != nullptr && std::strncmp(table, "sqlite_", 7) != 0;
}

// Runs while a statement is prepared, which is before it can write anything.
int Authorize(void* connection, int action, const char* table, const char*, const char*, const char*) {
    TBackupWatch& watch = Watch();
    if (watch.done || watch.copying || !IsRowWrite(action, table))
        return SQLITE_OK;
    const char* file = sqlite3_db_filename(static_cast<sqlite3*>(connection), "main");
    if (file == nullptr || watch.catalogue != file)
        return SQLITE_OK;
    watch.done = true;
    const QString catalogue = QString::fromUtf8(watch.catalogue);
    try {
        BackupCatalogue(catalogue, BackupFileName(catalogue));
    } catch (const std::exception& error) {
        // The user's work goes on; the missing backup is said where a terminal can see it.
        std::fprintf(stderr, "quillmere: no backup copy was made: %s\n", error.what());
    }
    return SQLITE_OK;
}

int WatchConnection(sqlite3* connection, char**, const void*) {
    if (Watch().armed && !Watch().done && !Watch().copying)
        sqlite3_set_authorizer(connection, Authorize, connection);
    return SQLITE_OK;
}

struct TConnection {
    sqlite3* db = nullptr;
    ~TConnection() { sqlite3_close_v2(db); }
};

[[noreturn]] void Fail(const QString& catalogueFile, const QString& why) {
    throw Exception(
        QStringLiteral("The catalogue '%1' cannot be copied: %2").arg(catalogueFile, why).toStdString());
}

void CopyDatabase(const QString& catalogueFile, const QString& copyFile) {
    TConnection source;
    TConnection copy;
    if (sqlite3_open_v2(QFile::encodeName(catalogueFile).constData(), &source.db, SQLITE_OPEN_READONLY,
                        nullptr) != SQLITE_OK)
        Fail(catalogueFile, QString::fromUtf8(sqlite3_errmsg(source.db)));
    if (sqlite3_open_v2(QFile::encodeName(copyFile).constData(), &copy.db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        Fail(catalogueFile, QString::fromUtf8(sqlite3_errmsg(copy.db)));
    sqlite3_busy_timeout(source.db, 10000);
    sqlite3_backup* backup = sqlite3_backup_init(copy.db, "main", source.db, "main");
    if (backup == nullptr)
        Fail(catalogueFile, QString::fromUtf8(sqlite3_errmsg(copy.db)));
    int rc;
    while ((rc = sqlite3_backup_step(backup, -1)) == SQLITE_BUSY || rc == SQLITE_LOCKED)
        sqlite3_sleep(50);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        Fail(catalogueFile, QString::fromUtf8(sqlite3_errstr(rc)));
}

} // namespace

QString BackupFileName(const QString& catalogueFile) {
    return catalogueFile + QStringLiteral(".bak");
}

void ArmCatalogueBackup(const QString& catalogueFile) {
    TBackupWatch& watch = Watch();
    // The engine names a connection's file by its full path with links resolved.
    const QFileInfo file(catalogueFile);
    watch.catalogue =
        QFile::encodeName(QFileInfo(file.absolutePath()).canonicalFilePath() + u'/' + file.fileName());
    watch.done = false;
    if (!watch.armed)
        sqlite3_auto_extension(reinterpret_cast<void (*)()>(WatchConnection));
    watch.armed = true;
}

void BackupCatalogue(const QString& catalogueFile, const QString& backupFile) {
    TBackupWatch& watch = Watch();
    const QString partFile = backupFile + QStringLiteral(".part");
    QFile::remove(partFile);
    watch.copying = true;
    try {
        CopyDatabase(catalogueFile, partFile);
    } catch (...) {
        watch.copying = false;
        QFile::remove(partFile);
        throw;
    }
    watch.copying = false;
    if (std::rename(QFile::encodeName(partFile).constData(), QFile::encodeName(backupFile).constData()) !=
        0) {
        QFile::remove(partFile);
        Fail(catalogueFile, QStringLiteral("'%1' cannot be replaced").arg(backupFile));
    }
}

} // namespace qm
