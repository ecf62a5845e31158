// Answering the updater's modal windows from the event loop that runs them.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Runs action on the next modal window once it is open, from the event loop that runs it.
inline void OnNextModal(std::function<void(QWidget*)> action) {
    auto* poller = new QTimer;
    auto ticks = std::make_shared<int>(0);
    QObject::connect(poller, &QTimer::timeout, [poller, ticks, action] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) {
            if (++*ticks > 500) {
                ADD_FAILURE() << "no modal window opened";
                poller->deleteLater();
                poller->stop();
            }
            return;
        }
        poller->stop();
        poller->deleteLater();
        QPointer<QWidget> answered = modal;
        action(modal);
        // A window that ignored the answer would block the test for good.
        QTimer::singleShot(3000, [answered] {
            if (!answered || !answered->isVisible()) return;
            ADD_FAILURE() << "the modal window stayed open";
            if (auto* dialog = qobject_cast<QDialog*>(answered.data())) dialog->reject();
        });
    });
    poller->start(10);
}

template <class T> T* Child(QWidget* window, const char* name) {
    T* child = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

inline QString LabelText(QWidget* window, const char* name) {
    return Child<QLabel>(window, name)->text();
}

inline QString ButtonText(QWidget* window, const char* name) {
    return Child<QPushButton>(window, name)->text();
}

inline void Click(QWidget* window, const char* name) {
    QTest::mouseClick(Child<QPushButton>(window, name), Qt::LeftButton);
}
