#pragma once

// Driving modal dialogs from a test: arrange what to do with the dialog, then
// start what opens it.

#include <QApplication>
#include <QDialog>
#include <QTest>
#include <QTimer>

#include <functional>

namespace testsupport {

// Runs action on the modal dialog of type T as soon as it is shown. The timer
// that watches for it belongs to owner: when the dialog never comes, the
// timer ends with owner instead of acting on a dialog of a later test.
template <class T> void whenModal(QObject *owner, std::function<void(T *)> action)
{
    Q_ASSERT(owner);
    auto *timer = new QTimer(owner);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, action] {
        if (auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            action(dialog);
            // A failed check inside must not leave the test waiting on the dialog.
            if (QTest::currentTestFailed() && dialog->isVisible())
                dialog->done(QDialog::Rejected);
        }
    });
    timer->start();
}

} // namespace testsupport
