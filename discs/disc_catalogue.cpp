#include "discs/disc_catalogue.h"

#include "framework/data/sqlite_connection.h"
#include "framework/data/unicode_text.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImage>
#include <algorithm>
#include <map>
#include <memory>

namespace qm {

namespace {

// FILES_FIND indexes every path by its three-letter runs, so that a search for any part of a path
// visits only the paths that hold all of its runs. The triggers keep it in step from any program,
// folding with the engine's lower(), which is the whole folding for a path of plain ASCII; the
// scan refolds the others without accents and case (FoldedPath).
const char* const kDiscSchema[] = {
    "CREATE TABLE IF NOT EXISTS DISCS (CDID INTEGER PRIMARY KEY, Label TEXT, Source TEXT, Files INTEGER, "
    "Bytes INTEGER, Scanned TEXT)",
    "CREATE TABLE IF NOT EXISTS FILES (ID INTEGER PRIMARY KEY, CDID INTEGER NOT NULL, Path TEXT NOT NULL, "
    "Size INTEGER NOT NULL, Modified TEXT, Hash TEXT)",
    "CREATE INDEX IF NOT EXISTS FILES_CDID ON FILES (CDID)",
    "CREATE VIRTUAL TABLE IF NOT EXISTS FILES_FIND USING fts5(Folded, tokenize='trigram case_sensitive 1', "
    "detail='none')",
    "CREATE TRIGGER IF NOT EXISTS FILES_FIND_INSERT AFTER INSERT ON FILES BEGIN "
    "INSERT INTO FILES_FIND (rowid, Folded) VALUES (new.ID, lower(new.Path)); END",
    "CREATE TRIGGER IF NOT EXISTS FILES_FIND_UPDATE AFTER UPDATE OF Path ON FILES BEGIN "
    "UPDATE FILES_FIND SET Folded = lower(new.Path) WHERE rowid = new.ID; END",
    "CREATE TRIGGER IF NOT EXISTS FILES_FIND_DELETE AFTER DELETE ON FILES BEGIN "
    "DELETE FROM FILES_FIND WHERE rowid = old.ID; END",
    "CREATE TRIGGER IF NOT EXISTS CD_DISC_DELETE AFTER DELETE ON CD BEGIN "
    "DELETE FROM FILES WHERE CDID = old.ID; DELETE FROM DISCS WHERE CDID = old.ID; END",
};

// Bounds of what a scan keeps in memory besides the file list.
constexpr qint64 kAutorunLimit = 64 * 1024;
constexpr qint64 kIconLimit = 1024 * 1024;
constexpr qint64 kIconsTotal = 16 * 1024 * 1024;

bool IsAutorun(const QString& path) {
    return path.compare(QLatin1String("autorun.inf"), Qt::CaseInsensitive) == 0;
}

bool IsIcon(const QString& path) {
    return path.endsWith(QLatin1String(".ico"), Qt::CaseInsensitive);
}

struct TAutorun {
    QString label;
    QString icon; // a path on the disc
};

// The [autorun] section's label= and icon= ("folder\file.ico,0" names the file).
TAutorun ParseAutorun(const QByteArray& content) {
    TAutorun autorun;
    bool inSection = false;
    for (const QByteArray& rawLine : content.split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.startsWith(u'[')) {
            inSection = line.compare(QLatin1String("[autorun]"), Qt::CaseInsensitive) == 0;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inSection || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed().toLower();
        QString value = line.mid(equals + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        if (key == QLatin1String("label"))
            autorun.label = value;
        else if (key == QLatin1String("icon"))
            autorun.icon = value.section(u',', 0, 0).trimmed().replace(u'\\', u'/');
    }
    while (autorun.icon.startsWith(u'/'))
        autorun.icon.remove(0, 1);
    return autorun;
}

struct TDiscContents {
    std::vector<TDiscFile> files;
    qint64 bytes = 0;
    QByteArray autorun;
    std::map<QString, QByteArray> icons; // by path folded to lower case
};

// Everything of the disc; the first unreadable file ends the scan with a message naming it.
TDiscContents ReadWholeDisc(const QString& source, const TDiscReadOptions& options) {
    TDiscContents contents;
    qint64 iconBytes = 0;
    TDiscReadOptions reading = options;
    reading.keepContent = [&](const QString& path, qint64 size) {
        if (IsAutorun(path))
            return size <= kAutorunLimit;
        return IsIcon(path) && size <= kIconLimit && iconBytes + size <= kIconsTotal;
    };
    ReadDiscFiles(
        source,
        [&](TDiscFile&& file) {
            if (!file.error.isEmpty())
                throw EDiscSource(QStringLiteral("'%1' cannot be read from '%2': %3")
                                      .arg(file.path, QDir::toNativeSeparators(source), file.error)
                                      .toStdString());
            if (IsAutorun(file.path))
                contents.autorun = std::move(file.content);
            else if (!file.content.isEmpty() || (IsIcon(file.path) && file.size == 0)) {
                iconBytes += file.content.size();
                contents.icons[file.path.toLower()] = std::move(file.content);
            }
            file.content.clear();
            contents.bytes += file.size;
            contents.files.push_back(std::move(file));
        },
        reading);
    return contents;
}

bool CDExists(TSQLiteConnection& connection, qint64 cd) {
    TSQLiteStatement find = connection.Prepare(QStringLiteral("SELECT 1 FROM CD WHERE ID = ?"));
    find.BindInt64(1, cd);
    return find.Step();
}

QString NowText() {
    return DiscTimeText(QDateTime::currentSecsSinceEpoch());
}

// The search index takes its rows through triggers, and flushes what it holds at the end of
// every statement that writes it: the rows of a scan reach FILES from a temporary table in one
// statement, and the keys of paths that are not plain ASCII, which the triggers fold only in part,
// in one more.
class TFoldedKeys {
public:
    explicit TFoldedKeys(TSQLiteConnection& connection) : connection_(connection) {
        connection_.Execute(QStringLiteral("CREATE TEMP TABLE FOLDED (ID INTEGER PRIMARY KEY, Folded TEXT)"));
        insert_ = std::make_unique<TSQLiteStatement>(
            connection_.Prepare(QStringLiteral("INSERT INTO temp.FOLDED (ID, Folded) VALUES (?, ?)")));
    }
    ~TFoldedKeys() {
        insert_.reset();
        try {
            connection_.Execute(QStringLiteral("DROP TABLE temp.FOLDED"));
        } catch (const EDatabaseError&) { // the transaction that made it is being undone
        }
    }
    TFoldedKeys(const TFoldedKeys&) = delete;
    TFoldedKeys& operator=(const TFoldedKeys&) = delete;

    void Add(qint64 id, const QString& path, const QByteArray& utf8) {
        if (IsPlainAscii(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size()))))
            return;
        insert_->BindInt64(1, id);
        insert_->Bind(2, FoldedPath(path));
        insert_->Step();
        insert_->Reset();
    }
    void Apply() {
        connection_.Execute(
            QStringLiteral("UPDATE FILES_FIND SET Folded = (SELECT Folded FROM temp.FOLDED k WHERE "
                           "k.ID = FILES_FIND.rowid) WHERE rowid IN (SELECT ID FROM temp.FOLDED)"));
    }

private:
    TSQLiteConnection& connection_;
    std::unique_ptr<TSQLiteStatement> insert_;
};

void WriteFiles(TSQLiteConnection& connection, qint64 cd, const std::vector<TDiscFile>& files) {
    const qint64 base = [&] {
        TSQLiteStatement last = connection.Prepare(QStringLiteral("SELECT ifnull(max(ID), 0) FROM FILES"));
        last.Step();
        return last.ColumnInt64(0);
    }();
    connection.Execute(
        QStringLiteral("CREATE TEMP TABLE SCANNED (ID INTEGER PRIMARY KEY, Path TEXT, Size INTEGER, "
                       "Modified TEXT, Hash TEXT)"));
    TFoldedKeys folded(connection);
    {
        TSQLiteStatement insert = connection.Prepare(QStringLiteral(
            "INSERT INTO temp.SCANNED (ID, Path, Size, Modified, Hash) VALUES (?, ?, ?, ?, ?)"));
        qint64 id = base;
        for (const TDiscFile& file : files) {
            const QByteArray path = file.path.toUtf8();
            insert.BindInt64(1, ++id);
            insert.BindTextInPlace(2, std::string_view(path.constData(), static_cast<size_t>(path.size())));
            insert.BindInt64(3, file.size);
            if (file.modified)
                insert.Bind(4, DiscTimeText(*file.modified));
            else
                insert.BindNull(4);
            insert.Bind(5, file.hash);
            insert.Step();
            insert.Reset();
            folded.Add(id, file.path, path);
        }
    }
    {
        TSQLiteStatement copy =
            connection.Prepare(QStringLiteral("INSERT INTO FILES (ID, CDID, Path, Size, Modified, Hash) "
                                              "SELECT ID, ?, Path, Size, Modified, Hash "
                                              "FROM temp.SCANNED ORDER BY ID"));
        copy.BindInt64(1, cd);
        copy.Step();
    }
    connection.Execute(QStringLiteral("DROP TABLE temp.SCANNED"));
    folded.Apply();
}

// A file name made of the label's letters and digits, for the icon's copy.
QString PictureFileName(qint64 cd, const QString& label) {
    QString stem;
    for (const QChar c : label)
        stem += c.isLetterOrNumber() ? c : QChar(u'_');
    return QStringLiteral("cd%1-%2").arg(cd).arg(stem.left(40));
}

// Copies the icon beside the catalogue, as a BMP the picture pane shows when it can be decoded;
// returns the path written, empty when there was nothing to write.
QString WriteIconPicture(const QByteArray& icon, const QString& folder, qint64 cd, const QString& label) {
    if (icon.isEmpty() || !QDir().mkpath(folder))
        return {};
    const QString stem = QDir(folder).filePath(PictureFileName(cd, label));
    const QImage image = QImage::fromData(icon, "ICO");
    if (!image.isNull() && image.save(stem + QStringLiteral(".bmp"), "BMP"))
        return stem + QStringLiteral(".bmp");
    QFile copy(stem + QStringLiteral(".ico"));
    if (!copy.open(QIODevice::WriteOnly) || copy.write(icon) != icon.size())
        throw Exception(QStringLiteral("The picture '%1' cannot be written: %2")
                            .arg(copy.fileName(), copy.errorString())
                            .toStdString());
    return copy.fileName();
}

qint64 InsertSoftware(TSQLiteConnection& connection, qint64 cd, const QString& name, const QString& picture) {
    TSQLiteStatement insert =
        connection.Prepare(QStringLiteral("INSERT INTO SOFTWARE (Name, CDID, Path) VALUES (?, ?, ?)"));
    insert.Bind(1, name);
    insert.BindInt64(2, cd);
    if (picture.isEmpty())
        insert.BindNull(3);
    else
        insert.Bind(3, picture);
    insert.Step();
    return connection.LastInsertRowId();
}

QString GlobPattern(const QString& key) {
    QString pattern = QStringLiteral("*");
    for (const QChar c : key) {
        if (c == u'*' || c == u'?' || c == u'[')
            pattern += u'[' + QString(c) + u']';
        else
            pattern += c;
    }
    return pattern + u'*';
}

} // namespace

