#include "notepad/FindReplaceDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "notepad/VondView.h"
#include "platform/Prompter.h"

CFindReplaceDialog::CFindReplaceDialog(CVondView* view)
    : QDialog(view), m_view(view), m_find(new QLineEdit(this)), m_replace(new QLineEdit(this)) {
    auto* grid = new QGridLayout(this);
    auto* findLabel = new QLabel(QStringLiteral("Fi&nd what:"), this);
    findLabel->setBuddy(m_find);
    m_replaceLabel = new QLabel(QStringLiteral("Re&place with:"), this);
    m_replaceLabel->setBuddy(m_replace);
    m_find->setObjectName(QStringLiteral("findText"));
    m_replace->setObjectName(QStringLiteral("replaceText"));
    m_wholeWord = new QCheckBox(QStringLiteral("Match &whole word only"), this);
    m_matchCase = new QCheckBox(QStringLiteral("Match &case"), this);
    m_up = new QCheckBox(QStringLiteral("Search &up"), this);
    grid->addWidget(findLabel, 0, 0);
    grid->addWidget(m_find, 0, 1);
    grid->addWidget(m_replaceLabel, 1, 0);
    grid->addWidget(m_replace, 1, 1);
    grid->addWidget(m_wholeWord, 2, 0, 1, 2);
    grid->addWidget(m_matchCase, 3, 0, 1, 2);
    grid->addWidget(m_up, 4, 0, 1, 2);

    auto* buttons = new QVBoxLayout;
    auto* findButton = new QPushButton(QStringLiteral("&Find Next"), this);
    findButton->setDefault(true);
    m_replaceButton = new QPushButton(QStringLiteral("&Replace"), this);
    m_replaceAllButton = new QPushButton(QStringLiteral("Replace &All"), this);
    auto* closeButton = new QPushButton(QStringLiteral("Cancel"), this);
    for (QPushButton* b : {findButton, m_replaceButton, m_replaceAllButton, closeButton})
        buttons->addWidget(b);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 5, 1);
    connect(findButton, &QPushButton::clicked, this, &CFindReplaceDialog::findNext);
    connect(m_replaceButton, &QPushButton::clicked, this, &CFindReplaceDialog::replaceOne);
    connect(m_replaceAllButton, &QPushButton::clicked, this, &CFindReplaceDialog::replaceAll);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
}

void CFindReplaceDialog::showFor(bool replace, const QString& findText) {
    setWindowTitle(replace ? QStringLiteral("Replace") : QStringLiteral("Find"));
    for (QWidget* w :
         {static_cast<QWidget*>(m_replaceLabel), static_cast<QWidget*>(m_replace),
          static_cast<QWidget*>(m_replaceButton), static_cast<QWidget*>(m_replaceAllButton)})
        w->setVisible(replace);
    if (!findText.isEmpty() && !findText.contains(QChar::ParagraphSeparator))
        m_find->setText(findText);
    show();
    raise();
    activateWindow();
    m_find->setFocus();
    m_find->selectAll();
}

QTextDocument::FindFlags CFindReplaceDialog::flags() const {
    QTextDocument::FindFlags f;
    if (m_wholeWord->isChecked())
        f |= QTextDocument::FindWholeWords;
    if (m_matchCase->isChecked())
        f |= QTextDocument::FindCaseSensitively;
    if (m_up->isChecked())
        f |= QTextDocument::FindBackward;
    return f;
}

void CFindReplaceDialog::notFound() {
    messageBox(QStringLiteral("Cannot find the string '%1'.").arg(m_find->text()));
}

void CFindReplaceDialog::findNext() {
    if (!m_view->FindText(m_find->text(), flags()))
        notFound();
}

void CFindReplaceDialog::replaceOne() {
    if (!m_view->ReplaceText(m_find->text(), m_replace->text(), flags()))
        notFound();
}

void CFindReplaceDialog::replaceAll() {
    if (m_view->ReplaceAll(m_find->text(), m_replace->text(), flags()) == 0)
        notFound();
}
