#pragma once

#include "scores/store.h"

#include <QByteArray>
#include <QStringList>
#include <QWidget>

struct Windows;
class QTableView;
class QStringListModel;

// The high-score list window. Loading it reads the high-score list into its sorted list;
// closing it writes the list back.
class HScoreList : public QWidget
{
    Q_OBJECT

public:
    explicit HScoreList(Windows &windows);

    // Puts an entry at its sorted place. Nothing is written until the window closes.
    void addEntry(const QString &entry);
    QStringList entries() const;

    // Writes the list now and keeps the window open, showing the list as saved. False when it
    // could not be saved; the player has been told.
    bool save();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Scores::Saved write();

    Windows &m_windows;
    QStringListModel *m_model;
    QTableView *m_list;
    QStringList m_added;
    QByteArray m_loadedBytes;
    bool m_wasRead = true;
    bool m_saving = false;
    bool m_closeWhenSaved = false;
};
