#include "mainwin.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

#include "about.h"
#include "canvas.h"
#include "colorpanel.h"
#include "drops.h"
#include "export.h"
#include "fileio.h"
#include "imageview.h"
#include "importpicture.h"
#include "look.h"
#include "outline.h"
#include "preview.h"
#include "readout.h"
#include "undo.h"

std::string LocalPath(const QString& Path) { return QFile::encodeName(Path).toStdString(); }

void BuildFontPicture(std::unique_ptr<TBitmap>& Bitmap, const TSftFont& Font,
                      const TPalette& Palette, IInfoList& SFTInfo) {
    if (Font.BitsPerPixel() == 16)
        Show16BitFont(Bitmap, Font, SFTInfo);
    else
        Show8BitFont(Bitmap, Font, Palette, SFTInfo);
}

namespace {

const char* const kBoundariesKey = "view/glyphBoundaries";
const char* const kStatusBarKey = "view/statusBar";

// The "Font Info" lines of a build that has not been accepted yet.
class TInfoLines final : public IInfoList {
public:
    void Clear() override { Lines.clear(); }
    void Append(const std::string& Line) override { Lines << QString::fromStdString(Line); }
    QStringList Lines;
};

}  // namespace

TMainWindow::TMainWindow(IUserInterface& UI, TPictureBuilder Builder, QWidget* Parent,
                         const QString& StartFont)
    : QMainWindow(Parent), ui_(UI), builder_(std::move(Builder)), startFont_(StartFont) {
    History = new TUndoHistory(Font_, kHistoryBound, this);
    Colors = new TColorPanel(UI, this);
    Canvas = new TCanvas(Font_, *History, *Colors, this);
    CreateComponents();
    Guarded([this] { FormCreate(); });
}

TMainWindow::~TMainWindow() = default;

