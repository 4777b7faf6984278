#include "ui/main/boardwidget.h"

#include "ui/fonts.h"

#include <QMouseEvent>
#include <QPainter>

using namespace BoardGeometry;
using LabelClicker::ColorCode;
using LabelClicker::KeyPegCode;

QColor colorOf(ColorCode code)
{
    switch (code) {
    case ColorCode::Yellow:
        return {255, 255, 0};
    case ColorCode::Red:
        return {255, 0, 0};
    case ColorCode::Green:
        return {0, 192, 0};
    case ColorCode::Blue:
        return {0, 0, 255};
    case ColorCode::None:
        break;
    }
    return kLightGrey;
}

QColor colorOf(KeyPegCode code)
{
    switch (code) {
    case KeyPegCode::RightPlace:
        return {255, 0, 0};
    case KeyPegCode::RightColor:
        return {255, 255, 255};
    case KeyPegCode::Empty:
        break;
    }
    return kLightGrey;
}

QString colorName(ColorCode code)
{
    static const char *const names[] = {"none", "yellow", "red", "green", "blue"};
    const auto i = static_cast<int>(code);
    return QString::fromLatin1(i >= 0 && i <= 4 ? names[i] : "none");
}

QString colorName(KeyPegCode code)
{
    switch (code) {
    case KeyPegCode::RightPlace:
        return QStringLiteral("red");
    case KeyPegCode::RightColor:
        return QStringLiteral("white");
    case KeyPegCode::Empty:
        break;
    }
    return QStringLiteral("grey");
}

BoardState::BoardState()
{
    for (ShapeItem &code : compColors) {
        code = {Qt::black, false};
    }
    pegCoverEnabled[0].fill(true);
    labelBold[0] = true;
}

namespace {

const QString kScoreTitle = QStringLiteral("Your Score:");

QString rowCaption(int row)
{
    return QStringLiteral("Guess #%1:").arg(row);
}

void drawCircle(QPainter &painter, const QRect &box, const QColor &fill, const QColor &outline)
{
    // A 9 x 9 outlined circle: the one-pixel pen adds the right and bottom pixel.
    painter.setPen(QPen(outline, 1));
    painter.setBrush(fill);
    painter.drawEllipse(box.adjusted(0, 0, -1, -1));
}

void drawSquare(QPainter &painter, const QRect &box, const QColor &fill, const QColor &outline)
{
    painter.fillRect(box, outline);
    painter.fillRect(box.adjusted(1, 1, -1, -1), fill);
}

} // namespace

BoardWidget::BoardWidget(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("Board"));
    setFixedSize(kWidth, kHeight);
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (int row = 1; row <= LabelClicker::kRows; ++row) {
        for (bool bold : {false, true}) {
            m_rowFonts[row - 1][bold] =
                fittedFont(gameFont(11, bold), rowCaption(row), rowLabelRect(row).width());
        }
    }
    m_scoreTitleFont = fittedFont(gameFont(11), kScoreTitle, kScoreTitleRect.width());
    setScoreCaption(m_state.scoreCaption);
}

void BoardWidget::setColorPegFill(int row, int index, const QColor &fill)
{
    m_state.colorPeg[row - 1][index].fill = fill;
    update(guessPegRect(row, index));
}

void BoardWidget::setPegGuessFill(int row, int index, const QColor &fill)
{
    m_state.pegGuess[row - 1][index].fill = fill;
    update(keyPegRect(row, index));
}

void BoardWidget::setCompColorFill(int index, const QColor &fill)
{
    m_state.compColors[index].fill = fill;
    update(codePegRect(index));
}

void BoardWidget::setCompColorVisible(int index, bool visible)
{
    m_state.compColors[index].visible = visible;
    update(codePegRect(index));
}

void BoardWidget::setPegCoverEnabled(int row, int index, bool enabled)
{
    m_state.pegCoverEnabled[row - 1][index] = enabled;
}

