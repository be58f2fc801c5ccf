#pragma once

#include <QDialog>
#include <QList>

#include "sync/FieldMerge.h"

class QButtonGroup;

// Shows the fields of one record that both sides changed, each with this file's value and
// the server's, and lets the user keep one of them per field (the server's is chosen at
// first). Cancelling keeps the server's values.
class CConflictDialog : public QDialog {
    Q_OBJECT
public:
    CConflictDialog(const QString& record, const QList<FieldConflict>& conflicts,
                    QWidget* parent = nullptr);

    QList<ConflictChoice> choices() const;

    // Asks the user through a dialog; the resolver the program gives the sync.
    static QList<ConflictChoice> ask(const QString& record, const QList<FieldConflict>& conflicts,
                                     QWidget* parent);

private:
    QList<QButtonGroup*> m_groups;
};
