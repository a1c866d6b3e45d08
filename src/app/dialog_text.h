// The window's own dialogs as front ends that answer them by rule know them:
// the prompts of a calibration that ask for a standard, the reminder of an
// unsaved calibration, the file dialogs by title, and any dialog as one line
// of text for a terminal or an error queue.
#pragma once

#include <string>

namespace orbilan::app {

inline constexpr const char* UnsavedCalTitle = "Unsaved Calibration File";
inline constexpr const char* SaveCalTitle = "Save calibration data to file";
inline constexpr const char* LoadCalTitle = "Load calibration data";
inline constexpr const char* SaveDataTitle = "Save data to file";

// True for the prompts of the calibration procedures that ask for a standard
// ("Connect open circuit reference, then click OK").
bool IsStandardPrompt(const std::string& title);

// A dialog's text on one line: line breaks as blanks, no blanks around it.
std::string FlattenedDialogText(const std::string& text);

// A dialog as one line: its title and text; a plain box of the program
// (titled with its name) says only its text.
std::string DialogLine(const std::string& title, const std::string& text);

} // namespace orbilan::app
