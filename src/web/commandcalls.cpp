// The command table as the page reads it, and the commands the session runs.
#include "page.h"
#include "session/commands.h"
#include "session/display.h"

namespace {

const char* FrontName(TFront Front) {
    switch (Front) {
        case TFront::Window:
            return "window";
        case TFront::Page:
            return "page";
        case TFront::Handles:
            return "handles";
        case TFront::Both:
            break;
    }
    return "both";
}

std::vector<std::int64_t> ValuesOf(val Values) {
    std::vector<std::int64_t> out;
    const auto length = Values["length"].as<unsigned>();
    for (unsigned i = 0; i < length; ++i) out.push_back(std::int64_t(Values[i].as<double>()));
    return out;
}

}  // namespace

val CommandTable() {
    val out = val::array();
    for (const TCommand& c : Commands()) {
        val command = val::object();
        command.set("id", c.Id);
        command.set("menu", c.Menu);
        command.set("group", c.Group);
        command.set("text", PlainCaption(c.Caption));
        val keys = val::array();
        for (const char* k : c.Keys)
            if (k) keys.call<void>("push", std::string(k));
        command.set("keys", keys);
        command.set("toggle", c.Kind == TCommandKind::Toggle);
        command.set("submenu", c.Kind == TCommandKind::Submenu);
        command.set("choice", c.Kind == TCommandKind::Choice);
        if (c.Entries) command.set("choices", ArrayOf(c.Entries()));
        command.set("radio", c.Kind == TCommandKind::Radio);
        command.set("key", c.Kind == TCommandKind::Key);
        if (c.Submenu) command.set("within", PlainCaption(c.Submenu));
        command.set("front", FrontName(c.Front));
        command.set("session", c.Session);
        val fields = val::array();
        for (const TCommandField& f : c.Fields) {
            val field = val::object();
            field.set("label", f.Label);
            field.set("min", double(f.Min));
            field.set("max", double(f.Max));
            field.set("wholeNumber", WholeNumberText(f.Name, f.Min, f.Max));
            fields.call<void>("push", field);
        }
        if (c.Title) command.set("title", c.Title);
        command.set("fields", fields);
        out.call<void>("push", command);
    }
    return out;
}

TPage::TStates TPage::States(bool ZoomIn, bool Zoomed, bool Recent) const {
    TCommandState state = CommandState(session_, HasFont());
    state.ZoomIn = ZoomIn, state.Zoomed = Zoomed, state.Recent = Recent;
    // In the table's order, in three values rather than an object a command:
    // this runs after every step.
    TStates out;
    for (const TCommand& c : Commands()) {
        out.Flags.push_back((Allows(c.Rule, state) ? 1 : 0) | (Checked(c, session_) ? 2 : 0));
        out.Chosen.push_back(c.Kind == TCommandKind::Choice ? ChosenEntry(c, session_) : -1);
        (out.Texts += PlainCaption(CaptionOf(c, session_))) += '\n';
    }
    return out;
}

val TPage::CommandStates(bool ZoomIn, bool Zoomed, bool Recent) const {
    const TStates s = States(ZoomIn, Zoomed, Recent);
    val out = val::object();
    out.set("flags", TypedArray("Int32Array", s.Flags));
    out.set("chosen", TypedArray("Int32Array", s.Chosen));
    out.set("texts", s.Texts);
    return out;
}

val TPage::ChangedCommandStates(bool ZoomIn, bool Zoomed, bool Recent) {
    TStates s = States(ZoomIn, Zoomed, Recent);
    if (s == statesGiven_) return val::null();
    statesGiven_ = std::move(s);
    return CommandStates(ZoomIn, Zoomed, Recent);
}

val TPage::DialogStart(const std::string& Id) const {
    val out = val::array();
    for (const auto& v : ::DialogStart(CommandOf(Id), session_, kept_))
        out.call<void>("push", v ? val(double(*v)) : val::null());
    return out;
}

std::string TPage::DialogRefusal(const std::string& Id, val Values) const {
    return ::DialogRefusal(CommandOf(Id), session_, ValuesOf(Values));
}

val TPage::RunCommand(const std::string& Id, val Values) {
    return Guarded([&] {
        if (!picture_) return val::object();
        return Report(::RunCommand(CommandOf(Id), session_, kept_, ValuesOf(Values)));
    });
}
