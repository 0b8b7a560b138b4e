#include "session/commands.h"

#include <algorithm>
#include <stdexcept>

#include "base/errors.h"
#include "edit/charedit.h"
#include "edit/glyphstyle.h"
#include "session/display.h"

namespace {

using R = TRule;

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
