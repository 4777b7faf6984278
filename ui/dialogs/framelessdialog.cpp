#include "ui/dialogs/framelessdialog.h"

#include "ui/main/boardstate.h"
#include "ui/placement.h"
#include "ui/windows.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QTimer>

#if __has_include(<xcb/xcb.h>)
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

namespace {

// Tells an X11 window manager that the dialog offers no window functions: no move, resize,
// minimise, maximise or close, and no decorations.
void forbidWindowFunctions([[maybe_unused]] QWidget &dialog)
{
#if __has_include(<xcb/xcb.h>)
    xcb_connection_t *connection = x11Connection();
    if (!connection) {
        return;
    }
    const char name[] = "_MOTIF_WM_HINTS";
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, std::strlen(name), name), nullptr);
    if (!reply) {
        return;
    }
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    constexpr uint32_t kFunctionsAndDecorations = 1 | 2;
    const uint32_t hints[5] = {kFunctionsAndDecorations, 0, 0, 0, 0};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(dialog.winId()), atom, atom,
                        32, 5, hints);
    xcb_flush(connection);
#endif
}

} // namespace

FramelessDialog::FramelessDialog(const char *name, QSize clientSize) : m_client(new QWidget(this))
{
    setObjectName(QString::fromLatin1(name));
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowTitle(QString());
    setFixedSize(clientSize + QSize(2, 2));
    m_client->setGeometry(QRect(QPoint(1, 1), clientSize));
    QPalette palette = m_client->palette();
    palette.setColor(QPalette::Window, kLightGrey);
    m_client->setPalette(palette);
    m_client->setAutoFillBackground(true);
    centreOnScreen(*this);
    m_home = pos();
}

void FramelessDialog::stayAbove(QWidget &window)
{
    window.winId();
    winId();
    windowHandle()->setTransientParent(window.windowHandle());
    tellTransientParent();
    // Some window managers (openbox) read the link only while both windows are mapped: a board
    // that is not yet on the screen is named again once it is.
    window.windowHandle()->installEventFilter(this);
    raise();
}

void FramelessDialog::tellTransientParent()
{
#if __has_include(<xcb/xcb.h>)
    // Qt tells the window system of a transient parent only when a window is mapped; this one
    // already is.
    xcb_connection_t *connection = x11Connection();
    if (const QWindow *parent = windowHandle()->transientParent(); connection && parent) {
        const xcb_window_t id = xcb_window_t(parent->winId());
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(winId()),
                            XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW, 32, 1, &id);
        xcb_flush(connection);
    }
#endif
}

bool FramelessDialog::eventFilter(QObject *watched, QEvent *event)
{
    auto *parent = windowHandle() ? windowHandle()->transientParent() : nullptr;
    if (event->type() == QEvent::Expose && watched == parent && parent->isExposed()) {
        parent->removeEventFilter(this);
        tellTransientParent();
        raise();
    }
    return QWidget::eventFilter(watched, event);
}

void FramelessDialog::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(Qt::black);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void FramelessDialog::showEvent(QShowEvent *event)
{
    // Sent before the window is mapped, so the window manager reads the hints when it frames it.
    forbidWindowFunctions(*this);
    QWidget::showEvent(event);
}

void FramelessDialog::closeEvent(QCloseEvent *event)
{
    // A close from outside (Alt+F4, a taskbar, the window manager, a Wayland compositor, whose
    // request Qt hands on as if the game had asked) would throw away a win or leave the game
    // without an answer: only the game unloads a dialog, through its own buttons or at its end.
    if (!property(kUnloadingProperty).toBool()) {
        event->ignore();
        return;
    }
    QWidget::closeEvent(event);
}

void FramelessDialog::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        QTimer::singleShot(0, this, [this] {
            showNormal();
            raise();
        });
    }
    QWidget::changeEvent(event);
}

void FramelessDialog::moveEvent(QMoveEvent *event)
{
    // Only a move from outside is undone; the game itself never moves a dialog once shown. A
    // window manager that insists on its own place has the last word after a few tries.
    if (event->spontaneous() && isVisible() && pos() != m_home && m_movesUndone < 20) {
        ++m_movesUndone;
        QTimer::singleShot(0, this, [this] {
            if (pos() != m_home) {
                move(m_home);
            }
        });
    }
    QWidget::moveEvent(event);
}
