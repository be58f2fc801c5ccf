#pragma once

#include <QApplication>
#include <QMdiArea>
#include <QTest>
#include <memory>

#include "ScriptedPrompter.h"
#include "TempWorkDir.h"
#include "app/AppPaths.h"
#include "app/MainFrame.h"
#include "app/Settings.h"
#include "app/SpawnMDIChildWnd.h"
#include "data/Connection.h"
#include "data/DBDoc.h"
#include "data/Database.h"
#include "data/KnownValues.h"
#include "data/PersonRcs.h"
#include "platform/CallerLink.h"
#include "platform/DocTemplate.h"
#include "platform/OpenWindowRegistry.h"

// A window kind for tests, built from a view factory.
inline CDocTemplate kindTemplate(const QString& kind, FrameKind frame,
                                 QWidget* (*createView)(CDocument*)) {
    CDocTemplate t;
    t.id = 1;
    t.docString = QStringLiteral("\n%1\n\n\n\nX.Document\nX Document").arg(kind);
    t.frameKind = frame;
    t.createDocument = [] { return std::make_unique<CDBDoc>(); };
    t.createView = createView;
    return t;
}

// Adds a person on the shared connection.
inline void addPerson(const char* last, const char* first, const char* firm = "") {
    CPersonRcs rs(&sharedDatabase());
    rs.Open();
    rs.AddNew();
    rs.setValue("lastname", QString::fromUtf8(last));
    rs.setValue("firstname", QString::fromUtf8(first));
    rs.setValue("firm", QString::fromUtf8(firm));
    rs.Update();
}

// The persons in the store as "last|first", in name order, read through a connection of
// their own.
inline QStringList storedPersons() {
    CDatabase db;
    db.Open(databasePath(), false, false, connectText(currentPassword()));
    CPersonRcs rs(&db);
    rs.m_strSort = "lastname, firstname";
    rs.Open();
    QStringList names;
    for (; !rs.IsEOF(); rs.MoveNext())
        names << rs.text("lastname") + '|' + rs.text("firstname");
    return names;
}

// Runs form tests against a real store (a contacts file in a temporary working directory
// unless the fixture makes another), opened on the shared connection as the program does
// after the password prompt, with a shown main window that knows the window kinds the test
// registers.
class FormTest : public TempWorkDirTest {
protected:
    void SetUp() override {
        TempWorkDirTest::SetUp();
        initAppPaths();
        settings() = CSettings();
        // Caller links are process-wide; a test starts with none pending.
        for (FormKind kind : {FormKind::Person, FormKind::Firm, FormKind::Contact, FormKind::Alarm})
            callerLink(kind) = CallerLink();
        setDatabasePath(newDatabase());
        openSharedDatabase(databasePassword());
    }
    void TearDown() override {
        frame.reset();
        sharedDatabase().Close();
        TempWorkDirTest::TearDown();
    }
    // Makes the empty store the test runs against and returns its path: a new contacts file
    // unless a fixture gives another.
    virtual QString newDatabase() {
        const QString file = path(QStringLiteral("Tarvex.mdb"));
        CDatabase::Create(file, QString());
        return file;
    }
    virtual QString databasePassword() const { return {}; }
    // Shows the main window with the given kinds; call once per test.
    void startFrame(std::initializer_list<CDocTemplate> kinds) {
        CDocTemplateRegistry registry;
        for (const CDocTemplate& t : kinds)
            registry.add(t);
        frame = std::make_unique<CMainFrame>(std::move(registry));
        frame->resize(1200, 900);
        frame->show();
        QApplication::setActiveWindow(frame.get());
        LoadKnownValues();
    }
    // The open view of a kind, cast to its class.
    template <class View>
    View* view(const QString& kind) const {
        return dynamic_cast<View*>(openwindows::find(kind));
    }
    // Sends a record command as the menus and keys do.
    bool command(int id) { return frame->SendCommand(id); }

    ScriptedPrompter prompts;
    std::unique_ptr<CMainFrame> frame;
};
