#include "notepad/VondView.h"

#include <QAbstractTextDocumentLayout>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QTextBlock>
#include <QTextCursor>
#include <memory>

#include "notepad/FindReplaceDialog.h"
#include "notepad/NotepadCommands.h"
#include "notepad/RichTextDocument.h"
#include "platform/CommandIds.h"
#include "platform/PageSetup.h"
#include "platform/Prompter.h"

using namespace notepadcmd;

namespace {

// 720 twips on every side.
constexpr qreal kPrintMarginInches = 0.5;

bool hasEffect(const QTextCharFormat& format, CVondView::Effect effect) {
    switch (effect) {
        case CVondView::Effect::Bold:
            return format.fontWeight() > QFont::Medium;
        case CVondView::Effect::Italic:
            return format.fontItalic();
        case CVondView::Effect::Underline:
            return format.fontUnderline();
    }
    return false;
}

void setEffect(QTextCharFormat& format, CVondView::Effect effect, bool on) {
    switch (effect) {
        case CVondView::Effect::Bold:
            format.setFontWeight(on ? QFont::Bold : QFont::Normal);
            break;
        case CVondView::Effect::Italic:
            format.setFontItalic(on);
            break;
        case CVondView::Effect::Underline:
            format.setFontUnderline(on);
            break;
    }
}

RichAlignment alignmentOf(const QTextBlock& block) {
    const Qt::Alignment a = block.blockFormat().alignment();
    if (a & Qt::AlignHCenter)
        return RichAlignment::Center;
    if (a & (Qt::AlignRight | Qt::AlignTrailing))
        return RichAlignment::Right;
    if (a & Qt::AlignJustify)
        return RichAlignment::Justify;
    return RichAlignment::Left;
}

std::optional<CVondView::Effect> effectOf(int id) {
    switch (id) {
        case Bold:
            return CVondView::Effect::Bold;
        case Italic:
            return CVondView::Effect::Italic;
        case Underline:
            return CVondView::Effect::Underline;
        default:
            return std::nullopt;
    }
}

std::optional<RichAlignment> alignmentOf(int id) {
    switch (id) {
        case AlignLeft:
            return RichAlignment::Left;
        case AlignCenter:
            return RichAlignment::Center;
        case AlignRight:
            return RichAlignment::Right;
        default:
            return std::nullopt;
    }
}

}  // namespace

CVondView::CVondView(CDocument* document) {
    SetDocument(document);
    setAcceptRichText(true);
    for (auto signal :
         {&QTextEdit::selectionChanged, &QTextEdit::cursorPositionChanged, &QTextEdit::textChanged})
        connect(this, signal, this, &CVondView::notifyStateChanged);
    connect(this, &QTextEdit::currentCharFormatChanged, this, &CVondView::notifyStateChanged);
    connect(this, &QTextEdit::undoAvailable, this, &CVondView::notifyStateChanged);
    connect(this, &QTextEdit::redoAvailable, this, &CVondView::notifyStateChanged);
}

CVondView::~CVondView() = default;

void CVondView::OnInitialUpdate() {
    m_printMargins =
        QMarginsF(kPrintMarginInches, kPrintMarginInches, kPrintMarginInches, kPrintMarginInches);
}

void CVondView::notifyStateChanged() {
    if (CDocument* doc = GetDocument())
        emit doc->commandStateChanged();
}

void CVondView::SetNewDocumentFormat() {
    QFont font(QStringLiteral("arial"));
    font.setPointSize(9);
    font.setBold(false);
    document()->setDefaultFont(font);
    QTextCharFormat format;
    format.setFontFamilies({QStringLiteral("arial")});
    format.setFontPointSize(9);
    format.setFontWeight(QFont::Normal);
    format.setForeground(QColor(Qt::black));
    setCurrentCharFormat(format);
    document()->setModified(false);
}

void CVondView::SetRichText(const RichText& text) {
    document()->clear();
    QTextCursor cursor(document());
    insertRichText(cursor, text);
    document()->clearUndoRedoStacks();
    moveCursor(QTextCursor::Start);
    document()->setModified(false);
}

