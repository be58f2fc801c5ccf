#include "exchange/ImportDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>

#include "data/ErrorReport.h"
#include "exchange/ContactImport.h"
#include "platform/Prompter.h"

CImportDialog::CImportDialog(CDatabase& db, QWidget* parent) : QDialog(parent), m_db(db) {
    setWindowTitle(QStringLiteral("Import"));
    m_file = new QLineEdit(this);
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    connect(browse, &QPushButton::clicked, this, &CImportDialog::browse);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(browse);
    m_addAnyway = new QCheckBox(
        QStringLiteral("&Add anyway (also persons and companies probably already present)"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CImportDialog::runImport);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("&File:"), fileRow);
    form->addRow(m_addAnyway);
    form->addRow(buttons);
}

void CImportDialog::setFileName(const QString& path) {
    m_file->setText(path);
}

void CImportDialog::setAddAnyway(bool addAnyway) {
    m_addAnyway->setChecked(addAnyway);
}

void CImportDialog::browse() {
    const QString path = prompter().openFileName(
        QStringLiteral("Import"),
        QStringLiteral("Address books (*.vcf *.csv);;vCard files (*.vcf);;CSV files (*.csv);;"
                       "All files (*.*)"));
    if (!path.isEmpty())
        m_file->setText(path);
}

void CImportDialog::runImport() {
    const QString path = m_file->text().trimmed();
    if (path.isEmpty()) {
        messageBox(QStringLiteral("Choose the file to import."), Prompter::Buttons::Ok,
                   Prompter::Icon::Exclamation);
        return;
    }
    const CReadResult read = readContactFile(path);
    if (read.records.isEmpty() && read.unreadableLines == QList<int>{0}) {
        messageBox(QStringLiteral("The file %1 cannot be read: %2")
                       .arg(path, read.unreadable.value(0).section(u':', 1).trimmed()),
                   Prompter::Buttons::Ok, Prompter::Icon::Stop);
        return;
    }
    CImportSummary summary;
    // The progress box lives inside the step: it is gone before a failure is reported, so
    // that it never hides the words.
    const bool imported = reportDbErrors([&] {
        QProgressDialog progress(QStringLiteral("Importing..."), QStringLiteral("Cancel"), 0,
                                 int(read.records.size()), this);
        progress.setWindowTitle(QStringLiteral("Import"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(500);
        summary = importRecords(m_db, read, m_addAnyway->isChecked(),
                                [&progress](qsizetype count, qsizetype total) {
                                    // Every row would spend more time drawing than importing.
                                    if (count % 100 == 0 || count == total)
                                        progress.setValue(int(count));
                                    return !progress.wasCanceled();
                                });
    });
    if (!imported)
        return;
    if (!summary.cancelled && summary.persons + summary.firms + summary.groups > 0)
        emit dataChanged();
    messageBox(summary.text(), Prompter::Buttons::Ok, Prompter::Icon::Information);
    accept();
}
