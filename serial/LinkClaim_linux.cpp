#include "serial/LinkClaim.h"

#include "core/UsageError.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace
{
using namespace std::chrono_literals;

const QByteArray lockSuffix = ".lock";

// A descriptor that is closed when it goes out of scope, unless it is kept.
struct Descriptor {
    explicit Descriptor(int descriptor) : fd(descriptor) {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int keep() { return std::exchange(fd, -1); }
    int fd;
};

[[noreturn]] void refuse(const QString& why)
{
    throw UsageError(QStringLiteral("--virtual-port"), why);
}

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

QString userName(uid_t uid)
{
    const passwd* user = ::getpwuid(uid);
    return user ? QString::fromLocal8Bit(user->pw_name) : QStringLiteral("user %1").arg(uid);
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Whether users other than this one could remove or rename what is in the folder. In a sticky
// folder (/tmp) only an entry's owner and the folder's may; a group of the user's own (a user
// private group: the user's name, no members listed) is nobody else's.
bool othersMayReplace(const struct stat& folder)
{
    if (folder.st_uid != ::geteuid() && folder.st_uid != 0)
        return true;
    if (folder.st_mode & S_ISVTX)
        return false;
    if (folder.st_mode & S_IWOTH)
        return true;
    if (!(folder.st_mode & S_IWGRP))
        return false;
    const passwd* user = ::getpwuid(::geteuid());
    const group* group = ::getgrgid(folder.st_gid);
    return !user || !group || folder.st_gid != user->pw_gid ||
           (group->gr_mem && group->gr_mem[0]) || std::strcmp(group->gr_name, user->pw_name) != 0;
}

// The process named in a held lock file. Its holder writes it just after locking, so a file
// found empty is given a moment.
QString holderOf(int lock)
{
    for (int attempt = 0; attempt < 20; ++attempt) {
        char text[32] = {};
        const ssize_t size = ::pread(lock, text, sizeof text - 1, 0);
        bool ok = false;
        const qint64 pid = QByteArray(text, std::max<ssize_t>(size, 0))
                               .split('\n')
                               .value(0)
                               .trimmed()
                               .toLongLong(&ok);
        if (ok && pid > 0)
            return QString::number(pid);
        std::this_thread::sleep_for(10ms);
    }
    return QStringLiteral("unknown");
}

// Refuses a lock file that is not a plain file of the user's own, before opening it (another
// user's is not even opened) and again once open.
void checkLockFile(const struct stat& lock, const QString& path)
{
    if (!S_ISREG(lock.st_mode) || lock.st_nlink != 1)
        refuse(QStringLiteral("%1, the lock file of the link, is not a plain file: remove it, "
                              "or choose another link with --virtual-port=LINK")
                   .arg(path));
    if (lock.st_uid != ::geteuid())
        refuse(QStringLiteral("%1, the lock file of the link, belongs to another user (%2): "
                              "choose another link with --virtual-port=LINK")
                   .arg(path, userName(lock.st_uid)));
}

// Opens and locks the lock file, made if need be. Returns it, held, with this process's id in it.
int claimLock(int folder, const QByteArray& name, const QString& link)
{
    const QString path = link + QLatin1String(lockSuffix);
    for (int attempt = 0; attempt < 10; ++attempt) {
        struct stat there {
        };
        if (::fstatat(folder, name.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0)
            checkLockFile(there, path);
        Descriptor lock(::openat(folder, name.constData(),
                                 O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
                                 S_IRUSR | S_IWUSR));
        struct stat held {
        };
        if (lock.fd < 0 && errno == ELOOP) // made a symbolic link since looked at
            refuse(QStringLiteral("%1, the lock file of the link, is not a plain file").arg(path));
        if (lock.fd < 0 || ::fstat(lock.fd, &held) != 0)
            refuse(QStringLiteral("cannot make %1, the lock file of the link: %2")
                       .arg(path, systemReason()));
        checkLockFile(held, path);
        if (::flock(lock.fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK)
                refuse(QStringLiteral("cannot lock %1: %2").arg(path, systemReason()));
            refuse(QStringLiteral("%1 is the link of another running dryx-plc-test (process %2): "
                                  "give this one a link of its own, e.g. --virtual-port=%1-2")
                       .arg(link, holderOf(lock.fd)));
        }
        // The holder before may have removed the file between its opening here and its locking:
        // a lock on a file that is no longer in its place is nobody's claim.
        if (::fstatat(folder, name.constData(), &there, AT_SYMLINK_NOFOLLOW) != 0 ||
            !sameFile(there, held))
            continue;
        const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
        if (::pwrite(lock.fd, pid.constData(), size_t(pid.size()), 0) != pid.size() ||
            ::ftruncate(lock.fd, pid.size()) != 0)
            refuse(QStringLiteral("cannot write %1: %2").arg(path, systemReason()));
        return lock.keep();
    }
    refuse(QStringLiteral("cannot lock %1: it keeps being replaced").arg(path));
}

// Whether there is a symbolic link of the user's at the link's place; anything else there is
// refused.
bool ownLinkThere(int folder, const QByteArray& name, const QString& link)
{
    struct stat existing {
    };
    if (::fstatat(folder, name.constData(), &existing, AT_SYMLINK_NOFOLLOW) != 0)
        return false;
    const QString cannot =
        QStringLiteral("cannot make the link %1 to the virtual line: ").arg(link);
    if (!S_ISLNK(existing.st_mode))
        refuse(cannot + QStringLiteral("it exists and is not a symbolic link"));
    if (existing.st_uid != ::geteuid())
        refuse(cannot + QStringLiteral("it belongs to another user (%1): choose another link "
                                       "with --virtual-port=LINK")
                            .arg(userName(existing.st_uid)));
    return true;
}

// Makes the link, replacing only a symbolic link of the user's: the claim is held, so a link
// found there is stale (its program ended without removing it) or was made by hand.
void makeLink(int folder, const QByteArray& name, const QByteArray& target, const QString& link)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (ownLinkThere(folder, name, link))
            ::unlinkat(folder, name.constData(), 0);
        if (::symlinkat(target.constData(), folder, name.constData()) == 0)
            return;
        if (errno != EEXIST)
            break;
        // Something was put there meanwhile: look at it again.
    }
    refuse(QStringLiteral("cannot make the link %1 to the virtual line: %2")
               .arg(link, systemReason()));
}
} // namespace

std::unique_ptr<LinkClaim> LinkClaim::make(const QString& link, const QString& target)
{
    const QFileInfo info(link);
    const QString absolute = info.absoluteFilePath();
    const QByteArray name = QFile::encodeName(info.fileName());
    if (name.isEmpty() || name == "." || name == "..")
        refuse(QStringLiteral("%1 names a folder: give the link's own path, e.g. "
                              "--virtual-port=/tmp/dryx-line")
                   .arg(link));
    const QString folderPath = info.absolutePath();
    Descriptor folder(
        ::open(QFile::encodeName(folderPath).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat folderState {
    };
    if (folder.fd < 0 || ::fstat(folder.fd, &folderState) != 0)
        refuse(QStringLiteral("cannot make the link %1 to the virtual line: %2")
                   .arg(absolute, systemReason()));
    if (othersMayReplace(folderState))
        refuse(QStringLiteral("cannot make the link %1 to the virtual line: other users can "
                              "replace what is in %2; choose a folder of your own, or a shared "
                              "one with the sticky bit such as /tmp")
                   .arg(absolute, folderPath));
    // What is at the link's place is told before the lock file is looked at.
    ownLinkThere(folder.fd, name, absolute);
    Descriptor lock(claimLock(folder.fd, name + lockSuffix, absolute));
    const QByteArray targetPath = QFile::encodeName(target);
    makeLink(folder.fd, name, targetPath, absolute);
    return std::unique_ptr<LinkClaim>(
        new LinkClaim(absolute, folder.keep(), lock.keep(), name, targetPath));
}

LinkClaim::LinkClaim(QString link, int folder, int lock, QByteArray name, QByteArray target)
    : m_link(std::move(link)), m_folder(folder), m_lock(lock), m_name(std::move(name)),
      m_target(std::move(target))
{
}

LinkClaim::~LinkClaim()
{
    // Only the link to this line: it may have been replaced by hand since.
    struct stat link {
    };
    char target[PATH_MAX] = {};
    if (::fstatat(m_folder, m_name.constData(), &link, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISLNK(link.st_mode) && link.st_uid == ::geteuid() &&
        ::readlinkat(m_folder, m_name.constData(), target, sizeof target) == m_target.size() &&
        m_target == QByteArray(target, m_target.size()))
        ::unlinkat(m_folder, m_name.constData(), 0);
    // The lock file goes while it is still held: the next program makes a fresh one, and one
    // that opened this one meanwhile sees it gone once it has the lock.
    const QByteArray lockName = m_name + lockSuffix;
    struct stat held {
    };
    struct stat there {
    };
    if (::fstat(m_lock, &held) == 0 &&
        ::fstatat(m_folder, lockName.constData(), &there, AT_SYMLINK_NOFOLLOW) == 0 &&
        sameFile(held, there))
        ::unlinkat(m_folder, lockName.constData(), 0);
    ::close(m_lock);
    ::close(m_folder);
}
