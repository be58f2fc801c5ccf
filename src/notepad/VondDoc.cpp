#include "notepad/VondDoc.h"

#include <QFileInfo>
#include <QRegularExpression>

#include "notepad/RecentFileList.h"
#include "notepad/RtfFile.h"
#include "notepad/VondView.h"
#include "platform/CommandIds.h"
#include "platform/Prompter.h"

QString CVondDoc::fileFilter() {
    return QStringLiteral("Tarvex Files (*.rtf)|*.rtf||");
}

CVondDoc::CVondDoc(QObject* parent) : CDocument(parent) {}

CVondView* CVondDoc::view() const {
    return dynamic_cast<CVondView*>(firstView());
}

bool CVondDoc::IsModified() const {
    const CVondView* v = view();
    return v && v->document()->isModified();
}

void CVondDoc::SetModifiedFlag(bool modified) {
    if (CVondView* v = view())
        v->document()->setModified(modified);
}

void CVondDoc::OnNewDocument() {
    if (CVondView* v = view()) {
        v->clear();
        v->SetNewDocumentFormat();
    }
}

void CVondDoc::OnOpenDocument(const QString& path, const RichText& text) {
    if (CVondView* v = view())
        v->SetRichText(text);
    setPathName(path);
}

void CVondDoc::setPathName(const QString& path) {
    m_path = QFileInfo(path).absoluteFilePath();
    SetTitle(QFileInfo(path).fileName());
    recentfiles::add(m_path);
}

bool CVondDoc::OnSaveDocument(const QString& path) {
    CVondView* v = view();
    if (!v)
        return false;
    QString problem;
    if (!WriteRtfFile(path, v->GetRichText(), &problem)) {
        messageBox(problem, Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
        return false;
    }
    SetModifiedFlag(false);
    setPathName(path);
    return true;
}

bool CVondDoc::DoFileSave() {
    if (m_path.isEmpty())
        return DoSaveAs();
    return OnSaveDocument(m_path);
}

bool CVondDoc::DoSaveAs() {
    QString proposed = m_path;
    if (proposed.isEmpty()) {
        // A title such as "Text zikinfo - Smith John" proposes a file of that name.
        QString name = GetTitle();
        name.remove(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|]")));
        proposed = name.trimmed() + QStringLiteral(".rtf");
    }
    QString path = prompter().saveFileName(QStringLiteral("Save As"), fileFilter(), proposed);
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".rtf");
    return OnSaveDocument(path);
}

bool CVondDoc::SaveModified() {
    if (!IsModified())
        return true;
    const int answer = messageBox(QStringLiteral("Save changes to %1?").arg(GetTitle()),
                                  Prompter::Buttons::YesNoCancel, Prompter::Icon::Exclamation);
    if (answer == Prompter::Cancel)
        return false;
    if (answer == Prompter::No)
        return true;
    return DoFileSave();
}

bool CVondDoc::OnCommand(int id) {
    switch (id) {
        case cmd::FileSave:
            DoFileSave();
            return true;
        case cmd::FileSaveAs:
            DoSaveAs();
            return true;
        default:
            break;
    }
    CVondView* v = view();
    return v && v->OnCommand(id);
}

bool CVondDoc::IsCommandEnabled(int id, bool& enabled) const {
    if (id == cmd::FileSave || id == cmd::FileSaveAs) {
        enabled = true;
        return true;
    }
    const CVondView* v = view();
    return v && v->IsCommandEnabled(id, enabled);
}

std::optional<Qt::CheckState> CVondDoc::GetCheckState(int id) const {
    const CVondView* v = view();
    return v ? v->GetCheckState(id) : std::nullopt;
}

std::unique_ptr<CDocument> createNotepadDocument() {
    return std::make_unique<CVondDoc>();
}