void TMainWindow::CreateComponents() {
    setWindowTitle(QString::fromLatin1(kAppTitle));
    setWindowIcon(ProgramIcon());
    const QFont font = WindowFont(this);
    setFont(font);
    const TScale S{LayoutFactor(font)};

    // Outer size 320 x 240 with a sizing frame of 4 and a caption of 19 pixels.
    move(S(201), S(117));
    resize(S(320 - 2 * 4), S(240 - 2 * 4 - 19));

    File1 = menuBar()->addMenu(QStringLiteral("&File"));
    OpenSFT1 = File1->addAction(QStringLiteral("&Open SFT"));
    SaveSFT1 = File1->addAction(QStringLiteral("Sa&ve SFT"));
    SaveSFT1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    SaveSFTAs1 = File1->addAction(QStringLiteral("Save SFT &As..."));
    File1->addSeparator();
    ImportPicture1 = File1->addAction(QStringLiteral("&Import Picture..."));
    NewFontFromOutline1 = File1->addAction(QStringLiteral("&New Font from Outline Font..."));
    SaveasBMP1 = File1->addAction(QStringLiteral("&Save as BMP"));
    LoadPalette1 = File1->addAction(QStringLiteral("&Load Palette"));
    File1->addSeparator();
    Exit1 = File1->addAction(QStringLiteral("E&xit"));
    Edit1 = menuBar()->addMenu(QStringLiteral("&Edit"));
    Undo1 = Edit1->addAction(QStringLiteral("&Undo"));
    Undo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Redo1 = Edit1->addAction(QStringLiteral("&Redo"));
    Redo1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    History->Bind(Undo1, Redo1);
    Edit1->addSeparator();
    CopyGlyph1 = Edit1->addAction(QStringLiteral("&Copy Glyph"));
    CopyGlyph1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    CopyStrip1 = Edit1->addAction(QStringLiteral("Copy &Strip"));
    CopyStrip1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C));
    PasteGlyph1 = Edit1->addAction(QStringLiteral("&Paste Glyph"));
    PasteGlyph1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
    Edit1->addSeparator();
    CharTable1 = Edit1->addAction(QStringLiteral("Character &Table..."));
    Glyph1 = menuBar()->addMenu(QStringLiteral("&Glyph"));
    Draw1 = Glyph1->addAction(QStringLiteral("&Draw"));
    Draw1->setCheckable(true);
    Glyph1->addSeparator();
    for (int t = 0; t < 6; ++t) {
        if (t == 2) Glyph1->addSeparator();
        const auto transform = TGlyphTransform(t);
        Transforms1[t] = Glyph1->addAction(QString::fromLatin1(TransformName(transform)));
        connect(Transforms1[t], &QAction::triggered, this,
                [this, transform] { Guarded([&] { TransformClick(transform); }); });
    }
    View1 = menuBar()->addMenu(QStringLiteral("&View"));
    ZoomIn1 = View1->addAction(QStringLiteral("Zoom &In"));
    ZoomIn1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    ZoomOut1 = View1->addAction(QStringLiteral("Zoom &Out"));
    ZoomOut1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    ActualSize1 = View1->addAction(QStringLiteral("&Actual Size"));
    ActualSize1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    View1->addSeparator();
    GlyphBoundaries1 = View1->addAction(QStringLiteral("&Glyph Boundaries"));
    StatusBar1 = View1->addAction(QStringLiteral("&Status Bar"));
    for (QAction* toggle : {GlyphBoundaries1, StatusBar1}) toggle->setCheckable(true);
    View1->addSeparator();
    TextPreview1 = View1->addAction(QStringLiteral("&Text Preview..."));
    Help1 = menuBar()->addMenu(QStringLiteral("&Help"));
    About1 = Help1->addAction(QStringLiteral("&About"));

    auto* client = new QWidget(this);
    auto* row = new QHBoxLayout(client);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    setCentralWidget(client);

    const TFontPanel left = MakeFontPanel(client, S);
    Panel1 = left.Panel, Label1 = left.InfoLabel, SFTInfo = left.Info;
    Label3 = left.CharLabel, ASCIIList = left.Chars;
    row->addWidget(Panel1);

    Panel2 = new TPanel(TBevel::Lowered, TBevel::None, client);
    QPalette black = Panel2->palette();
    black.setColor(QPalette::Window, Qt::black);
    Panel2->setPalette(black);
    Panel2->setAutoFillBackground(true);
    row->addWidget(Panel2, 1);
    auto* inside = new QVBoxLayout(Panel2);
    inside->setContentsMargins(1, 1, 1, 1);
    ScrollBox = new TScrollBox(Panel2);
    inside->addWidget(ScrollBox);

    const std::pair<QAction*, void (TMainWindow::*)()> commands[] = {
        {OpenSFT1, &TMainWindow::OpenSFT1Click},
        {SaveSFT1, &TMainWindow::SaveSFT1Click},
        {SaveSFTAs1, &TMainWindow::SaveSFTAs1Click},
        {ImportPicture1, &TMainWindow::ImportPicture1Click},
        {NewFontFromOutline1, &TMainWindow::NewFontFromOutline1Click},
        {SaveasBMP1, &TMainWindow::SaveasBMP1Click},
        {LoadPalette1, &TMainWindow::LoadPalette1Click},
        {Exit1, &TMainWindow::Exit1Click},
        {About1, &TMainWindow::About1Click},
        {CopyGlyph1, &TMainWindow::CopyGlyph1Click},
        {CopyStrip1, &TMainWindow::CopyStrip1Click},
        {PasteGlyph1, &TMainWindow::PasteGlyph1Click},
        {Undo1, &TMainWindow::Undo1Click},
        {Redo1, &TMainWindow::Redo1Click},
        {Draw1, &TMainWindow::Draw1Click},
        {CharTable1, &TMainWindow::CharTable1Click},
        {GlyphBoundaries1, &TMainWindow::GlyphBoundaries1Click},
        {TextPreview1, &TMainWindow::TextPreview1Click},
        {StatusBar1, &TMainWindow::StatusBar1Click}};
    for (const auto& [action, click] : commands)
        connect(action, &QAction::triggered, this,
                [this, click] { Guarded([this, click] { (this->*click)(); }); });
    for (const auto& [action, direction] :
         {std::pair{ZoomIn1, 1}, {ZoomOut1, -1}, {ActualSize1, 0}})
        connect(action, &QAction::triggered, this,
                [this, direction] { Guarded([this, direction] { ZoomClick(direction); }); });
    connect(ScrollBox, &TScrollBox::Hovered, this, [this](int X, int Y) {
        hover_ = {X, Y};
        if (StatusBar1->isChecked()) statusBar()->showMessage(PixelInfo(X, Y));
    });
    connect(ScrollBox, &TScrollBox::ZoomRequested, this, [this](int Direction, int AnchorX) {
        Guarded([&] { ZoomClick(Direction, AnchorX); });
    });
    connect(ScrollBox, &TScrollBox::Pressed, this, [this](int X, int Y, auto Button, auto Keys) {
        Guarded([&] { Canvas->Press(X, Y, Button, Keys); });
    });
    connect(ScrollBox, &TScrollBox::Dragged, this,
            [this](int X, int Y) { Guarded([&] { Canvas->Drag(X, Y); }); });
    connect(ScrollBox, &TScrollBox::Released, this, [this] { Guarded([&] { Canvas->Finish(); }); });
    connect(Canvas, &TCanvas::Painted, this, &TMainWindow::ShowPixels);
    connect(Canvas, &TCanvas::GlyphPressed, this, &TMainWindow::SelectGlyph);
    connect(History, &TUndoHistory::Toggled, this, [this](const TEditStep& Step) {
        if (Step.Wholesale())
            Guarded([this] { ShowFont(Font_, ASCIIList->currentRow()); });
        else
            ShowPixels(Step.Area());
    });
    connect(History, &TUndoHistory::CleanChanged, this, [this](bool Clean) {
        Font_.SetModified(!Clean);
        UpdateCaption();
    });
    // A click on the selected item scrolls back to it as well.
    connect(ASCIIList, &QListWidget::currentRowChanged, this,
            [this] { Guarded([this] { ASCIIListClick(); }); });
    connect(ASCIIList, &QListWidget::itemClicked, this,
            [this] { Guarded([this] { ASCIIListClick(); }); });

    addDockWidget(Qt::RightDockWidgetArea, Colors);
    Colors->hide();  // shown while drawing
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

