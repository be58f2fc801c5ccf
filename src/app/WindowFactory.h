#pragma once

#include <QIcon>
#include <QRect>
#include <QStringList>
#include <functional>

#include "data/RecordLocator.h"
#include "platform/DocTemplate.h"

class CDocument;
class CSpawnMDIChildWnd;
class CView;
class QMdiArea;
class QWidget;

// Opens the child windows of the main window by kind, from the document templates, and finds,
// activates and closes them: the one place where windows of a kind are made.
class CWindowFactory {
public:
    // `opened` runs for the document of every window made, before its first update.
    CWindowFactory(QMdiArea& mdi, CDocTemplateRegistry templates, QIcon icon,
                   std::function<void(CDocument*)> opened);

    const CDocTemplateRegistry& templates() const { return m_templates; }

    // Opens a new window of the named kind; nullptr when no template matches or the window
    // cannot be created.
    CSpawnMDIChildWnd* OpenWindowByKind(const QString& kind);
    // Activates the open window of the kind, or opens one; returns its view.
    CView* OpenOrActivate(const QString& kind);
    // Opens the window of the kind and has its form start a new record.
    void NewRecordOfKind(const QString& kind);
    // The person (name split at its first blank) or firm form, starting a new record with
    // the name; nothing for an empty name.
    void NewPersonWithName(const QString& name);
    void NewFirmWithName(const QString& name);
    // A new, empty notepad.
    void NewNotepad();
    // Opens an .rtf file in a new notepad window; a file that does not exist or is not RTF
    // is reported and opens nothing.
    CSpawnMDIChildWnd* OpenDocumentFile(const QString& path);

    void ActivateView(CView* view);
    CSpawnMDIChildWnd* frameOf(CView* view) const;
    CSpawnMDIChildWnd* activeChild() const;
    // Puts the view's frame where it was last, sized to its view once.
    void PlaceFrame(QWidget* view);
    void FitFrameToView(QWidget* view);
    // Where the window with the title was last placed.
    static QRect SavedPlacement(const QString& title);

    // The kinds of the record windows (forms, dossiers, lists) that are open.
    QStringList OpenRecordWindowKinds() const;
    // Closes the record windows as the user would, each asking about unsaved changes; false
    // when one of them stays open.
    bool CloseRecordWindowsAsking();
    // Closes the record windows at once, without asking.
    void CloseRecordWindows();

private:
    // Opens the window of the kind and has its form start a new record from the locator.
    void NewRecordWith(const QString& kind, CRecordLocator locator);

    QMdiArea& m_mdi;
    CDocTemplateRegistry m_templates;
    QIcon m_icon;
    std::function<void(CDocument*)> m_opened;
};
