#include "ui/main/boardwidget.h"

#include "ui/fonts.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>

using namespace BoardGeometry;
using LabelClicker::ColorCode;
using LabelClicker::KeyPegCode;
using Item = BoardItem;

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

int boardChildIndex(BoardItem item, int row, int index)
{
    constexpr int kPegs = LabelClicker::kPegsPerRow, kPerRow = 1 + 2 * kPegs;
    constexpr int kCode = LabelClicker::kRows * kPerRow;
    switch (item) {
    case Item::RowLabel:
        return kPerRow * (row - 1);
    case Item::GuessPeg:
        return kPerRow * (row - 1) + 1 + index;
    case Item::KeyPeg:
        return kPerRow * (row - 1) + 1 + kPegs + index;
    case Item::CodePeg:
        return kCode + index;
    case Item::ScoreTitle:
        return kCode + kPegs;
    case Item::Score:
        break;
    }
    return kCode + kPegs + 1;
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
    // A bold caption, the current row's, is fitted only when its row first becomes current:
    // narrowing the wider bold text takes most of the fitting, and most games never reach
    // row 10.
    for (int row = 1; row <= LabelClicker::kRows; ++row) {
        fitRowFont(row, false);
    }
    fitRowFont(1, true);
    m_scoreTitleFont = fittedFont(gameFont(11), kScoreTitle, kScoreTitleRect.width());
    m_scoreFont = fittedFont(gameFont(11, true), m_state.scoreCaption, kScoreRect.width());

    // Keys 1 to 4 click that peg of the row whose targets are enabled; Qt takes the keypad's
    // digits for them too. The board never takes the focus, so the keys belong to its window.
    for (int index = 0; index < LabelClicker::kPegsPerRow; ++index) {
        auto *shortcut = new QShortcut(QKeySequence(Qt::Key_1 + index), this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, index] {
            for (int row = 1; row <= LabelClicker::kRows; ++row) {
                if (m_state.pegCoverEnabled[row - 1][index]) {
                    clickTarget(row, index);
                    return;
                }
            }
        });
    }
    // A peg keeps the screen reader's focus only until the keyboard focus moves.
    connect(qApp, &QApplication::focusChanged, this, [this] { m_accessibleFocus = -1; });
}

void BoardWidget::announce(Item item, int row, int index, QAccessible::Event type)
{
    QAccessibleEvent event(this, type);
    event.setChild(boardChildIndex(item, row, index));
    QAccessible::updateAccessibility(&event);
}

void BoardWidget::announceState(Item item, int row, int index, QAccessible::State change)
{
    QAccessibleStateChangeEvent event(this, change);
    event.setChild(boardChildIndex(item, row, index));
    QAccessible::updateAccessibility(&event);
}

void BoardWidget::setColorPegFill(int row, int index, const QColor &fill)
{
    if (std::exchange(m_state.colorPeg[row - 1][index].fill, fill) == fill) {
        return;
    }
    update(guessPegRect(row, index));
    announce(Item::GuessPeg, row, index, QAccessible::NameChanged);
    announce(Item::RowLabel, row, 0, QAccessible::NameChanged);
}

void BoardWidget::setPegGuessFill(int row, int index, const QColor &fill)
{
    // Once scored, a row's key pegs read by their colour, grey too, no longer as empty.
    if (!std::exchange(m_state.scored[row - 1], true)) {
        for (int k = 0; k < LabelClicker::kPegsPerRow; ++k) {
            announce(Item::KeyPeg, row, k, QAccessible::NameChanged);
        }
        announce(Item::RowLabel, row, 0, QAccessible::NameChanged);
    }
    if (std::exchange(m_state.pegGuess[row - 1][index].fill, fill) == fill) {
        return;
    }
    update(keyPegRect(row, index));
    announce(Item::KeyPeg, row, index, QAccessible::NameChanged);
    announce(Item::RowLabel, row, 0, QAccessible::NameChanged);
}

void BoardWidget::setCompColorFill(int index, const QColor &fill)
{
    if (std::exchange(m_state.compColors[index].fill, fill) == fill) {
        return;
    }
    update(codePegRect(index));
    if (m_state.compColors[index].visible) {
        announce(Item::CodePeg, 0, index, QAccessible::NameChanged);
    }
}

void BoardWidget::setCompColorVisible(int index, bool visible)
{
    if (std::exchange(m_state.compColors[index].visible, visible) == visible) {
        return;
    }
    update(codePegRect(index));
    announce(Item::CodePeg, 0, index, QAccessible::NameChanged);
}

void BoardWidget::setPegCoverEnabled(int row, int index, bool enabled)
{
    if (std::exchange(m_state.pegCoverEnabled[row - 1][index], enabled) == enabled) {
        return;
    }
    QAccessible::State change;
    change.disabled = true;
    announceState(Item::GuessPeg, row, index, change);
}

void BoardWidget::setLabelBold(int row, bool bold)
{
    if (std::exchange(m_state.labelBold[row - 1], bold) == bold) {
        return;
    }
    if (bold) {
        fitRowFont(row, true);
    }
    update(rowLabelRect(row));
    announce(Item::RowLabel, row, 0, QAccessible::NameChanged);
}

void BoardWidget::fitRowFont(int row, bool bold)
{
    QFont &font = m_rowFonts[row - 1][bold];
    if (font == QFont()) {
        font = fittedFont(gameFont(11, bold), rowCaption(row), rowLabelRect(row).width());
    }
}

void BoardWidget::setScoreCaption(const QString &caption)
{
    if (std::exchange(m_state.scoreCaption, caption) == caption) {
        return;
    }
    m_scoreFont = fittedFont(gameFont(11, true), caption, kScoreRect.width());
    update(kScoreRect);
    announce(Item::Score, 0, 0, QAccessible::NameChanged);
}

void BoardWidget::setGameEnd(GameEnd end)
{
    if (m_state.end != GameEnd::Playing) {
        return;
    }
    m_state.end = end;
    QAccessibleEvent event(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
    // A bold row label stops saying that its row is current.
    for (int row = 1; row <= LabelClicker::kRows; ++row) {
        if (m_state.labelBold[row - 1]) {
            announce(Item::RowLabel, row, 0, QAccessible::NameChanged);
        }
    }
}

void BoardWidget::clickTarget(int row, int index)
{
    if (!m_state.pegCoverEnabled[row - 1][index]) {
        return;
    }
    emit pegClicked(row, index);
    // The screen reader's focus follows the peg acted on, which reads its new colour.
    m_accessibleFocus = boardChildIndex(Item::GuessPeg, row, index);
    focusAnew(this, m_accessibleFocus);
}

void BoardWidget::tell(QWidget *focused, const QString &text)
{
    focused->setAccessibleDescription(text);
    m_accessibleFocus = -1;
    focusAnew(focused, -1);
}

// A screen reader reads an object, with its description, as the focus comes to it, and not again
// while the focus stays there: its record of the object is dropped first, so that the focus
// comes to a new one.
void BoardWidget::focusAnew(QWidget *widget, int child)
{
    QAccessibleEvent event(widget, QAccessible::Focus);
    event.setChild(child);
    if (QAccessible::isActive()) {
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(event.accessibleInterface()));
        QAccessible::updateAccessibility(&event);
    }
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
        clickTarget(pressed->first, pressed->second);
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
