#pragma once

#include <QString>
#include <initializer_list>

class CMyFormView;

// The "Zikinfo ..." button of the person and firm forms.
inline constexpr int kDossierButtonId = 1120;

// Opens or activates the dossier window of the kind ("Zikinfo", "Zikinfo2") and loads the
// dossier of the form's current record, titled with the values of the name columns joined by
// single blanks. While the form is editing it only says that it cannot.
void ShowDossier(CMyFormView& form, const QString& dossierKind,
                 std::initializer_list<const char*> nameColumns);
