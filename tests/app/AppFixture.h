#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>
#include <functional>
#include <memory>

#include "ScriptedPrompter.h"
#include "TempWorkDir.h"
#include "app/AppPaths.h"
#include "app/MainFrame.h"
#include "data/Connection.h"
#include "data/DBDoc.h"
#include "data/RecordLocator.h"
#include "platform/Document.h"
#include "platform/OpenWindowRegistry.h"

// A stand-in record view: registers as the open window of its kind and records every
// broadcast it receives.
class RecordingView : public QWidget, public CView {
public:
    RecordingView(const QString& kind, CDocument* document)
        : m_slot(kind, this), m_edit(new QLineEdit(this)) {
        SetDocument(document);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(m_edit);
        setMinimumSize(200, 120);
    }
    void OnUpdate(CView*, int hint, CHintObject* object) override {
        hints.append(hint);
        if (auto* locator = dynamic_cast<CRecordLocator*>(object)) {
            text1 = locator->m_strText1;
            text2 = locator->m_strText2;
            locatorId = locator->m_lId;
        }
    }
    void OnInitialUpdate() override { ++initialUpdates; }
    QLineEdit* edit() const { return m_edit; }

    QList<int> hints;
    QString text1, text2;
    qint32 locatorId = -2;
    int initialUpdates = 0;

private:
    OpenWindowSlot m_slot;
    QLineEdit* m_edit;
};

inline CDocTemplate testTemplate(const QString& kind, FrameKind frameKind) {
    CDocTemplate t;
    t.id = 1;
    t.docString = QStringLiteral("\n%1\n\n\n\nX.Document\nX Document").arg(kind);
    t.frameKind = frameKind;
    t.createDocument = [] { return std::make_unique<CDBDoc>(); };
    t.createView = [kind](CDocument* doc) -> QWidget* { return new RecordingView(kind, doc); };
    return t;
}

// Runs `action` on the next modal dialog once it is shown.
inline void onNextModal(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action = std::move(action)] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        action(modal);
    });
}

class AppTest : public TempWorkDirTest {
protected:
    void SetUp() override {
        TempWorkDirTest::SetUp();
        initAppPaths();
        setDatabasePath(path(QStringLiteral("Tarvex.mdb")));
    }
    std::unique_ptr<CMainFrame> makeFrame(std::initializer_list<CDocTemplate> kinds) {
        CDocTemplateRegistry registry;
        for (const CDocTemplate& t : kinds)
            registry.add(t);
        auto frame = std::make_unique<CMainFrame>(std::move(registry));
        frame->resize(1000, 700);
        frame->show();
        QApplication::setActiveWindow(frame.get());
        return frame;
    }
    ScriptedPrompter prompts;
};