void CreateDiscTables(TSQLiteConnection& connection) {
    for (const char* statement : kDiscSchema)
        connection.Execute(QLatin1String(statement));
}

void PrepareDiscTables(const QString& fileName) {
    TSQLiteConnection connection(fileName, TOpenMode::omReadWrite);
    InTransaction(connection, [&] { CreateDiscTables(connection); });
}

QString FoldedPath(const QString& text) {
    return BaseLetters(text);
}

void RefoldPaths(TSQLiteConnection& connection) {
    TSQLiteStatement exists = connection.Prepare(
        QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'FILES'"));
    if (!exists.Step())
        return;
    TFoldedKeys folded(connection);
    {
        TSQLiteStatement read = connection.Prepare(QStringLiteral("SELECT ID, Path FROM FILES"));
        while (read.Step()) {
            const QString path = read.Column(1).toString();
            folded.Add(read.ColumnInt64(0), path, path.toUtf8());
        }
    }
    folded.Apply();
}

TScanResult ScanDisc(TSQLiteConnection& connection, const TScanRequest& request,
                     const TDiscReadOptions& options) {
    if (request.cd != 0 && !CDExists(connection, request.cd))
        throw Exception(QStringLiteral("There is no CD with the ID %1").arg(request.cd).toStdString());
    const TDiscSourceInfo info = InspectDiscSource(request.source);
    TDiscContents contents = ReadWholeDisc(request.source, options);
    const TAutorun autorun = ParseAutorun(contents.autorun);

    TScanResult result;
    result.files = static_cast<qint64>(contents.files.size());
    result.bytes = contents.bytes;
    result.softwareName = autorun.label;
    if (const auto icon = contents.icons.find(autorun.icon.toLower()); icon != contents.icons.end())
        result.icon = icon->second;
    result.name = request.name.isEmpty() ? info.label : request.name;
    InTransaction(connection, [&] {
        result.cd = request.cd;
        if (result.cd == 0) {
            TSQLiteStatement insert = connection.Prepare(QStringLiteral("INSERT INTO CD (Name) VALUES (?)"));
            insert.Bind(1, result.name);
            insert.Step();
            result.cd = connection.LastInsertRowId();
        } else {
            result.name = CDName(connection, result.cd);
            TSQLiteStatement drop = connection.Prepare(QStringLiteral("DELETE FROM FILES WHERE CDID = ?"));
            drop.BindInt64(1, result.cd);
            drop.Step();
        }
        TSQLiteStatement disc = connection.Prepare(
            QStringLiteral("INSERT OR REPLACE INTO DISCS (CDID, Label, Source, Files, Bytes, Scanned) "
                           "VALUES (?, ?, ?, ?, ?, ?)"));
        disc.BindInt64(1, result.cd);
        disc.Bind(2, info.label);
        disc.Bind(3, QFileInfo(request.source).absoluteFilePath());
        disc.BindInt64(4, result.files);
        disc.BindInt64(5, result.bytes);
        disc.Bind(6, NowText());
        disc.Step();
        WriteFiles(connection, result.cd, contents.files);
        if (request.software && !autorun.label.isEmpty())
            AddDiscSoftware(connection, result, request.picturesFolder);
    });
    return result;
}

void AddDiscSoftware(TSQLiteConnection& connection, TScanResult& result, const QString& picturesFolder) {
    result.picture = WriteIconPicture(result.icon, picturesFolder, result.cd, result.softwareName);
    result.software = InsertSoftware(connection, result.cd, result.softwareName, result.picture);
}

QString CDName(TSQLiteConnection& connection, qint64 cd) {
    TSQLiteStatement find = connection.Prepare(QStringLiteral("SELECT Name FROM CD WHERE ID = ?"));
    find.BindInt64(1, cd);
    return find.Step() ? find.Column(0).toString() : QString();
}

std::vector<TFoundFile> FindFiles(TSQLiteConnection& connection, const QString& text, int limit) {
    TSQLiteStatement find = connection.Prepare(QStringLiteral(
        "SELECT f.CDID, c.Name, f.Path, f.Size, f.Modified FROM FILES_FIND k JOIN FILES f ON f.ID = k.rowid "
        "LEFT JOIN CD c ON c.ID = f.CDID WHERE k.Folded GLOB ? ORDER BY k.rowid LIMIT ?"));
    find.Bind(1, GlobPattern(FoldedPath(text)));
    find.BindInt64(2, limit);
    std::vector<TFoundFile> found;
    while (find.Step())
        found.push_back({find.ColumnInt64(0), find.Column(1).toString(), find.Column(2).toString(),
                         find.ColumnInt64(3), find.Column(4).toString()});
    return found;
}

QString DifferenceName(TDifferenceKind kind) {
    switch (kind) {
    case TDifferenceKind::dkChanged:
        return QStringLiteral("changed");
    case TDifferenceKind::dkMissing:
        return QStringLiteral("missing");
    case TDifferenceKind::dkAdded:
        return QStringLiteral("added");
    case TDifferenceKind::dkUnreadable:
        return QStringLiteral("unreadable");
    }
    return {};
}

std::vector<TDifference> VerifyDisc(TSQLiteConnection& connection, qint64 cd, const QString& source,
                                    const TDiscReadOptions& options) {
    struct TRecorded {
        qint64 size;
        QString hash;
        bool seen = false;
    };
    std::map<QString, TRecorded> recorded;
    TSQLiteStatement read =
        connection.Prepare(QStringLiteral("SELECT Path, Size, Hash FROM FILES WHERE CDID = ?"));
    read.BindInt64(1, cd);
    while (read.Step())
        recorded.emplace(read.Column(0).toString(),
                         TRecorded{read.ColumnInt64(1), read.Column(2).toString()});

    std::vector<TDifference> differences;
    bool broken = false;
    InspectDiscSource(source); // a source that is not there at all is no list of differences
    try {
        ReadDiscFiles(
            source,
            [&](TDiscFile&& file) {
                const auto known = recorded.find(file.path);
                if (known != recorded.end())
                    known->second.seen = true;
                if (!file.error.isEmpty())
                    differences.push_back({TDifferenceKind::dkUnreadable, file.path});
                else if (known == recorded.end())
                    differences.push_back({TDifferenceKind::dkAdded, file.path});
                else if (known->second.size != file.size || known->second.hash != file.hash)
                    differences.push_back({TDifferenceKind::dkChanged, file.path});
            },
            options);
    } catch (const EDiscSource&) {
        broken = true; // what was not read could not be read
    }
    for (const auto& [path, file] : recorded)
        if (!file.seen)
            differences.push_back(
                {broken ? TDifferenceKind::dkUnreadable : TDifferenceKind::dkMissing, path});
    std::sort(differences.begin(), differences.end(),
              [](const TDifference& a, const TDifference& b) { return a.path < b.path; });
    return differences;
}

} // namespace qm
