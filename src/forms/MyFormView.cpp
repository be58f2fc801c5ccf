#include "forms/MyFormView.h"

#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <utility>

#include "data/DBDoc.h"
#include "data/ErrorReport.h"
#include "data/RecordLocator.h"
#include "forms/PickListEdit.h"
#include "platform/CommandIds.h"
#include "platform/FrameServices.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "platform/WaitCursor.h"

namespace {

constexpr int kCancelEditing = 60003;
constexpr int kDeleteRecord = 60002;

// The table a form's record set opens, e.g. "Person" for "[Person]".
QString tableOf(const CRecordSet& recordSet) {
    QString source = recordSet.GetDefaultSQL();
    if (source.startsWith(u'[') && source.endsWith(u']'))
        source = source.mid(1, source.size() - 2);
    return source;
}

int returnHint(FormKind kind) {
    return kind == FormKind::Person ? cmd::ReturnPersonName : cmd::ReturnFirmName;
}

}  // namespace

CMyFormView::CMyFormView(CDocument* document, FormDefinition definition, FormKind kind,
                         std::unique_ptr<CRecordSet> recordSet)
    : m_definition(std::move(definition)),
      m_kind(kind),
      m_recordSet(std::move(recordSet)),
      m_binder(m_definition.fields),
      m_machine(*m_recordSet, *this, tableOf(*m_recordSet)),
      m_slot(QString::fromLatin1(m_definition.kind), this),
      m_moves([this] { return isEditing(); }) {
    SetDocument(document);
    buildLayout();
    connect(&changeNotifier(), &CChangeNotifier::changed, this, &CMyFormView::onDataChanged);
}

CMyFormView::~CMyFormView() {
    // A form closed before it returned to its caller no longer owes it anything.
    callerLink(m_kind).returnPending = false;
}

CDBDoc* CMyFormView::document() const {
    return qobject_cast<CDBDoc*>(GetDocument());
}

CPickListEdit* CMyFormView::edit(int controlId) const {
    return qobject_cast<CPickListEdit*>(control(controlId));
}

void CMyFormView::buildLayout() {
    auto* outer = new QVBoxLayout(this);
    // Single-line fields stand in two columns (label, field, buttons on each side), in tab
    // order row by row; multi-line fields follow across the whole width.
    m_grid = new QGridLayout;
    m_grid->setHorizontalSpacing(8);
    int lineFields = 0;
    std::vector<std::pair<QLabel*, QWidget*>> multiLine;
    m_binder.createControls(this);
    for (const FormField& field : m_definition.fields) {
        QWidget* widget = m_binder.control(field.controlId);
        widget->installEventFilter(this);
        if (auto* edit = qobject_cast<CPickListEdit*>(widget); edit && edit->resolveOnF7()) {
            connect(edit, &CPickListEdit::resolveRequested, this,
                    [this](int message) { runCommand([this, message] { OnResolve(message); }); });
        }
        auto* label = new QLabel(QString::fromUtf8(field.label), this);
        label->setBuddy(widget);
        if (field.kind == FieldKind::MultiLine) {
            multiLine.emplace_back(label, widget);
            continue;
        }
        const int gridRow = lineFields / 2;
        const int column = (lineFields % 2) * 3;
        ++lineFields;
        m_grid->addWidget(label, gridRow, column, Qt::AlignLeft);
        m_grid->addWidget(widget, gridRow, column + 1);
        for (const RelatedButtons& related : m_definition.related) {
            if (related.fieldId != field.controlId)
                continue;
            auto* buttons = new QHBoxLayout;
            buttons->setSpacing(2);
            for (const auto& [id, text] :
                 {std::pair{related.newId, "new"}, std::pair{related.viewId, "view"}}) {
                auto* button = new QPushButton(QString::fromLatin1(text), this);
                button->setObjectName(QStringLiteral("button%1").arg(id));
                button->setAutoDefault(false);
                button->setFocusPolicy(Qt::NoFocus);
                button->setFixedWidth(44);
                m_buttons.insert(id, button);
                buttons->addWidget(button);
            }
            m_grid->addLayout(buttons, gridRow, column + 2);
        }
    }
    for (auto [label, widget] : multiLine) {
        const int gridRow = m_grid->rowCount();
        m_grid->addWidget(label, gridRow, 0, Qt::AlignTop | Qt::AlignLeft);
        m_grid->addWidget(widget, gridRow, 1, 1, 5);
    }
    m_grid->setColumnMinimumWidth(1, 200);
    m_grid->setColumnMinimumWidth(4, 200);
    m_grid->setColumnMinimumWidth(2, 4);
    outer->addLayout(m_grid);

    m_buttonRow = new QHBoxLayout;
    outer->addLayout(m_buttonRow);

    auto* positionRow = new QHBoxLayout;
    for (auto [edit, text, id] : {std::tuple{&m_positionEdit, "Position", m_definition.positionId},
                                  std::tuple{&m_overallEdit, "Overall", m_definition.overallId}}) {
        *edit = new QLineEdit(this);
        (*edit)->setObjectName(id == m_definition.positionId ? QStringLiteral("position")
                                                             : QStringLiteral("overall"));
        (*edit)->setReadOnly(true);
        (*edit)->setFocusPolicy(Qt::NoFocus);
        (*edit)->setFixedWidth(70);
        (*edit)->setAlignment(Qt::AlignRight);
        positionRow->addWidget(new QLabel(QString::fromLatin1(text), this));
        positionRow->addWidget(*edit);
    }
    positionRow->addStretch();
    outer->addLayout(positionRow);
}

