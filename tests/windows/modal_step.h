#pragma once
// Driving a window that runs modally (exec) from inside its own event loop.
#include <QApplication>
#include <QTimer>
#include <gtest/gtest.h>

namespace tarvelo::test {

// Runs `step` on the modal window of type W once it is up; fails the test (and closes whatever modal
// window is up instead) when it does not come.
template <class W, class Step>
void whenModal(Step step) {
    QTimer::singleShot(0, qApp, [step] {
        auto* window = qobject_cast<W*>(QApplication::activeModalWidget());
        if (window == nullptr) {
            ADD_FAILURE() << "the expected window is not up";
            if (QApplication::activeModalWidget()) QApplication::activeModalWidget()->close();
            return;
        }
        step(*window);
    });
}

}  // namespace tarvelo::test
