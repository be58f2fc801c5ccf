#pragma once

#include <QPageLayout>

class IniFile;
class QPrinter;

// The page set-up the user chose with Print Setup: paper size, orientation and margins,
// which every printout of the session takes. Until one is chosen printouts keep the
// printer's own paper and their own margins. It is kept in the [print] section of the
// settings file, so that it survives a restart.
class CPageSetup {
public:
    bool isChosen() const { return m_layout.isValid(); }
    const QPageLayout& layout() const { return m_layout; }
    void setLayout(const QPageLayout& layout) { m_layout = layout; }

    // Gives the printer the chosen layout; false, leaving the printer as it is, when none
    // was chosen.
    bool applyTo(QPrinter& printer) const;

    // Reads the [print] section; a missing or unreadable one means nothing chosen.
    void load(const IniFile& file);
    // Writes the [print] section; false when the file cannot be written.
    bool save(IniFile& file) const;

private:
    QPageLayout m_layout;
};

// The page set-up of this run.
CPageSetup& pageSetup();
