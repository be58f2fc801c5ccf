#pragma once

// Print Setup: asks for paper, orientation and margins with the page set-up dialog; the
// choice holds for every printout from then on and is written to the settings file.
void RunPrintSetup();

// Takes the page set-up kept in the settings file, at start-up.
void LoadPrintSetup();
