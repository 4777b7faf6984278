#include "ui/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#if __has_include(<xcb/xcb.h>)
#include <xcb/xcb.h>

#include <QDeadlineTimer>
#include <QThread>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <vector>
#endif

namespace {

// How a window can be placed in the middle with its frame before it is shown.
struct Frame
{
    enum class Known {
        Yes,     // the margins are the frame the window will get
        Guessed, // the margins are a guess, to be corrected once the window is framed
    } known;
    QMargins margins;
};

Frame guessedFrame(const QWidget &window)
{
    const int title = window.style()->pixelMetric(QStyle::PM_TitleBarHeight);
    return {Frame::Known::Guessed, QMargins(1, title + 1, 1, 1)};
}

#if __has_include(<xcb/xcb.h>)

struct FreeReply
{
    void operator()(void *reply) const { std::free(reply); }
};
template <class T> using Reply = std::unique_ptr<T, FreeReply>;

// An idle window manager answers within a millisecond; a busy desktop gets this long.
constexpr int kAnswerMs = 100;

// The 32-bit values of a property, or nothing when it is missing or of another type.
std::optional<std::vector<uint32_t>> property(xcb_connection_t *connection, xcb_window_t window,
                                              xcb_atom_t name, xcb_atom_t type, uint32_t length)
{
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, name, type, 0, length), nullptr));
    if (!reply || reply->format != 32) {
        return std::nullopt;
    }
    const auto *values = static_cast<const uint32_t *>(xcb_get_property_value(reply.get()));
    return std::vector(values, values + xcb_get_property_value_length(reply.get()) / 4);
}

// The names the frame question uses, each asked of the X server in one round trip.
struct Atoms
{
    xcb_atom_t supported, check, request, extents;
};

