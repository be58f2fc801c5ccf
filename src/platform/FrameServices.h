#pragma once

#include <QString>

class CView;

// What the windows of the lists, the search tool and other subsystems ask of the main frame,
// without depending on it. The main frame installs itself while it lives.
class CFrameServices {
public:
    virtual ~CFrameServices() = default;

    // The open window of the kind (activated), or a new one; its view, or nullptr when no
    // window of the kind can be opened.
    virtual CView* OpenOrActivate(const QString& kind) = 0;
    // Makes the view's frame the active child window.
    virtual void ActivateView(CView* view) = 0;
    // Restores a minimised main window and brings it to the front.
    virtual void RestoreMainWindow() = 0;
    // The settings file (Tarvex.ini) and whether list column layouts are kept in it.
    virtual QString settingsFile() const = 0;
    virtual bool rememberColumns() const = 0;
};

// The installed services, or nullptr when there is no main frame.
CFrameServices* frameServices();
void setFrameServices(CFrameServices* services);
