#pragma once

#include <QDialog>

class CDatabase;
class QCheckBox;
class QLineEdit;

// "Import": a .vcf or .csv file into the contacts file, in one transaction that a cancel
// of the progress dialog rolls back, with a summary at the end (or the error report, once
// the progress dialog has closed). Emits dataChanged() once after records were added.
class CImportDialog : public QDialog {
    Q_OBJECT
public:
    CImportDialog(CDatabase& db, QWidget* parent = nullptr);

    void setFileName(const QString& path);
    void setAddAnyway(bool addAnyway);
    // Runs the import of the chosen file; also what OK does.
    void runImport();

signals:
    void dataChanged();

private:
    void browse();

    CDatabase& m_db;
    QLineEdit* m_file = nullptr;
    QCheckBox* m_addAnyway = nullptr;
};
