#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <optional>

class CView;

// Base of objects that travel with an update broadcast (for example a record locator).
class CHintObject {
public:
    virtual ~CHintObject() = default;
};

// A document keeps its views and broadcasts updates to them. Commands of a child window
// reach its document first; a document that handles a command returns true.
class CDocument : public QObject {
    Q_OBJECT
public:
    explicit CDocument(QObject* parent = nullptr);
    ~CDocument() override;

    void AddView(CView* view);
    void RemoveView(CView* view);
    const QList<CView*>& views() const { return m_views; }
    CView* firstView() const { return m_views.isEmpty() ? nullptr : m_views.first(); }

    // Calls OnUpdate on every view except the sender.
    void UpdateAllViews(CView* sender, int hint = 0, CHintObject* hintObject = nullptr);

    const QString& GetTitle() const { return m_title; }
    void SetTitle(const QString& title);

    // Runs the command if this document handles it.
    virtual bool OnCommand(int id);
    // Sets `enabled` and returns true when this document decides about the command.
    virtual bool IsCommandEnabled(int id, bool& enabled) const;
    // The pressed, released or indeterminate state of a command's button; none for a
    // command without such a state.
    virtual std::optional<Qt::CheckState> GetCheckState(int) const { return std::nullopt; }
    // Runs once when the document is created by a "new document" command.
    virtual void OnNewDocument() {}
    // Asked before the document's window closes; false keeps the window open.
    virtual bool SaveModified() { return true; }

signals:
    void titleChanged(const QString& title);
    // Emitted whenever something that command enabling depends on has changed.
    void commandStateChanged();

private:
    QList<CView*> m_views;
    QString m_title;
};

// The document side of a view. Concrete views are widgets that also derive from this.
class CView {
public:
    virtual ~CView();

    CDocument* GetDocument() const { return m_document; }
    // Attaches the view to a document (and detaches it from the previous one).
    void SetDocument(CDocument* document);

    virtual void OnInitialUpdate() {}
    virtual void OnUpdate(CView* sender, int hint, CHintObject* hintObject);

private:
    CDocument* m_document = nullptr;
};
