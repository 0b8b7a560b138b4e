// The drawing tools' rows: which tool each chooses, what is checked, and
// the pixel selection's keys.
#include <stdexcept>
#include <string>
#include <tuple>
#include <utility>

#include "session/commands.h"

namespace {

constexpr std::pair<const char*, TTool> kTools[] = {
    {"tool-pencil", TTool::Pencil},
    {"tool-line", TTool::Line},
    {"tool-rectangle", TTool::Rectangle},
    {"tool-filled-rectangle", TTool::FilledRectangle},
    {"tool-select", TTool::Select}};

}  // namespace

TTool ToolOf(std::string_view Id) {
    for (const auto& [id, tool] : kTools)
        if (Id == id) return tool;
    throw std::out_of_range("no tool " + std::string(Id));
}

const TCommand& ToolCommand(TTool Tool) {
    for (const auto& [id, tool] : kTools)
        if (tool == Tool) return CommandOf(id);
    throw std::out_of_range("no tool's row");
}

bool Checked(const TCommand& Command, const TEditSession& Session) {
    if (Command.Kind == TCommandKind::Radio) return ToolOf(Command.Id) == Session.Tool();
    return Command.Id == std::string_view("mirror") && Session.Mirror();
}

std::string ToolStatus(TTool Tool, std::string_view Readout) {
    std::string text = ToolName(Tool);
    if (!Readout.empty()) text += "  " + std::string(Readout);
    return text;
}

std::optional<TSessionChange> RunToolCommand(const TCommand& Command, TEditSession& Session) {
    const std::string_view id = Command.Id;
    if (Command.Kind == TCommandKind::Radio) return Session.SetTool(ToolOf(id));
    if (id == "mirror") {
        Session.SetMirror(!Session.Mirror());
        return TSessionChange{};
    }
    if (id == "keep-move") return Session.KeepMove();
    if (id == "drop-move") return Session.DropMove();
    if (id == "clear-pixels") return Session.ClearPixels();
    for (const auto& [key, dx, dy] : {std::tuple{"nudge-left", -1, 0},
                                      {"nudge-right", 1, 0},
                                      {"nudge-up", 0, -1},
                                      {"nudge-down", 0, 1}})
        if (id == key) return Session.Nudge(dx, dy);
    return std::nullopt;
}
