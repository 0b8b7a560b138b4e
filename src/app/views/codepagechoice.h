// View > Code Page: the choice kept in the settings for each font's file
// name, as the guides' rows are, and handed to the session, whose rules read
// it.
#pragma once

#include <optional>
#include <string>

#include "session/session.h"

class TCodePageChoice {
public:
    explicit TCodePageChoice(TEditSession& Session) : session_(Session) {}

    // Another font's file: its kept page (Unicode when none) goes to the
    // session. True when the session's page changed.
    bool Follow();
    // The session's page was chosen from the menu: kept for the font's file
    // name.
    void Chosen();
    // The font was saved: under another name the choice goes with it.
    void Saved();

private:
    std::string FileName() const;
    void Keep();

    TEditSession& session_;
    std::optional<std::string> keptFor_;  // the file name the choice was read for
};
