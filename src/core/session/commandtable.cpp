// The command table's rows: every command of the window and the page, in
// menu order.
#include "session/commands.h"

#include <algorithm>
#include <stdexcept>

#include "base/errors.h"
#include "edit/charedit.h"
#include "edit/glyphstyle.h"
#include "session/display.h"

namespace {

using R = TRule;
using K = TCommandKind;
using F = TFront;

constexpr TCommandField kInsertFields[] = {
    {kCodeField.Label, kCodeField.Name, kCodeField.Min, kCodeField.Max, TFieldStart::Empty},
    {kWidthField.Label, kWidthField.Name, kWidthField.Min, kWidthField.Max,
     TFieldStart::GlyphWidth}};
constexpr TCommandField kWidthFields[] = {{kWidthField.Label, kWidthField.Name, kWidthField.Min,
                                           kWidthField.Max, TFieldStart::GlyphWidth}};
constexpr TCommandField kFitFields[] = {
    {"Left:", "Left", 0, kFitMost, TFieldStart::Value, 0, true},
    {"Right:", "Right", 0, kFitMost, TFieldStart::Value, 1, true}};
constexpr TCommandField kShadowFields[] = {
    {"Right:", "Right", -kShadowReach, kShadowReach, TFieldStart::Value, 1, true},
    {"Down:", "Down", -kShadowReach, kShadowReach, TFieldStart::Value, 1, true}};

// A glyph command of the session's, without a dialog.
constexpr TCommand Glyph(const char* Id, const char* Group, const char* Caption) {
    return {Id, "Glyph", Group, Caption, {}, R::Glyphs, K::Plain, F::Both, nullptr, {}, true};
}

// A drawing row the session runs: a tool of Glyph > Tool, Mirror Drawing,
// or a key of the pixel selection's.
constexpr TCommand Drawing(const char* Id, const char* Caption, const char* Key, K Kind = K::Radio,
                           const char* Other = nullptr) {
    const bool key = Kind == K::Key;
    TCommand c{Id,      "Glyph",      key ? "pixels" : "draw",
               Caption, {Key, Other}, key ? R::Pixels : R::Font,
               Kind};
    c.Session = true;
    c.Submenu = Kind == K::Radio ? "&Tool" : nullptr;
    return c;
}

const TCommand kCommands[] = {
    {"open-sft", "File", "file", "&Open SFT", {"Ctrl+O"}},
    {"open-recent", "File", "file", "Open &Recent", {}, R::Always, K::Submenu, F::Handles},
    {"save-sft", "File", "file", "Sa&ve SFT", {"Ctrl+S"}, R::Font},
    {"save-sft-as", "File", "file", "Save SFT &As...", {"Ctrl+Shift+S"}, R::Font},
    {"revert", "File", "file", "Re&vert to Saved", {}, R::Modified, K::Plain, F::Window},
    {"import-picture", "File", "export", "&Import Picture...", {}, R::Font},
    {"new-from-outline", "File", "export", "&New Font from Outline Font...", {}, R::Font},
    {"save-bmp", "File", "export", "&Save as BMP", {}, R::Font},
    {"save-json", "File", "export", "Save &JSON", {}, R::Font, K::Plain, F::Page},
    // The window asks for the palette's type in its file dialog; the page has
    // an item per type, each its own file picker.
    {"load-palette", "File", "export", "&Load Palette", {}, R::Font, K::Plain, F::Window},
    {"load-cmp", "File", "export", "Load palette from &CMP file", {}, R::Font, K::Plain, F::Page},
    {"load-bm", "File", "export", "Load palette from &BM", {}, R::Font, K::Plain, F::Page},
    {"exit", "File", "exit", "E&xit", {"Ctrl+Q"}, R::Always, K::Plain, F::Window},
    {"undo", "Edit", "history", "&Undo", {"Ctrl+Z"}, R::Undo, K::Plain, F::Both, nullptr, {}, true},
    {"redo",
     "Edit",
     "history",
     "&Redo",
     {"Ctrl+Shift+Z", "Ctrl+Y"},
     R::Redo,
     K::Plain,
     F::Both,
     nullptr,
     {},
     true},
    {"copy-glyph", "Edit", "clipboard", "&Copy Glyph", {"Ctrl+C"}, R::Columns},
    {"copy-strip", "Edit", "clipboard", "Copy &Strip", {"Ctrl+Shift+C"}, R::Strip},
    {"paste-glyph", "Edit", "clipboard", "&Paste Glyph", {"Ctrl+V"}, R::Glyphs},
    {"replace-colour", "Edit", "clipboard", "Replace C&olour...", {}, R::Glyphs},
    {"select-all",
     "Edit",
     "select",
     "Select &All Characters",
     {"Ctrl+A"},
     R::Chars,
     K::Plain,
     F::Both,
     nullptr,
     {},
     true},
    {"go-to", "Edit", "select", "&Go To Character...", {"Ctrl+G"}, R::Chars},
    {"char-table", "Edit", "table", "Character &Table...", {}, R::Font},
    {"draw", "Glyph", "draw", "&Draw", {}, R::Font, K::Toggle},
    // The drawing tools, and the pixel selection's keys.
    Drawing("tool-pencil", "&Pencil", "B"),
    Drawing("tool-line", "&Line", "L"),
    Drawing("tool-rectangle", "&Rectangle", "U"),
    Drawing("tool-filled-rectangle", "&Filled Rectangle", "Shift+U"),
    Drawing("tool-select", "&Select", "M"),
    Drawing("mirror", "&Mirror Drawing", nullptr, K::Toggle),
    Drawing("keep-move", "Keep Move", "Return", K::Key, "Enter"),
    Drawing("drop-move", "Put Back", "Escape", K::Key),
    Drawing("clear-pixels", "Clear Pixels", "Del", K::Key),
    Drawing("nudge-left", "Move Left", "Left", K::Key),
    Drawing("nudge-right", "Move Right", "Right", K::Key),
    Drawing("nudge-up", "Move Up", "Up", K::Key),
    Drawing("nudge-down", "Move Down", "Down", K::Key),
    {"insert-char",
     "Glyph",
     "chars",
     "&Insert Character...",
     {},
     R::Font,
     K::Plain,
     F::Both,
     "Insert Character",
     kInsertFields,
     true},
    {"delete-char",
     "Glyph",
     "chars",
     "D&elete Character",
     {},
     R::Selected,
     K::Plain,
     F::Both,
     nullptr,
     {},
     true},
    {"set-width",
     "Glyph",
     "chars",
     "Set &Width...",
     {},
     R::Glyphs,
     K::Plain,
     F::Both,
     "Set Width",
     kWidthFields,
     true},
    {"fit-width",
     "Glyph",
     "chars",
     "&Fit Width...",
     {},
     R::Glyphs,
     K::Plain,
     F::Both,
     "Fit Width",
     kFitFields,
     true},
    Glyph("flip-horizontal", "flip", "Flip Horizontal"),
    Glyph("flip-vertical", "flip", "Flip Vertical"),
    Glyph("shift-left", "shift", "Shift Left"),
    Glyph("shift-right", "shift", "Shift Right"),
    Glyph("shift-up", "shift", "Shift Up"),
    Glyph("shift-down", "shift", "Shift Down"),
    Glyph("outline", "look", "Outline"),
    Glyph("bold", "look", "Bold"),
    {"shadow",
     "Glyph",
     "look",
     "S&hadow...",
     {},
     R::Glyphs,
     K::Plain,
     F::Both,
     "Shadow",
     kShadowFields,
     true},
    {"build-accented", "Glyph", "accents", "Build &Accented Characters...", {}, R::Chars},
    {"check-text", "Glyph", "accents", "Chec&k Text...", {}, R::Font},
    {"zoom-in", "View", "zoom", "Zoom &In", {"Ctrl++", "Ctrl+="}, R::ZoomIn},
    {"zoom-out", "View", "zoom", "Zoom &Out", {"Ctrl+-"}, R::Zoomed},
    {"actual-size", "View", "zoom", "&Actual Size", {"Ctrl+0"}, R::Zoomed},
    {"boundaries", "View", "show", "&Glyph Boundaries", {}, R::Always, K::Toggle},
    {"guides", "View", "show", "G&uides", {}, R::Always, K::Toggle},
    {"colours-shown", "View", "show", "&Colours", {}, R::Font, K::Toggle},
    {"status-bar", "View", "show", "&Status Bar", {}, R::Always, K::Toggle, F::Window},
    {"set-guides", "View", "aids", "Guid&es...", {}, R::Font},
    {"reference-glyph", "View", "aids", "&Reference Glyph...", {}, R::Font},
    {"text-preview", "View", "aids", "&Text Preview...", {}, R::Font},
    {"code-page",
     "View",
     "codepage",
     "Code &Page",
     {},
     R::Font,
     K::Choice,
     F::Both,
     nullptr,
     {},
     false,
     &CodePageNames},
    {"about", "Help", "help", "&About"},
};

}  // namespace

std::span<const TCommand> Commands() { return kCommands; }

const TCommand& CommandOf(std::string_view Id) {
    for (const TCommand& c : kCommands)
        if (Id == c.Id) return c;
    throw std::out_of_range("no command " + std::string(Id));
}
