#include "forms/FieldBinder.h"

#include <QDateEdit>
#include <QPlainTextEdit>
#include <QTimeEdit>
#include <utility>

#include "data/KnownValues.h"
#include "data/RecordSet.h"
#include "data/StoredDateTime.h"
#include "forms/PickListEdit.h"
#include "platform/StringTable.h"

namespace {

constexpr int kPickListHint = 60035;

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

QWidget* makeControl(const FormField& field, QWidget* parent) {
    switch (field.kind) {
        case FieldKind::Text: {
            auto* edit = new CPickListEdit(parent);
            edit->setList(knownList(field.list));
            if (field.list != KnownList::None)
                edit->setToolTip(loadString(kPickListHint));
            if (field.resolveMessage != 0) {
                edit->setResolveOnF7(true);
                edit->setResolveMessage(field.resolveMessage);
            }
            return edit;
        }
        case FieldKind::MultiLine: {
            auto* edit = new QPlainTextEdit(parent);
            edit->setTabChangesFocus(true);
            edit->setFixedHeight(72);
            return edit;
        }
        case FieldKind::Date: {
            auto* date = new QDateEdit(parent);
            date->setCalendarPopup(true);
            date->setMinimumDate(kNoDate);
            date->setSpecialValueText(QStringLiteral(" "));
            date->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
            return date;
        }
        case FieldKind::Time: {
            auto* time = new QTimeEdit(parent);
            time->setDisplayFormat(QStringLiteral("HH:mm:ss"));
            return time;
        }
    }
    return nullptr;
}

}  // namespace

CFieldBinder::CFieldBinder(std::vector<FormField> fields) : m_fields(std::move(fields)) {}

void CFieldBinder::createControls(QWidget* parent) {
    for (const FormField& field : m_fields) {
        QWidget* widget = makeControl(field, parent);
        widget->setObjectName(QString::fromLatin1(field.column));
        m_controls.insert(field.controlId, widget);
    }
}

int CFieldBinder::controlId(const QObject* control) const {
    for (auto it = m_controls.cbegin(); it != m_controls.cend(); ++it) {
        if (it.value() == control)
            return it.key();
    }
    return 0;
}

void CFieldBinder::show(const CRecordSet& recordSet) const {
    for (const FormField& field : m_fields) {
        QWidget* widget = control(field.controlId);
        const QVariant value = recordSet.value(QString::fromLatin1(field.column));
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

void CFieldBinder::read(CRecordSet& recordSet) const {
    for (const FormField& field : m_fields) {
        QWidget* widget = control(field.controlId);
        const QString column = QString::fromLatin1(field.column);
        switch (field.kind) {
            case FieldKind::Text:
                recordSet.setValue(column, static_cast<QLineEdit*>(widget)->text());
                break;
            case FieldKind::MultiLine:
                recordSet.setValue(column, static_cast<QPlainTextEdit*>(widget)->toPlainText());
                break;
            case FieldKind::Date: {
                const QDate date = static_cast<QDateEdit*>(widget)->date();
                const QDateTime old = recordSet.value(column).toDateTime();
                recordSet.setValue(column,
                                   wallClock(date, old.isValid() ? old.time() : QTime(0, 0)));
                break;
            }
            case FieldKind::Time: {
                const QTime time = static_cast<QTimeEdit*>(widget)->time();
                const QDateTime old = recordSet.value(column).toDateTime();
                recordSet.setValue(column, wallClock(old.isValid() ? old.date() : kNoDate, time));
                break;
            }
        }
    }
}

void CFieldBinder::setEditable(bool editable) const {
    for (QWidget* widget : m_controls) {
        if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            line->setReadOnly(!editable);
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
            text->setReadOnly(!editable);
        } else {
            widget->setEnabled(editable);
        }
    }
}

void CFieldBinder::clearTexts() const {
    for (QWidget* widget : m_controls) {
        if (auto* line = qobject_cast<QLineEdit*>(widget)) {
            line->clear();
        } else if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
            text->clear();
        }
    }
}
