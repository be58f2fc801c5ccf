#include "sync/ConflictDialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QString shown(const QString& value) {
    return value.isEmpty() ? QObject::tr("(empty)") : value;
}

}  // namespace

CConflictDialog::CConflictDialog(const QString& record, const QList<FieldConflict>& conflicts,
                                 QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(tr("Sync conflict"));
    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        tr("%1 was changed here and on the server. Choose the value to keep for each field.")
            .arg(record),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("Field"), this), 0, 0);
    grid->addWidget(new QLabel(tr("In this file"), this), 0, 1);
    grid->addWidget(new QLabel(tr("On the server"), this), 0, 2);
    int row = 1;
    for (const FieldConflict& conflict : conflicts) {
        auto* group = new QButtonGroup(this);
        auto* local = new QRadioButton(shown(conflict.local), this);
        auto* server = new QRadioButton(shown(conflict.server), this);
        local->setObjectName(conflict.column + QStringLiteral("_local"));
        server->setObjectName(conflict.column + QStringLiteral("_server"));
        group->addButton(local, int(ConflictChoice::Local));
        group->addButton(server, int(ConflictChoice::Server));
        server->setChecked(true);
        grid->addWidget(new QLabel(conflict.column, this), row, 0);
        grid->addWidget(local, row, 1);
        grid->addWidget(server, row, 2);
        m_groups << group;
        ++row;
    }
    layout->addLayout(grid);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

QList<ConflictChoice> CConflictDialog::choices() const {
    QList<ConflictChoice> chosen;
    for (const QButtonGroup* group : m_groups)
        chosen << ConflictChoice(group->checkedId());
    return chosen;
}

QList<ConflictChoice> CConflictDialog::ask(const QString& record,
                                           const QList<FieldConflict>& conflicts, QWidget* parent) {
    CConflictDialog dialog(record, conflicts, parent);
    if (dialog.exec() != QDialog::Accepted)
        return QList<ConflictChoice>(conflicts.size(), ConflictChoice::Server);
    return dialog.choices();
}
