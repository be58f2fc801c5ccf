#include "app/SaveScript.h"

#include <QApplication>
#include <QDate>
#include <QDateEdit>
#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "app/MainFrame.h"
#include "app/SpawnMDIChildWnd.h"
#include "dossiers/DossierFView.h"
#include "dossiers/DossierPage.h"
#include "dossiers/DossierSheet.h"
#include "forms/DossierButton.h"
#include "forms/MyFormView.h"
#include "platform/CommandIds.h"
#include "platform/OpenWindowRegistry.h"
#include "platform/Prompter.h"

namespace {

QStringList scriptLines() {
    QFile file(qEnvironmentVariable("TARVEX_SAVE_SCRIPT"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

// Answers without a window, so that nothing waits for a user.
class ScriptPrompter : public Prompter {
public:
    int message(const QString& text, Buttons buttons, Icon icon) override {
        std::fprintf(stderr, "prompt: %s\n", qPrintable(text));
        if (buttons == Buttons::Ok || buttons == Buttons::OkCancel)
            return Ok;
        // Creating the missing file is the one question the script means to agree to.
        return icon == Icon::Question && text.contains(QLatin1String("does not exist")) ? Yes : No;
    }
    QString openFileName(const QString&, const QString&) override { return {}; }
    QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
    bool printDialog(QPrinter&) override { return false; }
    void beep() override {}
};

void answer(const QString& password) {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!dialog) {
        QTimer::singleShot(10, qApp, [password] { answer(password); });
        return;
    }
    // A new file's password is typed twice.
    for (const char* name : {"password", "passwordAgain"}) {
        if (auto* edit = dialog->findChild<QLineEdit*>(QString::fromLatin1(name)))
            edit->setText(password);
    }
    dialog->accept();
}

void setText(QWidget* form, const char* column, const QString& text) {
    if (auto* edit = form->findChild<QLineEdit*>(QString::fromLatin1(column)))
        edit->setText(text);
}

// A new record through the kind's form: Add, the fields, Save.
bool saveRecord(CMainFrame& frame, int viewCommand, const char* kind,
                const QList<std::pair<const char*, QString>>& fields) {
    frame.SendCommand(viewCommand);
    auto* form = dynamic_cast<CMyFormView*>(openwindows::find(QString::fromLatin1(kind)));
    if (!form)
        return false;
    frame.ActivateView(form);
    frame.SendCommand(cmd::AddNew);
    for (const auto& [column, text] : fields)
        setText(form, column, text);
    // Alarms far ahead, so that none rings during the run.
    if (auto* date = form->findChild<QDateEdit*>(QStringLiteral("date"));
        date && viewCommand == cmd::ViewAlarms)
        date->setDate(QDate(2099, 1, 1));
    frame.SendCommand(cmd::SaveRecord);
    return !form->isEditing();
}

// The dossier of the person shown in the person form: one text, applied, window closed.
bool saveDossier(CMainFrame& frame, const QString& tag) {
    auto* form = dynamic_cast<CMyFormView*>(openwindows::find(QStringLiteral("Person")));
    if (!form)
        return false;
    frame.ActivateView(form);
    auto* button = form->findChild<QPushButton*>(QStringLiteral("button%1").arg(kDossierButtonId));
    if (!button)
        return false;
    button->click();
    auto* dossier = dynamic_cast<CDossierFView*>(openwindows::find(QStringLiteral("Zikinfo")));
    if (!dossier)
        return false;
    auto* edit = qobject_cast<QPlainTextEdit*>(dossier->sheet()->page(0)->edit("buyer_pol"));
    if (!edit)
        return false;
    dossier->sheet()->setCurrentIndex(0);
    edit->setPlainText(tag);
    const bool saved = dossier->OnApplyChanges();
    if (CSpawnMDIChildWnd* child = frame.frameOf(dossier))
        child->close();
    QApplication::processEvents();
    return saved;
}

bool perform(CMainFrame& frame, const QString& kind, const QString& tag) {
    if (kind == QLatin1String("person"))
        return saveRecord(frame, cmd::ViewPersons, "Person",
                          {{"lastname", tag}, {"firstname", tag}});
    if (kind == QLatin1String("contact"))
        return saveRecord(frame, cmd::ViewContacts, "Contact", {{"person", tag}, {"firm", tag}});
    if (kind == QLatin1String("alarm"))
        return saveRecord(frame, cmd::ViewAlarms, "Alarm", {{"name", tag}, {"person", tag}});
    if (kind == QLatin1String("dossier"))
        return saveDossier(frame, tag);
    return false;
}

}  // namespace

bool saveScriptRequested() {
    return qEnvironmentVariableIsSet("TARVEX_SAVE_SCRIPT");
}

void answerAccessPromptFromScript() {
    static ScriptPrompter scripted;
    setPrompter(&scripted);
    const QStringList lines = scriptLines();
    const QString first = lines.value(0);
    const QString password =
        first.startsWith(QLatin1String("password ")) ? first.mid(9) : QString();
    QTimer::singleShot(0, qApp, [password] { answer(password); });
}

bool runSaveScript(CMainFrame& frame) {
    for (const QString& line : scriptLines()) {
        const QString kind = line.section(QLatin1Char(' '), 0, 0);
        const QString tag = line.section(QLatin1Char(' '), 1);
        if (kind == QLatin1String("password"))
            continue;
        if (kind == QLatin1String("pause")) {
            // Lets the test act on the file (another program, a kill) while this one runs.
            std::printf("paused\n");
            std::fflush(stdout);
            char answer[16];
            if (!std::fgets(answer, sizeof answer, stdin))
                return false;
            continue;
        }
        if (!perform(frame, kind, tag))
            return false;
        std::printf("saved %s %s\n", qPrintable(kind), qPrintable(tag));
        std::fflush(stdout);
        QApplication::processEvents();
    }
    return true;
}
