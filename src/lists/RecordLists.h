#pragma once

#include "lists/MyListView.h"

class QWidget;

// The four record lists. Each only configures the list machinery for its table.

class CAlarmListView : public CMyListView {
    Q_OBJECT
public:
    explicit CAlarmListView(CDocument* document);

protected:
    bool BeforeInitializeAll() override;
};

class CContactLView : public CMyListView {
    Q_OBJECT
public:
    explicit CContactLView(CDocument* document);

protected:
    bool BeforeInitializeAll() override;
};

class CFirmLView : public CMyListView {
    Q_OBJECT
public:
    explicit CFirmLView(CDocument* document);

protected:
    bool BeforeInitializeAll() override;
};

class CPersonLView : public CMyListView {
    Q_OBJECT
public:
    explicit CPersonLView(CDocument* document);

protected:
    bool BeforeInitializeAll() override;
};

// The view factories of the window kinds "Alarmlist", "Contactlist", "Firmlist" and
// "Personlist".
QWidget* createAlarmListView(CDocument* document);
QWidget* createContactListView(CDocument* document);
QWidget* createFirmListView(CDocument* document);
QWidget* createPersonListView(CDocument* document);
