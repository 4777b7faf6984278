#pragma once

#include "ui/dialogs/highscorefile.h"

#include <QStringList>
#include <QWidget>

struct Windows;
class QTableView;
class QStringListModel;

// The high-score list window. Loading it reads "High Scores.trel" beside the executable into
// its sorted list; closing it writes the list back.
class HScoreList : public QWidget
{
    Q_OBJECT

public:
    explicit HScoreList(Windows &windows);

    // Puts an entry at its sorted place. Nothing is written until the window closes.
    void addEntry(const QString &entry);
    QStringList entries() const;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    HighScoreFile::Location location() const;

    Windows &m_windows;
    QStringListModel *m_model;
    QTableView *m_list;
    QStringList m_added;
    QByteArray m_loadedBytes;
};