void BoardWidget::setLabelBold(int row, bool bold)
{
    m_state.labelBold[row - 1] = bold;
    update(rowLabelRect(row));
}

void BoardWidget::setScoreCaption(const QString &caption)
{
    m_state.scoreCaption = caption;
    m_scoreFont = fittedFont(gameFont(11, true), caption, kScoreRect.width());
    update(kScoreRect);
}

std::optional<std::pair<int, int>> BoardWidget::targetAt(QPoint pos) const
{
    for (int row = 1; row <= LabelClicker::kRows; ++row) {
        for (int index = 0; index < LabelClicker::kPegsPerRow; ++index) {
            if (m_state.pegCoverEnabled[row - 1][index] && guessPegRect(row, index).contains(pos)) {
                return std::pair{row, index};
            }
        }
    }
    return std::nullopt;
}

void BoardWidget::mousePressEvent(QMouseEvent *event)
{
    m_pressed =
        event->button() == Qt::LeftButton ? targetAt(event->position().toPoint()) : std::nullopt;
}

// A quick second press arrives as a double-click; it is still a click of its own.
void BoardWidget::mouseDoubleClickEvent(QMouseEvent *event)
{
    mousePressEvent(event);
}

void BoardWidget::mouseReleaseEvent(QMouseEvent *event)
{
    const auto pressed = std::exchange(m_pressed, std::nullopt);
    if (event->button() == Qt::LeftButton && pressed &&
        targetAt(event->position().toPoint()) == pressed) {
        emit pegClicked(pressed->first, pressed->second);
    }
}

void BoardWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), kLightGrey);
    const QColor text = palette().color(QPalette::WindowText);

    // Row labels first: the grid lines run over their opaque backgrounds.
    painter.setPen(text);
    for (int row = 1; row <= LabelClicker::kRows; ++row) {
        const QRect box = rowLabelRect(row);
        const QString caption = rowCaption(row);
        painter.fillRect(box, kLightGrey);
        painter.setFont(m_rowFonts[row - 1][m_state.labelBold[row - 1]]);
        painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop, caption);
    }
    painter.setFont(m_scoreTitleFont);
    painter.drawText(kScoreTitleRect, Qt::AlignLeft | Qt::AlignTop, kScoreTitle);
    painter.setFont(m_scoreFont);
    painter.drawText(kScoreRect, Qt::AlignLeft | Qt::AlignTop, m_state.scoreCaption);

    // Grid lines, drawn as one-pixel rectangles so they stay crisp at any scale.
    const int width = kGridRight - kGridLeft + 1;
    const int height = kGridBottom - kGridTop + 1;
    for (int y = kGridTop; y < kGridBottom; y += kRowPitch) {
        painter.fillRect(QRect(kGridLeft, y, width, 1), Qt::black);
    }
    for (int x : {kGridLeft, 72, 144, kGridRight}) {
        painter.fillRect(QRect(x, kGridTop, 1, height), Qt::black);
    }
    painter.fillRect(QRect(kGridLeft, kGridBottom, width, 1), text);

    for (int row = 1; row <= LabelClicker::kRows; ++row) {
        for (int index = 0; index < LabelClicker::kPegsPerRow; ++index) {
            const ShapeItem &peg = m_state.colorPeg[row - 1][index];
            if (peg.visible) {
                drawCircle(painter, guessPegRect(row, index), peg.fill, Qt::black);
            }
            const ShapeItem &key = m_state.pegGuess[row - 1][index];
            if (key.visible) {
                drawSquare(painter, keyPegRect(row, index), key.fill, text);
            }
        }
    }
    for (int index = 0; index < LabelClicker::kPegsPerRow; ++index) {
        const ShapeItem &code = m_state.compColors[index];
        if (code.visible) {
            drawCircle(painter, codePegRect(index), code.fill, text);
        }
    }
}
