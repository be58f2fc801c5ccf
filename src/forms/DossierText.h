#pragma once

#include <QString>

class QWidget;

// The "View" button of the person and firm forms: a new notepad window, 400 by 300
// pixels, titled `title`, with the rows of the dossier table that meet `filter` written
// into it as the table text dump. With `toTopLeft` the window moves to the top left corner
// of the main window's client area. Returns the window, or nullptr when none opened.
QWidget* ShowDossierText(const QString& table, const QString& filter, const QString& title,
                         bool toTopLeft);
