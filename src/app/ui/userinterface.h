// The message boxes, the file dialogs and the About box as the window uses
// them. Everything modal goes through IUserInterface so the window can be
// driven without a user.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/errors.h"
#include "font/editfont.h"
#include "font/font.h"
#include "image/palette.h"
#include "makers/guides.h"
#include "session/commands.h"
#include "session/display.h"
#include "session/session.h"

class QColor;
class QWidget;

enum class TMsgKind { Warning, Error };
enum class TSaveAnswer { Cancel, Save, Discard };

inline const char* const kAppTitle = "Quillmere";

// Where QSettings keeps what the window remembers between runs:
// $XDG_CONFIG_HOME/quillmere/Quillmere.conf.
inline const char* const kSettingsFolder = "quillmere";

// One file dialog's settings and what it remembers between runs: the file
// name and the file type (from 1) last accepted in it.
struct TFileDialog {
    QString Title{};
    QString Filter{};  // "text|pattern|text|pattern"
    QString DefaultExt{};
    bool Save = false;  // save dialogs confirm overwriting, open dialogs need an existing file
    QString FileName{};
    int FilterIndex = 1;

    // The filter as (text, pattern) pairs.
    QStringList Texts() const;
    QStringList Patterns() const;
};

struct TOutlineStrip;
// Check Text's Add from Outline Font...: the codes the font lacks, under the
// code page named.
struct TOutlineAdd {
    std::vector<std::uint16_t> Codes;
    std::string CodePage;
};

// A number to type in a dialog, in decimal, within Min to Max.
struct TNumberField {
    QString Label;  // "&Code:"
    QString Name;   // "The code", for the refusal
    std::int64_t Min = 0, Max = 0;
    QString Text;  // what the field opens with
};
// A field within the core's limits, "&" before its label's first letter;
// Text, when given, is what it opens with.
TNumberField NumberField(const TCommandField& Limits, std::optional<std::int64_t> Text);
// Why the values are refused, or empty to take them.
using TNumberCheck = std::function<std::string(const std::vector<std::int64_t>&)>;

// View > Guides...: OK sets the rows typed, Reset goes back to those found.
enum class TGuidesAnswer { Cancel, Set, Reset };
// View > Reference Glyph...: the character as typed, and the font file to
// take it from (empty: this font); OK sets it, None clears it.
struct TReferenceChoice {
    QString Text;
    QString Font;
};
enum class TReferenceAnswer { Cancel, Set, None };

class IUserInterface {
public:
    virtual ~IUserInterface() = default;
    // Runs the dialog modally. On acceptance stores the chosen full path and
    // file type in Dialog and returns true; a cancel changes nothing.
    virtual bool Execute(TFileDialog& Dialog) = 0;
    virtual void ShowMessage(const QString& Text, TMsgKind Kind) = 0;
    // The standard error box: caption "Quillmere", stop icon, Text as given.
    virtual void ShowStandardError(const QString& Text) = 0;
    virtual void ShowAbout() = 0;
    // A question box (caption "Quillmere") with Yes and No; true for Yes.
    virtual bool AskYesNo(const QString& Text) = 0;
    // Save, Discard or Cancel for changes that would be lost; Esc cancels.
    virtual TSaveAnswer AskSave(const QString& Text) = 0;
    // A question box (caption "Quillmere") with Buttons, the first the
    // default: the index of the one pressed; Esc and the close box press the
    // last.
    virtual int AskChoice(const QString& Text, const QStringList& Buttons) = 0;
    // Runs the character table editor on Table with Row selected; true, with
    // the edited rows in Table, when it was accepted.
    virtual bool EditTable(std::vector<TCharEntry>& Table, int Row) = 0;
    // New Font from Outline Font over Font, drawn through Palette; true, with
    // the new strip and table in Strip, on OK. With Add it opens in its Add
    // mode with those characters filled in. Guides: where Font's letters
    // stand, for the letters added to stand there too.
    virtual bool MakeOutlineFont(const TEditedFont& Font, const TPalette& Palette,
                                 const TGuideRows& Guides, TOutlineStrip& Strip,
                                 const TOutlineAdd* Add = nullptr) = 0;
    // The colour dialog, opening on Color; true, with the colour chosen in
    // Color, on OK.
    virtual bool ChooseColor(QColor& Color, const QString& Title) = 0;
    // A dialog of number fields; values out of a field's range, or refused
    // by Check, are refused in it with a message. True, with them in Values,
    // on OK.
    virtual bool AskNumbers(const QString& Title, const std::vector<TNumberField>& Fields,
                            const TNumberCheck& Check, std::vector<std::int64_t>& Values) = 0;
    // A dialog of one text field; true, with what was typed in Text, on OK.
    virtual bool AskText(const QString& Title, const QString& Label, QString& Text) = 0;
    // Edit > Replace Colour... over the session's selected glyphs, opening on
    // From and To; true, with the values chosen, on OK.
    virtual bool AskReplaceColor(TEditSession& Session, std::uint16_t& From, std::uint16_t& To) = 0;
    // View > Guides...: Cap height, x-height and Baseline, opening on Rows,
    // each empty or a row from 0 to Height; Set with those typed in Rows.
    virtual TGuidesAnswer AskGuides(TGuideRows& Rows, std::int32_t Height) = 0;
    // View > Reference Glyph..., opening on Choice; Set with the one made in it.
    virtual TReferenceAnswer AskReference(TReferenceChoice& Choice) = 0;
};

// The standard error box's text for the exception being handled.
QString StandardErrorText(std::exception_ptr Error);

// Palette readers' warnings shown as warning boxes.
class TWarningBoxes final : public IWarningSink {
public:
    explicit TWarningBoxes(IUserInterface& UI) : ui_(UI) {}
    void ShowWarning(const std::string& Text) override {
        ui_.ShowMessage(QString::fromStdString(Text), TMsgKind::Warning);
    }

private:
    IUserInterface& ui_;
};
