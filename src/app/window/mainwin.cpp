#include "window/mainwin.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSettings>
#include <QSignalBlocker>
#include <QStatusBar>
#include <algorithm>
#include <utility>
#include <vector>

#include "base/fileio.h"
#include "dialogs/about.h"
#include "dialogs/checktext.h"
#include "files/filewatch.h"
#include "files/importpicture.h"
#include "files/recent.h"
#include "files/recovery.h"
#include "outline.h"
#include "picture/export.h"
#include "ui/look.h"
#include "views/colorpanel.h"
#include "views/drawingaids.h"
#include "views/preview.h"
#include "views/readout.h"
#include "views/scrollbox.h"
#include "window/cmdline.h"
#include "window/sessionbridge.h"

std::string LocalPath(const QString& Path) { return QFile::encodeName(Path).toStdString(); }

namespace {

const char* const kBoundariesKey = "view/glyphBoundaries";
const char* const kStatusBarKey = "view/statusBar";

}  // namespace

TMainWindow::TMainWindow(IUserInterface& UI, TPictureBuilder Builder, QWidget* Parent,
                         const QString& StartFont)
    : QMainWindow(Parent), ui_(UI), builder_(std::move(Builder)), startFont_(StartFont) {
    CreateComponents();
    Guarded([this] { FormCreate(); });
}

void TMainWindow::CreateComponents() {
    setWindowTitle(QString::fromLatin1(kAppTitle));
    setWindowIcon(ProgramIcon());
    const QFont font = WindowFont(this);
    setFont(font);
    const TScale S{LayoutFactor(font)};

    // Outer size 320 x 240 with a sizing frame of 4 and a caption of 19 pixels.
    move(S(201), S(117));
    resize(S(320 - 2 * 4), S(240 - 2 * 4 - 19));

    CreateMenus();

    auto* client = new QWidget(this);
    auto* row = new QHBoxLayout(client);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    setCentralWidget(client);

    const TFontPanel left = MakeFontPanel(client, S);
    Panel1 = left.Panel, Label1 = left.InfoLabel, SFTInfo = left.Info;
    Label3 = left.CharLabel, ASCIIList = left.Chars;
    row->addWidget(Panel1);

    ScrollBox = new TScrollBox;
    Panel2 = MakeViewPanel(client, ScrollBox);
    row->addWidget(Panel2, 1);

    connect(ScrollBox, &TScrollBox::Hovered, this, [this](int X, int Y) {
        hover_ = {X, Y};
        if (StatusBar1->isChecked()) statusBar()->showMessage(PixelInfo(X, Y));
    });
    connect(ScrollBox, &TScrollBox::ZoomRequested, this, [this](int Direction, int AnchorX) {
        Guarded([&] { ZoomClick(Direction, AnchorX); });
    });
    Bridge = new TSessionBridge(Session_, ui_, *this, *ScrollBox,
                                [this](auto& Handler) { Guarded(Handler); });
    Aids = new TDrawingAids(Session_, ui_, *ScrollBox, *Guides1, this);
    connect(Bridge->Colors, &TColorPanel::ColorsShown, this, [this] { Aids->FontChanged(); });
    // A change of the strip's size or table is kept once its picture is built.
    Session_.SetPrepare([this](const TEditedFont& Font) {
        built_ = BuildAside(builder_, Font.Font(), Session_.Palette());
    });
    Recovery = new TRecovery(Session_, ui_, this);
    Recent = new TRecentFiles(*OpenRecent1, ui_, this);
    connect(Recent, &TRecentFiles::Chosen, this, [this](const QString& Path) {
        Guarded([&] {
            if (MaybeSave()) OpenFont(Path);
        });
    });
    Watch = new TFileWatch(*this, ui_, [this] { return Session_.Modified(); });
    connect(Watch, &TFileWatch::ReloadChosen, this,
            [this] { Guarded([this] { ReadAgain("Reload"); }); });
    connect(Watch, &TFileWatch::KeepMineChosen, this, [this] {
        Session_.ForgetClean();
        UpdateCaption();
    });
    connect(Bridge, &TSessionBridge::PixelsChanged, this, &TMainWindow::ShowPixels);
    connect(Bridge, &TSessionBridge::FontChanged, this, [this] {
        TBuiltPicture built =
            built_ ? std::move(*built_) : BuildAside(builder_, FontData(), Session_.Palette());
        built_.reset();
        ShowFont(std::move(built));
    });
    connect(Bridge, &TSessionBridge::SelectionChanged, this, &TMainWindow::ShowSelection);
    connect(Bridge, &TSessionBridge::Said, this,
            [this](const QString& Text) { statusBar()->showMessage(Text, 5000); });
    connect(Bridge, &TSessionBridge::Changed, this, [this] {
        // Check Text's list follows each step, not each move of a stroke.
        if (Checker && Checker->isVisible() && !Session_.Stroking()) Checker->Refresh();
        UpdateCaption();
        UpdateCommands();
    });
    ConnectList();
    AttachTools();

    setAcceptDrops(true);
    // The view's toggles as the user last left them; both off by default.
    const QSettings settings;
    GlyphBoundaries1->setChecked(settings.value(kBoundariesKey).toString() ==
                                 QLatin1String("true"));
    StatusBar1->setChecked(settings.value(kStatusBarKey).toString() == QLatin1String("true"));
    ScrollBox->SetBoundariesShown(GlyphBoundaries1->isChecked());
    if (StatusBar1->isChecked()) statusBar()->show();
    UpdateCommands();
}

