// File > Import Picture and Paste Glyph: a picture's pixels into the session
// under the core's colour rules, asking before colours move.
#pragma once

#include <functional>
#include <string>

#include "image/colorrules.h"
#include "session/session.h"
#include "ui/userinterface.h"

// The question before colours the palette lacks move to its nearest ones.
QString NearestQuestion(const EColorsNotInPalette& Missing);

// Runs Change(false); when colours the palette lacks refuse it, asks, and
// with Yes runs Change(true). The change, or none when the user said No.
TSessionChange AskingNearest(IUserInterface& UI,
                             const std::function<TSessionChange(bool Nearest)>& Change);

// Reads the picture at Path and puts its pixels in place of the session's
// strip, as one step. Throws EToolkitError naming the file and why it was
// refused.
TSessionChange ImportPicture(TEditSession& Session, const std::string& Path, IUserInterface& UI);
