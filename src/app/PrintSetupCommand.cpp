#include "app/PrintSetupCommand.h"

#include <QPrinter>

#include "app/AppPaths.h"
#include "app/Settings.h"
#include "platform/IniFile.h"
#include "platform/PageSetup.h"
#include "platform/Prompter.h"

void RunPrintSetup() {
    QPrinter printer(QPrinter::HighResolution);
    pageSetup().applyTo(printer);
    if (!prompter().pageSetupDialog(printer))
        return;
    pageSetup().setLayout(printer.pageLayout());
    IniFile file(settingsFilePath());
    // The choice holds for this run even when the file cannot keep it.
    if (!pageSetup().save(file))
        messageBox(settingsNotSavedMessage(), Prompter::Buttons::Ok, Prompter::Icon::Exclamation);
}

void LoadPrintSetup() {
    pageSetup().load(IniFile(settingsFilePath()));
}