void TMainWindow::Guarded(const std::function<void()>& Handler) {
    try {
        Handler();
    } catch (...) {
        ui_.ShowStandardError(StandardErrorText(std::current_exception()));
    }
}

void TMainWindow::FormCreate() {
    if (const std::string path = DefaultPalettePath(startFont_); !path.empty()) {
        // A refused file has shown its warning; the palette stays black then.
        TWarningBoxes warnings(ui_);
        TPalette palette{};
        LoadCMPPalette(path, palette, warnings);
        Session_.SetPalette(palette);
        return;
    }
    ui_.ShowMessage(QString::fromLatin1(kPaletteNotFound), TMsgKind::Error);
    quitRequested_ = true;
    QCoreApplication::quit();
}

void TMainWindow::ShowPicture(TBuiltPicture Built) {
    Bitmap_ = std::move(Built.Picture);
    SFTInfo->clear();
    SFTInfo->addItems(Built.Info);
    ScrollBox->SetImageWidth(Bitmap_->Width());
    ScrollBox->SetImageHeight(Bitmap_->Height());
    ScrollBox->SetImagePicture(*Bitmap_);
    FollowPreview();
}

void TMainWindow::ShowFont(TBuiltPicture Built) {
    CodePages_.Follow();
    ShowPicture(std::move(Built));
    ShowCharacters();
    if (Checker && Checker->isVisible()) Checker->Refresh();
    ShowSelection(true);
    Aids->FontChanged();
    if (StatusBar1->isChecked()) statusBar()->showMessage(PixelInfo(hover_.x(), hover_.y()));
    UpdateCaption();
    UpdateCommands();
}

void TMainWindow::UpdateCaption() {
    // "[*]" in the path would be taken for the modified-document mark;
    // doubled, it shows as itself.
    const QString path = QFile::decodeName(Session_.Font().Path().c_str());
    setWindowTitle(QStringLiteral("Quillmere : ") +
                   QString(path).replace(QLatin1String("[*]"), QLatin1String("[*][*]")) +
                   QLatin1String("[*]"));
    setWindowModified(Session_.Modified());
}

void TMainWindow::ImportPicture1Click() {
    if (!Bitmap_) return;
    // The picture Save as BMP would have written, as an edit goes out and back.
    PIC_Open.FileName =
        QFile::decodeName(ProposedExportName(LocalPath(SFT_Open.FileName), LastSaveDir_).c_str());
    if (!ui_.Execute(PIC_Open)) return;
    Bridge->Show(ImportPicture(Session_, LocalPath(PIC_Open.FileName), ui_));
}

void TMainWindow::NewFontFromOutline1Click() { MakeOutlineFont(nullptr); }

void TMainWindow::MakeOutlineFont(const TOutlineAdd* Add) {
    if (!Bitmap_) return;
    TOutlineStrip strip;
    if (!ui_.MakeOutlineFont(Session_.Font(), Session_.Palette(), Aids->Rows(), strip, Add)) return;
    if (strip.Added)
        return Bridge->Show(Session_.Append(strip.Width, std::move(strip.Pixels), strip.Table));
    TEditedFont font = Session_.Font();
    font.ReplaceStrip(strip.Width, strip.Height, std::move(strip.Pixels));
    font.SetTable(std::move(strip.Table));
    Bridge->Show(Session_.Replace(std::move(font), 0, "New Font from Outline Font"));
}

void TMainWindow::CharTable1Click() {
    if (!Bitmap_) return;
    std::vector<TCharEntry> table = Session_.Font().Table();
    const int row = ASCIIList->currentRow();
    if (ui_.EditTable(table, row)) Bridge->Show(Session_.SetTable(std::move(table), row));
}

void TMainWindow::ShowPixels(TPixelRect Area, const std::vector<TPixelRect>& Parts,
                             TSessionChange::TShift Shift) {
    // A fresh picture of the same pixels: nothing built from the old one is kept.
    Bitmap_->LoadFromFont(Session_.Font().Font(), Session_.Palette());
    ScrollBox->ShowChange(*Bitmap_, Area, Parts, Shift);
    Aids->FontChanged();
    FollowPreview();
    if (StatusBar1->isChecked()) statusBar()->showMessage(PixelInfo(hover_.x(), hover_.y()));
}

