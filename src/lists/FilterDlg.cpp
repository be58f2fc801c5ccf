#include "lists/FilterDlg.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "lists/MyListView.h"

namespace {

// Header texts are read up to this length.
constexpr int kMaxTitle = 1023;

}  // namespace

CFilterDlg::CFilterDlg() : m_columns(new QComboBox), m_text(new QLineEdit) {
    setWindowTitle(QStringLiteral("Filter"));
    setModal(true);
    m_columns->setObjectName(QStringLiteral("1051"));
    m_columns->setEditable(false);
    m_text->setObjectName(QStringLiteral("1052"));

    auto* group = new QGroupBox;
    auto* fields = new QVBoxLayout(group);
    auto* columnLabel = new QLabel(QStringLiteral("Select co&lumn you filter by"));
    columnLabel->setBuddy(m_columns);
    auto* textLabel = new QLabel(QStringLiteral("Enter &text you filter by"));
    textLabel->setBuddy(m_text);
    fields->addWidget(columnLabel);
    fields->addWidget(m_columns);
    fields->addWidget(textLabel);
    fields->addWidget(m_text);

    auto* ok = new QPushButton(QStringLiteral("&OK"));
    ok->setObjectName(QStringLiteral("1"));
    ok->setDefault(true);
    auto* reset = new QPushButton(QStringLiteral("&Reset"));
    reset->setObjectName(QStringLiteral("1053"));
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"));
    cancel->setObjectName(QStringLiteral("2"));
    connect(ok, &QPushButton::clicked, this, &CFilterDlg::onOk);
    connect(reset, &QPushButton::clicked, this, &CFilterDlg::onReset);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(reset);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(group);
    layout->addLayout(buttons);
}

void CFilterDlg::setOwnerList(CMyListView* list) {
    m_owner = list;
    m_columns->clear();
    if (!m_owner)
        return;
    // Header-item order is the list-column order, not the order on the screen.
    for (int i = 0; i < m_owner->headerCount(); ++i)
        m_columns->addItem(m_owner->headerText(i).left(kMaxTitle));
    m_columns->setCurrentIndex(m_columns->count() > 0 ? 0 : -1);
}

void CFilterDlg::onOk() {
    m_columnIndex = m_columns->currentIndex();
    m_filterText = u'*' + m_text->text() + u'*';
    m_text->setText(m_filterText);
    accept();
}

void CFilterDlg::onReset() {
    m_columnIndex = m_columns->currentIndex();
    m_filterText.clear();
    accept();
}
