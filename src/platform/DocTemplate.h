#pragma once

#include <QString>
#include <functional>
#include <memory>
#include <vector>

class CDocument;
class CView;
class QWidget;

// Which child frame class hosts a window kind.
enum class FrameKind { Record, List, Child, Notepad };

// A window kind: its resource id, document string and the factories of its document and
// view. The second field of the document string is the kind's name.
struct CDocTemplate {
    int id = 0;
    QString docString;
    FrameKind frameKind = FrameKind::Child;
    std::function<std::unique_ptr<CDocument>()> createDocument;
    // Creates the view widget for the document; the widget must also derive from CView.
    std::function<QWidget*(CDocument*)> createView;

    // The kind's name: the document string's second field, trimmed.
    QString docName() const;
};

// The registered document templates, in registration order.
class CDocTemplateRegistry {
public:
    void add(CDocTemplate docTemplate);
    const std::vector<CDocTemplate>& templates() const { return m_templates; }
    // The first template whose name equals `kind` ignoring case; an empty kind gives the
    // first registered template. nullptr when none matches.
    const CDocTemplate* find(const QString& kind) const;

private:
    std::vector<CDocTemplate> m_templates;
};