void TMainWindow::UpdateCommands() {
    const bool havePicture = Bitmap_ != nullptr;
    for (QAction* command : {SaveSFT1, SaveSFTAs1, ImportPicture1, NewFontFromOutline1, SaveasBMP1,
                             LoadPalette1, CharTable1})
        command->setEnabled(havePicture);
    const TGlyphExtent glyph = SelectedGlyph();
    const bool rows = havePicture && Bitmap_->Height() > 0;
    CopyGlyph1->setEnabled(rows && glyph.End > glyph.Begin);
    CopyStrip1->setEnabled(rows && Bitmap_->Width() > 0);
    for (QAction* command : Transforms1) command->setEnabled(rows && glyph.End > glyph.Begin);
    PasteGlyph1->setEnabled(rows && glyph.End > glyph.Begin);
    Draw1->setEnabled(havePicture);
    TextPreview1->setEnabled(havePicture);
    ZoomIn1->setEnabled(havePicture && ScrollBox->NextZoom(1) != 0);
    ZoomOut1->setEnabled(havePicture && ScrollBox->Zoom() > 1);
    ActualSize1->setEnabled(havePicture && ScrollBox->Zoom() > 1);
}

void TMainWindow::FormCreate() {
    // The working directory, not the program's folder; then the folder of a
    // font given at start, as a game folder holds both.
    std::vector<std::string> places = {std::filesystem::current_path().string()};
    if (!startFont_.isEmpty()) places.push_back(LocalPath(QFileInfo(startFont_).absolutePath()));
    for (const std::string& place : places) {
        const std::string path = place + "/uicolormap.cmp";
        if (!RegularFileExists(path)) continue;
        // A refused file has shown its warning; the palette stays black then.
        TWarningBoxes warnings(ui_);
        LoadCMPPalette(path, Palette_, warnings);
        return;
    }
    ui_.ShowMessage(QString::fromLatin1(kPaletteNotFound), TMsgKind::Error);
    quitRequested_ = true;
    QCoreApplication::quit();
}

