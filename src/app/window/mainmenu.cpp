// The main window's menus, made from the core's command table: here only
// each command's form name and handler.
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>
#include <QSettings>
#include <QStatusBar>
#include <stdexcept>
#include <vector>

#include "views/colorpanel.h"
#include "views/drawingaids.h"
#include "views/scrollbox.h"
#include "window/mainwin.h"
#include "window/sessionbridge.h"

namespace {

const char* const kToolKey = "draw/tool";

// The command's keys as Qt reads them.
QList<QKeySequence> KeysOf(const TCommand& Command) {
    QList<QKeySequence> keys;
    for (const char* k : Command.Keys)
        if (k) keys.push_back(QKeySequence(QString::fromLatin1(k), QKeySequence::PortableText));
    return keys;
}

}  // namespace

void TMainWindow::CreateMenus() {
    using W = TMainWindow;
    const auto call = [this](void (TMainWindow::*click)()) {
        return [this, click] { (this->*click)(); };
    };
    struct TBinding {
        const char* Id;
        QAction** Action;
        std::function<void()> Click = {};              // none: the session runs it
        std::function<void(std::size_t)> Choose = {};  // a radio submenu's entry chosen
    };
    std::vector<TBinding> bindings = {
        {"open-sft", &OpenSFT1, call(&W::OpenSFT1Click)},
        {"save-sft", &SaveSFT1, call(&W::SaveSFT1Click)},
        {"save-sft-as", &SaveSFTAs1, call(&W::SaveSFTAs1Click)},
        {"revert", &Revert1, [this] { ReadAgain("Revert"); }},
        {"import-picture", &ImportPicture1, call(&W::ImportPicture1Click)},
        {"new-from-outline", &NewFontFromOutline1, call(&W::NewFontFromOutline1Click)},
        {"save-bmp", &SaveasBMP1, call(&W::SaveasBMP1Click)},
        {"load-palette", &LoadPalette1, call(&W::LoadPalette1Click)},
        {"exit", &Exit1, call(&W::Exit1Click)},
        {"undo", &Undo1},
        {"redo", &Redo1},
        {"copy-glyph", &CopyGlyph1, call(&W::CopyGlyph1Click)},
        {"copy-strip", &CopyStrip1, call(&W::CopyStrip1Click)},
        {"paste-glyph", &PasteGlyph1, [this] { Bridge->Show(PasteGlyph(Session_, ui_)); }},
        {"replace-colour", &ReplaceColour1, [this] { Bridge->ReplaceColor(); }},
        {"select-all", &SelectAll1},
        {"go-to", &GoTo1, [this] { Bridge->GoTo(); }},
        {"char-table", &CharTable1, call(&W::CharTable1Click)},
        {"draw", &Draw1,
         [this] {
             Bridge->SetDrawing(Draw1->isChecked());
             ShowStatus();
         }},
        {"insert-char", &InsertCharacter1},
        {"delete-char", &DeleteCharacter1},
        {"set-width", &SetWidth1},
        {"fit-width", &FitWidth1},
        {"shadow", &Shadow1},
        {"build-accented", &BuildAccented1, [this] { Bridge->BuildAccented(); }},
        {"check-text", &CheckText1, call(&W::CheckText1Click)},
        {"code-page", &CodePage1, {}, [this](std::size_t i) { ChooseCodePage(i); }},
        {"zoom-in", &ZoomIn1, [this] { ZoomClick(1); }},
        {"zoom-out", &ZoomOut1, [this] { ZoomClick(-1); }},
        {"actual-size", &ActualSize1, [this] { ZoomClick(0); }},
        {"boundaries", &GlyphBoundaries1, call(&W::GlyphBoundaries1Click)},
        {"guides", &Guides1, [this] { Aids->Follow(); }},
        {"colours-shown", &Colours1, [this] { Bridge->SetColorsShown(Colours1->isChecked()); }},
        {"status-bar", &StatusBar1, call(&W::StatusBar1Click)},
        {"set-guides", &SetGuides1, [this] { Aids->AskGuides(); }},
        {"reference-glyph", &ReferenceGlyph1, [this] { Aids->AskReference(); }},
        {"text-preview", &TextPreview1, call(&W::TextPreview1Click)},
        {"about", &About1, call(&W::About1Click)}};
    for (std::size_t t = 0; t < kTransformCommands.size(); ++t)
        bindings.push_back({kTransformCommands[t].Id, &Transforms1[t]});

    QMenu* menu = nullptr;
    QMenu* submenu = nullptr;  // the radio rows'
    QActionGroup* radios = nullptr;
    const char* group = nullptr;
    for (const TCommand& c : Commands()) {
        if (c.Front == TFront::Page) continue;
        const QString caption = QString::fromUtf8(c.Caption);
        if (c.Kind == TCommandKind::Key) {
            // Keys of the strip's alone: the view takes them once it exists.
            QAction* action = new QAction(caption, this);
            action->setObjectName(QString::fromLatin1(c.Id));
            action->setShortcuts(KeysOf(c));
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            connect(action, &QAction::triggered, this,
                    [this, &c] { Guarded([&] { Bridge->Run(c); }); });
            viewActions_.push_back(action);
            commands_.push_back({&c, action});
            continue;
        }
        if (!menu || menu->title() != QLatin1Char('&') + QString::fromLatin1(c.Menu)) {
            menu = menuBar()->addMenu(QLatin1Char('&') + QString::fromLatin1(c.Menu));
            for (const auto& [name, member] : {std::pair{"File", &File1},
                                               {"Edit", &Edit1},
                                               {"Glyph", &Glyph1},
                                               {"View", &View1},
                                               {"Help", &Help1}})
                if (c.Menu == std::string_view(name)) *member = menu;
        } else if (std::string_view(group) != c.Group) {
            menu->addSeparator();
        }
        group = c.Group;
        if (c.Kind == TCommandKind::Submenu) {
            OpenRecent1 = menu->addMenu(caption);  // its entries are the recent list's
            continue;
        }
        const auto bound = std::find_if(bindings.begin(), bindings.end(), [&](const TBinding& b) {
            return c.Id == std::string_view(b.Id);
        });
        // The rows the session runs need no binding.
        const bool found = bound != bindings.end();
        if (!c.Session && (!found || (!bound->Click && !bound->Choose)))
            throw std::logic_error(std::string("The window has no handler for ") + c.Id);
        if (c.Kind == TCommandKind::Choice) {
            QMenu* sub = menu->addMenu(caption);
            auto* group = new QActionGroup(sub);
            const std::vector<std::string> entries = c.Entries();
            for (std::size_t i = 0; i < entries.size(); ++i) {
                QAction* entry = sub->addAction(QString::fromStdString(entries[i]));
                entry->setCheckable(true);
                group->addAction(entry);
                connect(entry, &QAction::triggered, this,
                        [this, i, choose = bound->Choose] { Guarded([&] { choose(i); }); });
            }
            *bound->Action = sub->menuAction();
            commands_.push_back({&c, sub->menuAction()});
            choices_.push_back({&c, sub});
            continue;
        }
        QAction* action = nullptr;
        if (c.Kind == TCommandKind::Radio) {
            const QString title = QString::fromUtf8(c.Submenu);
            if (!submenu || submenu->title() != title) {
                submenu = menu->addMenu(title);
                radios = new QActionGroup(submenu);
            }
            action = submenu->addAction(caption);
            radios->addAction(action);
            // Single keys: the strip's, not the list's or a dialog's.
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            viewActions_.push_back(action);
        } else {
            action = menu->addAction(caption);
        }
        action->setObjectName(QString::fromLatin1(c.Id));
        if (found) *bound->Action = action;
        action->setShortcuts(KeysOf(c));
        action->setCheckable(c.Kind == TCommandKind::Toggle || c.Kind == TCommandKind::Radio);
        std::function<void()> click = found && bound->Click
                                          ? bound->Click
                                          : std::function<void()>([this, &c] { Bridge->Run(c); });
        if (c.Kind == TCommandKind::Radio)
            click = [this, &c] {
                Bridge->Run(c);
                QSettings().setValue(kToolKey, QString::fromLatin1(c.Id));
                ShowStatus();
            };
        connect(action, &QAction::triggered, this, [this, click] { Guarded(click); });
        commands_.push_back({&c, action});
    }
}

