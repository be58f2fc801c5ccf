#pragma once

#include <QMarginsF>
#include <QPointer>
#include <QTextDocument>
#include <QTextEdit>
#include <optional>

#include "notepad/RichText.h"
#include "platform/Document.h"

class CFindReplaceDialog;
class QPrinter;

// The notepad's editor: rich text with bold, italic and underline toggles, paragraph
// alignment, clipboard, undo, find and replace, and printing with half-inch margins.
class CVondView : public QTextEdit, public CView {
    Q_OBJECT
public:
    enum class Effect { Bold, Italic, Underline };

    explicit CVondView(CDocument* document);
    ~CVondView() override;

    void OnInitialUpdate() override;

    // Sets what a new document types in: 9-point Arial, not bold, black.
    void SetNewDocumentFormat();
    // Replaces the whole text; the document then counts as unmodified.
    void SetRichText(const RichText& text);
    RichText GetRichText() const;
    // Inserts text at the insertion point.
    void InsertRichText(const RichText& text);

    // Removes the effect from the selection when all of it has the effect, else applies it
    // to all of it; without a selection it changes what is typed next.
    void ToggleEffect(Effect effect);
    // Checked when the whole selection has the effect, unchecked when none of it has,
    // partially checked when it is mixed.
    Qt::CheckState EffectState(Effect effect) const;
    void SetParagraphAlignment(RichAlignment alignment);
    // Checked for the alignment every selected paragraph has; all partially checked when
    // the selected paragraphs differ.
    Qt::CheckState AlignmentState(RichAlignment alignment) const;

    // Margins of the printed page, in inches.
    QMarginsF printMargins() const { return m_printMargins; }
    // Prints the text on the printer with the print margins.
    void PrintDocument(QPrinter& printer) const;

    // Searches from the insertion point, wrapping at the end once; selects what it found.
    bool FindText(const QString& text, QTextDocument::FindFlags flags);
    // Replaces the selection when it is the searched text, then finds the next one.
    bool ReplaceText(const QString& text, const QString& replacement,
                     QTextDocument::FindFlags flags);
    int ReplaceAll(const QString& text, const QString& replacement, QTextDocument::FindFlags flags);

    bool OnCommand(int id);
    bool IsCommandEnabled(int id, bool& enabled) const;
    std::optional<Qt::CheckState> GetCheckState(int id) const;

private:
    void notifyStateChanged();
    void showFindDialog(bool replace);
    void print(bool withDialog);
    void printPreview();

    QMarginsF m_printMargins;
    QPointer<CFindReplaceDialog> m_findDialog;
    QString m_lastFind;
    QTextDocument::FindFlags m_lastFlags;
};

// Creates the notepad's view for the window kind "Notepad".
QWidget* createNotepadView(CDocument* document);
