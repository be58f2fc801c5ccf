#include "forms/GroupFView.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>

#include "data/Connection.h"
#include "data/ErrorReport.h"
#include "forms/DataEntryDialog.h"
#include "forms/TypeAheadComboBox.h"
#include "platform/CommandIds.h"
#include "platform/FrameServices.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "platform/WaitCursor.h"

namespace {

constexpr int kFirstAddGroup = 60001;
constexpr int kDeleteRecord = 60002;
constexpr int kTitle = 60040;

const QString kTable = QStringLiteral("Group");
const QString kIdColumn = QStringLiteral("id");
const QString kNameColumn = QStringLiteral("Name");
const QString kCommentColumn = QStringLiteral("Description");

}  // namespace

// The form's buttons: where they sit and in which state they are enabled.
struct CGroupFView::ButtonDef {
    int id;
    const char* caption;
    void (CGroupFView::*handler)();
    bool onNameRow;
    bool enabledWhileEditing;
};

const CGroupFView::ButtonDef CGroupFView::kButtons[] = {
    {NewButton, "&New", &CGroupFView::OnNew, true, false},
    {DeleteButton, "&Delete", &CGroupFView::OnDelete, true, false},
    {EditButton, "Ed&it", &CGroupFView::OnEdit, false, false},
    {SaveButton, "&Save", &CGroupFView::OnSave, false, true},
    {CancelButton, "&Cancel", &CGroupFView::OnCancel, false, true},
};

CGroupFView::CGroupFView(CDocument* document)
    : m_recordSet(&sharedDatabase()),
      m_machine(m_recordSet, *this, kTable),
      m_moves([this] { return isEditing(); }),
      m_slot(QStringLiteral("Group"), this) {
    SetDocument(document);
    buildLayout();
    connect(&changeNotifier(), &CChangeNotifier::changed, this, &CGroupFView::onDataChanged);
}

CGroupFView::~CGroupFView() = default;

void CGroupFView::buildLayout() {
    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(8);

    m_names = new CTypeAheadComboBox(this);
    m_names->setObjectName(kNameColumn);
    m_names->setMinimumWidth(240);
    auto* nameLabel = new QLabel(QStringLiteral("N&ame"), this);
    nameLabel->setBuddy(m_names);

    m_comment = new QPlainTextEdit(this);
    m_comment->setObjectName(kCommentColumn);
    m_comment->setTabChangesFocus(true);
    m_comment->setMinimumHeight(120);
    auto* commentLabel = new QLabel(QStringLiteral("Co&mment"), this);
    commentLabel->setBuddy(m_comment);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(m_names, 1);
    auto* editRow = new QHBoxLayout;
    editRow->addStretch();
    for (const ButtonDef& def : kButtons) {
        auto* button = new QPushButton(QString::fromLatin1(def.caption), this);
        button->setObjectName(QStringLiteral("button%1").arg(def.id));
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, this, [this, handler = def.handler] {
            // Changes of other writers wait while a handler (and its question) runs.
            CDeferredMoves::Command command(m_moves);
            reportDbErrors([&] { (this->*handler)(); });
        });
        (def.onNameRow ? nameRow : editRow)->addWidget(button);
        m_buttons.append(button);
    }

    grid->addWidget(nameLabel, 0, 0);
    grid->addLayout(nameRow, 0, 1);
    grid->addWidget(commentLabel, 1, 0, Qt::AlignTop | Qt::AlignLeft);
    grid->addWidget(m_comment, 1, 1);
    grid->addLayout(editRow, 2, 1);

    connect(m_names, &QComboBox::currentIndexChanged, this, [this] { ShowSelected(); });
    EnableControls(false);
}

QPushButton* CGroupFView::button(int id) const {
    for (qsizetype i = 0; i < m_buttons.size(); ++i) {
        if (kButtons[i].id == id)
            return m_buttons[i];
    }
    return nullptr;
}

CGroupRcs* CGroupFView::OnGetRecordset() {
    if (!m_opened) {
        m_opened = true;
        m_recordSet.m_strSort = kNameColumn;
        m_recordSet.Open();
    }
    return &m_recordSet;
}

bool CGroupFView::isEditing() const {
    return m_machine.isEditing();
}

void CGroupFView::OnInitialUpdate() {
    {
        WaitCursor wait;
        reportDbErrors([this] { OnGetRecordset(); });
        GetDocument()->SetTitle(loadString(kTitle));
    }
    reportDbErrors([this] { FillNameList(); });
    EnableControls(false);
    if (CFrameServices* services = frameServices())
        services->PlaceFrame(this);
}

void CGroupFView::OnUpdate(CView*, int hint, CHintObject*) {
    if (hint == cmd::Close)
        CloseNow();
}

void CGroupFView::EnableControls(bool editing) {
    for (qsizetype i = 0; i < m_buttons.size(); ++i)
        m_buttons[i]->setEnabled(kButtons[i].enabledWhileEditing == editing);
    m_names->setEnabled(!editing);
    m_comment->setReadOnly(!editing);
    if (editing)
        m_comment->setFocus();
}