TGlyphExtent TMainWindow::SelectedGlyph() const {
    return Bitmap_ ? Session_.Glyph(ASCIIList->currentRow()) : TGlyphExtent{};
}

void TMainWindow::SaveasBMP1Click() {
    if (!Bitmap_) return;
    BMP_Save.FileName =
        QFile::decodeName(ProposedExportName(LocalPath(SFT_Open.FileName), LastSaveDir_).c_str());
    if (!ui_.Execute(BMP_Save)) return;
    const std::string path = LocalPath(BMP_Save.FileName);
    Bitmap_->SaveToFile(path);
    LastSaveDir_ = FolderOf(path);
}

void TMainWindow::Exit1Click() {
    if (!MaybeSave()) return;
    quitRequested_ = true;
    QCoreApplication::quit();
}

void TMainWindow::About1Click() { ui_.ShowAbout(); }

void TMainWindow::CopyGlyph1Click() {
    if (!Bitmap_) return;
    if (const TPixelRect r = Session_.CopyArea(); !r.Empty())
        CopyPicturePart(*Bitmap_, r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top, ui_);
}

void TMainWindow::CopyStrip1Click() {
    if (Bitmap_) CopyPicturePart(*Bitmap_, 0, 0, Bitmap_->Width(), Bitmap_->Height(), ui_);
}

void TMainWindow::TextPreview1Click() {
    if (!Bitmap_) return;
    if (!Preview) {
        Preview = new TTextPreview(ui_, this);
        connect(Preview, &TTextPreview::CharClicked, this, &TMainWindow::GoToClicked);
    }
    Preview->show();
    FollowPreview();
    Preview->raise();
}

void TMainWindow::GoToClicked(char32_t Char) {
    try {
        Bridge->Show(Session_.GoToChar(Char));
    } catch (const EFontError&) {
        // A character the font lacks has no row to go to.
    }
}

void TMainWindow::FollowPreview() {
    // A hidden preview is drawn when shown again.
    if (Preview && Bitmap_ && Preview->isVisible())
        Preview->SetFont(Session_.Font().Font(), Session_.Palette(), Session_.Glyphs(),
                         Session_.CodePage());
}

void TMainWindow::CheckText1Click() {
    if (!Bitmap_) return;
    if (!Checker) {
        Checker = new TCheckText(Session_, ui_, this);
        addDockWidget(Qt::RightDockWidgetArea, Checker);
        connect(Checker, &TCheckText::BuildClicked, this,
                [this] { Guarded([this] { Bridge->BuildAccented(Checker->Buildable()); }); });
        connect(Checker, &TCheckText::AddClicked, this, [this] {
            Guarded([this] {
                const TOutlineAdd add{Checker->ToAdd(), Session_.CodePage().Name()};
                MakeOutlineFont(&add);
            });
        });
        connect(Checker, &TCheckText::CharClicked, this, &TMainWindow::GoToClicked);
    }
    Checker->show();
    Checker->raise();
    Checker->Refresh();
}

void TMainWindow::ChooseCodePage(std::size_t Index) {
    ChooseEntry(CommandOf("code-page"), Session_, Index);
    CodePages_.Chosen();
    ShowCodePage();
}

void TMainWindow::ShowCodePage() {
    ShowCharacters();
    ShowSelection(false);
    FollowPreview();
    if (Checker && Checker->isVisible()) Checker->Refresh();
    UpdateCommands();
}

void TMainWindow::GlyphBoundaries1Click() {
    ScrollBox->SetBoundariesShown(GlyphBoundaries1->isChecked());
    QSettings().setValue(kBoundariesKey, GlyphBoundaries1->isChecked());
}

void TMainWindow::StatusBar1Click() {
    statusBar()->setVisible(StatusBar1->isChecked());
    QSettings().setValue(kStatusBarKey, StatusBar1->isChecked());
}

QString TMainWindow::PixelInfo(int X, int Y) const {
    const QString readout =
        Bitmap_ ? PixelReadout(Session_.Font(), Session_.Palette(), Session_.Glyphs(), X, Y)
                : QString();
    if (!ScrollBox->Drawing()) return readout;
    return QString::fromStdString(ToolStatus(Session_.Tool(), readout.toStdString()));
}

void TMainWindow::ZoomClick(int Direction, int AnchorX) {
    if (!Bitmap_) return;
    const int factor = Direction == 0 ? 1 : ScrollBox->NextZoom(Direction);
    if (factor != 0) ScrollBox->SetZoom(factor, AnchorX);
    UpdateCommands();
}

void TMainWindow::closeEvent(QCloseEvent* Event) {
    // Exit has asked already.
    bool close = quitRequested_;
    if (!close) Guarded([&] { close = MaybeSave(); });
    if (!close) {
        Event->ignore();
        return;
    }
    quitRequested_ = true;
    Event->accept();
    QCoreApplication::quit();
}
