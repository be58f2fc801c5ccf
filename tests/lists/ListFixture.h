#pragma once

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "FormFixture.h"
#include "app/WindowKinds.h"
#include "lists/FilterDlg.h"
#include "lists/MyListView.h"
#include "platform/CommandIds.h"
#include "support/OutsideClient.h"

// Runs list tests against a contacts file with the program's own window kinds.
class ListTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        CMyListView::sortDirectionToggle() = 1;
    }
    void start() {
        frame = std::make_unique<CMainFrame>(makeDocTemplates());
        frame->resize(1200, 900);
        frame->show();
        QApplication::setActiveWindow(frame.get());
        LoadKnownValues();
    }
    // Runs statements in the engine's dialect on the shared connection, in one transaction.
    static void exec(const QStringList& statements) {
        sharedDatabase().Execute(QStringLiteral("BEGIN"));
        for (const QString& s : statements)
            sharedDatabase().Execute(s);
        sharedDatabase().Execute(QStringLiteral("COMMIT"));
    }
    // Runs statements in another program on the file (the sqlite3 tool), which this program
    // hears of only when it looks.
    static void execElsewhere(const QString& statements) {
        OutsideClient::query(databasePath(), statements);
    }
    CMyListView* list(const char* kind) const {
        return view<CMyListView>(QString::fromLatin1(kind));
    }
    // The shown texts of a column, top to bottom.
    static QStringList column(CMyListView* list, int column) {
        QStringList texts;
        for (int r = 0; r < list->listModel()->rowCount(); ++r)
            texts << list->listModel()->cellText(r, column);
        return texts;
    }
    static void select(CMyListView* list, int row) {
        list->selectionModel()->setCurrentIndex(
            list->listModel()->index(row, 0),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    // Runs the Filter command; the dialog gets the column and the text, then the button.
    void filter(int columnIndex, const QString& text, const char* button = "1") {
        QTimer::singleShot(0, [=] {
            auto* dialog = qobject_cast<CFilterDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            dialog->columnBox()->setCurrentIndex(columnIndex);
            dialog->textEdit()->setText(text);
            dialog->findChild<QPushButton*>(QString::fromLatin1(button))->click();
        });
        command(cmd::Filter);
    }
};
