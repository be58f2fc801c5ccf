#pragma once

#include <QDialog>

class CDatabase;
class CRecordIdSource;
class QComboBox;
class QLineEdit;
class QRadioButton;

// "Export": persons or firms (all, or the rows the active list shows in its order) as
// vCard 3.0, vCard 4.0 or CSV, or the watched alarms as iCalendar.
class CExportDialog : public QDialog {
    Q_OBJECT
public:
    // `shown` is the active list, if any (not owned; may be null).
    CExportDialog(CDatabase& db, const CRecordIdSource* shown, QWidget* parent = nullptr);

    enum What { Persons, Firms, Alarms };
    enum Format { VCard3, VCard4, Csv, ICalendar };
    void choose(What what, Format format, bool onlyShown);
    void setFileName(const QString& path);
    // Writes the file; also what OK does.
    void runExport();

private:
    void updateChoices();
    void browse();
    bool shownFits() const;

    CDatabase& m_db;
    const CRecordIdSource* m_shown;
    QComboBox* m_what = nullptr;
    QComboBox* m_format = nullptr;
    QRadioButton* m_all = nullptr;
    QRadioButton* m_onlyShown = nullptr;
    QLineEdit* m_file = nullptr;
};