void TMainWindow::ShowPicture(std::unique_ptr<TBitmap> Picture, const QStringList& Info) {
    Bitmap_ = std::move(Picture);
    SFTInfo->clear();
    SFTInfo->addItems(Info);
    ScrollBox->SetImageWidth(Bitmap_->Width());
    ScrollBox->SetImageHeight(Bitmap_->Height());
    ScrollBox->SetImagePicture(*Bitmap_);
    if (Preview) Preview->SetFont(*Bitmap_, Glyphs_);
}

void TMainWindow::OpenSFT1Click() {
    if (MaybeSave() && ui_.Execute(SFT_Open)) OpenFont(SFT_Open.FileName);
}

void TMainWindow::OpenFont(const QString& Path) {
    SFT_Open.FileName = Path;
    TEditedFont font;
    if (!font.Load(LocalPath(Path)) || (font.BitsPerPixel() != 8 && font.BitsPerPixel() != 16)) {
        ui_.ShowMessage(QString::fromLatin1(kInvalidSFT), TMsgKind::Warning);
        return;
    }
    Canvas->Finish();
    ShowFont(std::move(font), 0);
    History->Clear();
    Colors->SetFont(Font_.BitsPerPixel(), Palette_, true);
}

void TMainWindow::ShowFont(TEditedFont Font, int Row) {
    // Built aside; the window changes only once the picture has succeeded.
    TInfoLines info;
    std::unique_ptr<TBitmap> picture;
    builder_(picture, Font.Font(), Palette_, info);
    if (!picture) throw EToolkitError(kBitmapNotValid);

    Font_ = std::move(Font);
    const std::vector<TCharEntry>& table = Font_.Table();
    Glyphs_ = TStripGeometry(table, Font_.Font().Width);
    ShowPicture(std::move(picture), info.Lines);
    {
        const QSignalBlocker quiet(ASCIIList);
        ASCIIList->clear();
        for (const TCharEntry& e : table) ASCIIList->addItem(QString::number(e.Code));
        if (!table.empty()) ASCIIList->setCurrentRow(std::clamp(Row, 0, int(table.size()) - 1));
    }
    ScrollBox->SetGlyphs(Glyphs_, {});
    Canvas->SetGlyphs(Glyphs_);
    if (Preview) Preview->SetZoom(ScrollBox->Zoom());
    ASCIIListClick();
    if (StatusBar1->isChecked()) statusBar()->showMessage(PixelInfo(hover_.x(), hover_.y()));
    UpdateCaption();
    UpdateCommands();
}

void TMainWindow::UpdateCaption() {
    // "[*]" in the path would be taken for the modified-document mark;
    // doubled, it shows as itself.
    const QString path = QFile::decodeName(Font_.Path().c_str());
    setWindowTitle(QStringLiteral("Quillmere : ") +
                   QString(path).replace(QLatin1String("[*]"), QLatin1String("[*][*]")) +
                   QLatin1String("[*]"));
    setWindowModified(Font_.Modified());
}

bool TMainWindow::MaybeSave() {
    if (!Font_.Modified()) return true;
    const QString name = QFileInfo(QFile::decodeName(Font_.Path().c_str())).fileName();
    const TSaveAnswer answer =
        ui_.AskSave(QStringLiteral("%1 has unsaved changes. Save them?").arg(name));
    if (answer == TSaveAnswer::Save) SaveSFT1Click();  // a failed save throws: the command stops
    return answer != TSaveAnswer::Cancel;
}

