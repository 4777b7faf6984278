#include "ui/dialogs/hscorelist.h"

#include "scores/format.h"
#include "ui/fonts.h"
#include "ui/main/boardstate.h"
#include "ui/windows.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QStringListModel>
#include <QTableView>
#include <QTimer>

namespace {

// Shows each entry as the file keeps it, but only the start of a very long one: laying out
// a line of millions of characters would freeze the window on every repaint.
class ScoreListModel : public QStringListModel
{
public:
    using QStringListModel::QStringListModel;
    static constexpr qsizetype kShownLength = 100;

    QVariant data(const QModelIndex &index, int role) const override
    {
        QVariant value = QStringListModel::data(index, role);
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole) {
            const QString text = value.toString();
            if (text.size() > kShownLength) {
                qsizetype cut = kShownLength;
                if (text.at(cut - 1).isHighSurrogate())
                    --cut;
                return QVariant(text.left(cut) + QChar(0x2026));
            }
        }
        return value;
    }
};

} // namespace

HScoreList::HScoreList(Windows &windows)
    : m_windows(windows), m_model(new ScoreListModel(this)), m_list(new QTableView(this))
{
    setObjectName(QStringLiteral("HScoreList"));
    setWindowTitle(QStringLiteral("Vantrel High Scores!!"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(280, 142);

    // The list is one pixel wider than the window and fills it.
    m_list->setObjectName(QStringLiteral("List1"));
    m_list->setAccessibleName(QStringLiteral("High scores"));
    m_list->setGeometry(0, 0, 281, 142);
    m_list->setFont(gameFont(16));
    QPalette palette = m_list->palette();
    palette.setColor(QPalette::Base, kLightGrey);
    m_list->setPalette(palette);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->setModel(m_model);
    m_list->installEventFilter(this);
    // A one-column table whose rows all have the same height: unlike a list view, it need
    // not lay out every entry again when one is inserted into thousands.
    m_list->horizontalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    QHeaderView *rows = m_list->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(QFontMetrics(m_list->font()).height());

    const Scores::Loaded loaded = Scores::load(m_windows.services.scores);
    m_model->setStringList(loaded.entries);
    m_loadedBytes = loaded.bytes;
    m_wasRead = loaded.error.isEmpty();
    if (!m_wasRead) {
        m_windows.services.message(QStringLiteral("High Scores"), loaded.error);
    }
}

void HScoreList::addEntry(const QString &entry)
{
    // Shown as it will be stored, so the list never differs from the file.
    const QString text = Scores::storable(entry);
    m_added.append(text);
    const qsizetype pos = Scores::insertPosition(m_model->stringList(), text);
    const int row = static_cast<int>(pos);
    m_model->insertRows(row, 1);
    const QModelIndex index = m_model->index(row);
    m_model->setData(index, text);
    // The new entry is the current one, which a screen reader reads; nothing is selected.
    m_list->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    m_list->scrollTo(index);
}

QStringList HScoreList::entries() const
{
    return m_model->stringList();
}

bool HScoreList::save()
{
    // While a save waits for another copy, the game goes on painting and handling events: a
    // second save of the same entries then would add them twice. The one running saves them.
    return m_saving || write().error.isEmpty();
}

// The list is saved as the file holds it now plus this window's entries: another copy of the
// game may have saved meanwhile, and a list that could not be read is never replaced by what
// this window shows.
Scores::Saved HScoreList::write()
{
    m_saving = true;
    const Scores::Saved saved =
        Scores::save(m_windows.services.scores, {m_loadedBytes, m_wasRead, entries(), m_added},
                     m_windows.services.pause);
    m_saving = false;
    if (!saved.error.isEmpty()) {
        m_windows.services.message(QStringLiteral("High Scores"), saved.error);
    } else if (!m_added.isEmpty()) {
        m_added.clear();
        m_loadedBytes = saved.bytes;
        m_wasRead = true;
        if (saved.entries != entries()) {
            m_model->setStringList(saved.entries);
        }
    }
    if (m_closeWhenSaved) {
        QTimer::singleShot(0, this, &QWidget::close);
    }
    return saved;
}

void HScoreList::closeEvent(QCloseEvent *event)
{
    // A close while the list is being saved (a window manager's, at the session's end) closes
    // it once that save is done.
    m_closeWhenSaved = m_saving;
    if (m_saving) {
        event->ignore();
        return;
    }
    write();
    event->accept();
}

// A screen reader hears the current entry as the list takes the focus, and again when an arrow
// key finds no other entry to go to, as in a list of one.
bool HScoreList::eventFilter(QObject *watched, QEvent *event)
{
    const auto *key = event->type() == QEvent::KeyPress ? static_cast<QKeyEvent *>(event) : nullptr;
    if (event->type() == QEvent::FocusIn ||
        (key && m_model->rowCount() == 1 &&
         (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down))) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                QAccessibleInterface *list = QAccessible::queryAccessibleInterface(m_list);
                const QModelIndex current = m_list->currentIndex();
                if (!m_list->hasFocus() || !current.isValid() || !list || !list->tableInterface()) {
                    return;
                }
                // The list's records of its entries are dropped, so the focus comes to a new one.
                QAccessibleTableModelChangeEvent reset(
                    m_list, QAccessibleTableModelChangeEvent::ModelReset);
                QAccessible::updateAccessibility(&reset);
                QAccessibleEvent focus(m_list, QAccessible::Focus);
                focus.setChild(
                    list->indexOfChild(list->tableInterface()->cellAt(current.row(), 0)));
                QAccessible::updateAccessibility(&focus);
            },
            Qt::QueuedConnection);
    }
    return QWidget::eventFilter(watched, event);
}
