#include "desktop/udisks2_client.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QFile>
#include <QMap>
#include <QVariantMap>

using InterfaceProperties = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, InterfaceProperties>;
Q_DECLARE_METATYPE(InterfaceProperties)
Q_DECLARE_METATYPE(ManagedObjects)

namespace ZQ3::Desktop {
namespace {

constexpr const char* RootObject = "/org/freedesktop/UDisks2";
constexpr const char* BlockInterface = "org.freedesktop.UDisks2.Block";
constexpr const char* FilesystemInterface = "org.freedesktop.UDisks2.Filesystem";
constexpr const char* DriveInterface = "org.freedesktop.UDisks2.Drive";
constexpr int QueryTimeoutMilliseconds = 25000;

// A path the service gives as bytes ending in a NUL.
QString PathOfBytes(QByteArray bytes) {
    if (bytes.endsWith('\0')) {
        bytes.chop(1);
    }
    return QFile::decodeName(bytes);
}

// The paths of a list of byte strings (D-Bus "aay"), which arrives unread inside a variant.
QStringList PathsOf(const QVariant& value) {
    QStringList paths;
    if (!value.canConvert<QDBusArgument>()) {
        return paths;
    }
    const auto argument = value.value<QDBusArgument>();
    argument.beginArray();
    while (!argument.atEnd()) {
        QByteArray bytes;
        argument >> bytes;
        paths.append(PathOfBytes(bytes));
    }
    argument.endArray();
    return paths;
}

bool IsServiceAbsent(const QDBusMessage& reply) {
    const QString name = reply.errorName();
    return name == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown") ||
           name == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner") ||
           name == QLatin1String("org.freedesktop.DBus.Error.Disconnected");
}

} // namespace

CUDisks2Client::CUDisks2Client(QDBusConnection bus) : bus_(std::move(bus)) {
    qDBusRegisterMetaType<InterfaceProperties>();
    qDBusRegisterMetaType<ManagedObjects>();
}

EjectResult CUDisks2Client::eject(const QString& mountPoint) const {
    EjectResult result;
    if (!bus_.isConnected()) {
        result.outcome = EjectResult::Outcome::ServiceAbsent;
        return result;
    }
    const QString service = QString::fromLatin1(Service);
    const auto call = [&](const QString& object, const char* interface, const char* method,
                          const QVariantList& arguments, int timeout) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            service, object, QString::fromLatin1(interface), QString::fromLatin1(method));
        message.setArguments(arguments);
        // The service may ask the user's leave through the system's authorisation agent.
        message.setInteractiveAuthorizationAllowed(true);
        return bus_.call(message, QDBus::Block, timeout);
    };
    const QDBusMessage objectsReply =
        call(QString::fromLatin1(RootObject), "org.freedesktop.DBus.ObjectManager",
             "GetManagedObjects", {}, QueryTimeoutMilliseconds);
    if (objectsReply.type() == QDBusMessage::ErrorMessage || objectsReply.arguments().isEmpty()) {
        // When the service is not there, the bus answered for it: nothing of its own to tell.
        const bool absent = IsServiceAbsent(objectsReply);
        result.outcome =
            absent ? EjectResult::Outcome::ServiceAbsent : EjectResult::Outcome::Failed;
        result.serviceMessage = absent ? QString() : objectsReply.errorMessage();
        return result;
    }
    const auto objects = qdbus_cast<ManagedObjects>(objectsReply.arguments().front());

    // The block device whose file system is mounted at mountPoint.
    QString filesystem;
    for (auto object = objects.cbegin(); object != objects.cend(); ++object) {
        const auto fs = object.value().constFind(QString::fromLatin1(FilesystemInterface));
        if (fs != object.value().cend() &&
            PathsOf(fs.value().value(QStringLiteral("MountPoints"))).contains(mountPoint)) {
            filesystem = object.key().path();
            break;
        }
    }
    if (filesystem.isEmpty()) {
        result.outcome = EjectResult::Outcome::NotManaged;
        return result;
    }
    const QVariantMap block =
        objects.value(QDBusObjectPath(filesystem)).value(QString::fromLatin1(BlockInterface));
    result.device = PathOfBytes(block.value(QStringLiteral("PreferredDevice")).toByteArray());
    if (result.device.isEmpty()) {
        result.device = PathOfBytes(block.value(QStringLiteral("Device")).toByteArray());
    }
    const QString drivePath = block.value(QStringLiteral("Drive")).value<QDBusObjectPath>().path();
    const QVariantMap drive =
        objects.value(QDBusObjectPath(drivePath)).value(QString::fromLatin1(DriveInterface));
    const auto says = [&](const char* property) {
        return drive.value(QString::fromLatin1(property)).toBool();
    };
    // A card reader's drive is removable, holds removable media, or can be ejected or switched
    // off; a volume on a disk inside the computer is none of these and is left mounted.
    const bool canPowerOff = says("CanPowerOff");
    if (drive.isEmpty() ||
        !(says("Removable") || says("MediaRemovable") || says("Ejectable") || canPowerOff)) {
        result.outcome = EjectResult::Outcome::NotRemovable;
        return result;
    }

    const QDBusMessage unmounted = call(filesystem, FilesystemInterface, "Unmount", {QVariantMap()},
                                        UnmountTimeoutMilliseconds);
    if (unmounted.type() == QDBusMessage::ErrorMessage) {
        result.outcome = unmounted.errorName() == QLatin1String("org.freedesktop.UDisks2.Error."
                                                                "DeviceBusy")
                             ? EjectResult::Outcome::Busy
                         : IsServiceAbsent(unmounted) ? EjectResult::Outcome::ServiceAbsent
                                                      : EjectResult::Outcome::Failed;
        result.serviceMessage = unmounted.errorMessage();
        return result;
    }
    result.outcome = EjectResult::Outcome::Unmounted;
    if (canPowerOff) {
        const QDBusMessage poweredOff =
            call(drivePath, DriveInterface, "PowerOff", {QVariantMap()}, QueryTimeoutMilliseconds);
        if (poweredOff.type() == QDBusMessage::ErrorMessage) {
            // Unmounted, the card may be pulled all the same; the refusal is told.
            result.serviceMessage = poweredOff.errorMessage();
        } else {
            result.outcome = EjectResult::Outcome::PoweredOff;
        }
    }
    return result;
}