void CGroupFView::DoNewMask() {
    m_comment->clear();
}

void CGroupFView::ShowValues() {
    m_comment->setPlainText(m_recordSet.text(kCommentColumn));
}

bool CGroupFView::ReadValues() {
    m_recordSet.setValue(kCommentColumn, m_comment->toPlainText());
    return true;
}

bool CGroupFView::RefreshPosition() {
    ShowValues();
    return true;
}

void CGroupFView::DoAfterPost() {
    if (m_machine.lastPost() == CRecordStateMachine::Post::Deleted)
        FillNameList();
}

bool CGroupFView::ConfirmDelete() {
    return messageBox(loadString(kDeleteRecord), Prompter::Buttons::YesNo,
                      Prompter::Icon::Question) == Prompter::Yes;
}

void CGroupFView::FillNameList() {
    if (!m_recordSet.IsOpen())
        return;
    m_recordSet.m_strSort = kNameColumn;
    m_recordSet.Requery();
    {
        const QSignalBlocker quiet(m_names);
        m_ids.clear();
        m_names->clear();
        for (; !m_recordSet.IsEOF(); m_recordSet.MoveNext()) {
            m_ids.append(m_recordSet.longValue(kIdColumn));
            m_names->addItem(m_recordSet.text(kNameColumn));
        }
        if (!m_ids.isEmpty())
            m_names->setCurrentIndex(0);
    }
    ShowSelected();
}

void CGroupFView::ShowSelected() {
    const int index = m_names->currentIndex();
    if (index < 0 || index >= m_ids.size())
        return;
    reportDbErrors([&] {
        if (m_recordSet.FindFirst(QStringLiteral("id = %1").arg(m_ids[index])))
            ShowValues();
    });
}

void CGroupFView::SelectId(qint32 id) {
    const qsizetype index = m_ids.indexOf(id);
    if (index < 0)
        return;
    const QSignalBlocker quiet(m_names);
    m_names->setCurrentIndex(static_cast<int>(index));
}

void CGroupFView::OnNew() {
    const std::optional<QString> entered = CDataEntryDialog::ask(this);
    if (!entered)
        return;
    // A group is only ever referred to by its name, so a nameless one could never be used.
    const QString name = entered->trimmed();
    if (name.isEmpty()) {
        messageBox(QStringLiteral("Enter a name for the new group."), Prompter::Buttons::Ok,
                   Prompter::Icon::Exclamation);
        return;
    }
    qint32 newId = -1;
    const bool added = reportDbErrors([&] {
        const QScopedValueRollback own(m_adding, true);
        m_recordSet.AddNew();
        m_recordSet.setValue(kNameColumn, name);
        m_recordSet.Update();
        m_recordSet.SetBookmark(m_recordSet.GetLastModifiedBookmark());
        newId = m_recordSet.longValue(kIdColumn);
    });
    if (!added) {
        m_machine.Abandon();
        return;
    }
    FillNameList();
    // Names may repeat: select the new group's own entry, not the first of its name.
    SelectId(newId);
    ShowSelected();
}

void CGroupFView::OnEdit() {
    if (!m_machine.hasRecord()) {
        messageBox(loadString(kFirstAddGroup), Prompter::Buttons::Ok);
        return;
    }
    m_machine.Edit();
}

void CGroupFView::OnSave() {
    if (!isEditing()) {
        EnableControls(false);
        return;
    }
    m_machine.Save();
}

void CGroupFView::OnCancel() {
    if (!m_machine.Cancel()) {
        EnableControls(false);
        ShowValues();
    }
}

void CGroupFView::OnDelete() {
    // Asked even when there is no group, as the form always has; nothing is deleted then.
    if (!m_machine.hasRecord()) {
        ConfirmDelete();
        return;
    }
    m_machine.Delete();
}

void CGroupFView::CloseNow() {
    m_machine.Abandon();
    if (CFrameServices* services = frameServices()) {
        if (QWidget* frame = services->FrameOf(this))
            frame->close();
    }
}

void CGroupFView::onDataChanged(const DataChange& change) {
    if (m_adding || m_refillQueued || !m_machine.Concerns(change))
        return;
    m_refillQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_refillQueued = false;
            m_moves.runOrDefer([this] { reportDbErrors([this] { refillKeepingSelection(); }); });
        },
        Qt::QueuedConnection);
}

void CGroupFView::refillKeepingSelection() {
    const int index = m_names->currentIndex();
    const qint32 selected = index >= 0 && index < m_ids.size() ? m_ids[index] : -1;
    FillNameList();
    if (m_ids.contains(selected)) {
        SelectId(selected);
        ShowSelected();
    }
}

QWidget* createGroupView(CDocument* document) {
    return new CGroupFView(document);
}
