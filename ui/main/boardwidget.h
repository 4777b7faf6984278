#pragma once

#include "ui/main/boardstate.h"

#include <QFont>
#include <QWidget>

#include <array>

#include <optional>

// The board of the main window: row labels, grid lines, guess pegs, key pegs, code pegs and
// the score, painted in their stacking order from one BoardState. Clicks on an enabled
// click target of a guess peg are reported as pegClicked(row, index).
class BoardWidget : public QWidget
{
    Q_OBJECT

public:
    explicit BoardWidget(QWidget *parent = nullptr);

    const BoardState &state() const { return m_state; }

    void setColorPegFill(int row, int index, const QColor &fill);
    void setPegGuessFill(int row, int index, const QColor &fill);
    void setCompColorFill(int index, const QColor &fill);
    void setCompColorVisible(int index, bool visible);
    void setPegCoverEnabled(int row, int index, bool enabled);
    void setLabelBold(int row, bool bold);
    void setScoreCaption(const QString &caption);

    // The enabled click target under a point, as (row, index).
    std::optional<std::pair<int, int>> targetAt(QPoint pos) const;

signals:
    void pegClicked(int row, int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    BoardState m_state;
    std::optional<std::pair<int, int>> m_pressed;
    // Fonts fitted to their boxes once, not on every paint: [row - 1][bold].
    std::array<std::array<QFont, 2>, LabelClicker::kRows> m_rowFonts;
    QFont m_scoreTitleFont;
    QFont m_scoreFont;
};