RichText CVondView::GetRichText() const {
    return richTextOf(*document());
}

void CVondView::InsertRichText(const RichText& text) {
    QTextCursor cursor = textCursor();
    insertRichText(cursor, text);
    setTextCursor(cursor);
}

void CVondView::ToggleEffect(Effect effect) {
    QTextCharFormat format;
    setEffect(format, effect, EffectState(effect) != Qt::Checked);
    mergeCurrentCharFormat(format);
    notifyStateChanged();
}

Qt::CheckState CVondView::EffectState(Effect effect) const {
    const QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        return hasEffect(currentCharFormat(), effect) ? Qt::Checked : Qt::Unchecked;
    const int start = cursor.selectionStart();
    const int end = cursor.selectionEnd();
    bool some = false;
    bool all = true;
    for (QTextBlock block = document()->findBlock(start); block.isValid() && block.position() < end;
         block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (fragment.position() >= end || fragment.position() + fragment.length() <= start)
                continue;
            if (hasEffect(fragment.charFormat(), effect)) {
                some = true;
            } else {
                all = false;
            }
            if (some && !all)
                return Qt::PartiallyChecked;
        }
    }
    if (!some)
        return Qt::Unchecked;
    return all ? Qt::Checked : Qt::PartiallyChecked;
}

void CVondView::SetParagraphAlignment(RichAlignment alignment) {
    switch (alignment) {
        case RichAlignment::Center:
            setAlignment(Qt::AlignHCenter);
            break;
        case RichAlignment::Right:
            setAlignment(Qt::AlignRight | Qt::AlignAbsolute);
            break;
        case RichAlignment::Justify:
            setAlignment(Qt::AlignJustify);
            break;
        case RichAlignment::Left:
            setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
            break;
    }
    notifyStateChanged();
}

Qt::CheckState CVondView::AlignmentState(RichAlignment alignment) const {
    const QTextCursor cursor = textCursor();
    QTextBlock block = document()->findBlock(cursor.selectionStart());
    const QTextBlock last = document()->findBlock(cursor.selectionEnd());
    const RichAlignment first = alignmentOf(block);
    for (; block.isValid(); block = block.next()) {
        if (alignmentOf(block) != first)
            return Qt::PartiallyChecked;
        if (block == last)
            break;
    }
    return first == alignment ? Qt::Checked : Qt::Unchecked;
}

void CVondView::PrintDocument(QPrinter& printer) const {
    // The margins of a page set-up chosen for the session stay as the printer has them.
    if (!pageSetup().isChosen())
        printer.setPageMargins(m_printMargins, QPageLayout::Inch);
    // A copy laid out for the printer's page, without the margin the editor shows around
    // its text, so the printed margins are the ones set here.
    const std::unique_ptr<QTextDocument> copy(document()->clone());
    copy->documentLayout()->setPaintDevice(&printer);
    copy->setDocumentMargin(0);
    copy->setPageSize(printer.pageRect(QPrinter::DevicePixel).size());
    copy->print(&printer);
}

bool CVondView::FindText(const QString& text, QTextDocument::FindFlags flags) {
    m_lastFind = text;
    m_lastFlags = flags;
    if (text.isEmpty())
        return false;
    QTextCursor found = document()->find(text, textCursor(), flags);
    if (found.isNull()) {
        QTextCursor wrap(document());
        if (flags & QTextDocument::FindBackward)
            wrap.movePosition(QTextCursor::End);
        found = document()->find(text, wrap, flags);
    }
    if (found.isNull())
        return false;
    setTextCursor(found);
    return true;
}

bool CVondView::ReplaceText(const QString& text, const QString& replacement,
                            QTextDocument::FindFlags flags) {
    QTextCursor cursor = textCursor();
    const Qt::CaseSensitivity cs =
        flags & QTextDocument::FindCaseSensitively ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (cursor.hasSelection() && cursor.selectedText().compare(text, cs) == 0) {
        cursor.insertText(replacement);
        setTextCursor(cursor);
    }
    return FindText(text, flags);
}