void TMainWindow::SaveSFT1Click() {
    if (Bitmap_) SaveFontAs(Font_.Path());
}

void TMainWindow::SaveSFTAs1Click() {
    if (!Bitmap_) return;
    SFT_Save.FileName = QFile::decodeName(Font_.Path().c_str());
    if (ui_.Execute(SFT_Save)) SaveFontAs(LocalPath(SFT_Save.FileName));
}

void TMainWindow::SaveFontAs(const std::string& Path) {
    Canvas->Finish();
    Font_.Save(Path);
    History->SetClean();
    SFT_Open.FileName = QFile::decodeName(Path.c_str());
    UpdateCaption();
}

void TMainWindow::ImportPicture1Click() {
    if (!Bitmap_) return;
    // The picture Save as BMP would have written, as an edit goes out and back.
    PIC_Open.FileName =
        QFile::decodeName(ProposedExportName(LocalPath(SFT_Open.FileName), LastSaveDir_).c_str());
    if (!ui_.Execute(PIC_Open)) return;
    TEditedFont font = Font_;
    if (ImportPicture(font, LocalPath(PIC_Open.FileName), Palette_, ui_))
        ReplaceFont(std::move(font), ASCIIList->currentRow(), "Import Picture");
}

void TMainWindow::NewFontFromOutline1Click() {
    if (!Bitmap_) return;
    TOutlineStrip strip;
    if (!ui_.MakeOutlineFont(Font_, Palette_, strip)) return;
    TEditedFont font = Font_;
    font.ReplaceStrip(strip.Width, strip.Height, std::move(strip.Pixels));
    font.SetTable(std::move(strip.Table));
    ReplaceFont(std::move(font), 0, "New Font from Outline Font");
}

void TMainWindow::CharTable1Click() {
    if (!Bitmap_) return;
    std::vector<TCharEntry> table = Font_.Table();
    const int row = ASCIIList->currentRow();
    if (!ui_.EditTable(table, row) || table == Font_.Table()) return;
    TEditedFont font = Font_;
    font.SetTable(std::move(table));
    ReplaceFont(std::move(font), row, "Character Table");
}

void TMainWindow::LoadPalette1Click() {
    // The file type chosen, not the file's name, picks the reader.
    if (ui_.Execute(PAL_Open)) LoadPaletteFile(PAL_Open.FileName, PAL_Open.FilterIndex == 2);
}

void TMainWindow::LoadPaletteFile(const QString& Path, bool BM) {
    const std::string path = LocalPath(Path);
    TPalette palette = Palette_;
    TWarningBoxes warnings(ui_);
    const bool loaded =
        BM ? LoadBMPalette(path, palette, warnings) : LoadCMPPalette(path, palette, warnings);
    if (!loaded) {
        ui_.ShowMessage(QString::fromLatin1(kErrorLoadingPalette), TMsgKind::Error);
        return;
    }
    if (!Bitmap_) {
        Palette_ = palette;
        return;
    }
    // Palette and picture change together or not at all.
    TInfoLines info;
    std::unique_ptr<TBitmap> picture;
    builder_(picture, Font_.Font(), palette, info);
    if (!picture) throw EToolkitError(kBitmapNotValid);
    Palette_ = palette;
    ShowPicture(std::move(picture), info.Lines);
    Colors->SetFont(Font_.BitsPerPixel(), Palette_, false);
}

void TMainWindow::ReplaceFont(TEditedFont Font, int Row, const char* Name) {
    Canvas->Finish();
    TFontBody before = Font_.Body();
    ShowFont(std::move(Font), Row);
    History->Push(TEditStep(Name, std::move(before), Font_));
}