QString CUDisks2Client::Headline(const EjectResult& result) {
    using Outcome = EjectResult::Outcome;
    switch (result.outcome) {
    case Outcome::PoweredOff:
    case Outcome::Unmounted:
        return tr("The card can be taken out safely now.");
    case Outcome::Busy:
        return tr("The card was not ejected: it is in use.");
    case Outcome::NotRemovable:
        return tr("The card was not ejected: it is not on a removable drive.");
    case Outcome::NotManaged:
        return tr("The card was not ejected: the system's disk service does not manage it.");
    case Outcome::ServiceAbsent:
        return tr("The card was not ejected: the system's disk service (UDisks2) is not running.");
    case Outcome::Failed:
        break;
    }
    return tr("The card was not ejected.");
}

QString CUDisks2Client::Detail(const EjectResult& result, const QString& mountPoint,
                               const QString& tableDevice) {
    using Outcome = EjectResult::Outcome;
    const QString device = result.device.isEmpty() ? tableDevice : result.device;
    const QString said =
        result.serviceMessage.isEmpty()
            ? QString()
            : QStringLiteral("\n\n") + tr("The disk service said: %1").arg(result.serviceMessage);
    const QString byHand =
        device.startsWith(QLatin1String("/dev/"))
            ? tr("To eject it by hand, run \"udisksctl unmount -b %1\" and then \"udisksctl "
                 "power-off -b %1\" (or \"umount %2\" as root), and take the card out once they "
                 "have finished.")
                  .arg(device, mountPoint)
            : tr("To eject it by hand, run \"umount %1\" as root, and take the card out once it "
                 "has finished.")
                  .arg(mountPoint);
    switch (result.outcome) {
    case Outcome::PoweredOff:
        return tr("%1 (%2) was unmounted and its drive switched off.").arg(mountPoint, device);
    case Outcome::Unmounted:
        return tr("%1 (%2) was unmounted; its drive stays switched on.").arg(mountPoint, device) +
               said;
    case Outcome::Busy:
        return tr("A program still has files or folders on %1 open. Close them (a terminal in "
                  "one of its folders counts) and eject the card again.")
                   .arg(mountPoint) +
               said;
    case Outcome::NotRemovable:
        return tr("%1 lies on %2, a drive that stays in the computer: there is nothing to take "
                  "out.")
            .arg(mountPoint, device);
    case Outcome::NotManaged:
    case Outcome::ServiceAbsent:
    case Outcome::Failed:
        break;
    }
    return byHand + said;
}

} // namespace ZQ3::Desktop
