// The main window: menu, the font's info and character lists, the picture
// view, and the commands that show and edit the font.
#pragma once

#include <QDragEnterEvent>
#include <QMainWindow>
#include <QPoint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "font/editfont.h"
#include "font/font.h"
#include "font/strip.h"
#include "history/journal.h"
#include "image/palette.h"
#include "picture/picture.h"
#include "session/commands.h"
#include "session/display.h"
#include "session/session.h"
#include "ui/userinterface.h"
#include "views/codepagechoice.h"
#include "views/fontpicture.h"
#include "window/glyphcommands.h"

class QAction;
class QCloseEvent;
class QDropEvent;
class QMimeData;
class QFrame;
class QLabel;
class QListWidget;
class QMenu;
class TDrawingAids;
class TSessionBridge;
class TFileWatch;
class TRecentFiles;
class TRecovery;
class TScrollBox;
class TTextPreview;
class TCheckText;

class TMainWindow final : public QMainWindow {
    Q_OBJECT
public:
    // Runs FormCreate; check QuitRequested() before showing the window. With
    // a StartFont, the default palette may also come from the font's folder.
    explicit TMainWindow(IUserInterface& UI, TPictureBuilder Builder = BuildFontPicture,
                         QWidget* Parent = nullptr, const QString& StartFont = QString());

    bool QuitRequested() const { return quitRequested_; }

    void FormCreate();
    void OpenSFT1Click();
    void SaveasBMP1Click();
    void ImportPicture1Click();
    void SaveSFT1Click();
    void SaveSFTAs1Click();
    void CharTable1Click();
    void NewFontFromOutline1Click();
    void LoadPalette1Click();
    void Exit1Click();
    void About1Click();
    void ASCIIListClick();
    // The next zoom factor up (+1) or down (-1), keeping the strip pixel at
    // view x AnchorX in place; 0 goes back to 1:1.
    void ZoomClick(int Direction, int AnchorX = 0);
    void CopyGlyph1Click();
    void CopyStrip1Click();
    void GlyphBoundaries1Click();
    void TextPreview1Click();
    // The preview follows the font, its pixels and its code page.
    void FollowPreview();
    // A character clicked in the preview or Check Text: its row, if it has one.
    void GoToClicked(char32_t Char);
    void CheckText1Click();
    // View > Code Page's entry Index chosen.
    void ChooseCodePage(std::size_t Index);
    void StatusBar1Click();
    // What the status bar says of strip pixel X, Y; empty off the strip.
    QString PixelInfo(int X, int Y) const;

    // Opens a font as Open SFT opens the file its dialog returned.
    void OpenFont(const QString& Path);
    // Opens a font with its history as a journal kept them.
    void RecoverFont(TJournalHistory History, const QString& Journal);
    // Recovered at start-up: into this window when it has no font, or holds
    // the very file the journal is for, unchanged, as when started with it;
    // any other to Elsewhere, for a window of its own.
    void TakeRecovered(TJournalHistory History, const QString& Journal,
                       const std::function<void(const QString& Journal)>& Elsewhere);
    // Loads a palette as Load Palette does with that file type chosen.
    void LoadPaletteFile(const QString& Path, bool BM);
    // Before the font's unsaved changes would be lost: asks Save, Discard or
    // Cancel; true to go on.
    bool MaybeSave();

    // Runs a handler the way the event loop would: an error that leaves it
    // ends it and is shown in the standard error box.
    void Guarded(const std::function<void()>& Handler);

    // State, read by tests and the export.
    const TSftFont& FontData() const { return Session_.Font().Font(); }
    const std::vector<TCharEntry>& CharTable() const { return Session_.Font().Table(); }
    const TPalette& Palette() const { return Session_.Palette(); }
    const TEditSession& Session() const { return Session_; }
    const TBitmap* Bitmap() const { return Bitmap_.get(); }
    const std::string& LastSaveDir() const { return LastSaveDir_; }