std::optional<Atoms> internAtoms(xcb_connection_t *connection)
{
    const std::array<const char *, 4> names{"_NET_SUPPORTED", "_NET_SUPPORTING_WM_CHECK",
                                            "_NET_REQUEST_FRAME_EXTENTS", "_NET_FRAME_EXTENTS"};
    std::array<xcb_intern_atom_cookie_t, names.size()> cookies;
    for (size_t i = 0; i < names.size(); ++i) {
        cookies[i] = xcb_intern_atom(connection, 0, uint16_t(std::strlen(names[i])), names[i]);
    }
    std::array<xcb_atom_t, names.size()> atoms;
    for (size_t i = 0; i < names.size(); ++i) {
        const Reply<xcb_intern_atom_reply_t> reply(
            xcb_intern_atom_reply(connection, cookies[i], nullptr));
        atoms[i] = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    if (std::find(atoms.begin(), atoms.end(), XCB_ATOM_NONE) != atoms.end()) {
        return std::nullopt;
    }
    return Atoms{atoms[0], atoms[1], atoms[2], atoms[3]};
}

// Whether a window manager runs that lists the frame request among what it supports: it then
// keeps a window that names itself, and lists its features on the root window.
bool answersFrameRequest(xcb_connection_t *connection, xcb_window_t root, const Atoms &atoms)
{
    const auto manager = property(connection, root, atoms.check, XCB_ATOM_WINDOW, 1);
    if (!manager || manager->size() != 1 ||
        property(connection, manager->front(), atoms.check, XCB_ATOM_WINDOW, 1) != manager) {
        return false;
    }
    const auto features = property(connection, root, atoms.supported, XCB_ATOM_ATOM, 4096);
    return features &&
           std::find(features->begin(), features->end(), atoms.request) != features->end();
}

void sendFrameRequest(QWidget &window, xcb_connection_t *connection, xcb_window_t root,
                      xcb_atom_t request, bool early)
{
    const auto id = xcb_window_t(window.winId());
    if (early) {
        // Asked before the window's layout has made it of fixed size, the question is asked as
        // for one: some window managers leave the resize grip out of such a frame. The hints
        // are written again, in full, when the window is laid out.
        constexpr uint32_t kMinAndMaxSize = (1 << 4) | (1 << 5);
        const auto width = uint32_t(window.width()), height = uint32_t(window.height());
        const std::array<uint32_t, 18> hints{kMinAndMaxSize, 0,      0,     0,     0,
                                             width,          height, width, height};
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, XCB_ATOM_WM_NORMAL_HINTS,
                            XCB_ATOM_WM_SIZE_HINTS, 32, hints.size(), hints.data());
    }
    xcb_client_message_event_t message = {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = id;
    message.type = request;
    xcb_send_event(connection, 0, root,
                   XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection);
}

// The frame the window manager has set on the window (_NET_FRAME_EXTENTS: left, right, top,
// bottom, in the screen's pixels), waited for until the deadline; a guess after that.
Frame readFrame(const QWidget &window, xcb_connection_t *connection, xcb_atom_t extents,
                const QDeadlineTimer &deadline)
{
    for (;;) {
        const auto frame =
            property(connection, xcb_window_t(window.winId()), extents, XCB_ATOM_CARDINAL, 4);
        if (frame && frame->size() == 4) {
            const qreal ratio = window.devicePixelRatioF();
            const auto scaled = [ratio](uint32_t pixels) { return qRound(pixels / ratio); };
            return Frame{Frame::Known::Yes, QMargins(scaled((*frame)[0]), scaled((*frame)[2]),
                                                     scaled((*frame)[1]), scaled((*frame)[3]))};
        }
        if (deadline.hasExpired()) {
            return guessedFrame(window);
        }
        QThread::usleep(100);
    }
}

// Asks the X11 window manager which frame it will put around the window before the window is
// mapped (_NET_REQUEST_FRAME_EXTENTS, answered by setting _NET_FRAME_EXTENTS on the window).
// Returns how to read the answer, which waits briefly for it if it has not come by then. A window
// manager that does not list the request, such as KWin, gets the window placed for a guessed
// frame, corrected once the window is framed.
std::function<Frame()> askX11Frame(QWidget &window, bool early)
{
    const auto guess = [&window] { return guessedFrame(window); };
    xcb_connection_t *connection = x11Connection();
    const auto atoms = connection ? internAtoms(connection) : std::nullopt;
    const Reply<xcb_query_tree_reply_t> tree(
        atoms ? xcb_query_tree_reply(
                    connection, xcb_query_tree(connection, xcb_window_t(window.winId())), nullptr)
              : nullptr);
    if (!tree || !answersFrameRequest(connection, tree->root, *atoms)) {
        return guess;
    }
    sendFrameRequest(window, connection, tree->root, atoms->request, early);
    return [&window, connection, extents = atoms->extents, deadline = QDeadlineTimer(kAnswerMs)] {
        return readFrame(window, connection, extents, deadline);
    };
}

// The frame the X11 window manager has put around the window, as it says now.
QMargins frameFromX11(const QWidget &window)
{
    xcb_connection_t *connection = x11Connection();
    const auto atoms = connection ? internAtoms(connection) : std::nullopt;
    const Frame frame =
        atoms ? readFrame(window, connection, atoms->extents, QDeadlineTimer(0)) : Frame{};
    return frame.known == Frame::Known::Yes ? frame.margins : QMargins();
}

// A question about the window's frame asked early, with the way to read its answer.
class FrameQuestion final : public QObject
{
public:
    FrameQuestion(QWidget &window, std::function<Frame()> answer)
        : QObject(&window), answer(std::move(answer))
    {
        setObjectName(QStringLiteral("FrameQuestion"));
    }
    const std::function<Frame()> answer;
};

#endif

// The frame a window has now, as the window system tells it; none before it is framed.
using FrameNow = QMargins (*)(const QWidget &window);

// The frame as Qt knows it, elsewhere than on X11 (where Qt may keep one from before framing).
QMargins frameFromQt(const QWidget &window)
{
    return window.windowHandle() ? window.windowHandle()->frameMargins() : QMargins();
}

// The window's place in the middle of the available area, with the given frame around it.
QRect centred(const QWidget &window, const QRect &available, const QMargins &frame)
{
    QRect outer(QPoint(), window.size().grownBy(frame));
    outer.moveCenter(available.center());
    return outer.marginsRemoved(frame);
}

// Places the window in the middle of the available area with the frame it will get.
void place(QWidget &window, const QRect &available, const Frame &frame, FrameNow frameNow)
{
    window.setGeometry(centred(window, available, frame.margins));
    if (frame.known == Frame::Known::Yes) {
        return;
    }
    // Once the window manager has framed the window, centre it with its real frame, read anew
    // until it has stood there for a while (KWin may change the frame after framing), for a
    // few seconds at most: a busy desktop may take long to frame it.
    auto *timer = new QTimer(&window);
    timer->setInterval(25);
    QObject::connect(timer, &QTimer::timeout, &window,
                     [timer, &window, available, frameNow, tries = 0, still = 0]() mutable {
                         const QMargins margins = frameNow(window);
                         const QRect inside = centred(window, available, margins);
                         if (!margins.isNull()) {
                             still = inside == window.geometry() ? still + 1 : 0;
                             if (still == 0) {
                                 window.setGeometry(inside);
                             }
                         }
                         if (still >= 4 || ++tries >= 120) {
                             timer->deleteLater();
                             timer->stop();
                         }
                     });
    timer->start();
}

} // namespace

void centreOnScreen(QWidget &window)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        return;
    }
    window.adjustSize();
    const QRect available = screen->availableGeometry();
    if (window.windowFlags().testFlag(Qt::FramelessWindowHint)) {
        window.move(centred(window, available, {}).topLeft());
        return;
    }
#if __has_include(<xcb/xcb.h>)
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        // Asked early, the window manager has answered while the window was built.
        auto *question = dynamic_cast<FrameQuestion *>(window.findChild<QObject *>(
            QStringLiteral("FrameQuestion"), Qt::FindDirectChildrenOnly));
        place(window, available, question ? question->answer() : askX11Frame(window, false)(),
              frameFromX11);
        delete question;
        return;
    }
#endif
    // Elsewhere the window system draws the frame itself and knows it once the window exists.
    window.winId();
    const QMargins margins = window.windowHandle()->frameMargins();
    place(window, available,
          margins.isNull() ? guessedFrame(window) : Frame{Frame::Known::Yes, margins}, frameFromQt);
}

void askForFrame([[maybe_unused]] QWidget &window)
{
#if __has_include(<xcb/xcb.h>)
    if (QGuiApplication::platformName() == QLatin1String("xcb") &&
        !window.windowFlags().testFlag(Qt::FramelessWindowHint)) {
        new FrameQuestion(window, askX11Frame(window, true));
    }
#endif
}

xcb_connection_t *x11Connection()
{
#if __has_include(<xcb/xcb.h>)
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 && QGuiApplication::platformName() == QLatin1String("xcb")) {
        return x11->connection();
    }
#endif
    return nullptr;
}