void TMainWindow::ShowPixels(TPixelRect Area) {
    // A fresh picture of the same pixels: nothing built from the old one is kept.
    Bitmap_->LoadFromFont(Font_.Font(), Palette_);
    ScrollBox->ShowChange(*Bitmap_, Area);
    if (Preview) Preview->SetFont(*Bitmap_, Glyphs_);
    if (StatusBar1->isChecked()) statusBar()->showMessage(PixelInfo(hover_.x(), hover_.y()));
}

void TMainWindow::KeepPixels(std::optional<TEditStep> Step) {
    if (!Step) return;
    ShowPixels(Step->Area());
    History->Push(std::move(*Step));
}

TGlyphExtent TMainWindow::SelectedGlyph() const {
    const int row = ASCIIList->currentRow();
    return row < 0 || !Bitmap_ ? TGlyphExtent{} : Glyphs_.Extent(std::size_t(row));
}

void TMainWindow::SelectGlyph(int Row) {
    // The view stays where it is under the pointer.
    const QSignalBlocker quiet(ASCIIList);
    ASCIIList->setCurrentRow(Row);
    ScrollBox->SetGlyphs(Glyphs_, Glyphs_.Extent(std::size_t(Row)));
    UpdateCommands();
}

void TMainWindow::TransformClick(TGlyphTransform Transform) {
    const TGlyphExtent glyph = SelectedGlyph();
    if (glyph.End > glyph.Begin)
        KeepPixels(TransformGlyph(Font_, glyph, Transform, Colors->Background()));
}

void TMainWindow::PasteGlyph1Click() {
    const TGlyphExtent glyph = SelectedGlyph();
    if (glyph.End > glyph.Begin)
        KeepPixels(PasteGlyph(Font_, glyph, QGuiApplication::clipboard()->image(), Palette_, ui_));
}

void TMainWindow::Undo1Click() {
    Canvas->Finish();
    History->Undo();
}

void TMainWindow::Redo1Click() {
    Canvas->Finish();
    History->Redo();
}

void TMainWindow::Draw1Click() {
    ScrollBox->SetDrawing(Draw1->isChecked());
    Colors->setVisible(Draw1->isChecked());
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

void TMainWindow::ASCIIListClick() {
    const int row = ASCIIList->currentRow();
    if (row < 0 || row >= int(Font_.Table().size())) return;
    ScrollBox->ScrollToStripX(Font_.Table()[std::size_t(row)].X);
    ScrollBox->SetGlyphs(Glyphs_, Glyphs_.Extent(std::size_t(row)));
    UpdateCommands();
}

void TMainWindow::CopyGlyph1Click() {
    const TGlyphExtent glyph = SelectedGlyph();
    if (glyph.End > glyph.Begin)
        CopyPicturePart(*Bitmap_, glyph.Begin, glyph.End - glyph.Begin, ui_);
}

void TMainWindow::CopyStrip1Click() {
    if (Bitmap_) CopyPicturePart(*Bitmap_, 0, Bitmap_->Width(), ui_);
}

void TMainWindow::TextPreview1Click() {
    if (!Bitmap_) return;
    if (!Preview) {
        Preview = new TTextPreview(this);
        Preview->SetFont(*Bitmap_, Glyphs_);
        Preview->SetZoom(ScrollBox->Zoom());
    }
    Preview->show();
    Preview->raise();
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
    return Bitmap_ ? PixelReadout(Font_, Palette_, Glyphs_, X, Y) : QString();
}

void TMainWindow::ZoomClick(int Direction, int AnchorX) {
    if (!Bitmap_) return;
    const int factor = Direction == 0 ? 1 : ScrollBox->NextZoom(Direction);
    if (factor != 0) ScrollBox->SetZoom(factor, AnchorX);
    if (Preview) Preview->SetZoom(ScrollBox->Zoom());
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

void TMainWindow::dragEnterEvent(QDragEnterEvent* Event) {
    if (DropOf(Event->mimeData(), LoadPalette1->isEnabled()) != TDrop::None)
        Event->acceptProposedAction();
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
