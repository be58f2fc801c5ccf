#pragma once

#include <QString>
#include <vector>

// How a record form shows a column.
enum class FieldKind { Text, MultiLine, Date, Time };

// The known-value list a field offers (F4, completion).
enum class KnownList { None, LastName, FirstName, FirmName, PersonName, GroupName, AlarmName };

// One data control of a form: it drives both the layout (label, control) and the exchange
// with the record set (column). Fields are listed in tab order.
struct FormField {
    int controlId;
    const char* label;
    const char* column;
    FieldKind kind = FieldKind::Text;
    KnownList list = KnownList::None;
    int resolveMessage = 0;  // what F7 asks the form to resolve; 0: nothing
};

// The "new" and "view" buttons beside a person or company field.
struct RelatedButtons {
    int fieldId;
    int newId;
    int viewId;
};

// Everything that distinguishes one record form from another, as data.
struct FormDefinition {
    const char* kind;   // window kind and registry name ("Person")
    int titleStringId;  // document title ("Persons")
    const char* sort;   // the record set's sort order
    std::vector<FormField> fields;
    std::vector<RelatedButtons> related;
    int positionId;  // the "Position" and "Overall" edits
    int overallId;
    int focusId;  // the field that gets the focus when editing starts
};
