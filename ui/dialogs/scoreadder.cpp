#include "ui/dialogs/scoreadder.h"

#include "scores/format.h"
#include "ui/controls.h"
#include "ui/dialogs/hscorelist.h"
#include "ui/fonts.h"
#include "ui/windows.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include <algorithm>

namespace {

constexpr int kNameLength = 20;

// The name box holds the name as the list will store it. Control characters, typed or pasted,
// are dropped (C0, DEL, C1 and the Unicode line and paragraph separators), so they can neither
// split an entry nor put a terminal escape into the list. Combining marks are composed with their
// letters, and a character the Latin-1 list cannot hold becomes '?'. Then the name is held to 20
// characters by dropping what was just inserted before the caret, as a full box refuses more
// typing.
class NameValidator : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override
    {
        const QString before = storableName(input.left(pos));
        QString name = storableName(input);
        qsizetype caret = name.startsWith(before) ? before.size() : name.size();
        const qsizetype excess = name.size() - kNameLength;
        if (excess > 0) {
            caret = std::max<qsizetype>(0, caret - excess);
            name.remove(caret, excess);
        }
        input = name;
        pos = int(caret);
        return Acceptable;
    }

private:
    static QString storableName(const QString &text)
    {
        QString kept;
        for (const QChar c : text) {
            const char16_t u = c.unicode();
            if (u >= 0x20 && (u < 0x7F || u > 0x9F) && u != 0x2028 && u != 0x2029) {
                kept += c;
            }
        }
        return Scores::storable(kept.normalized(QString::NormalizationForm_C));
    }
};

} // namespace

ScoreAdder::ScoreAdder(Windows &windows)
    : FramelessDialog("ScoreAdder", QSize(209, 81)), m_windows(windows),
      m_score(windows.services.state.score)
{
    // A screen reader reads the dialog's texts when it opens, before the name box.
    setAccessibleName(QStringLiteral("Your Score is: ") + QString::number(m_score));
    setAccessibleDescription(QStringLiteral("Enter your name for the High Scores list."));
    QWidget *area = client();
    makeLabel(area, "Label1", QStringLiteral("Your Score is:"), QRect(8, 8, 73, 17), gameFont());
    makeLabel(area, "AddScorelbl", QString::number(m_score), QRect(80, 8, 65, 17),
              gameFont(11, true));
    makeLabel(area, "Label3", QStringLiteral("Enter your name for the High Scores list."),
              QRect(8, 32, 193, 17), gameFont());

    m_name = new QLineEdit(QStringLiteral("Player Name"), area);
    m_name->setObjectName(QStringLiteral("Text1"));
    m_name->setAccessibleName(QStringLiteral("Your name"));
    m_name->setGeometry(16, 56, 105, 19);
    m_name->setFont(gameFont());
    m_name->setValidator(new NameValidator(m_name));
    m_name->setCursorPosition(kNameLength); // past the end: the caret stands after the text
    m_name->installEventFilter(this);

    m_enterName =
        makePushButton(area, "Command1", QStringLiteral("Enter Name"), QRect(128, 56, 73, 17));
    connect(m_enterName, &QPushButton::clicked, this, &ScoreAdder::enterName);
    setTabOrder(m_name, m_enterName);
    m_name->setFocus();
}

bool ScoreAdder::eventFilter(QObject *watched, QEvent *event)
{
    // Every click into the name box empties it, also after a name was typed.
    if (watched == m_name && (event->type() == QEvent::MouseButtonPress ||
                              event->type() == QEvent::MouseButtonDblClick)) {
        m_name->clear();
    }
    return FramelessDialog::eventFilter(watched, event);
}

void ScoreAdder::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        m_enterName->click();
        return;
    }
    FramelessDialog::keyPressEvent(event);
}

void ScoreAdder::enterName()
{
    const QString name = m_name->text();
    m_windows.services.state.playerName = name.toStdString();
    // The list window is loaded before the entry is added: loading refills it from the file.
    HScoreList &list = m_windows.hScoreList.show();
    list.addEntry(QString::number(m_score) + QStringLiteral(" - ") + name);
    m_windows.scoreAdder.unload();
}
