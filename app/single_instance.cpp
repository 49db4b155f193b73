#include "app/single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>

namespace qm {

namespace {

const QByteArray kRaiseRequest = QByteArrayLiteral("raise\n");

// One name for every spelling of a catalogue's path: its folder resolved (links, "..", a relative
// path), the file itself need not exist yet.
QString CatalogueMarkerName(const QString& catalogueFile) {
    const QFileInfo file(catalogueFile);
    const QString folder = QFileInfo(file.absolutePath()).canonicalFilePath();
    const QString path = (folder.isEmpty() ? file.absolutePath() : folder) + u'/' + file.fileName();
    return QStringLiteral("Quillmere-%1.lock")
        .arg(QString::fromLatin1(QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha1).toHex()));
}

} // namespace

TSingleInstance::TSingleInstance(const QString& directory)
    : lockFileName_(QDir(directory).filePath(QStringLiteral("Quillmere.lock"))),
      serverName_(QDir(directory).filePath(QStringLiteral("Quillmere"))), lock_(lockFileName_) {
    // Age alone never makes the marker stale: only a holder that no longer runs does.
    lock_.setStaleLockTime(0);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection())
            Answer(socket);
    });
}

TSingleInstance::~TSingleInstance() {
    server_.close();
    lock_.unlock();
}

QString TSingleInstance::DefaultDirectory() {
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return directory.isEmpty() ? QDir::tempPath() : directory;
}

bool TSingleInstance::TryAcquire() {
    return lock_.tryLock(0);
}

bool TSingleInstance::AskRunningCopyToRaise(int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(serverName_);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.write(kRaiseRequest);
    const bool sent = socket.waitForBytesWritten(timeoutMs);
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return sent;
}

bool TSingleInstance::Listen() {
    QLocalServer::removeServer(serverName_);
    return server_.listen(serverName_);
}

void TSingleInstance::Answer(QLocalSocket* socket) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ReadRequest(socket); });
    ReadRequest(socket);
}

void TSingleInstance::ReadRequest(QLocalSocket* socket) {
    if (!socket->canReadLine())
        return;
    if (socket->readLine() == kRaiseRequest)
        emit RaiseRequested();
    socket->disconnectFromServer();
}

TCatalogueMarker::TCatalogueMarker(const QString& catalogueFile, const QString& directory)
    : lock_(QDir(directory).filePath(CatalogueMarkerName(catalogueFile))) {
    lock_.setStaleLockTime(0);
}

} // namespace qm
