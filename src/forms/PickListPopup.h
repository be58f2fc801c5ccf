#pragma once

#include <QDialog>
#include <QRect>
#include <QStringList>

class CTypeAheadListBox;

// The caption-less modal list that a pick-list field opens on F4: every known value, sorted,
// with type-ahead. Enter or a double click ends it with OK and the selected entry, Esc with
// Cancel.
class CPickListPopup : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMargin = 2;

    // `area` is in screen coordinates. The first entry that begins with `initialText`
    // (letter case ignored) is selected; an empty text selects nothing.
    CPickListPopup(const QRect& area, const QStringList& list, const QString& initialText,
                   QWidget* parent = nullptr);

    // The entry chosen with OK; empty when none was selected.
    QString selectedText() const { return m_selected; }
    CTypeAheadListBox* listBox() const { return m_listBox; }

    void accept() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    CTypeAheadListBox* m_listBox;
    QString m_selected;
};
