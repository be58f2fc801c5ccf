#include "lists/SearchDlg.h"

#include <QGridLayout>
#include <QIdentityProxyModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "data/Connection.h"
#include "data/DBDoc.h"
#include "data/ErrorReport.h"
#include "lists/SearchResultModel.h"
#include "platform/CommandIcon.h"
#include "platform/FrameServices.h"
#include "platform/TypeAheadListBox.h"

namespace {

constexpr int kResultWidth = 300;

// The results with the icon of each row's kind.
class KindIconModel : public QIdentityProxyModel {
public:
    explicit KindIconModel(QObject* parent) : QIdentityProxyModel(parent) {
        for (int kind = 0; kind < kSearchKindCount; ++kind)
            m_icons[kind] = namedIcon(
                QString::fromLatin1(searchCategory(static_cast<SearchKind>(kind)).iconName));
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::DecorationRole) {
            const int kind = QIdentityProxyModel::data(index, CSearchResultModel::KindRole).toInt();
            return kind >= 0 && kind < kSearchKindCount ? m_icons[kind] : QIcon();
        }
        return QIdentityProxyModel::data(index, role);
    }

private:
    QIcon m_icons[kSearchKindCount];
};

}  // namespace

CSearchDlg::CSearchDlg()
    : m_text(new QLineEdit),
      m_categories(new CTypeAheadListBox),
      m_results(new QListView),
      m_model(new CSearchResultModel(this)) {
    setWindowTitle(QStringLiteral("Tarvex - Search tool"));
    setWindowIcon(namedIcon(QStringLiteral("search")));
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose);
    // Esc ends the dialog without a close event; the tool goes then too, and its search
    // stops at once.
    connect(this, &QDialog::finished, m_model, &CSearchResultModel::stopSearch);
    connect(this, &QDialog::finished, this, &QObject::deleteLater);
    // The window answers while it searches; the pointer shows that it does.
    connect(m_model, &CSearchResultModel::searchingChanged, this, [this](bool searching) {
        if (searching)
            setCursor(Qt::BusyCursor);
        else
            unsetCursor();
    });

    m_text->setObjectName(QStringLiteral("1108"));
    m_categories->setObjectName(QStringLiteral("1106"));
    m_categories->setSelectionMode(QAbstractItemView::MultiSelection);
    QStringList titles;
    for (int kind = 0; kind < kSearchKindCount; ++kind)
        titles << QString::fromLatin1(searchCategory(static_cast<SearchKind>(kind)).title);
    m_categories->setItems(titles);
    m_categories->setMaximumHeight(m_categories->sizeHintForRow(0) * kSearchKindCount + 8);

    auto* icons = new KindIconModel(this);
    icons->setSourceModel(m_model);
    m_results->setObjectName(QStringLiteral("1107"));
    m_results->setModel(icons);
    m_results->setSelectionMode(QAbstractItemView::SingleSelection);
    m_results->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_results->setUniformItemSizes(true);
    m_results->setMinimumWidth(kResultWidth);
    m_results->setIconSize(QSize(16, 16));
    connect(m_results, &QListView::doubleClicked, this, &CSearchDlg::JumpToSelected);

    auto* search = new QPushButton(QStringLiteral("&Search"));
    search->setObjectName(QStringLiteral("3"));
    search->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"));
    cancel->setObjectName(QStringLiteral("2"));
    auto* all = new QPushButton(QStringLiteral("&All"));
    all->setObjectName(QStringLiteral("4"));
    auto* jump = new QPushButton(QStringLiteral("&Jump to..."));
    jump->setObjectName(QStringLiteral("5"));
    connect(search, &QPushButton::clicked, this, &CSearchDlg::Search);
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
    connect(all, &QPushButton::clicked, this, &CSearchDlg::SelectAll);
    connect(jump, &QPushButton::clicked, this, &CSearchDlg::JumpToSelected);

    auto* forLabel = new QLabel(QStringLiteral("Search &for:"));
    forLabel->setBuddy(m_text);
    auto* inLabel = new QLabel(QStringLiteral("Search &in:"));
    inLabel->setBuddy(m_categories);
    auto* resultsLabel = new QLabel(QStringLiteral("&Results"));
    resultsLabel->setBuddy(m_results);

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(search);
    buttons->addWidget(cancel);
    buttons->addWidget(all);
    buttons->addWidget(jump);
    buttons->addStretch();
    auto* layout = new QGridLayout(this);
    layout->addWidget(forLabel, 0, 0);
    layout->addWidget(m_text, 1, 0);
    layout->addWidget(inLabel, 2, 0);
    layout->addWidget(m_categories, 3, 0);
    layout->addWidget(resultsLabel, 4, 0);
    layout->addWidget(m_results, 5, 0);
    layout->addLayout(buttons, 0, 1, 6, 1);
    layout->setRowStretch(5, 1);
    m_model->prepare(databasePath(), currentPassword());
}

CSearchDlg::~CSearchDlg() = default;

void CSearchDlg::keyPressEvent(QKeyEvent* event) {
    // Enter on a result row jumps to it; anywhere else it searches (the default button).
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) &&
        m_results->hasFocus()) {
        JumpToSelected();
        return;
    }
    QDialog::keyPressEvent(event);
}

void CSearchDlg::SelectAll() {
    m_categories->selectAll();
}

void CSearchDlg::Search() {
    std::vector<SearchKind> kinds;
    QList<int> rows = m_categories->selectedRows();
    std::sort(rows.begin(), rows.end());
    for (int row : rows)
        kinds.push_back(static_cast<SearchKind>(row));
    try {
        m_model->search(databasePath(), currentPassword(), kinds, m_text->text());
    } catch (const CDbException& e) {
        reportDbException(e);
    }
    m_results->setFocus();
}

void CSearchDlg::JumpToSelected() {
    const QModelIndexList selected = m_results->selectionModel()->selectedIndexes();
    if (selected.isEmpty())
        return;
    const SearchHit hit = m_model->hit(selected.first().row());
    CFrameServices* services = frameServices();
    if (!services)
        return;
    try {
        if (CView* form =
                services->OpenOrActivate(QString::fromLatin1(searchCategory(hit.kind).formKind))) {
            services->ActivateView(form);
            if (auto* doc = qobject_cast<CDBDoc*>(form->GetDocument()))
                doc->ShowRecordById(hit.id);
        }
    } catch (const CDbException& e) {
        reportDbException(e);
    }
    services->RestoreMainWindow();
}
