// Every command of the window and the page, written once: where it sits, its
// caption and keys, when it can be chosen and, for one that asks first, its
// dialog and the check of its values. Both front ends make their menus,
// shortcuts and enabled states from this table and add a handler each; the
// commands the session runs by itself need no handler of theirs at all.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "session/session.h"

// What the enabled rules look at.
struct TCommandState {
    bool Font = false;      // a font is open
    bool Chars = false;     // its table has rows
    bool Selected = false;  // a row is selected
    bool Columns = false;   // the current row's glyph has columns, on a strip with rows
    bool Glyphs = false;    // a selected glyph has columns, on a strip with rows
    bool Strip = false;     // the strip has columns and rows
    bool Modified = false;
    bool Undo = false, Redo = false;
    bool ZoomIn = false;  // the view can zoom in further
    bool Zoomed = false;  // the view is zoomed in
    bool Recent = false;  // Open Recent lists a font
    bool Pixels = false;  // pixels are selected on the strip
};

// The session's part of the state; the view's and the recent list's are the
// front end's to fill in.
TCommandState CommandState(const TEditSession& Session, bool HasFont);

enum class TRule {
    Always,
    Font,
    Chars,
    Selected,
    Columns,
    Glyphs,
    Strip,
    Modified,
    Undo,
    Redo,
    ZoomIn,
    Zoomed,
    Recent,
    Pixels
};
bool Allows(TRule Rule, const TCommandState& State);

// Which front ends have a command. Handles: both, the page only where the
// browser hands out file handles.
enum class TFront { Both, Window, Page, Handles };
// Choice: a submenu of radio items, its entries from the command's Entries.
// Radio: one of the rows that share a group, in the submenu their Submenu
// names. Key: keys alone, no menu item; they work while the strip has the
// focus.
enum class TCommandKind { Plain, Toggle, Submenu, Choice, Radio, Key };

// A field of a command's dialog. A number opens with Start, or with the
// current glyph's width, or empty; a kept one with the last value given.
enum class TFieldStart { Empty, Value, GlyphWidth };
struct TCommandField {
    const char* Label;  // "Width:"
    const char* Name;   // in a refusal: "The width"
    std::int64_t Min, Max;
    TFieldStart Start = TFieldStart::Value;
    std::int64_t Value = 0;
    bool Kept = false;
};

struct TCommand {
    const char* Id;       // the page's element and the tests know it by this
    const char* Menu;     // "File"
    const char* Group;    // separators fall between groups
    const char* Caption;  // with its mnemonic: "Sa&ve SFT"
    // Qt's portable text ("Ctrl+Shift+Z", "Ctrl++"); the page reads it too.
    std::array<const char*, 2> Keys{};
    TRule Rule = TRule::Always;
    TCommandKind Kind = TCommandKind::Plain;
    TFront Front = TFront::Both;
    const char* Title = nullptr;                      // a dialog of numbers: its title
    std::span<const TCommandField> Fields{};          // ... and its fields
    bool Session = false;                             // RunCommand runs it
    std::vector<std::string> (*Entries)() = nullptr;  // a Choice's, in order
    const char* Submenu = nullptr;                    // a Radio row's: "&Tool"
};

std::span<const TCommand> Commands();
// Throws std::out_of_range for an id the table lacks.
const TCommand& CommandOf(std::string_view Id);
// The caption without its mnemonic: "Save SFT".
std::string PlainCaption(std::string_view Caption);
// The caption as the menu shows it now: "&Undo Pencil".
std::string CaptionOf(const TCommand& Command, const TEditSession& Session);

// A Choice command: the entry the session stands at, and the choice of
// entry Index (out of range throws std::out_of_range).
int ChosenEntry(const TCommand& Command, const TEditSession& Session);
void ChooseEntry(const TCommand& Command, TEditSession& Session, std::size_t Index);
// Whether a Radio row, or a Toggle the session keeps, is checked.
bool Checked(const TCommand& Command, const TEditSession& Session);
// The drawing tool a row chooses; throws std::out_of_range for another row.
TTool ToolOf(std::string_view Id);
// The row that chooses Tool.
const TCommand& ToolCommand(TTool Tool);
// The status line while drawing: the tool, then what the pointer is over.
std::string ToolStatus(TTool Tool, std::string_view Readout);
// Runs a drawing tool's row; none for another row.
std::optional<TSessionChange> RunToolCommand(const TCommand& Command, TEditSession& Session);

// The last values each dialog was given, by command.
using TKeptValues = std::map<std::string, std::vector<std::int64_t>, std::less<>>;
// What Command's fields open with; no value for an empty field.
std::vector<std::optional<std::int64_t>> DialogStart(const TCommand& Command,
                                                     const TEditSession& Session,
                                                     const TKeptValues& Kept);
// Why Values, each within its field's range, can't be taken; empty to take them.
std::string DialogRefusal(const TCommand& Command, const TEditSession& Session,
                          const std::vector<std::int64_t>& Values);
// Runs a command the session does by itself (Command.Session) with its
// dialog's values, which are kept. Refusals throw EFontError.
TSessionChange RunCommand(const TCommand& Command, TEditSession& Session, TKeptValues& Kept,
                          const std::vector<std::int64_t>& Values = {});
