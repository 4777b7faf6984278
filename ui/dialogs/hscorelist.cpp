#include "ui/dialogs/hscorelist.h"

#include "ui/dialogs/highscorefile.h"
#include "ui/fonts.h"
#include "ui/main/boardstate.h"
#include "ui/windows.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QStringListModel>
#include <QTableView>

HScoreList::HScoreList(Windows &windows)
    : m_windows(windows), m_model(new QStringListModel(this)), m_list(new QTableView(this))
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
    // A one-column table whose rows all have the same height: unlike a list view, it need
    // not lay out every entry again when one is inserted into thousands.
    m_list->horizontalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    QHeaderView *rows = m_list->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(QFontMetrics(m_list->font()).height());

    const HighScoreFile::LoadResult loaded = HighScoreFile::load(m_windows.services.scoreFilePath);
    m_model->setStringList(loaded.entries);
    if (!loaded.error.isEmpty()) {
        m_windows.services.message(QStringLiteral("High Scores"), loaded.error);
    }
}

void HScoreList::addEntry(const QString &entry)
{
    // Shown as it will be stored, so the list never differs from the file.
    const QString text = HighScoreFile::storable(entry);
    const qsizetype pos = HighScoreFile::insertPosition(m_model->stringList(), text);
    const int row = static_cast<int>(pos);
    m_model->insertRows(row, 1);
    const QModelIndex index = m_model->index(row);
    m_model->setData(index, text);
    m_list->scrollTo(index);
}

QStringList HScoreList::entries() const
{
    return m_model->stringList();
}

void HScoreList::closeEvent(QCloseEvent *event)
{
    const QString error = HighScoreFile::save(m_windows.services.scoreFilePath, entries());
    if (!error.isEmpty()) {
        m_windows.services.message(QStringLiteral("High Scores"), error);
    }
    event->accept();
}
