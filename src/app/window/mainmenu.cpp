// The main window's menus: each command's place, caption, keys and handler.
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <vector>

#include "views/drawingaids.h"
#include "window/mainwin.h"
#include "window/menus.h"
#include "window/sessionbridge.h"

void TMainWindow::CreateMenus() {
    for (auto [menu, text] : {std::pair{&File1, "&File"},
                              {&Edit1, "&Edit"},
                              {&Glyph1, "&Glyph"},
                              {&View1, "&View"},
                              {&Help1, "&Help"}})
        *menu = menuBar()->addMenu(QString::fromLatin1(text));
    const auto key = [](auto... k) { return QList<QKeySequence>{QKeySequence(k)...}; };
    const auto call = [this](void (TMainWindow::*click)()) {
        return [this, click] { (this->*click)(); };
    };
    using W = TMainWindow;
    std::vector<TMenuItem> items = {
        {File1, &OpenSFT1, "&Open SFT", key(Qt::CTRL | Qt::Key_O), call(&W::OpenSFT1Click)},
        {File1, &SaveSFT1, "Sa&ve SFT", key(Qt::CTRL | Qt::Key_S), call(&W::SaveSFT1Click)},
        {File1, &SaveSFTAs1, "Save SFT &As...", key(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
         call(&W::SaveSFTAs1Click)},
        {File1, &Revert1, "Re&vert to Saved", {}, [this] { ReadAgain("Revert"); }},
        {File1},
        {File1, &ImportPicture1, "&Import Picture...", {}, call(&W::ImportPicture1Click)},
        {File1,
         &NewFontFromOutline1,
         "&New Font from Outline Font...",
         {},
         call(&W::NewFontFromOutline1Click)},
        {File1, &SaveasBMP1, "&Save as BMP", {}, call(&W::SaveasBMP1Click)},
        {File1, &LoadPalette1, "&Load Palette", {}, call(&W::LoadPalette1Click)},
        {File1},
        {File1, &Exit1, "E&xit", key(Qt::CTRL | Qt::Key_Q), call(&W::Exit1Click)},
        {Edit1, &Undo1, "&Undo", key(Qt::CTRL | Qt::Key_Z), [this] { Bridge->Undo(); }},
        {Edit1, &Redo1, "&Redo", key(Qt::CTRL | Qt::SHIFT | Qt::Key_Z, Qt::CTRL | Qt::Key_Y),
         [this] { Bridge->Redo(); }},
        {Edit1},
        {Edit1, &CopyGlyph1, "&Copy Glyph", key(Qt::CTRL | Qt::Key_C), call(&W::CopyGlyph1Click)},
        {Edit1, &CopyStrip1, "Copy &Strip", key(Qt::CTRL | Qt::SHIFT | Qt::Key_C),
         call(&W::CopyStrip1Click)},
        {Edit1, &PasteGlyph1, "&Paste Glyph", key(Qt::CTRL | Qt::Key_V),
         [this] { Bridge->Show(PasteGlyph(Session_, ui_)); }},
        {Edit1, &ReplaceColour1, "Replace C&olour...", {}, [this] { Bridge->ReplaceColor(); }},
        {Edit1},
        {Edit1, &SelectAll1, "Select &All Characters", key(Qt::CTRL | Qt::Key_A),
         [this] {
             Session_.SelectAll();
             ShowSelection(false);
         }},
        {Edit1, &GoTo1, "&Go To Character...", key(Qt::CTRL | Qt::Key_G),
         [this] { Bridge->GoTo(); }},
        {Edit1},
        {Edit1, &CharTable1, "Character &Table...", {}, call(&W::CharTable1Click)},
        {Glyph1, &Draw1, "&Draw", {}, [this] { Bridge->SetDrawing(Draw1->isChecked()); }},
        {Glyph1},
        {Glyph1,
         &InsertCharacter1,
         "&Insert Character...",
         {},
         [this] { Bridge->InsertCharacter(); }},
        {Glyph1,
         &DeleteCharacter1,
         "D&elete Character",
         {},
         [this] { Bridge->Show(Session_.DeleteCharacter()); }},
        {Glyph1, &SetWidth1, "Set &Width...", {}, [this] { Bridge->SetWidth(); }}};
    // Flips, shifts, then the game's look; after the last of them, Shadow.
    for (std::size_t t = 0; t < kTransformCommands.size(); ++t) {
        if (t == 0 || t == 2 || t == 6) items.push_back({Glyph1});
        const TGlyphTransform transform = kTransformCommands[t].Transform;
        items.push_back({Glyph1, &Transforms1[t], TransformName(transform), {}, [this, transform] {
                             Bridge->Show(Session_.Transform(transform));
                         }});
    }
    items.push_back({Glyph1, &Shadow1, "S&hadow...", {}, [this] { Bridge->Shadow(); }});
    items.push_back({Glyph1});
    items.push_back({Glyph1, &BuildAccented1, "Build &Accented Characters...", {}, [this] {
                         Bridge->BuildAccented();
                     }});
    items.insert(
        items.end(),
        {{View1, &ZoomIn1, "Zoom &In", key(Qt::CTRL | Qt::Key_Plus, Qt::CTRL | Qt::Key_Equal),
          [this] { ZoomClick(1); }},
         {View1, &ZoomOut1, "Zoom &Out", key(Qt::CTRL | Qt::Key_Minus), [this] { ZoomClick(-1); }},
         {View1, &ActualSize1, "&Actual Size", key(Qt::CTRL | Qt::Key_0), [this] { ZoomClick(0); }},
         {View1},
         {View1, &GlyphBoundaries1, "&Glyph Boundaries", {}, call(&W::GlyphBoundaries1Click)},
         {View1, &Guides1, "G&uides", {}, [this] { Aids->Follow(); }},
         {View1,
          &Colours1,
          "&Colours",
          {},
          [this] { Bridge->SetColorsShown(Colours1->isChecked()); }},
         {View1, &StatusBar1, "&Status Bar", {}, call(&W::StatusBar1Click)},
         {View1},
         {View1, &SetGuides1, "Guid&es...", {}, [this] { Aids->AskGuides(); }},
         {View1, &ReferenceGlyph1, "&Reference Glyph...", {}, [this] { Aids->AskReference(); }},
         {View1, &TextPreview1, "&Text Preview...", {}, call(&W::TextPreview1Click)},
         {Help1, &About1, "&About", {}, call(&W::About1Click)}});
    AddMenuItems(items, this, [this](const auto& Click) { Guarded(Click); });
    OpenRecent1 = new QMenu(QStringLiteral("Open &Recent"), File1);
    File1->insertMenu(SaveSFT1, OpenRecent1);
    for (QAction* toggle : {Draw1, GlyphBoundaries1, Guides1, StatusBar1, Colours1})
        toggle->setCheckable(true);
}
