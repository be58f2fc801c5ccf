#pragma once

class QSettings;

// The application's key in the user's settings store ("Orvandel" / "Tarvex", native format):
// the recent notepad files and the tip-of-the-day position live there.
QSettings& registry();
