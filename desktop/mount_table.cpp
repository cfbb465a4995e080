#include "desktop/mount_table.h"

#include <QDir>
#include <QFile>

namespace ZQ3::Desktop {
namespace {

// A field with its octal escapes (\040 for a blank, \134 for a backslash) undone; an escape
// that is not three octal digits stays as it is.
QString Unescaped(const QByteArray& field) {
    QByteArray bytes;
    bytes.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto isOctal = [&](qsizetype at) {
            return at < field.size() && field[at] >= '0' && field[at] <= '7';
        };
        if (field[i] == '\\' && isOctal(i + 1) && isOctal(i + 2) && isOctal(i + 3)) {
            const int value =
                (field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0');
            if (value <= 0xFF) {
                bytes.append(static_cast<char>(value));
                i += 3;
                continue;
            }
        }
        bytes.append(field[i]);
    }
    return QFile::decodeName(bytes);
}

// Whether path is root or lies inside it.
bool LiesIn(const QString& path, const QString& root) {
    if (root == QLatin1String("/")) {
        return path.startsWith(QLatin1Char('/'));
    }
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

} // namespace

bool CMountTable::ParseLine(const QByteArray& line, MountEntry& entry) {
    const QList<QByteArray> fields = line.simplified().split(' ');
    if (fields.size() < 3 || fields[1].isEmpty()) {
        return false;
    }
    entry = {Unescaped(fields[0]), Unescaped(fields[1]), Unescaped(fields[2])};
    return true;
}

QList<MountEntry> CMountTable::read() const {
    QList<MountEntry> mounts;
    QFile file(path_);
    // The kernel's table has no size to read up to: it is read line by line until its end.
    if (!file.open(QIODevice::ReadOnly)) {
        return mounts;
    }
    while (!file.atEnd()) {
        MountEntry entry;
        if (ParseLine(file.readLine(), entry)) {
            mounts.append(entry);
        }
    }
    return mounts;
}

MountEntry CMountTable::mountHolding(const QString& path) const {
    const QString cleaned = QDir::cleanPath(path);
    MountEntry holding;
    for (const MountEntry& mount : read()) {
        if (LiesIn(cleaned, mount.root) && mount.root.size() >= holding.root.size()) {
            holding = mount;
        }
    }
    return holding;
}

} // namespace ZQ3::Desktop
