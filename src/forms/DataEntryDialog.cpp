#include "forms/DataEntryDialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CDataEntryDialog::CDataEntryDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Data entry"));
    auto* group = new QGroupBox(QStringLiteral("&Enter name"), this);
    m_edit = new QLineEdit(group);
    m_edit->setObjectName(QStringLiteral("name"));
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_edit);

    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole)->setDefault(true);
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

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
