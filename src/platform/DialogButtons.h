#pragma once

#include <QString>

class QDialog;
class QDialogButtonBox;

// The OK and Cancel buttons of a dialog: OK (the default button, with the given text)
// runs the dialog's accept(), Cancel its reject().
QDialogButtonBox* okCancelButtons(QDialog* dialog, const QString& okText = QStringLiteral("&OK"));
