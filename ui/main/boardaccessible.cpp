#include "ui/main/boardaccessible.h"

#include "ui/main/boardwidget.h"

#include <QPointer>

using namespace BoardGeometry;

namespace {

using ItemKind = BoardAccessible::Item;

struct ItemRef
{
    ItemKind kind;
    int row = 0;
    int index = 0;
};

constexpr int kRows = LabelClicker::kRows;
constexpr int kPegs = LabelClicker::kPegsPerRow;
constexpr int kPerRow = 1 + 2 * kPegs;
constexpr int kItemCount = kRows * kPerRow + kPegs + 2;

// Children in reading order: per row its label, four guess pegs and four key pegs; then the
// code pegs and the score.
ItemRef itemAt(int i)
{
    if (i < kRows * kPerRow) {
        const int row = i / kPerRow + 1;
        const int k = i % kPerRow;
        if (k == 0) {
            return {ItemKind::RowLabel, row, 0};
        }
        return k <= kPegs ? ItemRef{ItemKind::GuessPeg, row, k - 1}
                          : ItemRef{ItemKind::KeyPeg, row, k - 1 - kPegs};
    }
    i -= kRows * kPerRow;
    if (i < kPegs) {
        return {ItemKind::CodePeg, 0, i};
    }
    return {i == kPegs ? ItemKind::ScoreTitle : ItemKind::Score, 0, 0};
}

QString fillName(const QColor &fill)
{
    if (fill == QColor(255, 255, 0)) {
        return QStringLiteral("yellow");
    }
    if (fill == QColor(255, 0, 0)) {
        return QStringLiteral("red");
    }
    if (fill == QColor(0, 192, 0)) {
        return QStringLiteral("green");
    }
    if (fill == QColor(0, 0, 255)) {
        return QStringLiteral("blue");
    }
    if (fill == QColor(255, 255, 255)) {
        return QStringLiteral("white");
    }
    return fill == QColor(Qt::black) ? QStringLiteral("black") : QStringLiteral("grey");
}

QString endText(GameEnd end)
{
    switch (end) {
    case GameEnd::Won:
        return QStringLiteral("Game over: won");
    case GameEnd::Lost:
        return QStringLiteral("Game over: lost");
    case GameEnd::GivenUp:
        return QStringLiteral("Game over: given up");
    case GameEnd::Playing:
        break;
    }
    return {};
}

class BoardItemAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    BoardItemAccessible(BoardWidget *board, int id) : m_board(board), m_id(id) {}

    bool isValid() const override { return m_board; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override
    {
        return m_board ? m_board->window()->windowHandle() : nullptr;
    }
    QAccessibleInterface *focusChild() const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_board.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    void setText(QAccessible::Text, const QString &) override {}

    QString text(QAccessible::Text t) const override
    {
        if (!m_board || t != QAccessible::Name) {
            return {};
        }
        const BoardState &s = m_board->state();
        const ItemRef item = itemAt(m_id);
        switch (item.kind) {
        case ItemKind::RowLabel:
            // A finished game has no current row, though the last one may still be bold.
            return QStringLiteral("Guess #%1:").arg(item.row) +
                   (s.labelBold[item.row - 1] && s.end == GameEnd::Playing
                        ? QStringLiteral(" (current)")
                        : QString());
        case ItemKind::GuessPeg:
            return QStringLiteral("Guess %1, peg %2: %3")
                .arg(item.row)
                .arg(item.index + 1)
                .arg(fillName(s.colorPeg[item.row - 1][item.index].fill));
        case ItemKind::KeyPeg:
            return QStringLiteral("Guess %1, key peg %2: %3")
                .arg(item.row)
                .arg(item.index + 1)
                .arg(fillName(s.pegGuess[item.row - 1][item.index].fill));
        case ItemKind::CodePeg: {
            const ShapeItem &code = s.compColors[item.index];
            return QStringLiteral("Code peg %1: %2")
                .arg(item.index + 1)
                .arg(code.visible ? fillName(code.fill) : QStringLiteral("hidden"));
        }
        case ItemKind::ScoreTitle:
            return QStringLiteral("Your Score:");
        case ItemKind::Score:
            return s.scoreCaption;
        }
        return {};
    }

    QRect rect() const override
    {
        if (!m_board) {
            return {};
        }
        const ItemRef item = itemAt(m_id);
        QRect local;
        switch (item.kind) {
        case ItemKind::RowLabel:
            local = rowLabelRect(item.row);
            break;
        case ItemKind::GuessPeg:
            local = guessPegRect(item.row, item.index);
            break;
        case ItemKind::KeyPeg:
            local = keyPegRect(item.row, item.index);
            break;
        case ItemKind::CodePeg:
            local = codePegRect(item.index);
            break;
        case ItemKind::ScoreTitle:
            local = kScoreTitleRect;
            break;
        case ItemKind::Score:
            local = kScoreRect;
            break;
        }
        return local.translated(m_board->mapToGlobal(QPoint(0, 0)));
    }

    QAccessible::Role role() const override
    {
        switch (itemAt(m_id).kind) {
        case ItemKind::GuessPeg:
            return QAccessible::Button;
        case ItemKind::KeyPeg:
        case ItemKind::CodePeg:
            return QAccessible::Graphic;
        default:
            return QAccessible::StaticText;
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State st;
        if (!m_board) {
            st.invalid = true;
            return st;
        }
        const ItemRef item = itemAt(m_id);
        if (item.kind == ItemKind::GuessPeg) {
            st.disabled = !m_board->state().pegCoverEnabled[item.row - 1][item.index];
        }
        if (item.kind == ItemKind::CodePeg) {
            st.invisible = !m_board->state().compColors[item.index].visible;
        }
        return st;
    }

    // The score is read with its caption: "Your Score: 21".
    QList<QPair<QAccessibleInterface *, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override
    {
        QList<QPair<QAccessibleInterface *, QAccessible::Relation>> found;
        const ItemKind kind = itemAt(m_id).kind;
        QAccessibleInterface *board = parent();
        if (board && kind == ItemKind::Score && (match & QAccessible::Label)) {
            found.append({board->child(BoardAccessible::childIndex(ItemKind::ScoreTitle)),
                          QAccessible::Label});
        } else if (board && kind == ItemKind::ScoreTitle && (match & QAccessible::Labelled)) {
            found.append({board->child(BoardAccessible::childIndex(ItemKind::Score)),
                          QAccessible::Labelled});
        }
        return found;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        return type == QAccessible::ActionInterface && itemAt(m_id).kind == ItemKind::GuessPeg
                   ? static_cast<QAccessibleActionInterface *>(this)
                   : nullptr;
    }

    // A guess peg that a click would cycle can be pressed, with its digit key as well.
    QStringList actionNames() const override
    {
        return pressable() ? QStringList{pressAction()} : QStringList();
    }
    void doAction(const QString &action) override
    {
        if (action == pressAction() && pressable()) {
            const ItemRef item = itemAt(m_id);
            m_board->clickTarget(item.row, item.index);
        }
    }
    QStringList keyBindingsForAction(const QString &action) const override
    {
        return action == pressAction() && pressable()
                   ? QStringList{QString::number(itemAt(m_id).index + 1)}
                   : QStringList();
    }

private:
    bool pressable() const
    {
        const ItemRef item = itemAt(m_id);
        return m_board && item.kind == ItemKind::GuessPeg &&
               m_board->state().pegCoverEnabled[item.row - 1][item.index];
    }

    QPointer<BoardWidget> m_board;
    int m_id;
};

QAccessibleInterface *boardFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("BoardWidget") && object && object->isWidgetType()) {
        return new BoardAccessible(static_cast<BoardWidget *>(object));
    }
    return nullptr;
}

} // namespace

