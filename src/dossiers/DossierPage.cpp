#include "dossiers/DossierPage.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>

#include "data/RecordSet.h"

namespace {

// Pages with more fields than this lay them out in two columns, so that none grows taller
// than a screen.
constexpr std::size_t kFieldsInOneColumn = 8;
constexpr int kMultiLineRows = 3;
constexpr int kLabelWidth = 190;
constexpr int kEditWidth = 230;

QPlainTextEdit* makeMultiLine(QWidget* parent) {
    auto* edit = new QPlainTextEdit(parent);
    edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setTabChangesFocus(true);
    const int frame =
        2 * edit->frameWidth() + static_cast<int>(2 * edit->document()->documentMargin());
    edit->setFixedHeight(edit->fontMetrics().lineSpacing() * kMultiLineRows + frame);
    return edit;
}

}  // namespace

CDossierPage::CDossierPage(const DossierPageDef& definition, QWidget* parent)
    : QWidget(parent), m_definition(definition) {
    setObjectName(QString::fromLatin1(definition.className));
    buildLayout();
    SetRecordset(nullptr);
}

void CDossierPage::buildLayout() {
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);
    const std::size_t count = m_definition.fields.size();
    const std::size_t perColumn = count > kFieldsInOneColumn ? (count + 1) / 2 : count;
    const int rowsPerField = m_definition.labelsAbove ? 2 : 1;
    for (std::size_t i = 0; i < count; ++i) {
        const DossierField& field = m_definition.fields[i];
        QWidget* edit = field.multiLine ? static_cast<QWidget*>(makeMultiLine(this))
                                        : static_cast<QWidget*>(new QLineEdit(this));
        edit->setObjectName(QString::fromLatin1(field.column));
        edit->setMinimumWidth(kEditWidth);
        auto* label = new QLabel(QString::fromLatin1(field.label), this);
        label->setBuddy(edit);
        label->setWordWrap(true);
        const int row = static_cast<int>(i % perColumn) * rowsPerField;
        const int column = static_cast<int>(i / perColumn) * 2;
        if (m_definition.labelsAbove) {
            grid->addWidget(label, row, column, 1, 2);
            grid->addWidget(edit, row + 1, column, 1, 2);
        } else {
            label->setFixedWidth(kLabelWidth);
            grid->addWidget(label, row, column, Qt::AlignTop);
            grid->addWidget(edit, row, column + 1, Qt::AlignTop);
        }
        m_edits.push_back(edit);
    }
    grid->setRowStretch(static_cast<int>(perColumn) * rowsPerField, 1);
}

QWidget* CDossierPage::edit(const char* column) const {
    return findChild<QWidget*>(QString::fromLatin1(column), Qt::FindDirectChildrenOnly);
}

QString CDossierPage::editText(std::size_t field) const {
    QWidget* edit = m_edits[field];
    if (auto* multi = qobject_cast<QPlainTextEdit*>(edit))
        return multi->toPlainText();
    return static_cast<QLineEdit*>(edit)->text();
}

void CDossierPage::setEditText(std::size_t field, const QString& text) {
    QWidget* edit = m_edits[field];
    if (auto* multi = qobject_cast<QPlainTextEdit*>(edit)) {
        multi->setPlainText(text);
    } else {
        static_cast<QLineEdit*>(edit)->setText(text);
    }
}

void CDossierPage::SetRecordset(CRecordSet* recordSet) {
    m_recordSet = recordSet;
    for (std::size_t i = 0; i < m_edits.size(); ++i) {
        if (auto* multi = qobject_cast<QPlainTextEdit*>(m_edits[i])) {
            multi->setReadOnly(!recordSet);
        } else {
            static_cast<QLineEdit*>(m_edits[i])->setReadOnly(!recordSet);
        }
        if (!recordSet)
            setEditText(i, QString());
    }
}

void CDossierPage::OnSetActive() {
    if (!m_recordSet)
        return;
    for (std::size_t i = 0; i < m_edits.size(); ++i)
        setEditText(i, m_recordSet->text(QString::fromLatin1(m_definition.fields[i].column)));
}

void CDossierPage::OnKillActive() {
    if (!m_recordSet)
        return;
    for (std::size_t i = 0; i < m_edits.size(); ++i) {
        const QString column = QString::fromLatin1(m_definition.fields[i].column);
        const QString typed = editText(i);
        // An untouched empty column stays null rather than becoming an empty text.
        if (typed != m_recordSet->text(column))
            m_recordSet->setValue(column, typed);
    }
}