    // Components.
    QMenu* File1 = nullptr;
    QAction* OpenSFT1 = nullptr;
    QMenu* OpenRecent1 = nullptr;
    QAction* SaveSFT1 = nullptr;
    QAction* SaveSFTAs1 = nullptr;
    QAction* Revert1 = nullptr;
    QAction* ImportPicture1 = nullptr;
    QAction* NewFontFromOutline1 = nullptr;
    QAction* SaveasBMP1 = nullptr;
    QAction* LoadPalette1 = nullptr;
    QAction* Exit1 = nullptr;
    QMenu* Edit1 = nullptr;
    QAction* CopyGlyph1 = nullptr;
    QAction* CopyStrip1 = nullptr;
    QAction* PasteGlyph1 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;
    QAction* CharTable1 = nullptr;
    QMenu* Glyph1 = nullptr;
    QAction* Draw1 = nullptr;
    QAction* Transforms1[kTransformCommands.size()] = {};  // as kTransformCommands
    QAction* Shadow1 = nullptr;
    QAction* BuildAccented1 = nullptr;
    QAction* ReplaceColour1 = nullptr;
    QAction* SelectAll1 = nullptr;
    QAction* GoTo1 = nullptr;
    QAction* Colours1 = nullptr;
    QAction* InsertCharacter1 = nullptr;
    QAction* DeleteCharacter1 = nullptr;
    QAction* SetWidth1 = nullptr;
    QAction* FitWidth1 = nullptr;
    QMenu* View1 = nullptr;
    QAction* ZoomIn1 = nullptr;
    QAction* ZoomOut1 = nullptr;
    QAction* ActualSize1 = nullptr;
    QAction* GlyphBoundaries1 = nullptr;
    QAction* StatusBar1 = nullptr;
    QAction* Guides1 = nullptr;
    QAction* SetGuides1 = nullptr;
    QAction* ReferenceGlyph1 = nullptr;
    QAction* TextPreview1 = nullptr;
    TTextPreview* Preview = nullptr;
    QAction* CodePage1 = nullptr;  // its submenu's entries are the code pages
    QAction* CheckText1 = nullptr;
    TCheckText* Checker = nullptr;
    QMenu* Help1 = nullptr;
    QAction* About1 = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* Label1 = nullptr;
    QListWidget* SFTInfo = nullptr;
    QLabel* Label3 = nullptr;
    QListWidget* ASCIIList = nullptr;
    QFrame* Panel2 = nullptr;
    TScrollBox* ScrollBox = nullptr;
    TSessionBridge* Bridge = nullptr;
    TDrawingAids* Aids = nullptr;
    TRecovery* Recovery = nullptr;
    TFileWatch* Watch = nullptr;
    TRecentFiles* Recent = nullptr;
    TFileDialog SFT_Open{.Title = QStringLiteral("Open SFT"),
                         .Filter = QStringLiteral("Tarvenholt font files|*.SFT"),
                         .DefaultExt = QStringLiteral("SFT")};
    TFileDialog PAL_Open{
        .Title = QStringLiteral("Load Palette"),
        .Filter = QStringLiteral("Load palette from CMP file|*.CMP|Load palette from BM|*.BM"),
        .DefaultExt = QStringLiteral("CMP")};
    TFileDialog BMP_Save{.Title = QStringLiteral("Save BMP"),
                         .Filter = QStringLiteral("Windows BMP files|*.BMP"),
                         .DefaultExt = QStringLiteral("BMP"),
                         .Save = true};
    TFileDialog SFT_Save{.Title = QStringLiteral("Save SFT As"),
                         .Filter = SFT_Open.Filter,
                         .DefaultExt = SFT_Open.DefaultExt,
                         .Save = true};
    TFileDialog PIC_Open{.Title = QStringLiteral("Import Picture"),
                         .Filter = QStringLiteral("Pictures (BMP, PNG)|*.BMP *.PNG")};

protected:
    void closeEvent(QCloseEvent* Event) override;
    // Hands the list's clicks to the session.
    bool eventFilter(QObject* Watched, QEvent* Event) override;
    void dragEnterEvent(QDragEnterEvent* Event) override { dragMoveEvent(Event); }
    void dragMoveEvent(QDragMoveEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;

private:
    void CreateComponents();
    void CreateMenus();
    void ConnectList();
    // Puts a built picture on the screen and into Bitmap.
    void ShowPicture(TBuiltPicture Built);
    // Shows the session's font and its selection, in the picture built
    // for it aside.
    void ShowFont(TBuiltPicture Built);
    void SaveFontAs(const std::string& Path);
    // Reads the font's file again as one step of the history, Name.
    void ReadAgain(const char* Name);
    // Pixels of the font changed in Area: the picture and the view follow.
    void ShowPixels(TPixelRect Area, const std::vector<TPixelRect>& Parts,
                    TSessionChange::TShift Shift);
    // The list's items, each code with its character in its tip.
    void ShowCharacters();
    // The code page changed: whatever shows characters follows.
    void ShowCodePage();
    // New Font from Outline Font..., with Add to add Check Text's characters.
    void MakeOutlineFont(const TOutlineAdd* Add);
    TGlyphExtent SelectedGlyph() const;
    // The list and the strip show the session's selection; with Scroll the
    // view goes to the current row's glyph.
    void ShowSelection(bool Scroll);
    void UpdateCaption();
    void UpdateCommands();

    IUserInterface& ui_;
    std::vector<std::pair<const TCommand*, QAction*>> commands_;  // as the menus show them
    std::vector<std::pair<const TCommand*, QMenu*>> choices_;     // radio submenus
    std::vector<QAction*> viewActions_;  // the keys that work while the strip has the focus
    // The view takes its keys, the colour panel the tools' buttons.
    void AttachTools();
    // The status line: the pixel under the pointer, and the tool while drawing.
    void ShowStatus();
    TPictureBuilder builder_;
    bool quitRequested_ = false;
    QString startFont_;

    TEditSession Session_;
    TCodePageChoice CodePages_{Session_};
    std::unique_ptr<TBitmap> Bitmap_;
    std::optional<TBuiltPicture> built_;  // for the change the session is making
    std::string LastSaveDir_;
    QPoint hover_{-1, -1};  // the strip pixel under the pointer
};

// File names as the file system takes them.
std::string LocalPath(const QString& Path);