int CVondView::ReplaceAll(const QString& text, const QString& replacement,
                          QTextDocument::FindFlags flags) {
    if (text.isEmpty())
        return 0;
    int count = 0;
    QTextCursor edit(document());
    edit.beginEditBlock();
    QTextCursor found = document()->find(text, 0, flags & ~QTextDocument::FindBackward);
    while (!found.isNull()) {
        found.insertText(replacement);
        ++count;
        found = document()->find(text, found, flags & ~QTextDocument::FindBackward);
    }
    edit.endEditBlock();
    return count;
}

void CVondView::showFindDialog(bool replace) {
    if (!m_findDialog)
        m_findDialog = new CFindReplaceDialog(this);
    m_findDialog->showFor(replace, textCursor().selectedText());
}

void CVondView::print(bool withDialog) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(GetDocument() ? GetDocument()->GetTitle() : QString());
    if (!pageSetup().applyTo(printer))
        printer.setPageMargins(m_printMargins, QPageLayout::Inch);
    if (withDialog && !prompter().printDialog(printer))
        return;
    PrintDocument(printer);
}

void CVondView::printPreview() {
    QPrinter printer(QPrinter::HighResolution);
    if (!pageSetup().applyTo(printer))
        printer.setPageMargins(m_printMargins, QPageLayout::Inch);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { PrintDocument(*target); });
    preview.exec();
}

bool CVondView::OnCommand(int id) {
    if (const std::optional<Effect> effect = effectOf(id)) {
        ToggleEffect(*effect);
        return true;
    }
    if (const std::optional<RichAlignment> alignment = alignmentOf(id)) {
        SetParagraphAlignment(*alignment);
        return true;
    }
    switch (id) {
        case EditCut:
            cut();
            return true;
        case EditCopy:
            copy();
            return true;
        case EditPaste:
            paste();
            return true;
        case EditUndo:
            undo();
            return true;
        case EditRedo:
            redo();
            return true;
        case EditSelectAll:
            selectAll();
            return true;
        case EditFind:
            showFindDialog(false);
            return true;
        case EditReplace:
            showFindDialog(true);
            return true;
        case EditRepeat:
            if (m_lastFind.isEmpty()) {
                showFindDialog(false);
            } else if (!FindText(m_lastFind, m_lastFlags)) {
                messageBox(QStringLiteral("Cannot find the string '%1'.").arg(m_lastFind));
            }
            return true;
        case cmd::FilePrint:
            print(true);
            return true;
        case PrintDirect:
            print(false);
            return true;
        case PrintPreview:
            printPreview();
            return true;
        default:
            return false;
    }
}

bool CVondView::IsCommandEnabled(int id, bool& enabled) const {
    if (effectOf(id) || alignmentOf(id)) {
        enabled = true;
        return true;
    }
    switch (id) {
        case EditCut:
        case EditCopy:
            enabled = textCursor().hasSelection();
            return true;
        case EditPaste:
            // Asking the clipboard here would wait for its owner at every cursor move.
            enabled = !isReadOnly();
            return true;
        case EditUndo:
            enabled = document()->isUndoAvailable();
            return true;
        case EditRedo:
            enabled = document()->isRedoAvailable();
            return true;
        case EditSelectAll:
        case EditFind:
        case EditReplace:
        case EditRepeat:
        case cmd::FilePrint:
        case PrintDirect:
        case PrintPreview:
            enabled = true;
            return true;
        default:
            return false;
    }
}

std::optional<Qt::CheckState> CVondView::GetCheckState(int id) const {
    if (const std::optional<Effect> effect = effectOf(id))
        return EffectState(*effect);
    if (const std::optional<RichAlignment> alignment = alignmentOf(id))
        return AlignmentState(*alignment);
    return std::nullopt;
}

QWidget* createNotepadView(CDocument* document) {
    return new CVondView(document);
}