void TMainWindow::UpdateCommands() {
    TCommandState state = CommandState(Session_, Bitmap_ != nullptr);
    state.ZoomIn = ScrollBox->NextZoom(1) != 0;
    state.Zoomed = ScrollBox->Zoom() > 1;
    for (const auto& [command, action] : commands_) {
        action->setEnabled(Allows(command->Rule, state));
        if (command->Kind == TCommandKind::Radio ||
            (command->Session && command->Kind == TCommandKind::Toggle))
            action->setChecked(Checked(*command, Session_));
        if (command->Session && command->Fields.empty())
            action->setText(QString::fromStdString(CaptionOf(*command, Session_)));
    }
    for (const auto& [command, sub] : choices_) {
        const int chosen = ChosenEntry(*command, Session_);
        const QList<QAction*> entries = sub->actions();
        for (int i = 0; i < entries.size(); ++i) entries[i]->setChecked(i == chosen);
    }
}

void TMainWindow::AttachTools() {
    for (QAction* a : viewActions_) ScrollBox->addAction(a);
    QList<QAction*> tools;
    for (const auto& [command, action] : commands_)
        if (command->Kind == TCommandKind::Radio) tools.push_back(action);
    Bridge->Colors->SetTools(tools);
    // The tool last used; an unknown one leaves the pencil.
    try {
        Session_.SetTool(ToolOf(QSettings().value(kToolKey).toString().toStdString()));
    } catch (const std::out_of_range&) {
    }
    UpdateCommands();
}

void TMainWindow::ShowStatus() {
    if (StatusBar1->isChecked()) statusBar()->showMessage(PixelInfo(hover_.x(), hover_.y()));
}
