#pragma once

#include "core/ErrorReporter.h"

#include <QPointer>
#include <QWidget>

// Shows an error to the operator in a modal message box titled "DRYX PLC Test", one at a
// time. An error that arrives while a box is open is not stacked on it: it has already been
// written to standard error by the dispatcher, and that is all it gets.
class MessageBoxErrorReporter : public ErrorReporter
{
public:
    static constexpr const char* title = "DRYX PLC Test";

    explicit MessageBoxErrorReporter(QWidget* parent = nullptr) : m_parent(parent) {}

    // The window the boxes belong to, once it exists (errors at start-up come before it).
    void setParentWindow(QWidget* parent) { m_parent = parent; }

    void report(const QString& message) override;
    bool isShowing() const { return m_showing; }

private:
    QPointer<QWidget> m_parent;
    bool m_showing = false;
};
