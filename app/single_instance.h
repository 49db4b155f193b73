#pragma once
// TSingleInstance: one running copy of the program per user. The running copy holds a lock file
// and listens on a local socket named "Quillmere", both in the user's runtime directory; a later
// copy finds the lock held, sends "raise" over the socket and gives way. The lock of a copy that
// died is taken over by the next start.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>

namespace qm {

class TSingleInstance : public QObject {
    Q_OBJECT
public:
    // `directory` holds the lock file and the socket: the user's runtime directory by default.
    explicit TSingleInstance(const QString& directory = DefaultDirectory());
    ~TSingleInstance() override;

    // True when this process now holds the marker, so no other copy runs.
    bool TryAcquire();
    // Asks the running copy to bring its main window to the front. False when it cannot be
    // reached (it may not listen yet, or it has just ended).
    bool AskRunningCopyToRaise(int timeoutMs = 2000);
    // Starts answering later copies; the requests arrive through the event loop. Only for the
    // holder of the marker, which may therefore replace a socket left behind by a dead copy.
    bool Listen();

    QString LockFileName() const { return lockFileName_; }
    QString ServerName() const { return serverName_; }
    static QString DefaultDirectory();

signals:
    void RaiseRequested();

private:
    void Answer(QLocalSocket* socket);
    void ReadRequest(QLocalSocket* socket);

    QString lockFileName_;
    QString serverName_;
    QLockFile lock_;
    QLocalServer server_;
};

// TCatalogueMarker: the catalogue file a process writes to, held from its start to its end by the
// running window and by a command that imports. Another folder's catalogue has a marker of its
// own, so a command may fill it while the window is open on this one. The marker is a lock file
// in the user's runtime directory named after the catalogue's full path.
class TCatalogueMarker {
public:
    explicit TCatalogueMarker(const QString& catalogueFile,
                              const QString& directory = TSingleInstance::DefaultDirectory());

    // True when this process now holds the marker of the catalogue.
    bool TryAcquire() { return lock_.tryLock(0); }
    QString LockFileName() const { return lock_.fileName(); }

private:
    QLockFile lock_;
};

} // namespace qm
