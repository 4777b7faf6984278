#include "ui/windows.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWindow>

Windows::~Windows() = default;

bool Windows::anyLoaded() const
{
    return vantMain.isLoaded() || hScoreList.isLoaded() || scoreAdder.isLoaded() ||
           newGame.isLoaded();
}

void Windows::windowGone()
{
    if (!anyLoaded() && lastWindowGone) {
        lastWindowGone();
    }
}

void centreOnScreen(QWidget &window)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    window.adjustSize();
    const QRect available = screen->availableGeometry();
    const bool framed = !window.windowFlags().testFlag(Qt::FramelessWindowHint);
    // Before the first show the position given is where the frame's corner goes, and the
    // frame itself is not known yet: allow for a title bar and a thin border.
    const int title = framed ? window.style()->pixelMetric(QStyle::PM_TitleBarHeight) : 0;
    const int border = framed ? 1 : 0;
    QRect outer(QPoint(), window.size() + QSize(2 * border, title + 2 * border));
    outer.moveCenter(available.center());
    window.move(outer.topLeft());
    if (!framed) {
        return;
    }
    // Once the window manager has framed the window, centre the real frame.
    auto *timer = new QTimer(&window);
    timer->setInterval(25);
    QObject::connect(timer, &QTimer::timeout, &window,
                     [timer, &window, available, tries = 0]() mutable {
                         const QWindow *handle = window.windowHandle();
                         if (handle && !handle->frameMargins().isNull()) {
                             QRect frame = window.frameGeometry();
                             frame.moveCenter(available.center());
                             if (frame.topLeft() != window.frameGeometry().topLeft()) {
                                 window.move(frame.topLeft());
                             }
                         } else if (++tries < 40) {
                             return;
                         }
                         timer->deleteLater();
                         timer->stop();
                     });
    timer->start();
}

void showMessageBox(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok);
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.exec();
}