void CMyFormView::onClicked(int buttonId, std::function<void()> step) {
    connect(button(buttonId), &QPushButton::clicked, this,
            [this, step = std::move(step)] { runCommand(step); });
}

void CMyFormView::runCommand(const std::function<void()>& step) {
    CDeferredMoves::Command command(m_moves);
    reportDbErrors(step);
}

QPushButton* CMyFormView::addButton(int id, const QString& text) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(QStringLiteral("button%1").arg(id));
    button->setAutoDefault(false);
    m_buttons.insert(id, button);
    m_buttonRow->addWidget(button);
    return button;
}

CRecordSet* CMyFormView::OnGetRecordset() {
    if (!m_opened) {
        m_opened = true;
        m_recordSet->m_strSort = QString::fromLatin1(m_definition.sort);
        m_recordSet->Open();
    }
    return m_recordSet.get();
}

bool CMyFormView::isEditing() const {
    return m_opened && m_machine.isEditing();
}

void CMyFormView::OnInitialUpdate() {
    bool opened = false;
    {
        WaitCursor wait;
        // A form may have tried (and reported) the opening before.
        opened = reportDbErrors([this] { OnGetRecordset(); }) && m_recordSet->IsOpen();
        GetDocument()->SetTitle(loadString(m_definition.titleStringId));
    }
    CFrameServices* services = frameServices();
    if (!opened) {
        // A table that cannot be read is not shown as an empty one: after the report the
        // window goes, so that nothing is typed into a form that cannot save it.
        EnableControls(false);
        if (QWidget* frame = services ? services->FrameOf(this) : nullptr)
            QMetaObject::invokeMethod(frame, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    reportDbErrors([this] { RefreshPosition(); });
    EnableControls(false);
    if (services)
        services->PlaceFrame(this);
}

void CMyFormView::OnUpdate(CView*, int hint, CHintObject* hintObject) {
    const auto* locator = dynamic_cast<const CRecordLocator*>(hintObject);
    if (!m_recordSet->IsOpen())
        return;
    if (hint == cmd::ShowRecord || hint == cmd::AddNew) {
        requestMove(hint, locator);
        return;
    }
    using Move = CRecordStateMachine::Move;
    runCommand([&] {
        switch (hint) {
            case cmd::FirstRecord:
                m_machine.MoveTo(Move::First);
                break;
            case cmd::PreviousRecord:
                m_machine.MoveTo(Move::Previous);
                break;
            case cmd::NextRecord:
                m_machine.MoveTo(Move::Next);
                break;
            case cmd::LastRecord:
                m_machine.MoveTo(Move::Last);
                break;
            case cmd::EditRecord:
                m_machine.Edit();
                break;
            case cmd::SaveRecord:
                Save();
                break;
            case cmd::EraseRecord:
                CancelOrDelete();
                break;
            case cmd::ListRecords:
                if (!isEditing())
                    DoListRecords();
                break;
            case cmd::Print:
                if (!isEditing())
                    DoPrint();
                break;
            case cmd::Close:
                Close();
                break;
            case cmd::ReturnPersonName:
            case cmd::ReturnFirmName:
                if (locator)
                    OnNameReturned(hint, *locator);
                break;
            default:
                break;
        }
    });
}

void CMyFormView::requestMove(int hint, const CRecordLocator* locator) {
    if (hint == cmd::ShowRecord && !locator)
        return;
    std::optional<CRecordLocator> target;
    if (locator)
        target = *locator;
    // A caller that waits for a new record is owed the record still to be added, not the
    // edit in progress: its link goes with the request.
    std::optional<CallerLink> caller;
    if (hint == cmd::AddNew && m_moves.busy() && callerLink(m_kind).returnPending)
        caller = std::exchange(callerLink(m_kind), CallerLink());
    m_moves.runOrDefer([this, hint, target, caller] {
        if (caller)
            callerLink(m_kind) = *caller;
        reportDbErrors([&] {
            if (hint == cmd::ShowRecord)
                ShowRecord(*target);
            else
                NewRecord(target ? &*target : nullptr);
        });
    });
}

void CMyFormView::EnableControls(bool enable) {
    m_binder.setEditable(enable);
    if (QWidget* focus = control(m_definition.focusId))
        focus->setFocus();
    if (CDBDoc* doc = document())
        doc->setFlag(CDBDoc::Editing, enable ? 1 : 0);
}

void CMyFormView::DoNewMask() {
    m_binder.clearTexts();
}

void CMyFormView::setPositionTexts() {
    m_positionEdit->setText(QString::number(m_position));
    m_overallEdit->setText(QString::number(m_overall));
}

bool CMyFormView::RefreshPosition() {
    CRecordSet* rs = m_recordSet.get();
    const bool empty = rs->IsBOF() && rs->IsEOF();
    const long absolute = rs->GetAbsolutePosition();
    m_position = static_cast<qint32>(absolute + 1);
    m_overall = static_cast<qint32>(rs->GetRecordCount());
    const bool onRecord = !rs->IsBOF() && !rs->IsEOF();
    const int follows = onRecord && absolute + 1 < m_overall ? 1 : 0;
    const int precedes = onRecord && absolute > 0 ? 1 : 0;
    if (CDBDoc* doc = document())
        doc->setPositionFlags(follows, precedes, empty ? 0 : 1);
    setPositionTexts();
    ShowValues();
    DoAfterMove();
    if (!returnsToCaller()) {
        CallerLink& link = callerLink(m_kind);
        if (link.returnPending) {
            link.returnPending = false;
            if (CView* caller = link.callerView()) {
                if (CFrameServices* services = frameServices())
                    services->ActivateView(caller);
            }
        }
    }
    return true;
}

void CMyFormView::ShowValues() {
    m_binder.show(*m_recordSet);
}

bool CMyFormView::ReadValues() {
    m_binder.read(*m_recordSet);
    return true;
}

void CMyFormView::NewRecord(const CRecordLocator* locator) {
    m_machine.AddNew();
    if (locator)
        FillNewRecordNames(*locator);
}

void CMyFormView::EditForReturnedName() {
    if (isEditing())
        return;
    if (!m_machine.hasRecord()) {
        NewRecord(nullptr);
        return;
    }
    m_machine.Edit();
}

void CMyFormView::AfterUpdate(bool added) {
    if (!added)
        return;
    // The new record takes its place in the sort order and becomes current; where the
    // record set cannot place it exactly, the query runs again.
    if (m_recordSet->PlaceLastAdded())
        return;
    const qint64 addedId = m_recordSet->GetLastModifiedBookmark();
    m_recordSet->Requery();
    m_recordSet->SetBookmark(addedId);
}

void CMyFormView::Save() {
    if (m_machine.Save() && returnsToCaller())
        ReturnToCaller(savedName());
}

bool CMyFormView::ConfirmCancel() {
    return messageBox(loadString(kCancelEditing), Prompter::Buttons::YesNo,
                      Prompter::Icon::Question) == Prompter::Yes;
}

bool CMyFormView::ConfirmDelete() {
    return messageBox(loadString(kDeleteRecord), Prompter::Buttons::YesNo,
                      Prompter::Icon::Exclamation) == Prompter::Yes;
}

void CMyFormView::CancelOrDelete() {
    if (m_machine.CancelOrDelete() && returnsToCaller())
        ReturnToCaller(std::nullopt);
}

void CMyFormView::Close() {
    if (isEditing()) {
        CancelOrDelete();
        return;
    }
    if (CFrameServices* services = frameServices()) {
        if (QWidget* frame = services->FrameOf(this))
            frame->close();
    }
}

void CMyFormView::ShowRecord(const CRecordLocator& locator) {
    CRecordSet* rs = m_recordSet.get();
    const QString condition =
        locator.m_lId != -1 ? QStringLiteral("ID = %1").arg(locator.m_lId) : nameCondition(locator);
    if (!condition.isEmpty() && rs->FindFirst(condition)) {
        RefreshPosition();
        return;
    }
    OnNotFound(locator);
}

void CMyFormView::OnNotFound(const CRecordLocator&) {
    RefreshPosition();
}

void CMyFormView::DoAfterPost() {}

void CMyFormView::OpenNewRelated(FormKind targetKind, const QString& targetWindowKind) {
    CFrameServices* services = frameServices();
    if (!services)
        return;
    CView* target = services->OpenOrActivate(targetWindowKind);
    if (!target || !target->GetDocument())
        return;
    callerLink(targetKind).set(this);
    target->GetDocument()->UpdateAllViews(nullptr, cmd::AddNew);
}

void CMyFormView::ViewRelated(const QString& targetWindowKind, const QString& name) {
    CFrameServices* services = frameServices();
    if (!services)
        return;
    CView* target = services->OpenOrActivate(targetWindowKind);
    if (!target)
        return;
    services->ActivateView(target);
    if (auto* doc = qobject_cast<CDBDoc*>(target->GetDocument()))
        doc->ShowRecordByTexts(name, QString(), QString());
}

void CMyFormView::ReturnToCaller(const std::optional<QString>& name) {
    CallerLink& link = callerLink(m_kind);
    if (!link.returnPending)
        return;
    link.returnPending = false;
    CView* caller = link.callerView();
    if (!caller)
        return;
    if (CFrameServices* services = frameServices())
        services->ActivateView(caller);
    if (name && caller->GetDocument()) {
        CRecordLocator locator(*name, QString());
        caller->GetDocument()->UpdateAllViews(nullptr, returnHint(m_kind), &locator);
    }
}

bool CMyFormView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && isEditing()) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        const auto* edit = qobject_cast<const CPickListEdit*>(watched);
        const bool toOwnList = edit && edit->listShown();
        const int controlId = m_binder.controlId(watched);
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && !toOwnList &&
            controlId != 0)
            runCommand([this, controlId] { OnFieldLeft(controlId); });
    }
    return QWidget::eventFilter(watched, event);
}

void CMyFormView::onDataChanged(const DataChange& change) {
    if (!m_opened || !m_machine.Concerns(change))
        return;
    const bool queued = !m_changes.empty();
    m_changes.push_back(change);
    if (!queued)
        QMetaObject::invokeMethod(this, &CMyFormView::takeInChanges, Qt::QueuedConnection);
}

void CMyFormView::takeInChanges() {
    // An edit in progress keeps the user's typing: the changes wait for its end.
    m_moves.runOrDefer([this, changes = std::exchange(m_changes, {})] {
        reportDbErrors([&] {
            for (const DataChange& change : changes)
                m_machine.ApplyChange(change);
        });
    });
}
