#pragma once

#include <stdexcept>
#include <string>

// An error the picture and file operations raise; its text is what the user
// sees in the standard error box.
class EToolkitError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The messages every front end shows alike.
inline const char* const kPaletteNotFound = "uicolormap.cmp not found!";
inline const char* const kInvalidSFT = "Invalid SFT file!";
inline const char* const kErrorLoadingPalette = "Error loading Palette!";

// What the user is told when a change can't keep its undo record.
inline const char* const kNoMemoryForStep =
    "There is not enough memory to keep this change for Undo, so it was not made";

inline const char* const kBitmapNotValid = "Bitmap image is not valid";
inline const char* const kStreamWriteError = "Stream write error";
inline const char* const kOutOfMemory = "Out of memory";
inline std::string CannotCreateFile(const std::string& path) {
    return "Cannot create file " + path;
}

// A font, table or picture that can't be made into a font file; the text says
// why, for the message box or the command line.
class EFontError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
