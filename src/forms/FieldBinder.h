#pragma once

#include <QHash>
#include <vector>

#include "forms/FormDefinition.h"

class CRecordSet;
class QObject;
class QWidget;

// The exchange between a form's data controls and the fields of its record set, driven by
// the form's field table: one control per field, made to suit the field's kind, named after
// its column.
class CFieldBinder {
public:
    explicit CFieldBinder(std::vector<FormField> fields);

    // Creates the control of every field as a child of `parent`.
    void createControls(QWidget* parent);
    const std::vector<FormField>& fields() const { return m_fields; }
    // The control of a field's control id, or nullptr.
    QWidget* control(int controlId) const { return m_controls.value(controlId, nullptr); }
    // The control id of a control, or 0.
    int controlId(const QObject* control) const;

    // Current record to controls.
    void show(const CRecordSet& recordSet) const;
    // Controls to the record's fields. A date or a time control replaces only its half of
    // the stored moment.
    void read(CRecordSet& recordSet) const;
    // Text controls read-only (false) or writable; the other controls disabled or enabled.
    void setEditable(bool editable) const;
    // Empties the text controls.
    void clearTexts() const;

private:
    std::vector<FormField> m_fields;
    QHash<int, QWidget*> m_controls;
};
