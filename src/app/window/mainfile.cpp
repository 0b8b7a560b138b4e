// The main window's file commands: open, recover, save, and read the file
// again, with the questions that keep unsaved changes from being lost; the
// palettes loaded, and files dropped on the window.
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>

#include "files/drops.h"
#include "files/filewatch.h"
#include "files/recent.h"
#include "files/recovery.h"
#include "views/drawingaids.h"
#include "window/mainwin.h"
#include "window/sessionbridge.h"

void TMainWindow::OpenSFT1Click() {
    if (MaybeSave() && ui_.Execute(SFT_Open)) OpenFont(SFT_Open.FileName);
}

void TMainWindow::OpenFont(const QString& Path) {
    SFT_Open.FileName = Path;
    TEditedFont font;
    if (!font.Load(LocalPath(Path)) || !OpenableDepth(font.BitsPerPixel())) {
        ui_.ShowMessage(QString::fromLatin1(kInvalidSFT), TMsgKind::Warning);
        return;
    }
    // Built aside; the window changes only once the picture has succeeded.
    TBuiltPicture built = BuildAside(builder_, font.Font(), Session_.Palette());
    Session_.Open(std::move(font));
    ShowFont(std::move(built));
    Bridge->ShowColors();
    Watch->Watch(Session_.Font().Path());
    Recent->Add(Path);
}

void TMainWindow::RecoverFont(TJournalHistory History, const QString& Journal) {
    const std::string path = History.Font.Path();
    TBuiltPicture built = BuildAside(builder_, History.Font.Font(), Session_.Palette());
    const TFileStamp stamp = History.Stamp;
    Recovery->Adopting(stamp);
    Session_.Recover(std::move(History));
    Recovery->Adopted(Journal);
    ShowFont(std::move(built));
    Bridge->ShowColors();
    SFT_Open.FileName = QFile::decodeName(path.c_str());
    Watch->Watch(path, stamp);
    if (StampOf(path) != stamp)
        ui_.ShowMessage(QStringLiteral("%1 has changed on disk since these changes were made. "
                                       "They are recovered all the same; Save asks first.")
                            .arg(QFileInfo(SFT_Open.FileName).fileName()),
                        TMsgKind::Warning);
}

void TMainWindow::TakeRecovered(TJournalHistory History, const QString& Journal,
                                const std::function<void(const QString& Journal)>& Elsewhere) {
    const auto canonical = [](const std::string& Path) {
        return QFileInfo(QFile::decodeName(Path.c_str())).canonicalFilePath();
    };
    // Not the same file in two windows, clean in one and changed in the other.
    const QString recovered = canonical(History.Font.Path());
    const bool here = !Bitmap_ || (!Session_.Modified() && !recovered.isEmpty() &&
                                   recovered == canonical(Session_.Font().Path()));
    if (!here) return Elsewhere(Journal);
    Guarded([&] { RecoverFont(std::move(History), Journal); });
}

bool TMainWindow::MaybeSave() {
    if (!Session_.Modified()) return true;
    const QString name = QFileInfo(QFile::decodeName(Session_.Font().Path().c_str())).fileName();
    const TSaveAnswer answer =
        ui_.AskSave(QStringLiteral("%1 has unsaved changes. Save them?").arg(name));
    if (answer != TSaveAnswer::Save) return answer == TSaveAnswer::Discard;
    SaveSFT1Click();              // a failed save throws: the command stops
    return !Session_.Modified();  // not when the save was called off
}

void TMainWindow::SaveSFT1Click() {
    if (!Bitmap_) return;
    if (Watch->ChangedOnDisk()) {
        const QString name =
            QFileInfo(QFile::decodeName(Session_.Font().Path().c_str())).fileName();
        const int answer = ui_.AskChoice(
            QStringLiteral("%1 has been changed by another program since it was opened or "
                           "last saved. Overwrite it?")
                .arg(name),
            {QStringLiteral("&Overwrite"), QStringLiteral("Save &As..."),
             QStringLiteral("&Cancel")});
        if (answer == 1) return SaveSFTAs1Click();
        if (answer != 0) return;
    }
    SaveFontAs(Session_.Font().Path());
}

