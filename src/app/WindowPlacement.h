#pragma once

#include <QString>

// A window's placement as stored in the settings file, section "WP_" + the window's title:
// show state, flags, the minimised and maximised positions and the normal rectangle.
struct WindowPlacement {
    int showCmd = 10;
    int flags = 10;
    int minX = 10;
    int minY = 10;
    int maxX = 10;
    int maxY = 10;
    int left = 10;
    int top = 10;
    int right = 10;
    int bottom = 10;
};

// Reads the placement saved for the title; every missing key reads 10.
WindowPlacement loadPlacement(const QString& title);
// Writes the ten keys for the title; false when the settings file cannot be written.
bool savePlacement(const QString& title, const WindowPlacement& placement);
