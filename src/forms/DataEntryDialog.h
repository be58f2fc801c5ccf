#pragma once

#include <QDialog>
#include <QString>
#include <optional>

class QLineEdit;

// "Data entry": asks for a single name.
class CDataEntryDialog : public QDialog {
    Q_OBJECT
public:
    explicit CDataEntryDialog(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    QLineEdit* nameEdit() const { return m_edit; }

    // Shows the dialog modally: the entered text (possibly empty) on OK, nothing on Cancel.
    static std::optional<QString> ask(QWidget* parent);

private:
    QLineEdit* m_edit;
};
