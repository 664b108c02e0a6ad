#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>

// Waits, while a modal message box runs its own event loop, for the box to appear; hands it
// to `inspect` on every poll until `inspect` returns true, then closes it with its OK button.
// Gives up after `timeoutMs` without a box, so that a missing box fails the test, not hangs it.
class ModalBoxWatcher : public QObject
{
public:
    using Inspect = std::function<bool(QMessageBox* box)>;

    explicit ModalBoxWatcher(Inspect inspect, int timeoutMs = 5000)
        : m_inspect(std::move(inspect)), m_left(timeoutMs / pollMs)
    {
        connect(&m_timer, &QTimer::timeout, this, [this] { poll(); });
        m_timer.start(pollMs);
    }

    int boxesSeen() const { return m_seen; }

private:
    static constexpr int pollMs = 10;

    void poll()
    {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (--m_left <= 0)
                m_timer.stop();
            return;
        }
        if (box != m_last) {
            m_last = box;
            ++m_seen;
        }
        if (!m_inspect(box))
            return;
        m_timer.stop();
        box->button(QMessageBox::Ok)->click();
    }

    Inspect m_inspect;
    int m_left;
    int m_seen = 0;
    QMessageBox* m_last = nullptr;
    QTimer m_timer;
};
