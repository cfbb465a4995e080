#pragma once

#include <QCoreApplication>
#include <QDBusConnection>
#include <QString>

namespace ZQ3::Desktop {

// How ejecting a card's volume ended.
struct EjectResult {
    enum class Outcome {
        // Unmounted and its drive switched off.
        PoweredOff,
        // Unmounted; its drive cannot be switched off from here, or would not be.
        Unmounted,
        // Unmount refused because files on the volume are open.
        Busy,
        // The volume lies on a drive that stays in the computer: nothing was done.
        NotRemovable,
        // The disk service does not know the volume (a network or FUSE mount, say).
        NotManaged,
        // No disk service on the bus.
        ServiceAbsent,
        // The disk service refused or failed otherwise.
        Failed,
    };

    Outcome outcome = Outcome::Failed;
    // The block device of the volume, as the service names it; empty when it was not found.
    QString device;
    // The service's own words for a refusal or failure.
    QString serviceMessage;

    bool safeToRemove() const {
        return outcome == Outcome::PoweredOff || outcome == Outcome::Unmounted;
    }
};

// Ejects volumes through the system's disk service (UDisks2) over D-Bus: finds the file system
// mounted at a mount point, unmounts it and switches its drive off. Real use is on the system
// bus; tests give a bus of their own.
class CUDisks2Client {
    Q_DECLARE_TR_FUNCTIONS(CUDisks2Client)

public:
    static constexpr const char* Service = "org.freedesktop.UDisks2";
    // Unmounting writes what the kernel still holds for the volume, which takes a while on a
    // slow card.
    static constexpr int UnmountTimeoutMilliseconds = 120000;

    explicit CUDisks2Client(QDBusConnection bus = QDBusConnection::systemBus());

    // Unmounts the file system mounted at mountPoint and switches its drive off when it can
    // be; waits for the service's answer.
    EjectResult eject(const QString& mountPoint) const;

    // What the user is told of result for the card at mountPoint: a headline and the whole
    // reason with what to do. tableDevice is the device the mount table names, for the commands
    // that eject by hand when the service cannot.
    static QString Headline(const EjectResult& result);
    static QString Detail(const EjectResult& result, const QString& mountPoint,
                          const QString& tableDevice);

private:
    QDBusConnection bus_;
};

} // namespace ZQ3::Desktop