void TMainWindow::SaveSFTAs1Click() {
    if (!Bitmap_) return;
    SFT_Save.FileName = QFile::decodeName(Session_.Font().Path().c_str());
    if (ui_.Execute(SFT_Save)) SaveFontAs(LocalPath(SFT_Save.FileName));
}

void TMainWindow::SaveFontAs(const std::string& Path) {
    Session_.Save(Path);
    UpdateCommands();
    Watch->Watch(Path);
    Recent->Add(QFile::decodeName(Path.c_str()));
    SFT_Open.FileName = QFile::decodeName(Path.c_str());
    Aids->Saved();
    CodePages_.Saved();
    UpdateCaption();
}

void TMainWindow::ReadAgain(const char* Name) {
    if (!Bitmap_) return;
    const std::string path = Session_.Font().Path();
    const QString name = QFileInfo(QFile::decodeName(path.c_str())).fileName();
    TEditedFont font;
    if (!font.Load(path) || !OpenableDepth(font.BitsPerPixel())) {
        const std::string why = WhyNotReadable(path);
        ui_.ShowMessage(QStringLiteral("%1 can't be read again: %2")
                            .arg(name, why.empty() ? QString::fromLatin1(kInvalidSFT)
                                                   : QString::fromLocal8Bit(why.c_str())),
                        TMsgKind::Warning);
        return;
    }
    // A step swaps strip and table only: new headers mean opening it afresh.
    if (font.Font().Header != FontData().Header ||
        font.Font().StripHeader != FontData().StripHeader) {
        if (MaybeSave()) OpenFont(QFile::decodeName(path.c_str()));
        return;
    }
    Bridge->Show(Session_.Replace(std::move(font), ASCIIList->currentRow(), Name));
    Session_.Saved(path);
    Bridge->Show({});
    Watch->Watch(path);
}

void TMainWindow::LoadPalette1Click() {
    // The file type chosen, not the file's name, picks the reader.
    if (ui_.Execute(PAL_Open)) LoadPaletteFile(PAL_Open.FileName, PAL_Open.FilterIndex == 2);
}

void TMainWindow::LoadPaletteFile(const QString& Path, bool BM) {
    const std::string path = LocalPath(Path);
    TPalette palette = Session_.Palette();
    TWarningBoxes warnings(ui_);
    const bool loaded =
        BM ? LoadBMPalette(path, palette, warnings) : LoadCMPPalette(path, palette, warnings);
    if (!loaded) {
        ui_.ShowMessage(QString::fromLatin1(kErrorLoadingPalette), TMsgKind::Error);
        return;
    }
    if (!Bitmap_) {
        Session_.SetPalette(palette);
        return;
    }
    // Palette and picture change together or not at all.
    TBuiltPicture built = BuildAside(builder_, Session_.Font().Font(), palette);
    Session_.SetPalette(palette);
    ShowPicture(std::move(built));
    Bridge->ShowColors();
}

void TMainWindow::dragMoveEvent(QDragMoveEvent* Event) {
    if (DropOf(Event->mimeData(), LoadPalette1->isEnabled()) != TDrop::None)
        Event->acceptProposedAction();
}

void TMainWindow::dropEvent(QDropEvent* Event) {
    QString path;
    const TDrop kind = DropOf(Event->mimeData(), LoadPalette1->isEnabled(), &path);
    if (kind == TDrop::None) return;
    Event->acceptProposedAction();
    Guarded([&] {
        if (kind == TDrop::Font) {
            if (MaybeSave()) OpenFont(path);
        } else {
            LoadPaletteFile(path, kind == TDrop::BM);
        }
    });
}
