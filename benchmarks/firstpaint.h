#pragma once

#include <QApplication>
#include <QEvent>
#include <QObject>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

// Start-up benchmarks stop the clock at the first frame on screen. The exit is queued rather
// than done inside the paint event so that the whole window finishes painting first; _Exit
// then skips teardown, which is not part of start-up.
class FirstPaintExit : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (!m_fired && event->type() == QEvent::Paint && watched->isWidgetType()) {
            m_fired = true;
            QTimer::singleShot(0, [] {
                std::fflush(stdout);
                std::_Exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool m_fired = false;
};

// Call once the QApplication exists and before any window is shown.
inline void exitAfterFirstPaint()
{
    qApp->installEventFilter(new FirstPaintExit(qApp));
}
