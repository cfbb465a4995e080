#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QString>

#include <QObject>
#include <memory>

namespace ZQ3::Desktop {

// Keeps a second copy of the program from starting for the same user. The first copy holds a
// lock file and listens on a local socket, both named after the user and the program; a second
// copy finds the lock taken, knocks on the socket (which raises the first copy's window) and
// quits. The lock names its holder's process, so a lock left by a killed copy is taken over at
// once, and the socket of a dead copy is removed before listening again.
class CSingleInstance : public QObject {
    Q_OBJECT

public:
    // name distinguishes programs (and tests); the user's name is added to it.
    explicit CSingleInstance(const QString& name);
    ~CSingleInstance();

    enum class Outcome {
        // This is the only copy; it now holds the guard.
        First,
        // Another copy runs and was asked to come to the front.
        SecondRaisedFirst,
        // The guard could not be taken or asked (no writable folder for it).
        Failed
    };
    Outcome acquire();

signals:
    // In the first copy, whenever a second one starts.
    void secondStarted();

private:
    bool knockOnFirst();

    QString lockPath_;
    QString serverName_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace ZQ3::Desktop
