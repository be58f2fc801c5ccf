#pragma once

#include <QColor>
#include <QComboBox>

#include "platform/TypeAheadPrefix.h"

// A drop-down list (no typing into it) with type-ahead search: keys typed less than a second
// apart select the first entry that begins with them, ignoring letter case, both in the
// closed box and in its open drop-down. Its background is the window colour of the moment it
// was made.
class CTypeAheadComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit CTypeAheadComboBox(QWidget* parent = nullptr);

    QColor backgroundColor() const { return m_background; }
    CTypeAheadPrefix& typeAhead() { return m_prefix; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Applies a type-ahead key; false when the key is not one.
    bool typeAheadKey(QKeyEvent* event, bool inDropDown);

    CTypeAheadPrefix m_prefix;
    QColor m_background;
};
