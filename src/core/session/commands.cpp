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
    {"new-from-outline",
     "File",
     "export",
     "&New Font from Outline Font...",
     {},
     R::Font,
     K::Plain,
     F::Window},
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

// The glyph commands of the Glyph menu by id.
TGlyphTransform TransformOf(std::string_view Id) {
    for (const TTransformCommand& c : kTransformCommands)
        if (Id == c.Id) return c.Transform;
    throw std::out_of_range("no glyph command " + std::string(Id));
}

}  // namespace

TCommandState CommandState(const TEditSession& Session, bool HasFont) {
    TCommandState s;
    if (!HasFont) return s;
    const TSftFont& font = Session.Font().Font();
    const bool rows = font.Height > 0;
    const auto drawn = [&](int Row) {
        const TGlyphExtent g = Session.Glyph(Row);
        return g.End > g.Begin;
    };
    s.Font = true;
    s.Chars = !Session.Font().Table().empty();
    s.Selected = !Session.Selection().empty();
    // Copy and Paste Glyph take the selected pixels too.
    s.Pixels = !Session.PixelFrame().Empty();
    s.Columns = (rows && drawn(Session.CurrentRow())) || s.Pixels;
    s.Glyphs = (rows && !Session.SelectedGlyphs().empty()) || s.Pixels;
    s.Strip = rows && font.Width > 0;
    s.Modified = Session.Modified();
    s.Undo = !Session.UndoName().empty();
    s.Redo = !Session.RedoName().empty();
    return s;
}

bool Allows(TRule Rule, const TCommandState& S) {
    switch (Rule) {
        case R::Always:
            return true;
        case R::Font:
            return S.Font;
        case R::Chars:
            return S.Chars;
        case R::Selected:
            return S.Selected;
        case R::Columns:
            return S.Columns;
        case R::Glyphs:
            return S.Glyphs;
        case R::Strip:
            return S.Strip;
        case R::Modified:
            return S.Modified;
        case R::Undo:
            return S.Undo;
        case R::Redo:
            return S.Redo;
        case R::ZoomIn:
            return S.Font && S.ZoomIn;
        case R::Zoomed:
            return S.Font && S.Zoomed;
        case R::Recent:
            return S.Recent;
        case R::Pixels:
            return S.Pixels;
    }
    return false;
}

std::span<const TCommand> Commands() { return kCommands; }

const TCommand& CommandOf(std::string_view Id) {
    for (const TCommand& c : kCommands)
        if (Id == c.Id) return c;
    throw std::out_of_range("no command " + std::string(Id));
}

std::string PlainCaption(std::string_view Caption) {
    std::string out;
    for (std::size_t i = 0; i < Caption.size(); ++i) {
        // "&&" stands for "&" itself.
        if (Caption[i] == '&' && i + 1 < Caption.size()) ++i;
        out += Caption[i];
    }
    return out;
}

std::string CaptionOf(const TCommand& Command, const TEditSession& Session) {
    const std::string_view id = Command.Id;
    const std::string step = id == "undo"   ? Session.UndoName()
                             : id == "redo" ? Session.RedoName()
                                            : std::string();
    return step.empty() ? Command.Caption : Command.Caption + (" " + step);
}

int ChosenEntry(const TCommand& Command, const TEditSession& Session) {
    if (Command.Id == std::string_view("code-page")) {
        const std::vector<std::string> names = CodePageNames();
        const auto at = std::find(names.begin(), names.end(), Session.CodePage().Name());
        return at == names.end() ? 0 : int(at - names.begin());
    }
    return -1;
}

void ChooseEntry(const TCommand& Command, TEditSession& Session, std::size_t Index) {
    const std::vector<std::string> entries =
        Command.Entries ? Command.Entries() : std::vector<std::string>();
    if (Index >= entries.size())
        throw std::out_of_range("no entry " + std::to_string(Index) + " of " + Command.Id);
    if (Command.Id == std::string_view("code-page"))
        Session.SetCodePage(CodePageNamed(entries[Index]));
}

std::vector<std::optional<std::int64_t>> DialogStart(const TCommand& Command,
                                                     const TEditSession& Session,
                                                     const TKeptValues& Kept) {
    std::vector<std::optional<std::int64_t>> out;
    const auto kept = Kept.find(Command.Id);
    for (std::size_t i = 0; i < Command.Fields.size(); ++i) {
        const TCommandField& f = Command.Fields[i];
        if (f.Kept && kept != Kept.end() && i < kept->second.size()) {
            out.push_back(kept->second[i]);
        } else if (f.Start == TFieldStart::GlyphWidth) {
            // A new cell where no glyph with columns is current.
            const TGlyphExtent g = Session.Glyph(Session.CurrentRow());
            out.push_back(g.End > g.Begin ? g.End - g.Begin : kNewCellWidth);
        } else if (f.Start == TFieldStart::Value) {
            out.push_back(f.Value);
        } else {
            out.push_back(std::nullopt);
        }
    }
    return out;
}

std::string DialogRefusal(const TCommand& Command, const TEditSession& Session,
                          const std::vector<std::int64_t>& Values) {
    if (Values.size() != Command.Fields.size()) return "The dialog's values are incomplete";
    for (std::size_t i = 0; i < Values.size(); ++i) {
        const TCommandField& f = Command.Fields[i];
        if (Values[i] < f.Min || Values[i] > f.Max) return WholeNumberText(f.Name, f.Min, f.Max);
    }
    const std::string_view id = Command.Id;
    if (id == "insert-char") return Session.WhyNotInsert(Values[0], Values[1]);
    if (id == "set-width") return Session.WhyNotResize(Values[0]);
    if (id == "shadow") return ShadowRefusal(Values[0], Values[1]);
    return {};
}

TSessionChange RunCommand(const TCommand& Command, TEditSession& Session, TKeptValues& Kept,
                          const std::vector<std::int64_t>& Values) {
    if (!Command.Session) throw std::logic_error(std::string(Command.Id) + " is the front end's");
    if (std::string why = DialogRefusal(Command, Session, Values); !why.empty())
        throw EFontError(why);
    if (!Values.empty()) Kept[Command.Id] = Values;
    const std::string_view id = Command.Id;
    if (id == "undo") return Session.Undo();
    if (id == "redo") return Session.Redo();
    if (id == "delete-char") return Session.DeleteCharacter();
    if (id == "insert-char") return Session.InsertCharacter(Values[0], Values[1]);
    if (id == "set-width") return Session.SetWidth(Values[0]);
    if (id == "fit-width") return Session.FitWidth(Values[0], Values[1]);
    if (id == "shadow") return Session.Shadow(int(Values[0]), int(Values[1]));
    if (std::optional<TSessionChange> tool = RunToolCommand(Command, Session)) return *tool;
    if (id == "select-all") {
        Session.SelectAll();
        TSessionChange change;
        change.Selected = true, change.Scroll = false, change.Row = Session.CurrentRow();
        return change;
    }
    return Session.Transform(TransformOf(id));
}
