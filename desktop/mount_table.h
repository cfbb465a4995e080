#pragma once

#include <QList>
#include <QString>

namespace ZQ3::Desktop {

// One mounted file system as the mount table lists it.
struct MountEntry {
    QString device;
    QString root;
    QString type;
};

// The system's table of mounted file systems, read from a file in the kernel's format (one mount
// a line: device, mount point, type, options, with blanks and backslashes written as octal
// escapes). The system's own table by default; tests give a file of their own.
class CMountTable {
public:
    static constexpr const char* SystemPath = "/proc/self/mounts";

    explicit CMountTable(QString path = QString::fromLatin1(SystemPath)) : path_(std::move(path)) {}

    const QString& path() const { return path_; }
    void setPath(const QString& path) { path_ = path; }

    // The mounts listed now, in the table's order; none when the table cannot be read.
    QList<MountEntry> read() const;
    // The mount that holds path: the one with the longest mount point that path lies in (the
    // last such, as a later mount hides an earlier one at the same point); an empty entry when
    // none does.
    MountEntry mountHolding(const QString& path) const;

    // One line of the table; nothing when it lacks its first three fields.
    static bool ParseLine(const QByteArray& line, MountEntry& entry);

private:
    QString path_;
};

} // namespace ZQ3::Desktop
