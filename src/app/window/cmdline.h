// The viewer's command line: quillmere [FONT].
#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <string>

struct TStartRequest {
    QString Font;             // absolute and clean; empty when none was given
    QString Recover;          // a recovery journal chosen in another window's start-up
    std::optional<int> Exit;  // stop at once with this status, without a window
    QString Text;             // what to print first: on stdout for 0, else on stderr
};

// Arguments as QCoreApplication::arguments() gives them, program name first.
TStartRequest ParseCommandLine(const QStringList& Arguments);

// Where the default palette uicolormap.cmp is read at start: the working
// folder, not the program's, then the folder of a font given at start, as a
// game folder holds both. Empty when neither has it.
std::string DefaultPalettePath(const QString& StartFont);
