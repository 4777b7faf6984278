#include "ui/dialogs/hscorelist.h"

#include "ui/dialogs/highscorefile.h"
#include "ui/fonts.h"
#include "ui/main/boardstate.h"
#include "ui/windows.h"

#include <QCloseEvent>
#include <QListView>
#include <QStringListModel>

HScoreList::HScoreList(Windows &windows)
    : m_windows(windows), m_model(new QStringListModel(this)), m_list(new QListView(this))
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
    // Every row has the same height, so the view need not measure thousands of entries.
    m_list->setUniformItemSizes(true);
    // Scrolling by pixel spares the scroll bar a second walk over every row on each insert.
    m_list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    m_list->setModel(m_model);

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
