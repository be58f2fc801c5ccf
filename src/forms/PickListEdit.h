#pragma once

#include <QColor>
#include <QLineEdit>
#include <QStringList>

// The edit field of the record forms. Attached to a known-value list it completes typed
// names from the list, offers the whole list on F4 and, for person and company fields, asks
// its form to resolve the typed name on F7. Without a list it is a plain edit field.
class CPickListEdit : public QLineEdit {
    Q_OBJECT
public:
    // What resolveRequested asks the form to do.
    static constexpr int kResolveFirm = 0x8001;
    static constexpr int kResolvePerson = 0x8002;
    // Height of the F4 pop-up, measured from the field's top.
    static constexpr int kPopupHeight = 128;

    explicit CPickListEdit(QWidget* parent = nullptr);

    QColor textColor() const { return m_textColor; }
    void setTextColor(const QColor& color);
    QColor backgroundColor() const { return m_backgroundColor; }
    void setBackgroundColor(const QColor& color);

    // The known-value list the field offers (not owned; it outlives the field). nullptr
    // turns completion and F4 off.
    const QStringList* list() const { return m_list; }
    void setList(const QStringList* list) { m_list = list; }

    bool resolveOnF7() const { return m_resolveOnF7; }
    void setResolveOnF7(bool on) { m_resolveOnF7 = on; }
    int resolveMessage() const { return m_resolveMessage; }
    void setResolveMessage(int message) { m_resolveMessage = message; }

    // True while the F4 pop-up is open: the field losing the focus to it has not been left,
    // so its form starts no name resolution.
    bool listShown() const { return m_listShown; }

signals:
    // F7 in a field that resolves names: the form looks the name up before this returns.
    void resolveRequested(int message);

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    bool offersList() const { return m_list && !isReadOnly(); }
    bool takesKey(int key) const;
    void complete();
    void showList();
    void applyColors();

    QColor m_textColor;
    QColor m_backgroundColor;
    const QStringList* m_list = nullptr;
    bool m_resolveOnF7 = false;
    int m_resolveMessage = -1;
    bool m_listShown = false;
};
