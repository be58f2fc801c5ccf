#pragma once

#include <QDialog>
#include <QTextDocument>

class CVondView;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The modeless Find and Replace dialog of a notepad view.
class CFindReplaceDialog : public QDialog {
    Q_OBJECT
public:
    explicit CFindReplaceDialog(CVondView* view);

    // Shows the dialog for finding only or for replacing too, with the text to look for.
    void showFor(bool replace, const QString& findText);

    QLineEdit* findEdit() const { return m_find; }
    QLineEdit* replaceEdit() const { return m_replace; }

    void findNext();
    void replaceOne();
    void replaceAll();

private:
    QTextDocument::FindFlags flags() const;
    void notFound();

    CVondView* m_view;
    QLineEdit* m_find;
    QLineEdit* m_replace;
    QLabel* m_replaceLabel;
    QCheckBox* m_wholeWord;
    QCheckBox* m_matchCase;
    QCheckBox* m_up;
    QPushButton* m_replaceButton;
    QPushButton* m_replaceAllButton;
};
