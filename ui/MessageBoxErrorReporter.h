#pragma once

#include "core/ErrorReporter.h"

#include <QPointer>
#include <QWidget>

// Passes every error and notice on to the reporter beneath (standard error), then shows it to
// the operator in a modal message box titled with the window's caption, one at a time. One that
// arrives while a box is open is not stacked on it: standard error is all it gets.
class MessageBoxErrorReporter : public ErrorReporter
{
public:
    explicit MessageBoxErrorReporter(ErrorReporter& beneath, QWidget* parent = nullptr)
        : m_beneath(beneath), m_parent(parent)
    {
    }

    // The window the boxes belong to, once it exists (errors at start-up come before it).
    void setParentWindow(QWidget* parent) { m_parent = parent; }

    void report(Severity severity, const QString& action, const QString& message) override;
    bool isShowing() const { return m_showing; }

private:
    ErrorReporter& m_beneath;
    QPointer<QWidget> m_parent;
    bool m_showing = false;
};
