#include "app/WindowKinds.h"

#include <array>

#include "alarms/AlarmFView.h"
#include "data/DBDoc.h"
#include "dossiers/Sharks2FView.h"
#include "dossiers/SharksFView.h"
#include "forms/ContactFView.h"
#include "forms/FirmFView.h"
#include "forms/GroupFView.h"
#include "forms/PersonFView.h"
#include "lists/RecordLists.h"
#include "notepad/VondDoc.h"
#include "notepad/VondView.h"

namespace {

struct WindowKind {
    int id;
    const char* docString;
    FrameKind frame;
    QWidget* (*createView)(CDocument*);
    // nullptr: the record document.
    std::unique_ptr<CDocument> (*createDocument)() = nullptr;
};

// Views register here as they are built; kinds without a view are not registered.
const std::array<WindowKind, 12> kWindowKinds{{
    {114, "\nNotepad\n\nTarvex Files (*.rtf)\n.rtf\nVond.Document\nVond Document",
     FrameKind::Notepad, createNotepadView, createNotepadDocument},
    {121, "\nPerson\n\n\n\nVond2.Document\nVond2 Document", FrameKind::Record, createPersonView},
    {123, "\nContact\n\n\n\nVond3.Document\nVond3 Document", FrameKind::Record, createContactView},
    {125, "\nAlarm\n\n\n\nVond4.Document\nVond4 Document", FrameKind::Record, createAlarmView},
    {128, "\nGroup\n\n\n\nVond5.Document\nVond5 Document", FrameKind::Child, createGroupView},
    {131, "\nFirm\n\n\n\nVond6.Document\nVond6 Document", FrameKind::Record, createFirmView},
    {133, "\nAlarmlist\n\n\n\nVond4.Document\nVond4 Document", FrameKind::List,
     createAlarmListView},
    {137, "\nFirmlist\n\n\n\nVond6.Document\nVond6 Document", FrameKind::List, createFirmListView},
    {135, "\nContactlist\n\n\n\nVond3.Document\nVond3 Document", FrameKind::List,
     createContactListView},
    {139, "\nPersonlist\n\n\n\nVond2.Document\nVond2 Document", FrameKind::List,
     createPersonListView},
    {142, "\nZikinfo\n\n\n\nVond2.Document\nVond2 Document", FrameKind::Child, createSharksView},
    {143, "\nZikinfo2\n\n\n\nVond2.Document\nVond2 Document", FrameKind::Child, createSharks2View},
}};

}  // namespace

CDocTemplateRegistry makeDocTemplates() {
    CDocTemplateRegistry registry;
    for (const WindowKind& kind : kWindowKinds) {
        if (!kind.createView)
            continue;
        CDocTemplate t;
        t.id = kind.id;
        t.docString = QString::fromLatin1(kind.docString);
        t.frameKind = kind.frame;
        if (kind.createDocument) {
            t.createDocument = kind.createDocument;
        } else {
            t.createDocument = [] { return std::make_unique<CDBDoc>(); };
        }
        t.createView = kind.createView;
        registry.add(std::move(t));
    }
    return registry;
}
