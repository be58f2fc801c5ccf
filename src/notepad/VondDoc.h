#pragma once

#include <QPointer>
#include <QString>
#include <memory>

#include "notepad/RichText.h"
#include "platform/Document.h"

class CVondView;

// The notepad's document: rich text that always loads and saves as RTF. Its title is the
// file's name once it has one; closing a modified document asks whether to save it.
class CVondDoc : public CDocument {
    Q_OBJECT
public:
    // The file filter of the open and save choosers.
    static QString fileFilter();

    explicit CVondDoc(QObject* parent = nullptr);

    CVondView* view() const;
    const QString& GetPathName() const { return m_path; }
    bool IsModified() const;
    void SetModifiedFlag(bool modified);

    // New-document initialisation: an empty text that types in 9-point Arial.
    void OnNewDocument() override;
    // Shows rich text read from `path` (which becomes the document's file).
    void OnOpenDocument(const QString& path, const RichText& text);
    // Writes the text to `path`; false, after telling the user, when it cannot be written.
    bool OnSaveDocument(const QString& path);
    // Save: to the document's file, or Save As when it has none. False when not saved.
    bool DoFileSave();
    // Save As: asks for a file; false when the user cancelled or it was not saved.
    bool DoSaveAs();
    // Asks whether to save a modified document: Yes saves, No drops the changes, Cancel
    // (or a failed save) keeps the window open.
    bool SaveModified() override;

    bool OnCommand(int id) override;
    bool IsCommandEnabled(int id, bool& enabled) const override;
    std::optional<Qt::CheckState> GetCheckState(int id) const override;

private:
    void setPathName(const QString& path);

    QString m_path;
};

// Creates the notepad's document for the window kind "Notepad".
std::unique_ptr<CDocument> createNotepadDocument();
