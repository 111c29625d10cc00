#pragma once
// Acts on the modal windows of a real window test as a person would, answering each one that
// comes up in order.
#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <functional>

// Acts on the modal windows as they come up: each step waits for its window, does its part
// and is done.
class ModalScript : public QObject {
public:
    struct Step {
        std::function<bool(QWidget*)> matches;
        std::function<void(QWidget*)> act;
    };
    QList<Step> steps;
    QStringList seen; // texts of the message boxes answered

    ModalScript() {
        connect(&m_timer, &QTimer::timeout, this, [this] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w || steps.isEmpty() || !w->isVisible() || !steps.first().matches(w)) return;
            // Taken before acting, and acted on outside this timer's slot: the act may open the
            // next modal window and wait in it, and a timer does not fire inside its own slot.
            const Step step = steps.takeFirst();
            QPointer<QWidget> target(w);
            QTimer::singleShot(0, this, [step, target] {
                if (target) step.act(target);
            });
        });
        m_timer.start(10);
        // A window nobody expected must fail the test, not hang it: after a while every modal
        // window is closed.
        QTimer::singleShot(20000, this, [this] {
            timedOut = true;
            connect(&m_timer, &QTimer::timeout, this, [] {
                if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                    d->reject();
            });
        });
    }
    bool timedOut = false;
    // A message box: note its text and press the button.
    void Box(QMessageBox::StandardButton button) {
        steps << Step{[](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; },
                      [this, button](QWidget* w) {
                          auto* box = qobject_cast<QMessageBox*>(w);
                          seen << box->text();
                          box->button(button)->click();
                      }};
    }
    template <typename T> void Window(std::function<void(T*)> act) {
        steps << Step{[](QWidget* w) { return qobject_cast<T*>(w) != nullptr; },
                      [act](QWidget* w) { act(qobject_cast<T*>(w)); }};
    }

private:
    QTimer m_timer;
};
