#include "card/card_obstacle.h"

#include "card/card_layout.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace ZQ3 {

CardObstacle::Kind ObstacleKindOfMode(mode_t mode) {
    if (S_ISREG(mode)) {
        return CardObstacle::Kind::None;
    }
    if (S_ISDIR(mode)) {
        return CardObstacle::Kind::Folder;
    }
    if (S_ISLNK(mode)) {
        return CardObstacle::Kind::SymbolicLink;
    }
    if (S_ISFIFO(mode)) {
        return CardObstacle::Kind::Fifo;
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return CardObstacle::Kind::Device;
    }
    if (S_ISSOCK(mode)) {
        return CardObstacle::Kind::Socket;
    }
    return CardObstacle::Kind::Other;
}

bool IsReadOnlyVolume(const std::string& path, IFileSystem& fs) {
    struct statvfs volume {};
    return fs.Statvfs(path, volume) == 0 && (volume.f_flag & ST_RDONLY) != 0;
}

CardObstacle ExplainedRefusal(const std::string& root, std::string path, int errorNumber,
                              IFileSystem& fs) {
    const auto kindOf = [&]() {
        switch (errorNumber) {
        case EROFS:
        case EACCES:
        case EPERM:
            return CardObstacle::Kind::ReadOnlyCard;
        case ENOSPC:
        case EDQUOT:
            return CardObstacle::Kind::CardFull;
        case ENODEV:
        case ENXIO:
        case ENOMEDIUM:
            return CardObstacle::Kind::CardRemoved;
        case ENOENT:
        case EIO:
        case ESTALE:
        case ENOTCONN: {
            // A card pulled out answers so at every name; a bad sector or a lost file only at
            // one.
            struct stat folder {};
            if (fs.Stat(CardLayout::CardDirectory(root), folder) != 0) {
                return CardObstacle::Kind::CardRemoved;
            }
            break;
        }
        default:
            break;
        }
        return CardObstacle::Kind::SystemError;
    };
    const CardObstacle::Kind kind = kindOf();
    if (kind == CardObstacle::Kind::SystemError) {
        return CardObstacle::Refused(std::move(path), errorNumber);
    }
    // The whole card is meant, not the one name.
    return {kind, root, errorNumber};
}

CardObstacle ExamineCardName(const std::string& path, IFileSystem& fs) {
    struct stat status {};
    if (fs.Lstat(path, status) != 0) {
        if (errno == ENOENT) {
            return {};
        }
        return CardObstacle::Refused(path, errno);
    }
    return {ObstacleKindOfMode(status.st_mode), path, 0};
}

std::shared_ptr<SL::CDescriptorStream> OpenCardFileForReading(const std::string& path) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return {};
    }
    struct stat status {};
    const int flags = ::fcntl(fd, F_GETFL);
    const bool regular = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    // Reads of a regular file block as usual once it is known to be one.
    if (!regular || flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        const int error = regular ? errno : EINVAL;
        ::close(fd);
        errno = error;
        return {};
    }
    return std::make_shared<SL::CDescriptorStream>(fd, std::ios::in);
}

} // namespace ZQ3
