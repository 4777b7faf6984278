#pragma once

#include <QEvent>
#include <QObject>
#include <QTimer>
#include <QWindow>

#include <cstdlib>

// Start-up ends at the first frame on screen. Installed on the application, this exits after
// the first paint event, queued so that the whole window finishes painting first; _Exit skips
// the teardown, which is not part of start-up. With STARTUP_UNTIL=mapped in the environment it
// exits as soon as a window is first exposed instead, which on an X server is when the window
// manager has mapped it, before anything is painted.
class FirstPaintExit : public QObject
{
public:
    FirstPaintExit() : m_untilMapped(qgetenv("STARTUP_UNTIL") == "mapped") {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (m_untilMapped && event->type() == QEvent::Expose && watched->isWindowType() &&
            static_cast<QWindow *>(watched)->isExposed())
            std::_Exit(0);
        if (event->type() == QEvent::Paint && watched->isWidgetType())
            QTimer::singleShot(0, [] { std::_Exit(0); });
        return false;
    }

private:
    const bool m_untilMapped;
};
