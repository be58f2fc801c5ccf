#include "platform/QtPrompter.h"

#include <QApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>

#include "platform/FileFilter.h"
#include "platform/StringTable.h"

namespace {

constexpr int kAppTitle = 57344;

QMessageBox::Icon boxIcon(Prompter::Icon icon) {
    switch (icon) {
        case Prompter::Icon::Information:
            return QMessageBox::Information;
        case Prompter::Icon::Question:
            return QMessageBox::Question;
        case Prompter::Icon::Exclamation:
            return QMessageBox::Warning;
        case Prompter::Icon::Stop:
            return QMessageBox::Critical;
        case Prompter::Icon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(Prompter::Buttons buttons) {
    switch (buttons) {
        case Prompter::Buttons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case Prompter::Buttons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case Prompter::Buttons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case Prompter::Buttons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

int answerOf(int button) {
    switch (button) {
        case QMessageBox::Yes:
            return Prompter::Yes;
        case QMessageBox::No:
            return Prompter::No;
        case QMessageBox::Cancel:
            return Prompter::Cancel;
        default:
            return Prompter::Ok;
    }
}

}  // namespace

int QtPrompter::message(const QString& text, Buttons buttons, Icon icon) {
    QMessageBox box(boxIcon(icon), loadString(kAppTitle), text, boxButtons(buttons),
                    QApplication::activeWindow());
    box.setDefaultButton(buttons == Buttons::YesNo || buttons == Buttons::YesNoCancel
                             ? QMessageBox::Yes
                             : QMessageBox::Ok);
    // Escape answers No in a Yes/No box, which has no Cancel button.
    if (buttons == Buttons::YesNo)
        box.setEscapeButton(QMessageBox::No);
    return answerOf(box.exec());
}

QString QtPrompter::openFileName(const QString& caption, const QString& filter) {
    const QString file = QFileDialog::getOpenFileName(QApplication::activeWindow(), caption,
                                                      QString(), qtFileFilter(filter));
    return file.isEmpty() ? QString() : QFileInfo(file).absoluteFilePath();
}

std::optional<QString> QtPrompter::password(const QString& text) {
    bool accepted = false;
    const QString typed =
        QInputDialog::getText(QApplication::activeWindow(), QStringLiteral("Tarvex"), text,
                              QLineEdit::Password, QString(), &accepted);
    if (!accepted)
        return std::nullopt;
    return typed;
}

std::optional<QString> QtPrompter::text(const QString& question, const QString& proposed) {
    bool accepted = false;
    const QString typed =
        QInputDialog::getText(QApplication::activeWindow(), QStringLiteral("Tarvex"), question,
                              QLineEdit::Normal, proposed, &accepted);
    if (!accepted)
        return std::nullopt;
    return typed;
}

QString QtPrompter::saveFileName(const QString& caption, const QString& filter,
                                 const QString& proposed) {
    const QString file = QFileDialog::getSaveFileName(QApplication::activeWindow(), caption,
                                                      proposed, qtFileFilter(filter));
    return file.isEmpty() ? QString() : QFileInfo(file).absoluteFilePath();
}

bool QtPrompter::printDialog(QPrinter& printer) {
    printer.setPrintRange(QPrinter::AllPages);
    // "Print to File (PDF)" stays offered: it is how a printout becomes a PDF here.
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    return dialog.exec() == QDialog::Accepted;
}

bool QtPrompter::pageSetupDialog(QPrinter& printer) {
    QPageSetupDialog dialog(&printer, QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
}

void QtPrompter::beep() {
    QApplication::beep();
}

void installQtPrompter() {
    static QtPrompter real;
    setDefaultPrompter(&real);
}
