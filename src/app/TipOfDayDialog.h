#pragma once

#include <QDialog>

#include "alarms/TipsFile.h"

class QCheckBox;
class QLabel;
class QPushButton;

// "Tip of the day": one hint at a time from tips.txt in the working directory (the bundled
// tips when there is none), continuing between runs where the last opening stopped. Its
// place and the show-at-start-up choice are kept in the "Tip" section of the registry.
class CTipOfDayDialog : public QDialog {
    Q_OBJECT
public:
    explicit CTipOfDayDialog(QWidget* parent = nullptr);
    ~CTipOfDayDialog() override;

    // Whether the dialog is to open at start-up ("StartUp" is 0).
    static bool showAtStartUp();

    QString tipText() const;
    QCheckBox* startUpBox() const { return m_startUp; }
    QPushButton* nextButton() const { return m_next; }

    void NextTip();

protected:
    void accept() override;
    void paintEvent(QPaintEvent* event) override;

private:
    void showTip(const QString& text);

    CTipsFile m_tips;
    QString m_tip;
    QLabel* m_bitmap = nullptr;
    QLabel* m_text = nullptr;
    QCheckBox* m_startUp = nullptr;
    QPushButton* m_next = nullptr;
};