BoardAccessible::BoardAccessible(BoardWidget *board) : QAccessibleWidget(board, QAccessible::Pane)
{}

int BoardAccessible::childIndex(Item item, int row, int index)
{
    switch (item) {
    case Item::RowLabel:
        return kPerRow * (row - 1);
    case Item::GuessPeg:
        return kPerRow * (row - 1) + 1 + index;
    case Item::KeyPeg:
        return kPerRow * (row - 1) + 1 + kPegs + index;
    case Item::CodePeg:
        return kRows * kPerRow + index;
    case Item::ScoreTitle:
        return kRows * kPerRow + kPegs;
    case Item::Score:
        break;
    }
    return kRows * kPerRow + kPegs + 1;
}

QString BoardAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Description) {
        return endText(static_cast<BoardWidget *>(widget())->state().end);
    }
    return QAccessibleWidget::text(t);
}

BoardAccessible::~BoardAccessible()
{
    for (QAccessible::Id id : m_children) {
        QAccessible::deleteAccessibleInterface(id);
    }
}

int BoardAccessible::childCount() const
{
    return kItemCount + QAccessibleWidget::childCount();
}

QAccessibleInterface *BoardAccessible::child(int index) const
{
    if (index >= kItemCount) {
        return QAccessibleWidget::child(index - kItemCount);
    }
    if (index < 0) {
        return nullptr;
    }
    if (m_children.empty()) {
        auto *board = static_cast<BoardWidget *>(widget());
        for (int i = 0; i < kItemCount; ++i) {
            m_children.push_back(
                QAccessible::registerAccessibleInterface(new BoardItemAccessible(board, i)));
        }
    }
    return QAccessible::accessibleInterface(m_children[index]);
}

int BoardAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    for (int i = 0; i < int(m_children.size()); ++i) {
        if (QAccessible::accessibleInterface(m_children[i]) == child) {
            return i;
        }
    }
    const int widgetIndex = QAccessibleWidget::indexOfChild(child);
    return widgetIndex < 0 ? -1 : widgetIndex + kItemCount;
}

QAccessibleInterface *BoardAccessible::childAt(int x, int y) const
{
    if (QAccessibleInterface *buttons = QAccessibleWidget::childAt(x, y)) {
        return buttons;
    }
    for (int i = 0; i < kItemCount; ++i) {
        QAccessibleInterface *item = child(i);
        if (item && item->rect().contains(x, y)) {
            return item;
        }
    }
    return nullptr;
}

void BoardAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(boardFactory);
        return true;
    }();
    (void)installed;
}
