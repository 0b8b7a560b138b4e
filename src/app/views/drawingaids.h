// The View menu's aids to drawing letters: the guides across the strip and
// the reference glyph under the selected one. The rules are the core's
// (guides.h); this keeps what the user set, in the settings for each font's
// file name, and hands the view what to draw.
#pragma once

#include <QObject>
#include <optional>
#include <string>

#include "makers/guides.h"
#include "session/session.h"
#include "ui/userinterface.h"

class QAction;
class TScrollBox;

class TDrawingAids final : public QObject {
    Q_OBJECT
public:
    // Guides: View > Guides, the toggle that shows them.
    TDrawingAids(const TEditSession& Session, IUserInterface& UI, TScrollBox& View, QAction& Guides,
                 QObject* Parent);

    // View > Guides...: rows set, or the rows found again, show the guides.
    void AskGuides();
    // View > Reference Glyph...; a refusal says why and changes nothing.
    void AskReference();
    // The font, its pixels or its background colour changed: the guides are
    // found again.
    void FontChanged();
    // The font was saved: under another name, the rows set go with it.
    void Saved();
    // The view draws the guides (as View > Guides stands) and the reference
    // where they now go: after a change of the current row, or the toggle.
    void Follow();

    // The rows the guides are drawn at: those set for the font's file name,
    // else those found.
    TGuideRows Rows();
    const std::optional<TReferenceGlyph>& Reference() const { return reference_; }

private:
    // What is kept for the font's file name, read again when it changed.
    void ReadKept();
    // Writes kept_ for the file name, or forgets what was kept for it.
    void Keep();
    std::string FileName() const;

    const TEditSession& session_;
    IUserInterface& ui_;
    TScrollBox& view_;
    QAction& guides_;
    TGuideRows found_;
    bool stale_ = true;  // found_ is to be found again
    std::optional<TGuideRows> kept_;
    std::optional<std::string> keptFor_;  // the file name kept_ was read for
    std::optional<TReferenceGlyph> reference_;
    TReferenceChoice choice_;  // as the dialog last set it
};
