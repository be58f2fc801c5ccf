#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QMdiArea>
#include <QMenuBar>
#include <QTabBar>

#include "FormFixture.h"
#include "alarms/AlarmNotice.h"
#include "app/AboutDialog.h"
#include "app/DatabaseAccessDialog.h"
#include "app/OptionsDialog.h"
#include "app/PasswordChange.h"
#include "app/TipOfDayDialog.h"
#include "app/WindowKinds.h"
#include "exchange/ExportDialog.h"
#include "exchange/ImportDialog.h"
#include "forms/DataEntryDialog.h"
#include "lists/FilterDlg.h"
#include "lists/SearchDlg.h"
#include "notepad/FindReplaceDialog.h"
#include "notepad/VondView.h"
#include "platform/CommandTable.h"

namespace {

// What claims each Alt key in a window: "label text" entries by key.
using Claims = QMap<QKeySequence, QStringList>;

void claim(Claims& claims, const QString& text) {
    const QKeySequence key = QKeySequence::mnemonic(text);
    if (!key.isEmpty())
        claims[key] << text;
}

// The mnemonics of the controls inside a widget. A label's mnemonic counts only with a
// buddy, which is what it gives the focus to.
void addControlMnemonics(Claims& claims, const QWidget* root) {
    for (const QWidget* w : root->findChildren<QWidget*>()) {
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            if (label->buddy())
                claim(claims, label->text());
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
            claim(claims, button->text());
        } else if (const auto* box = qobject_cast<const QGroupBox*>(w)) {
            claim(claims, box->title());
        } else if (const auto* tabs = qobject_cast<const QTabBar*>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                claim(claims, tabs->tabText(i));
        }
    }
}

// The keys claimed more than once.
QStringList collisions(const Claims& claims) {
    QStringList found;
    for (auto it = claims.cbegin(); it != claims.cend(); ++it) {
        if (it.value().size() > 1)
            found << it.key().toString() + ": " + it.value().join(" | ");
    }
    return found;
}

}  // namespace

// Qt runs neither of two shortcuts with one key: a label's mnemonic that used a record key or
// a menu's letter would take that key from every window of the kind.
TEST_F(FormTest, NoControlOfARecordWindowSharesAnAltKeyWithAMenuOrARecordKey) {
    addPerson("Adams", "Ann");
    frame = std::make_unique<CMainFrame>(makeDocTemplates());
    frame->resize(1200, 900);
    frame->show();
    QApplication::setActiveWindow(frame.get());
    for (const char* kind : {"Person", "Contact", "Alarm", "Firm", "Group", "Zikinfo", "Zikinfo2",
                             "Personlist", "Contactlist", "Firmlist", "Alarmlist"}) {
        SCOPED_TRACE(kind);
        CSpawnMDIChildWnd* child = frame->OpenWindowByKind(kind);
        ASSERT_NE(child, nullptr);
        ASSERT_EQ(frame->activeChild(), child);
        Claims claims;
        addControlMnemonics(claims, child);
        for (const QAction* menu : frame->menuBar()->actions())
            claim(claims, menu->text());
        for (const KeyBinding& binding : keyTable(keytables::Record)) {
            const QKeySequence key(binding.key, QKeySequence::PortableText);
            // The group form keeps no record state, so the record key Alt+S never runs
            // there: its own Save button has the key, with the same meaning.
            if (claims.value(key) == QStringList{"&Save"} && QLatin1String(kind) == "Group")
                continue;
            claims[key] << "record key " + binding.key;
        }
        EXPECT_EQ(collisions(claims), QStringList());
        child->destroyNow();
    }
}

TEST_F(FormTest, NoTwoControlsOfADialogShareAnAltKey) {
    frame = std::make_unique<CMainFrame>(makeDocTemplates());
    frame->show();
    CSpawnMDIChildWnd* notepad = frame->OpenWindowByKind("Notepad");
    ASSERT_NE(notepad, nullptr);
    auto* text = dynamic_cast<CVondView*>(notepad->view());
    ASSERT_NE(text, nullptr);
    std::vector<std::unique_ptr<QWidget>> dialogs;
    dialogs.push_back(std::make_unique<COptionsDialog>());
    dialogs.push_back(std::make_unique<CPasswordChangeDialog>());
    dialogs.push_back(std::make_unique<CDatabaseAccessDialog>());
    dialogs.push_back(std::make_unique<CTipOfDayDialog>());
    dialogs.push_back(std::make_unique<CAboutDialog>());
    dialogs.push_back(std::make_unique<CDataEntryDialog>());
    dialogs.push_back(std::make_unique<CFilterDlg>());
    dialogs.push_back(std::make_unique<CSearchDlg>());
    dialogs.push_back(std::make_unique<CImportDialog>(sharedDatabase()));
    dialogs.push_back(std::make_unique<CExportDialog>(sharedDatabase(), nullptr));
    dialogs.push_back(std::make_unique<CAlarmNotice>(1, frame.get()));
    dialogs.push_back(std::make_unique<CFindReplaceDialog>(text));
    for (const auto& dialog : dialogs) {
        SCOPED_TRACE(dialog->metaObject()->className());
        Claims claims;
        addControlMnemonics(claims, dialog.get());
        EXPECT_EQ(collisions(claims), QStringList());
    }
}
