#include "ui/main/boardaccessible.h"

#include "ui/main/boardwidget.h"

#include <QPointer>

using namespace BoardGeometry;

namespace {

using ItemKind = BoardItem;

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

// An unset guess peg is empty; so is a key peg until its row is scored.
QString pegName(const QColor &fill)
{
    return fill == kLightGrey ? QStringLiteral("empty") : fillName(fill);
}

QString keyPegName(const BoardState &s, int row, int index)
{
    return s.scored[row - 1] ? fillName(s.pegGuess[row - 1][index].fill) : QStringLiteral("empty");
}

// "1 red, 1 white, 2 grey": the key pegs of a scored row, counted.
QString keyPegCounts(const BoardState &s, int row)
{
    QStringList counts;
    for (const char *colour : {"red", "white", "grey"}) {
        const auto &keys = s.pegGuess[row - 1];
        const auto n = std::count_if(keys.begin(), keys.end(), [&](const ShapeItem &key) {
            return fillName(key.fill) == QLatin1String(colour);
        });
        if (n > 0) {
            counts << QStringLiteral("%1 %2").arg(n).arg(QLatin1String(colour));
        }
    }
    return counts.join(QStringLiteral(", "));
}

// A finished game has no current row, though the last one may still be bold.
bool isCurrent(const BoardState &s, int row)
{
    return s.labelBold[row - 1] && s.end == GameEnd::Playing;
}

// A whole row in one sentence: "Guess 2: red, red, yellow, yellow; 1 red, 1 white, 2 grey".
QString rowLine(const BoardState &s, int row)
{
    QStringList pegs;
    for (const ShapeItem &peg : s.colorPeg[row - 1]) {
        pegs << pegName(peg.fill);
    }
    const QString label = QStringLiteral("Guess %1%2:")
                              .arg(row)
                              .arg(isCurrent(s, row) ? QStringLiteral(" (current)") : QString());
    if (!s.scored[row - 1] && pegs.count(QStringLiteral("empty")) == kPegs) {
        return label; // untouched: short, so that a glance over the board skips it
    }
    const QString line = label + QLatin1Char(' ') + pegs.join(QStringLiteral(", "));
    return s.scored[row - 1] ? line + QStringLiteral("; ") + keyPegCounts(s, row) : line;
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
            return rowLine(s, item.row);
        case ItemKind::GuessPeg:
            return QStringLiteral("peg %1: %2")
                .arg(item.index + 1)
                .arg(pegName(s.colorPeg[item.row - 1][item.index].fill));
        case ItemKind::KeyPeg:
            return QStringLiteral("key peg %1: %2")
                .arg(item.index + 1)
                .arg(keyPegName(s, item.row, item.index));
        case ItemKind::CodePeg: {
            // Read while hidden too, so that the screen reader hears of the code's reveal.
            const ShapeItem &code = s.compColors[item.index];
            return QStringLiteral("code peg %1: %2")
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
            st.focusable = !st.disabled;
            st.focused = m_board->accessibleFocus() == m_id;
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
            found.append({board->child(boardChildIndex(ItemKind::ScoreTitle)), QAccessible::Label});
        } else if (board && kind == ItemKind::ScoreTitle && (match & QAccessible::Labelled)) {
            found.append({board->child(boardChildIndex(ItemKind::Score)), QAccessible::Labelled});
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

// The board, and the game's own dialogs, which are plain windows to Qt: a screen reader names
// them as dialogs.
QAccessibleInterface *boardFactory(const QString &className, QObject *object)
{
    if (!object || !object->isWidgetType()) {
        return nullptr;
    }
    if (className == QLatin1String("ScoreAdder") || className == QLatin1String("NewGame")) {
        return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Dialog);
    }
    return className == QLatin1String("BoardWidget")
               ? new BoardAccessible(static_cast<BoardWidget *>(object))
               : nullptr;
}

} // namespace

BoardAccessible::BoardAccessible(BoardWidget *board) : QAccessibleWidget(board, QAccessible::Pane)
{}

QString BoardAccessible::turnSummary(const BoardState &state, int row)
{
    QString next = endText(state.end);
    for (int r = 1; r <= kRows && next.isEmpty(); ++r) {
        next = isCurrent(state, r) ? QStringLiteral("Guess %1 is current").arg(r) : QString();
    }
    return QStringLiteral("%1. Score %2. %3.")
        .arg(keyPegCounts(state, row), state.scoreCaption, next);
}

QString BoardAccessible::codeSummary(const BoardState &state)
{
    QStringList code;
    for (const ShapeItem &peg : state.compColors) {
        code << fillName(peg.fill);
    }
    return QStringLiteral("Code: %1. %2.").arg(code.join(QStringLiteral(", ")), endText(state.end));
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
    // An item dropped to take the focus anew is made again as it is asked for.
    m_children.resize(kItemCount);
    QAccessibleInterface *item = QAccessible::accessibleInterface(m_children[index]);
    if (!item) {
        item = new BoardItemAccessible(static_cast<BoardWidget *>(widget()), index);
        m_children[index] = QAccessible::registerAccessibleInterface(item);
    }
    return item;
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
