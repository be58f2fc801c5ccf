#pragma once

#include <span>

// One edit control of a dossier page: the column of the dossier row whose text it shows.
struct DossierField {
    int controlId;
    const char* label;
    const char* column;
    bool multiLine = false;  // wraps, scrolls vertically and takes Enter
};

// One tab of a dossier sheet. Every page is built and exchanged by the same code from
// such a table; the class name is kept as the page widget's object name.
struct DossierPageDef {
    const char* className;
    int templateId;
    const char* caption;
    std::span<const DossierField> fields;
    bool labelsAbove = false;
};

// The pages of the person dossier (table Sharks) and of the firm dossier (table Sharks2),
// in tab order.
std::span<const DossierPageDef> personDossierPages();
std::span<const DossierPageDef> firmDossierPages();
