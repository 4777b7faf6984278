#include "packaging/appicon.h"

#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QResource>
#include <QSize>

#include <array>

namespace {

constexpr std::array kSizes{16, 24, 32, 48, 64, 128, 256};
// The sizes the icon offers. On X11 Qt turns every size offered into the window's icon property
// before it maps the window, and window managers draw it in title bars and task switchers at
// 16 to 48 px; offering 64 to 256 px as well cost about 3.5 ms of start-up. Launchers and menus
// take the installed icons, named by the desktop entry, at every size.
constexpr std::array kOfferedSizes{16, 24, 32, 48};

// A drawing is read only when the window system asks for its size. The offered sizes are kept as
// raw RGBA bytes as well, which need no decoding: the first PNG a program decodes costs it
// almost a millisecond. Each size is drawn on its own, the larger ones too when asked for; the
// nearest larger drawing is scaled down only for a size between them.
class AppIconEngine final : public QIconEngine
{
public:
    QPixmap pixmap(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        int drawn = kSizes.back();
        for (const int candidate : kSizes) {
            if (candidate >= std::max(size.width(), size.height())) {
                drawn = candidate;
                break;
            }
        }
        const QPixmap image = drawing(drawn);
        return image.size() == size
                   ? image
                   : image.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    }
    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        painter->drawPixmap(rect, pixmap(rect.size(), mode, state));
    }
    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (const int size : kOfferedSizes)
            sizes.append(QSize(size, size));
        return sizes;
    }
    QIconEngine *clone() const override { return new AppIconEngine; }

private:
    static QPixmap drawing(int size)
    {
        const QResource raw(QStringLiteral(":/icons/vantrel-%1.rgba").arg(size));
        if (raw.isValid()) {
            const QByteArray bytes = raw.uncompressedData();
            if (bytes.size() == qsizetype(size) * size * 4) {
                return QPixmap::fromImage(QImage(reinterpret_cast<const uchar *>(bytes.constData()),
                                                 size, size, size * 4, QImage::Format_RGBA8888));
            }
        }
        return QPixmap(QStringLiteral(":/icons/vantrel-%1.png").arg(size));
    }
};

} // namespace

QIcon appIcon()
{
    return QIcon(new AppIconEngine);
}
