#include "forms/DataEntryDialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/DialogButtons.h"

CDataEntryDialog::CDataEntryDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Data entry"));
    auto* group = new QGroupBox(QStringLiteral("&Enter name"), this);
    m_edit = new QLineEdit(group);
    m_edit->setObjectName(QStringLiteral("name"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_edit);

    QDialogButtonBox* buttons = okCancelButtons(this);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    m_edit->setFocus();
}

QString CDataEntryDialog::text() const {
    return m_edit->text();
}

void CDataEntryDialog::setText(const QString& text) {
    m_edit->setText(text);
}

std::optional<QString> CDataEntryDialog::ask(QWidget* parent) {
    CDataEntryDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.text();
}
