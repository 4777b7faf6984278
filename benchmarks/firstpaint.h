#pragma once

#include <QEvent>
#include <QObject>
#include <QTimer>

#include <cstdlib>

// Start-up ends at the first frame on screen. Installed on the application, this exits after
// the first paint event, queued so that the whole window finishes painting first; _Exit skips
// the teardown, which is not part of start-up.
class FirstPaintExit : public QObject
{
protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && watched->isWidgetType())
            QTimer::singleShot(0, [] { std::_Exit(0); });
        return false;
    }
};
