#pragma once

#include "app/SpawnMDIChildWnd.h"

// Frame of the record forms: form toolbar and record keys; it cannot be resized or maximised.
class CDBFrame : public CSpawnMDIChildWnd {
    Q_OBJECT
public:
    CDBFrame(std::unique_ptr<CDocument> document, QWidget* view);

protected:
    bool resizable() const override { return false; }
};

// Frame of the record lists: list toolbar and record keys; resizable.
class CListFrame : public CSpawnMDIChildWnd {
    Q_OBJECT
public:
    CListFrame(std::unique_ptr<CDocument> document, QWidget* view);
};

// Frame of the notepad: the notepad toolbar, whose formatting buttons show pressed,
// released or indeterminate as the document's selection has the format or not.
class CNotepadFrame : public CSpawnMDIChildWnd {
    Q_OBJECT
public:
    CNotepadFrame(std::unique_ptr<CDocument> document, QWidget* view);

private:
    void updateButtonStates();
};

// Frame of the group form and the dossiers: no toolbar, no maximise.
class CChildFrame : public CSpawnMDIChildWnd {
    Q_OBJECT
public:
    CChildFrame(std::unique_ptr<CDocument> document, QWidget* view);
};
