#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

// The virtual line's link as one program's claim: a symbolic link to the line, and beside it a
// lock file (LINK.lock) that the program holds locked for its whole life and that names its
// process. A second program on the same link finds the lock held and is refused; a link whose
// holder is gone (killed, even with SIGKILL: the system lets go of the lock) is stale and taken
// over, whatever line it points at meanwhile. Programs that only open the link (DRYX, picocom)
// never see the lock.
//
// Nothing is followed or replaced that another user could have put there or could swap: the
// link is refused in a folder that others can write without the sticky bit (as /tmp has) or that
// belongs to another user; an entry at the link's place that is not a symbolic link, or that is
// another user's, is refused, and so is a lock file that is not a regular file of the user.
class LinkClaim
{
public:
    // Claims `link` and makes it a symbolic link to `target`. Throws UsageError, with what the
    // operator can do, when it cannot.
    static std::unique_ptr<LinkClaim> make(const QString& link, const QString& target);
    // Removes the link if it still points to the target, then the lock file.
    ~LinkClaim();
    LinkClaim(const LinkClaim&) = delete;
    LinkClaim& operator=(const LinkClaim&) = delete;

    // The link as an absolute path (a relative one is taken from the working folder), which
    // names the line for programs started elsewhere, such as Wine's.
    const QString& link() const { return m_link; }

private:
    LinkClaim(QString link, int folder, int lock, QByteArray name, QByteArray target);

    QString m_link;
    int m_folder; // the folder holding the link, as it was when claimed
    int m_lock;   // the lock file, held locked
    QByteArray m_name;
    QByteArray m_target;
};
