#include "forms/MyFormView.h"

#include <QDateEdit>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>
#include <utility>

#include "app/MainFrame.h"
#include "app/SpawnMDIChildWnd.h"
#include "data/DBDoc.h"
#include "data/DbException.h"
#include "data/ErrorReport.h"
#include "data/KnownValues.h"
#include "data/RecordLocator.h"
#include "data/StoredDateTime.h"
#include "forms/PickListEdit.h"
#include "platform/CommandIds.h"
#include "platform/Prompter.h"
#include "platform/StringTable.h"
#include "platform/WaitCursor.h"

namespace {

constexpr int kPickListHint = 60035;
constexpr int kCancelEditing = 60003;
constexpr int kDeleteRecord = 60002;

// The day that stands for "no date" in the date pickers.
const QDate kNoDate(1899, 12, 30);

const QStringList* knownList(KnownList list) {
    switch (list) {
        case KnownList::None:
            return nullptr;
        case KnownList::LastName:
            return &LastNameList().items();
        case KnownList::FirstName:
            return &FirstNameList().items();
        case KnownList::FirmName:
            return &FirmNameList().items();
        case KnownList::PersonName:
            return &PersonNameList().items();
        case KnownList::GroupName:
            return &GroupNameList().items();
        case KnownList::AlarmName:
            return &AlarmNameList().items();
    }
    return nullptr;
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
      m_slot(QString::fromLatin1(m_definition.kind), this),
      m_moves([this] { return isEditing(); }) {
    SetDocument(document);
    buildLayout();
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

QWidget* CMyFormView::makeControl(const FormField& field) {
    const QString name = QString::fromLatin1(field.column);
    QWidget* widget = nullptr;
    switch (field.kind) {
        case FieldKind::Text: {
            auto* edit = new CPickListEdit(this);
            edit->setList(knownList(field.list));
            if (field.list != KnownList::None)
                edit->setToolTip(loadString(kPickListHint));
            if (field.resolveMessage != 0) {
                edit->setResolveOnF7(true);
                edit->setResolveMessage(field.resolveMessage);
                connect(edit, &CPickListEdit::resolveRequested, this, [this](int message) {
                    runCommand([this, message] { OnResolve(message); });
                });
            }
            widget = edit;
            break;
        }
        case FieldKind::MultiLine: {
            auto* edit = new QPlainTextEdit(this);
            edit->setTabChangesFocus(true);
            edit->setFixedHeight(72);
            widget = edit;
            break;
        }
        case FieldKind::Date: {
            auto* date = new QDateEdit(this);
            date->setCalendarPopup(true);
            date->setMinimumDate(kNoDate);
            date->setSpecialValueText(QStringLiteral(" "));
            date->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
            widget = date;
            break;
        }
        case FieldKind::Time: {
            auto* time = new QTimeEdit(this);
            time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
            widget = time;
            break;
        }
    }
    widget->setObjectName(name);
    widget->installEventFilter(this);
    return widget;
}

void CMyFormView::buildLayout() {
    auto* outer = new QVBoxLayout(this);
    // Single-line fields stand in two columns (label, field, buttons on each side), in tab
    // order row by row; multi-line fields follow across the whole width.
    m_grid = new QGridLayout;
    m_grid->setHorizontalSpacing(8);
    int lineFields = 0;
    std::vector<std::pair<QLabel*, QWidget*>> multiLine;
    for (const FormField& field : m_definition.fields) {
        QWidget* widget = makeControl(field);
        m_controls.insert(field.controlId, widget);
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
    return m_opened && m_recordSet->GetEditMode() != CRecordSet::dbEditNone;
}

void CMyFormView::OnInitialUpdate() {
    bool opened = false;
    {
        WaitCursor wait;
        // A form may have tried (and reported) the opening before.
        opened = reportDbErrors([this] { OnGetRecordset(); }) && m_recordSet->IsOpen();
        GetDocument()->SetTitle(loadString(m_definition.titleStringId));
    }
    CSpawnMDIChildWnd* frame = childFrameOf(this);
    if (!opened) {
        // A table that cannot be read is not shown as an empty one: after the report the
        // window goes, so that nothing is typed into a form that cannot save it.
        EnableControls(false);
        if (frame)
            QMetaObject::invokeMethod(frame, &QWidget::close, Qt::QueuedConnection);
        return;
    }
    reportDbErrors([this] { RefreshPosition(); });
    EnableControls(false);
    if (frame) {
        frame->RestorePlacement();
        frame->fitToViewOnce();
    }
}

void CMyFormView::OnUpdate(CView*, int hint, CHintObject* hintObject) {
    const auto* locator = dynamic_cast<const CRecordLocator*>(hintObject);
    if (!m_recordSet->IsOpen())
        return;
    if (hint == cmd::ShowRecord || hint == cmd::AddNew) {
        requestMove(hint, locator);
        return;
    }
    CRecordSet* rs = m_recordSet.get();
    runCommand([&] {
        switch (hint) {
            case cmd::FirstRecord:
                if (!(rs->IsBOF() && rs->IsEOF()))
                    moveAndRefresh(&CRecordSet::MoveFirst);
                break;
            case cmd::PreviousRecord:
                if (!rs->IsBOF())
                    moveAndRefresh(&CRecordSet::MovePrev);
                break;
            case cmd::NextRecord:
                if (!rs->IsEOF())
                    moveAndRefresh(&CRecordSet::MoveNext);
                break;
            case cmd::LastRecord:
                if (!(rs->IsBOF() && rs->IsEOF()))
                    moveAndRefresh(&CRecordSet::MoveLast);
                break;
            case cmd::EditRecord:
                if (isEditing())
                    break;
                rs->Edit();
                EnableControls(true);
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

void CMyFormView::moveAndRefresh(void (CRecordSet::*move)()) {
    CRecordSet* rs = m_recordSet.get();
    (rs->*move)();
    // Stepping past either end keeps the form on the first or last record.
    if (rs->IsBOF() && !rs->IsEOF())
        rs->MoveFirst();
    if (rs->IsEOF() && !rs->IsBOF())
        rs->MoveLast();
    RefreshPosition();
}

void CMyFormView::EnableControls(bool enable) {
    for (QWidget* widget : std::as_const(m_controls)) {
        if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            line->setReadOnly(!enable);
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
            text->setReadOnly(!enable);
        } else {
            widget->setEnabled(enable);
        }
    }
    if (QWidget* focus = control(m_definition.focusId))
        focus->setFocus();
    if (CDBDoc* doc = document())
        doc->setFlag(CDBDoc::Editing, enable ? 1 : 0);
}

void CMyFormView::DoNewMask() {
    for (QWidget* widget : std::as_const(m_controls)) {
        if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            line->clear();
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
            text->clear();
        }
    }
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
    if (CDBDoc* doc = document()) {
        doc->setFlag(CDBDoc::NextEnabled, follows);
        doc->setFlag(CDBDoc::LastEnabled, follows);
        doc->setFlag(CDBDoc::FirstEnabled, precedes);
        doc->setFlag(CDBDoc::PreviousEnabled, precedes);
        doc->setHasRecords(empty ? 0 : 1);
    }
    setPositionTexts();
    ShowValues();
    DoAfterMove();
    if (!returnsToCaller()) {
        CallerLink& link = callerLink(m_kind);
        if (link.returnPending) {
            link.returnPending = false;
            if (CView* caller = link.callerView()) {
                if (CMainFrame* main = CMainFrame::instance())
                    main->ActivateView(caller);
            }
        }
    }
    return true;
}

void CMyFormView::ShowValues() {
    for (const FormField& field : m_definition.fields) {
        QWidget* widget = control(field.controlId);
        const QVariant value = m_recordSet->value(QString::fromLatin1(field.column));
        switch (field.kind) {
            case FieldKind::Text:
                static_cast<QLineEdit*>(widget)->setText(value.toString());
                break;
            case FieldKind::MultiLine:
                static_cast<QPlainTextEdit*>(widget)->setPlainText(value.toString());
                break;
            case FieldKind::Date:
                static_cast<QDateEdit*>(widget)->setDate(
                    value.isNull() ? kNoDate : value.toDateTime().date());
                break;
            case FieldKind::Time:
                static_cast<QTimeEdit*>(widget)->setTime(
                    value.isNull() ? QTime(0, 0) : value.toDateTime().time());
                break;
        }
    }
}

bool CMyFormView::ReadValues() {
    for (const FormField& field : m_definition.fields) {
        QWidget* widget = control(field.controlId);
        const QString column = QString::fromLatin1(field.column);
        switch (field.kind) {
            case FieldKind::Text:
                m_recordSet->setValue(column, static_cast<QLineEdit*>(widget)->text());
                break;
            case FieldKind::MultiLine:
                m_recordSet->setValue(column, static_cast<QPlainTextEdit*>(widget)->toPlainText());
                break;
            case FieldKind::Date: {
                const QDate date = static_cast<QDateEdit*>(widget)->date();
                const QDateTime old = m_recordSet->value(column).toDateTime();
                m_recordSet->setValue(column,
                                      wallClock(date, old.isValid() ? old.time() : QTime(0, 0)));
                break;
            }
            case FieldKind::Time: {
                const QTime time = static_cast<QTimeEdit*>(widget)->time();
                const QDateTime old = m_recordSet->value(column).toDateTime();
                m_recordSet->setValue(column,
                                      wallClock(old.isValid() ? old.date() : kNoDate, time));
                break;
            }
        }
    }
    return true;
}

void CMyFormView::NewRecord(const CRecordLocator* locator) {
    CRecordSet* rs = m_recordSet.get();
    // Refused before the form changes, so that a set that cannot take a record never
    // looks as if it were adding one.
    rs->CheckWritable();
    DoNewMask();
    EnableControls(true);
    DoNewDefaults();
    rs->AddNew();
    if (locator)
        FillNewRecordNames(*locator);
}

void CMyFormView::EditForReturnedName() {
    if (isEditing())
        return;
    CRecordSet* rs = m_recordSet.get();
    if (rs->IsBOF() || rs->IsEOF()) {
        NewRecord(nullptr);
        return;
    }
    rs->Edit();
    EnableControls(true);
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
    CRecordSet* rs = m_recordSet.get();
    if (!isEditing())
        return;
    if (!ReadValues())
        return;
    if (!DoBeforePost())
        return;
    const bool added = rs->GetEditMode() == CRecordSet::dbEditAdd;
    rs->Update();
    AfterUpdate(added);
    DoAfterPost();
    EnableControls(false);
    RefreshPosition();
    if (returnsToCaller())
        ReturnToCaller(savedName());
}

void CMyFormView::CancelOrDelete() {
    CRecordSet* rs = m_recordSet.get();
    if (isEditing()) {
        if (messageBox(loadString(kCancelEditing), Prompter::Buttons::YesNo,
                       Prompter::Icon::Question) != Prompter::Yes)
            return;
        rs->CancelUpdate();
        EnableControls(false);
    } else {
        // Nothing to delete: no question about a record that is not there.
        if (rs->IsBOF() || rs->IsEOF())
            return;
        if (messageBox(loadString(kDeleteRecord), Prompter::Buttons::YesNo,
                       Prompter::Icon::Exclamation) != Prompter::Yes)
            return;
        // A delete that fails leaves the record, the record set and the controls as they
        // were: the dispatcher reports the error and nothing below runs.
        rs->Delete();
        try {
            if (!rs->IsEOF())
                rs->MoveNext();
            if (rs->IsBOF() && rs->IsEOF()) {
                rs->SetFieldNull();
            } else if (rs->IsEOF()) {
                rs->MovePrev();
            }
        } catch (const CDbException& e) {
            // The record is gone; only the move to its neighbour failed.
            ReportDbException(e);
            rs->SetFieldNull();
        }
        ShowValues();
        DoAfterPost();
    }
    RefreshPosition();
    if (returnsToCaller())
        ReturnToCaller(std::nullopt);
}

void CMyFormView::Close() {
    if (isEditing()) {
        CancelOrDelete();
        return;
    }
    if (CMainFrame* main = CMainFrame::instance()) {
        if (CSpawnMDIChildWnd* frame = main->frameOf(this))
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
    CMainFrame* main = CMainFrame::instance();
    if (!main)
        return;
    CView* target = main->OpenOrActivate(targetWindowKind);
    if (!target || !target->GetDocument())
        return;
    callerLink(targetKind).set(this);
    target->GetDocument()->UpdateAllViews(nullptr, cmd::AddNew);
}

void CMyFormView::ViewRelated(const QString& targetWindowKind, const QString& name) {
    CMainFrame* main = CMainFrame::instance();
    if (!main)
        return;
    CView* target = main->OpenOrActivate(targetWindowKind);
    if (!target)
        return;
    main->ActivateView(target);
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
    if (CMainFrame* main = CMainFrame::instance())
        main->ActivateView(caller);
    if (name && caller->GetDocument()) {
        CRecordLocator locator(*name, QString());
        caller->GetDocument()->UpdateAllViews(nullptr, returnHint(m_kind), &locator);
    }
}

bool CMyFormView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && isEditing()) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            for (auto it = m_controls.cbegin(); it != m_controls.cend(); ++it) {
                if (it.value() == watched) {
                    const int controlId = it.key();
                    runCommand([this, controlId] { OnFieldLeft(controlId); });
                    break;
                }
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
