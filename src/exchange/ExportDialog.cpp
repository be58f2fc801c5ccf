#include "exchange/ExportDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSaveFile>

#include "data/ContactsFileIdentity.h"
#include "data/ErrorReport.h"
#include "exchange/AlarmCalendar.h"
#include "exchange/ContactExport.h"
#include "platform/Prompter.h"
#include "platform/RecordIdSource.h"

CExportDialog::CExportDialog(CDatabase& db, const CRecordIdSource* shown, QWidget* parent)
    : QDialog(parent), m_db(db), m_shown(shown) {
    setWindowTitle(QStringLiteral("Export"));
    m_what = new QComboBox(this);
    m_what->addItems(
        {QStringLiteral("Persons"), QStringLiteral("Companies"), QStringLiteral("Alarms")});
    m_format = new QComboBox(this);
    m_format->addItems({QStringLiteral("vCard 3.0 (*.vcf)"), QStringLiteral("vCard 4.0 (*.vcf)"),
                        QStringLiteral("CSV (*.csv)"), QStringLiteral("iCalendar (*.ics)")});
    m_all = new QRadioButton(QStringLiteral("&All records"), this);
    m_onlyShown = new QRadioButton(QStringLiteral("The rows the active &list shows"), this);
    m_all->setChecked(true);
    m_file = new QLineEdit(this);
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    browse->setObjectName(QStringLiteral("browse"));
    connect(browse, &QPushButton::clicked, this, &CExportDialog::browse);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_file, 1);
    fileRow->addWidget(browse);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CExportDialog::runExport);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("&Export:"), m_what);
    form->addRow(QStringLiteral("&Format:"), m_format);
    form->addRow(m_all);
    form->addRow(m_onlyShown);
    form->addRow(QStringLiteral("F&ile:"), fileRow);
    form->addRow(buttons);
    // A firm list offers its firms from the start.
    if (m_shown && m_shown->shownTable() == QLatin1String("Firm"))
        m_what->setCurrentIndex(Firms);
    connect(m_what, &QComboBox::currentIndexChanged, this, &CExportDialog::updateChoices);
    updateChoices();
}

bool CExportDialog::shownFits() const {
    if (!m_shown)
        return false;
    const QString table = m_shown->shownTable();
    return (table == QLatin1String("Person") && m_what->currentIndex() == Persons) ||
           (table == QLatin1String("Firm") && m_what->currentIndex() == Firms);
}

void CExportDialog::updateChoices() {
    const bool alarms = m_what->currentIndex() == Alarms;
    m_format->setCurrentIndex(
        alarms ? ICalendar
               : (m_format->currentIndex() == ICalendar ? VCard3 : m_format->currentIndex()));
    m_format->setEnabled(!alarms);
    m_onlyShown->setEnabled(shownFits());
    if (!shownFits())
        m_all->setChecked(true);
}

void CExportDialog::choose(What what, Format format, bool onlyShown) {
    m_what->setCurrentIndex(what);
    m_format->setCurrentIndex(format);
    (onlyShown ? m_onlyShown : m_all)->setChecked(true);
}

void CExportDialog::setFileName(const QString& path) {
    m_file->setText(path);
}

void CExportDialog::browse() {
    const int format = m_format->currentIndex();
    const QString filter = format == Csv         ? QStringLiteral("CSV files (*.csv)|*.csv")
                           : format == ICalendar ? QStringLiteral("iCalendar files (*.ics)|*.ics")
                                                 : QStringLiteral("vCard files (*.vcf)|*.vcf");
    const QString path = prompter().saveFileName(QStringLiteral("Export"),
                                                 filter + QStringLiteral("|All files (*.*)|*.*||"),
                                                 m_file->text().trimmed());
    if (!path.isEmpty())
        m_file->setText(path);
}

void CExportDialog::runExport() {
    const QString path = m_file->text().trimmed();
    if (path.isEmpty()) {
        messageBox(QStringLiteral("Choose the file to write."), Prompter::Buttons::Ok,
                   Prompter::Icon::Exclamation);
        return;
    }
    // Written by a rename over the chosen name, the contacts file itself would be lost.
    if (isContactsFile(path)) {
        messageBox(contactsFileRefusal(path), Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
        return;
    }
    QString error;
    qsizetype written = 0;
    bool cancelled = false;
    const bool ok = reportDbErrors([&] {
        if (m_what->currentIndex() == Alarms) {
            const QList<CAlarmEntry> alarms = loadCalendarAlarms(m_db);
            QSaveFile file(path);
            if (!file.open(QIODevice::WriteOnly) || file.write(calendarOf(alarms)) < 0 ||
                !file.commit()) {
                error = file.errorString();
                return;
            }
            written = alarms.size();
            return;
        }
        const auto kind = m_what->currentIndex() == Firms ? CExchangeRecord::Kind::Firm
                                                          : CExchangeRecord::Kind::Person;
        const bool onlyShown = m_onlyShown->isChecked() && shownFits();
        const QList<qint64> ids = onlyShown ? m_shown->shownIds() : QList<qint64>{};
        // An empty list exports nothing (no ids would mean every record to the loader).
        const QList<CExchangeRecord> records =
            onlyShown && ids.isEmpty() ? QList<CExchangeRecord>{} : loadRecords(m_db, kind, ids);
        QProgressDialog progress(QStringLiteral("Exporting..."), QStringLiteral("Cancel"), 0,
                                 int(records.size()), this);
        progress.setWindowTitle(QStringLiteral("Export"));
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(500);
        const ContactFormat format = m_format->currentIndex() == Csv      ? ContactFormat::Csv
                                     : m_format->currentIndex() == VCard4 ? ContactFormat::VCard4
                                                                          : ContactFormat::VCard3;
        if (exportContacts(records, format, kind, path, error,
                           [&progress](qsizetype done, qsizetype total) {
                               if (done % 100 == 0 || done == total)
                                   progress.setValue(int(done));
                               return !progress.wasCanceled();
                           }))
            written = records.size();
        else
            cancelled = error.isEmpty();
    });
    if (!ok)
        return;
    if (!error.isEmpty()) {
        messageBox(QStringLiteral("The file %1 cannot be written: %2").arg(path, error),
                   Prompter::Buttons::Ok, Prompter::Icon::Stop);
        return;
    }
    messageBox(cancelled ? QStringLiteral("The export was cancelled; no file was written.")
                         : QStringLiteral("%1 records written to %2").arg(written).arg(path),
               Prompter::Buttons::Ok, Prompter::Icon::Information);
    if (!cancelled)
        accept();
}
