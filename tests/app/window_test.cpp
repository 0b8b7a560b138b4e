// The main window's commands and their state transitions, driven offscreen
// through a scripted user.
#include <gtest/gtest.h>
#include <QAbstractScrollArea>
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QStatusBar>
#include <QTest>
#include <QTreeWidget>
#include <QWheelEvent>
#include <QWindow>
#include <array>
#include <climits>
#include <filesystem>
#include <set>
#include <tuple>

#include "../core/testfiles.h"
#include "dialogs/checktext.h"
#include "fakeui.h"
#include "makers/outlinestrip.h"
#include "views/colorpanel.h"
#include "views/drawingaids.h"
#include "views/preview.h"
#include "views/scrollbox.h"
#include "window/mainwin.h"
#include "window/sessionbridge.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> Items(const QListWidget* list) {
    std::vector<std::string> items;
    for (int i = 0; i < list->count(); ++i) items.push_back(list->item(i)->text().toStdString());
    return items;
}

ByteVec ToVec(const Bytes& b) { return ByteVec(b.begin(), b.end()); }

class WindowTest : public testing::Test {
protected:
    const TPalette kDefault = PatternPalette(1), kOther = PatternPalette(77);

    WindowTest() : oldDir_(fs::current_path()) {
        fs::current_path(dir.Dir());
        WriteFile(dir.Path("uicolormap.cmp"), MakeCMP(kDefault));
        WriteFile(dir.Path("other.cmp"), MakeCMP(kOther));
        WriteFile(dir.Path("other.bm"), MakeBM(kOther));
        WriteFile(dir.Path("flat.bm"), MakeBM(kOther, 0));
    }
    ~WindowTest() override { fs::current_path(oldDir_); }

    TMainWindow& Win(TPictureBuilder builder = BuildFontPicture) {
        if (!win) {
            win = std::make_unique<TMainWindow>(ui, std::move(builder));
            win->show();
        }
        return *win;
    }
    std::string Open(const std::string& name, const ByteVec& bytes = {}) {
        if (!bytes.empty()) WriteFile(dir.Path(name), bytes);
        ui.Choose(dir.Path(name));
        Win().OpenSFT1->trigger();
        return dir.Path(name);
    }
    void Run(QAction* command, const std::string& name, int type = 1) {
        ui.Choose(dir.Path(name), type);
        command->trigger();
    }
    int Scroll() { return Win().ScrollBox->HorzPosition(); }
    ByteVec Held() { return Win().Bitmap() ? ToVec(Win().Bitmap()->FileBytes()) : ByteVec{}; }

    // Everything a user can see or use, for before/after comparisons.
    struct Snapshot {
        std::string Caption;
        std::vector<std::string> Info, Codes;
        int Row = -1, Scroll = 0, Zoom = 1;
        bool SaveOn = false, PaletteOn = false;
        ByteVec Held, Shown;
        TPalette Palette{};
        std::vector<TCharEntry> Table;
        std::string LastSaveDir;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot Snap() {
        TMainWindow& w = Win();
        return {w.windowHandle()->title().toStdString(),
                Items(w.SFTInfo),
                Items(w.ASCIIList),
                w.ASCIIList->currentRow(),
                Scroll(),
                w.ScrollBox->Zoom(),
                w.SaveasBMP1->isEnabled(),
                w.LoadPalette1->isEnabled(),
                Held(),
                ToVec(w.ScrollBox->Image().Picture().FileBytes()),
                w.Palette(),
                w.CharTable(),
                w.LastSaveDir()};
    }

    TempDir dir;
    FakeUI ui;
    std::unique_ptr<TMainWindow> win;

private:
    fs::path oldDir_;
};

// Opening shows the font. Selecting a code, by key or by a click (also on
// the selected one), scrolls to its X at the zoom, within the strip; zoom
// keeps the strip pixel at the view's left edge (keys) or under the pointer
// (wheel) in place.
TEST_F(WindowTest, OpensScrollsToGlyphsAndZooms) {
    for (int bpp : {8, 16}) {
        SftWriter file;
        file.Header(2).Range(0, 1).Range(65534, 65535).StripHeader(bpp).Size(600, 16);
        file.Pixels(600 * 16 * std::size_t(bpp / 8));
        Win().ScrollBox->SetHorzPosition(50);
        const std::string path = Open("f" + std::to_string(bpp) + ".sft", file.Bytes());
        const ByteVec bmp = ReferenceBmp(file.Bytes(), kDefault);
        const std::vector<std::string> info = {bpp == 8 ? "8-bit font" : "16-bit font",
                                               "4 characters"},
                                       codes = {"0", "1", "65534", "65535"};
        EXPECT_EQ(Snap(), (Snapshot{"Quillmere : " + path, info, codes, 0, 0, 1, true, true, bmp,
                                    bmp, kDefault, Win().CharTable(), ""}));
    }
    SftWriter xs;
    xs.Header(1).U16(65).U16(69);
    for (std::int32_t x : {0, -50, 100, 1000000, 120}) xs.I32(x).I32(0);
    Open("xs.sft", xs.StripHeader(8).Size(2000, 4).Pixels(8000).Bytes());
    TMainWindow& w = Win();
    QListWidget* list = w.ASCIIList;
    const int last = 2000 - w.ScrollBox->viewport()->width();
    const auto key = [&](int row) {
        list->setCurrentRow(row - 1), QTest::keyClick(list, Qt::Key_Down);
    };
    const auto click = [&](int row) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(row)).center());
    };
    const auto wheel = [&](int x, int delta) {
        QWheelEvent e(QPointF(x, 5), QPointF(x, 5), {}, {0, delta}, Qt::NoButton,
                      Qt::ControlModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(w.ScrollBox->viewport(), &e);
    };
    for (const auto& [step, zoom, scroll] :
         std::vector<std::tuple<std::function<void()>, int, int>>{
             {[&] { key(2); }, 1, 100},
             {[&] { key(1); }, 1, 0},
             {[&] { click(3); }, 1, last},
             {[&] { key(4), w.ScrollBox->SetHorzPosition(7), click(4); }, 1, 120},
             {[&] { w.ZoomIn1->trigger(); }, 2, 240},
             {[&] { list->setCurrentRow(2); }, 2, 200},
             {[&] { wheel(50, 120); }, 3, (200 + 50) / 2 * 3 - 50},
             {[&] { wheel(10, -120); }, 2, (325 + 10) / 3 * 2 - 10},
             {[&] { w.ActualSize1->trigger(); }, 1, 213 / 2}}) {
        step();
        EXPECT_EQ(std::make_pair(w.ScrollBox->Zoom(), Scroll()), std::make_pair(zoom, scroll));
    }
    // No characters: nothing to scroll to.
    Open("none.sft", MakeFont(8, 3000, 4, 1, 0));
    EXPECT_EQ(std::make_pair(list->count(), Scroll()), std::make_pair(0, 106));
    // A factor is offered only while the zoomed strip fits the scroll bar's range.
    TScrollBox box;
    box.SetImageWidth(INT_MAX / 3);
    for (const auto& [factor, next] : std::vector<std::pair<int, int>>{{1, 2}, {2, 3}, {3, 0}}) {
        box.SetZoom(factor);
        EXPECT_EQ(box.NextZoom(1), next) << factor;
    }
    box.SetImageWidth(INT_MAX / 2);  // a wider strip falls back to a factor that fits
    EXPECT_EQ(box.Zoom(), 2);
    EXPECT_TRUE(ui.boxes.empty());
}

// What the view paints for a part of itself, against the picture's pixels
// at the view's zoom and scroll.
void ExpectPaints(TScrollBox* box, const QRect& part) {
    QImage shown(box->viewport()->size(), QImage::Format_RGB32);
    box->viewport()->render(&shown, part.topLeft(), QRegion(part));
    const TBitmap& pic = box->Image().Picture();
    const std::size_t bytes = std::size_t(pic.BitCount() / 8);
    const int z = box->Zoom(), top = box->verticalScrollBar()->value();
    for (int y = part.top(); y <= part.bottom(); ++y)
        for (int x = part.left(); x <= part.right(); ++x) {
            QRgb want = qRgb(0, 0, 0);  // below the strip the view is black
            if ((top + y) / z < pic.Height()) {
                const std::uint8_t* p = pic.ScanLine((top + y) / z) +
                                        std::size_t((box->HorzPosition() + x) / z) * bytes;
                const std::uint8_t* e = bytes == 1 ? pic.ColorTable().data() + 4 * p[0] : p;
                want = qRgb(e[2], e[1], e[0]);
            }
            ASSERT_EQ(shown.pixel(x, y), want) << x << ", " << y << " at " << box->HorzPosition();
        }
}

TEST_F(WindowTest, HugeStripsOpenShowAndScrollAtEveryZoom) {
    for (const auto& [width, height, bpp] :
         std::vector<std::array<int, 3>>{{100000, 64, 16}, {1000000, 16, 8}}) {
        Open("huge.sft", MakeFont(bpp, width, height));
        TScrollBox* box = Win().ScrollBox;
        for (int zoom : {1, 2, 16}) {
            box->SetZoom(zoom);
            const int w = box->viewport()->width(), h = box->viewport()->height();
            // A vertical scroll bar only when zoomed in and taller than the view.
            EXPECT_EQ(box->verticalScrollBar()->maximum(),
                      zoom == 1 ? 0 : std::max(0, height * zoom - h));
            box->verticalScrollBar()->setValue(zoom * 3);
            for (int target : {0, width / 2 + 3, INT_MAX}) {
                box->SetHorzPosition(target);
                EXPECT_EQ(Scroll(), std::min<long long>(target, (long long)width * zoom - w));
                ExpectPaints(box, QRect(0, 0, w, h));
                // An exposure inside the view and across the strip, as after a short scroll.
                ExpectPaints(box, QRect(w / 3, h / 2 - 5, w - w / 3, 7));
            }
        }
        box->SetZoom(1);
    }
    // Dragging the thumb moves the view once it is released.
    QScrollBar* bar = Win().ScrollBox->horizontalScrollBar();
    bar->setValue(0);
    bar->setSliderDown(true);
    bar->setSliderPosition(5000);
    EXPECT_EQ(Scroll(), 0);
    bar->setSliderDown(false);
    EXPECT_EQ(Scroll(), 5000);
    EXPECT_TRUE(ui.boxes.empty());
}

// The menus are the core's table: each command where it says, with its
// caption, keys and enabled state; and every one of them runs, its dialog
// answered.
TEST_F(WindowTest, EveryCommandOfTheTableIsShownAsItSaysAndRuns) {
    TMainWindow& w = Win();
    const auto shown = [&] {
        TCommandState state = CommandState(w.Session(), w.Bitmap() != nullptr);
        state.ZoomIn = w.ScrollBox->NextZoom(1) != 0, state.Zoomed = w.ScrollBox->Zoom() > 1;
        for (const TCommand& c : Commands()) {
            auto* action = w.findChild<QAction*>(QString::fromLatin1(c.Id));
            if (c.Front == TFront::Page || c.Kind == TCommandKind::Submenu ||
                c.Kind == TCommandKind::Choice) {
                EXPECT_FALSE(action) << c.Id;
                continue;
            }
            ASSERT_TRUE(action) << c.Id;
            QList<QKeySequence> keys;
            for (const char* k : c.Keys)
                if (k) keys << QKeySequence(QString::fromLatin1(k), QKeySequence::PortableText);
            EXPECT_EQ(action->text().toStdString(), CaptionOf(c, w.Session())) << c.Id;
            EXPECT_EQ(action->shortcuts(), keys) << c.Id;
            EXPECT_EQ(action->isCheckable(),
                      c.Kind == TCommandKind::Toggle || c.Kind == TCommandKind::Radio)
                << c.Id;
            EXPECT_EQ(action->isEnabled(), Allows(c.Rule, state)) << c.Id;
        }
    };
    shown();
    EXPECT_FALSE(w.LoadPalette1->isEnabled());  // the page once differed
    const std::string path = Open("ab.sft", MakeFont(8, 20, 4, 65, 66));
    shown();
    // Each answered as a user would: a value, a choice, or Cancel.
    ui.numbers = {{{1, 1}}, {{200, 3}}, {{4}}, {{0, 1}}};
    ui.texts = {QStringLiteral("66"), std::nullopt};
    ui.replacements = {std::nullopt};
    ui.tables = {std::nullopt};
    ui.guides = {{TGuidesAnswer::Cancel, {}}};
    ui.references = {{TReferenceAnswer::Cancel, {}}};
    ui.outlines = {std::nullopt};
    ui.saves = {TSaveAnswer::Discard};
    ui.Choose(dir.Path("other.cmp"));
    ui.Cancel(), ui.Cancel(), ui.Cancel();  // Import Picture, Save as BMP, Save SFT As
    const std::vector<std::string> order = {"load-palette",
                                            "draw",
                                            "tool-line",
                                            "tool-rectangle",
                                            "tool-filled-rectangle",
                                            "tool-select",
                                            "tool-pencil",
                                            "mirror",
                                            "colours-shown",
                                            "boundaries",
                                            "guides",
                                            "status-bar",
                                            "flip-horizontal",
                                            "flip-vertical",
                                            "shift-left",
                                            "shift-right",
                                            "shift-up",
                                            "shift-down",
                                            "outline",
                                            "bold",
                                            "shadow",
                                            "insert-char",
                                            "set-width",
                                            "fit-width",
                                            "delete-char",
                                            "undo",
                                            "redo",
                                            "revert",
                                            "copy-glyph",
                                            "copy-strip",
                                            "paste-glyph",
                                            "replace-colour",
                                            "select-all",
                                            "go-to",
                                            "char-table",
                                            "build-accented",
                                            "check-text",
                                            "zoom-in",
                                            "actual-size",
                                            "zoom-in",
                                            "zoom-out",
                                            "set-guides",
                                            "reference-glyph",
                                            "text-preview",
                                            "import-picture",
                                            "new-from-outline",
                                            "save-bmp",
                                            "save-sft",
                                            "save-sft-as",
                                            "about",
                                            "flip-horizontal",
                                            "exit"};
    std::set<std::string> run = {"open-sft"};
    for (const std::string& id : order) {
        auto* action = w.findChild<QAction*>(QString::fromStdString(id));
        ASSERT_TRUE(action && action->isEnabled()) << id;
        action->trigger();
        run.insert(id);
        shown();
    }
    // A pixel selection's keys and the code pages have tests of their own.
    for (const TCommand& c : Commands()) {
        if (c.Front != TFront::Page && c.Kind != TCommandKind::Submenu &&
            c.Kind != TCommandKind::Key && c.Kind != TCommandKind::Choice) {
            EXPECT_TRUE(run.count(c.Id)) << c.Id << " was not run";
        }
    }
    EXPECT_EQ(ui.abouts, 1);
    EXPECT_TRUE(w.QuitRequested());
    EXPECT_TRUE(ui.numbers.empty() && ui.texts.empty() && ui.answers.empty() && ui.saves.empty());
    for (const Box& b : ui.boxes) EXPECT_NE(b.Caption, "Quillmere") << b.Text;
}

// Load Palette reads with the reader of the type chosen, a dropped palette
// with the reader of its extension. Every command is all or nothing: what it
// refuses or fails at leaves everything as it was.
TEST_F(WindowTest, CommandsChangeAllOrNothing) {
    std::exception_ptr error;  // what the next picture build throws
    Win([&](std::unique_ptr<TBitmap>& bmp, const TSftFont& f, const TPalette& p, IInfoList& info) {
        BuildFontPicture(bmp, f, p, info);
        if (error) std::rethrow_exception(std::exchange(error, nullptr));
    });
    fs::create_directory(dir.Path("folder.sft"));
    const ByteVec f8 = MakeFont(8, 30, 2);
    WriteFile(dir.Path("y.SFT"), f8);
    WriteFile(dir.Path("notes.txt"), MakeCMP(kOther));
    WriteFile(dir.Path("bad.sft"), MakeFont(24, 2, 2));
    WriteFile(dir.Path("257.sft"), MakeFont(8, 2, 2, 0, 256));  // one more than the list holds
    QImage rgb(3, 1, QImage::Format_RGB32);
    rgb.fill(qRgb(1, 2, 3));  // not in any pattern palette
    rgb.save(QString::fromStdString(dir.Path("rgb.png")));
    // Drops the files (a name with ':' as a URL) and says whether the drop was taken.
    const auto drop = [&](const std::vector<std::string>& names) {
        QList<QUrl> urls;
        for (const std::string& n : names)
            urls << (n.find(':') != std::string::npos
                         ? QUrl(QString::fromStdString(n))
                         : QUrl::fromLocalFile(QString::fromStdString(dir.Path(n))));
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&Win(), &enter);
        QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&Win(), &dropped);
        return enter.isAccepted();
    };
    const Snapshot empty = Snap();
    EXPECT_FALSE(drop({"other.cmp"}));  // a palette needs a font shown
    EXPECT_EQ(Snap(), empty);
    EXPECT_TRUE(drop({"y.SFT"}));
    EXPECT_EQ(Win().SFT_Open.FileName.toStdString(), dir.Path("y.SFT"));
    Win().ASCIIList->setCurrentRow(4);
    const auto load = [&](const char* name, int type) {
        Run(Win().LoadPalette1, name, type);
        EXPECT_EQ(Win().PAL_Open.FilterIndex, type);  // remembered for the next run
    };
    const auto dropped = [&](std::vector<std::string> names, bool taken) {
        return [&drop, names, taken] { EXPECT_EQ(drop(names), taken); };
    };
    const auto failing = [&](std::exception_ptr e, std::function<void()> command) {
        return [&error, e, command] { error = e, command(); };
    };
    const Box failed{"Error", kErrorLoadingPalette}, refused{"Warning", kInvalidSFT};
    struct Case {
        std::function<void()> command;
        std::vector<Box> boxes;
        TPalette palette;
    };
    int row = 0;
    for (const Case& c : std::vector<Case>{
             {[&] { load("other.bm", 1); }, {{"Warning", kInvalidCMP}, failed}, kDefault},
             {[&] { load("other.bm", 2); }, {}, kOther},
             {[&] { load("uicolormap.cmp", 1); }, {}, kDefault},
             {dropped({"folder.sft"}, false), {}, kDefault},
             {dropped({"notes.txt"}, false), {}, kDefault},
             {dropped({"https://example.org/a.sft"}, false), {}, kDefault},
             {dropped({"y.SFT", "other.cmp"}, false), {}, kDefault},
             {dropped({"other.cmp"}, true), {}, kOther},
             {dropped({"uicolormap.cmp"}, true), {}, kDefault},
             {dropped({"other.bm"}, true), {}, kOther},
             {dropped({"flat.bm"}, true), {{"Warning", kBMNoPalette}, failed}, kOther},
             {[&] { Open("bad.sft"); }, {refused}, kOther},
             {[&] { Open("257.sft"); }, {refused}, kOther},
             {failing(std::make_exception_ptr(std::bad_alloc()), [&] { Open("y.SFT"); }),
              {{"Quillmere", "Out of memory."}},
              kOther},
             {failing(std::make_exception_ptr(EToolkitError(kBitmapNotValid)),
                      [&] { load("uicolormap.cmp", 1); }),
              {{"Quillmere", "Bitmap image is not valid."}},
              kOther},
             {[&] { Run(Win().SaveasBMP1, "missing/y.BMP"); },
              {{"Quillmere", "Cannot create file " + dir.Path("missing/y.BMP") + "."}},
              kOther},
             {[&] { Run(Win().ImportPicture1, "folder.sft"); },
              {{"Quillmere", "Cannot import " + dir.Path("folder.sft") + ": Is a directory."}},
              kOther},
             {[&] { ui.yesNo = {false}, Run(Win().ImportPicture1, "rgb.png"); },
              {{"Question",
                "3 pixels of the picture have colours that the palette in use lacks, the first "
                "at x 0, y 0.\n\nMove them to the nearest colours of the palette?"}},
              kOther},
             {[&] { ui.Cancel(), Win().SaveSFTAs1->trigger(); }, {}, kOther},
             {[&] { ui.outlines = {std::nullopt}, Win().NewFontFromOutline1->trigger(); },
              {{"New Font from Outline Font", ""}},
              kOther},
             {[&] { Run(Win().SaveSFTAs1, "missing/y.SFT"); },
              {{"Quillmere", "Cannot create file " + dir.Path("missing/y.SFT") + "."}},
              kOther},
             {[&] { QGuiApplication::clipboard()->clear(), Win().PasteGlyph1->trigger(); },
              {{"Quillmere", "The clipboard holds no picture to paste."}},
              kOther},
             {[&] {
                  QGuiApplication::clipboard()->setImage(rgb);
                  ui.yesNo = {false}, Win().PasteGlyph1->trigger();
              },
              {{"Question",
                "3 pixels of the picture have colours that the palette in use lacks, the first "
                "at x 0, y 0.\n\nMove them to the nearest colours of the palette?"}},
              kOther},
             {[&] {
                  ui.tables = {std::nullopt, Win().CharTable()};  // a cancel, an unchanged table
                  Win().CharTable1->trigger(), Win().CharTable1->trigger();
              },
              {{"Character Table", "4"}, {"Character Table", "4"}},
              kOther}}) {
        SCOPED_TRACE(row++);
        ui.boxes.clear();
        Snapshot want = Snap();
        want.Held = want.Shown = ReferenceBmp(f8, c.palette);
        want.Palette = c.palette;
        c.command();
        EXPECT_EQ(ui.boxes, c.boxes);
        EXPECT_EQ(Snap(), want);
    }
    EXPECT_EQ(ui.dialogs.back().FileName.toStdString(), dir.Path("y.SFT"));  // Save SFT As proposed
    Open("Title.g.SFT", f8);  // the loaded palette serves the next 8-bit font
    EXPECT_EQ(Held(), ReferenceBmp(f8, kOther));
    // The export proposes the font's name, next in the folder saved to last.
    Run(Win().SaveasBMP1, "folder.sft/x.BMP");
    EXPECT_EQ(ui.dialogs.back().FileName, "Title.g.BMP");
    EXPECT_EQ(ReadFile(dir.Path("folder.sft/x.BMP")), ReferenceBmp(f8, kOther));
    ui.Cancel(), Win().SaveasBMP1->trigger();
    EXPECT_EQ(ui.dialogs.back().FileName.toStdString(), dir.Path("folder.sft/Title.g.BMP"));
}

// Import, edit the table, save, read back; while there are unsaved changes,
// what would lose them asks first, and a failed save keeps them.
TEST_F(WindowTest, EditsSavesAndAsksBeforeChangesAreLost) {
    const std::string path = Open("e.sft", MakeFont(8, 4, 2, 65, 66));
    QImage pic(5, 2, QImage::Format_Indexed8), rgb(2, 1, QImage::Format_RGB32);
    pic.setColorTable(QList<QRgb>(256, qRgb(0, 0, 0)));
    for (int i = 0; i < 10; ++i) pic.setPixel(i % 5, i / 5, uint(i * 20));
    rgb.setPixel(0, 0, qRgb(0, 0, 0)), rgb.setPixel(1, 0, qRgb(16, 21, 26));  // none, entry 1
    pic.save(QString::fromStdString(dir.Path("i.png")));
    rgb.save(QString::fromStdString(dir.Path("rgb.bmp")));
    ui.yesNo = {true};
    Run(Win().ImportPicture1, "rgb.bmp");
    EXPECT_EQ(ui.dialogs.back().FileName, "e.BMP");  // what Save as BMP would write
    const SharedBytes& pixels = Win().FontData().Pixels;
    EXPECT_EQ(ByteVec(pixels.begin(), pixels.end()), (ByteVec{17, 1}));  // (0, 5, 10) is nearest
    Run(Win().ImportPicture1, "i.png");
    // The codes, the boundaries and the status bar follow the table at once.
    Win().StatusBar1->trigger();
    QMouseEvent move(QEvent::MouseMove, QPointF(4, 1), QPointF(4, 1), Qt::NoButton, {}, {});
    QCoreApplication::sendEvent(Win().ScrollBox->viewport(), &move);
    Win().ASCIIList->setCurrentRow(1);
    ui.tables = {{{{65, 0, 1065}, {66, 2, 1066}, {67, 4, 1067}}}, {{{66, 0, 0}}}};
    Win().CharTable1->trigger();
    EXPECT_EQ(Win().statusBar()->currentMessage().toStdString(),
              "x 4, y 1   index 180   RGB 141, 146, 151   code 67 'C'   X 4   Extra 1067");
    Win().StatusBar1->trigger();
    const Snapshot edited = Snap();
    EXPECT_EQ(std::make_tuple(edited.Caption, edited.Codes, edited.Row),
              std::make_tuple("Quillmere : " + path + "*",
                              std::vector<std::string>{"65", "66", "67"}, 1));
    ui.boxes.clear();
    ui.saves = {TSaveAnswer::Cancel, TSaveAnswer::Cancel, TSaveAnswer::Save, TSaveAnswer::Discard};
    Win().OpenSFT1->trigger();
    Win().close();
    fs::rename(path, path + ".away"), fs::create_directory(path);
    ui.choices = {"&Overwrite"};  // a folder in its place is a change
    Win().Exit1->trigger();
    const Box ask{"Save?", "e.sft has unsaved changes. Save them?"};
    const Box changed{"Choice",
                      "e.sft has been changed by another program since it was opened or last "
                      "saved. Overwrite it? [&Overwrite|Save &As...|&Cancel]"};
    EXPECT_EQ(ui.boxes,
              (std::vector<Box>{
                  ask, ask, ask, changed, {"Quillmere", "Cannot create file " + path + "."}}));
    EXPECT_TRUE(Win().isVisible() && !Win().QuitRequested());
    EXPECT_EQ(Snap(), edited);
    fs::remove(path), fs::rename(path + ".away", path);
    Win().SaveSFT1->trigger();
    ByteVec want = SftWriter().Header(1).Range(65, 67, 0, 2).StripHeader(8).Size(5, 2).Bytes();
    for (int i = 0; i < 10; ++i) want.push_back(std::uint8_t(i * 20));
    EXPECT_EQ(ReadFile(path), want);
    Win().ASCIIList->setCurrentRow(0);
    const Snapshot saved = Snap();
    EXPECT_EQ(saved.Caption, "Quillmere : " + path);  // the mark is gone once saved
    Open("e.sft");
    EXPECT_EQ(Snap(), saved);
    Win().CharTable1->trigger();
    Open("e.sft");  // changes discarded
    EXPECT_EQ(Snap(), saved);
    // A strip made from an outline font comes in as one change.
    TOutlineStrip made;
    made.Width = 3, made.Height = 1, made.Pixels = Bytes{4, 5, 6}, made.Table = {{70, 1, 2}};
    ui.outlines = {made};
    Win().NewFontFromOutline1->trigger();
    const SharedBytes& now = Win().FontData().Pixels;
    EXPECT_EQ(std::make_tuple(ByteVec(now.begin(), now.end()), Snap().Codes, Snap().Caption),
              std::make_tuple(ByteVec{4, 5, 6}, std::vector<std::string>{"70"},
                              "Quillmere : " + path + "*"));
    made.Added = true, made.Pixels = Bytes{7, 8}, made.Width = 2, made.Table = {{71, 0, 2}};
    ui.outlines = {made};  // added: the font's glyphs stay, the new ones follow
    Win().NewFontFromOutline1->trigger();
    EXPECT_EQ(
        std::make_tuple(ByteVec(Win().FontData().Pixels.begin(), Win().FontData().Pixels.end()),
                        Win().CharTable(), Win().ASCIIList->currentRow()),
        std::make_tuple(ByteVec{4, 5, 6, 7, 8}, std::vector<TCharEntry>{{70, 1, 2}, {71, 3, 2}},
                        1));
}

// Boundaries at every X and a frame round the selected glyph, drawn over the
// strip at the zoom; the status bar reads out the pixel and character under
// the pointer. Both toggles are kept for the next start.
TEST_F(WindowTest, GlyphBoundariesAndThePointersReadout) {
    SftWriter f;
    f.Header(1).U16(64).U16(67);
    for (std::int32_t x : {10, 30, 10, 500}) f.I32(x).I32(7);
    Open("g.sft", f.StripHeader(8).Size(100, 4).Pixels(400).Bytes());
    TMainWindow& w = Win();
    w.ASCIIList->setCurrentRow(0);
    w.ZoomIn1->trigger();
    QWidget* view = w.ScrollBox->viewport();
    const QImage plain = view->grab().toImage();
    w.GlyphBoundaries1->trigger();
    const QImage shown = view->grab().toImage();
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            // '@' at X 10 runs to the next larger X, 30: columns 20 to 59 at 2x.
            const bool frame =
                y < 8 && ((x == 20 || x == 59) || ((y == 0 || y == 7) && x > 20 && x < 59));
            const bool line = y < 8 && (x == 20 || x == 60);
            const QRgb want = frame  ? TScrollBox::kFrameColor
                              : line ? TScrollBox::kBoundaryColor
                                     : plain.pixel(x, y);
            ASSERT_EQ(shown.pixel(x, y), want) << x << ", " << y;
        }
    // Both copies hold the picture's own pixels, at 1:1 and full height.
    for (const auto& [copy, x0, width] : std::vector<std::tuple<QAction*, int, int>>{
             {w.CopyGlyph1, 10, 20}, {w.CopyStrip1, 0, 100}}) {
        copy->trigger();
        const QImage got = QGuiApplication::clipboard()->image();
        ASSERT_EQ(got.size(), QSize(width, 4));
        EXPECT_EQ(got, PicturePart(*w.Bitmap(), x0, 0, width, 4).convertToFormat(got.format()));
    }
    EXPECT_FALSE(w.statusBar()->isVisible());
    w.StatusBar1->trigger();
    const auto hover = [&](int x, int y) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), QPointF(x, y), Qt::NoButton, {}, {});
        QCoreApplication::sendEvent(view, &move);
        return w.statusBar()->currentMessage().toStdString();
    };
    // Pixel 217 of the pattern is 255; palette entry i is 15i + 1, 15i + 6, 15i + 11.
    EXPECT_EQ(hover(35, 5),
              "x 17, y 2   index 255   RGB 242, 247, 252   code 64 '@'   X 10   Extra 7");
    EXPECT_EQ(hover(8, 0), "x 4, y 0   index 28   RGB 165, 170, 175");  // before the first glyph
    EXPECT_EQ(hover(199, 7),
              "x 99, y 3   index 7   RGB 106, 111, 116   code 65 'A'   X 30   Extra 7");
    EXPECT_EQ(hover(0, 0), "x 0, y 0   index 0   RGB 1, 6, 11");
    EXPECT_EQ(hover(200, 0), "");  // right of the strip
    EXPECT_EQ(hover(5, 8), "");    // below it
    // Pixels 1 and 2 of a 16-bit font are 0x150e and 0x231c; code 255 is the
    // last one that shows as a character.
    SftWriter h;
    Open("h.sft", h.Header(1).Range(255, 256, 0, 2).StripHeader(16).Size(3, 1).Pixels(6).Bytes());
    EXPECT_EQ(w.PixelInfo(1, 0).toStdString(),
              "x 1, y 0   value 0x150e   RGB 16, 160, 112   code 255 '\u00ff'   X 0   Extra 1255");
    EXPECT_EQ(w.PixelInfo(2, 0).toStdString(),
              "x 2, y 0   value 0x231c   RGB 32, 96, 224   code 256   X 2   Extra 1256");
    EXPECT_EQ(w.PixelInfo(0, 1), "");  // below the strip
    w.CopyStrip1->trigger();           // a strip one row high
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(3, 1));
    Open("empty.sft", MakeFont(8, 0, 4));  // no columns: nothing to copy
    EXPECT_FALSE(w.CopyStrip1->isEnabled() || w.CopyGlyph1->isEnabled());
    FakeUI user;
    TMainWindow next(user);
    EXPECT_TRUE(next.GlyphBoundaries1->isChecked() && next.StatusBar1->isChecked());
    next.GlyphBoundaries1->trigger();
    next.StatusBar1->trigger();
}

// The text preview draws its lines as sft2bmp --text does, frames the gaps
// of characters the font lacks, marks the lines wider than Width and counts
// them; a glyph clicked selects its row; the PNG saved is the text alone.
TEST_F(WindowTest, TextPreviewLinesGapsWidthClicksAndPng) {
    SftWriter f;
    f.Header(1).U16(64).U16(67);
    for (std::int32_t x : {10, 30, 10, 500}) f.I32(x).I32(7);
    Open("g.sft", f.StripHeader(8).Size(100, 4).Pixels(400).Bytes());
    TMainWindow& w = Win();
    w.TextPreview1->trigger();
    TTextPreview& p = *w.Preview;
    p.Zoom->setValue(2);
    // '@' and 'B' are strip columns 10-29, 'A' 30-99; 'Z' leaves a gap of
    // the average glyph, 37: the lines are 57, 90 and 20 wide.
    p.Text->setPlainText("@Z\nAB\n@");
    EXPECT_EQ(p.Status->text(), "");
    const QImage strip =
        PicturePart(*w.Bitmap(), 0, 0, 100, 4).convertToFormat(QImage::Format_RGB32);
    // Where no glyph is: palette entry 0, as in sft2bmp's picture.
    const QRgb bg = qRgb(1, 6, 11), mark = kFrameColor, black = qRgb(0, 0, 0);
    QImage want(90, 12, QImage::Format_RGB32);
    want.fill(bg);
    QPainter paint(&want);
    for (const auto& [line, x, from, width] : std::vector<std::array<int, 4>>{
             {0, 0, 10, 20}, {1, 0, 30, 70}, {1, 70, 10, 20}, {2, 0, 10, 20}})
        paint.drawImage(x, line * 4, strip.copy(from, 0, width, 4));
    paint.end();
    ui.Choose(dir.Path("t.png"));
    p.SavePicture->click();
    EXPECT_EQ(
        QImage(QString::fromStdString(dir.Path("t.png"))).convertToFormat(QImage::Format_RGB32),
        want);
    const int m = kPreviewMargin;
    for (const auto& [limit, status, wideBar] : std::vector<std::tuple<int, std::string, bool>>{
             {60, "1 of 3 lines are wider than 60 pixels.", true},
             {90, "No line is wider than 90 pixels.", false}}) {
        p.Width->setValue(limit);
        EXPECT_EQ(p.Status->text().toStdString(), status);
        const QImage shown = p.Rendered();
        ASSERT_EQ(shown.size(), QSize(m + std::max(90, limit + 1) * 2, 24));
        // The glyphs at 2x; the gap's frame, one screen pixel, round its inside.
        for (const auto& [x, y, rgb] :
             std::vector<std::tuple<int, int, QRgb>>{{m + 1, 1, want.pixel(0, 0)},
                                                     {m + 40, 3, mark},
                                                     {m + 113, 7, mark},
                                                     {m + 60, 0, mark},
                                                     {m + 41, 1, bg},
                                                     {m + limit * 2, 20, mark},
                                                     {m + limit * 2 - 1, 20, bg},
                                                     {0, 9, wideBar ? mark : black}})
            EXPECT_EQ(shown.pixel(x, y), rgb) << limit << ": " << x << ", " << y;
    }
    // A click on 'B' of the second line selects its row; one on a gap, none.
    QWidget* area = p.findChild<QAbstractScrollArea*>("preview-view")->viewport();
    w.ASCIIList->setCurrentRow(0);
    QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(m + 150, 10));
    EXPECT_EQ(w.ASCIIList->currentRow(), 2);
    QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(m + 50, 2));
    EXPECT_EQ(w.ASCIIList->currentRow(), 2);
    QTest::mouseClick(area, Qt::LeftButton, {}, QPoint(m + 1, 0));  // '@', its top row
    EXPECT_EQ(w.ASCIIList->currentRow(), 0);
    p.Width->setValue(0);
}

// Drawing, a fill, a flip and a paste, each one step; undo and redo move
// the modified mark, and undoing everything saves the file that was opened.
TEST_F(WindowTest, DrawsFillsPastesAndUndoesBackToTheFileOpened) {
    SftWriter f;
    f.Header(1).U16(65).U16(66).I32(0).I32(6).I32(6).I32(6);  // 'A' columns 0-5, 'B' 6-11
    const ByteVec file = f.StripHeader(8).Size(12, 3).Pixels(36).Bytes();
    const std::string path = Open("d.sft", file);
    TMainWindow& w = Win();
    const auto pixels = [&] {
        const SharedBytes& p = w.FontData().Pixels;
        return ByteVec(p.begin(), p.end());
    };
    QWidget* view = w.ScrollBox->viewport();
    const auto click = [&](int x, int y, Qt::MouseButton button, Qt::KeyboardModifiers keys) {
        QTest::mouseClick(view, button, keys, QPoint(x, y));
    };
    const ByteVec opened = pixels();
    click(1, 1, Qt::LeftButton, {});  // not drawing: the view as ever
    EXPECT_EQ(pixels(), opened);
    w.Draw1->trigger();
    TColorPanel& colors = *w.Bridge->Colors;
    EXPECT_TRUE(colors.isVisibleTo(&w));
    const std::uint8_t c = BrightestEntry(kDefault);
    EXPECT_EQ(std::make_pair(colors.Current(), colors.Background()),
              std::make_pair(std::uint16_t(c), std::uint16_t(0)));
    // One stroke: a dab, a line, and on off the strip.
    QTest::mousePress(view, Qt::LeftButton, {}, QPoint(1, 0));
    QTest::mouseMove(view, QPoint(4, 2)), QTest::mouseMove(view, QPoint(40, 2));
    QTest::mouseRelease(view, Qt::LeftButton, {}, QPoint(40, 2));
    ByteVec want = opened;
    for (int at : {1, 14, 15, 28, 29, 30, 31, 32, 33, 34, 35}) want[std::size_t(at)] = c;
    EXPECT_EQ(pixels(), want);
    ExpectPaints(w.ScrollBox, QRect(0, 0, 12, 3));
    EXPECT_EQ(w.Undo1->text(), "&Undo Pencil");
    click(6, 1, Qt::RightButton, Qt::ControlModifier);  // takes 'B''s colour, selects 'B'
    EXPECT_EQ(std::make_pair(colors.Background(), w.ASCIIList->currentRow()),
              std::make_pair(std::uint16_t(opened[18]), 1));
    QTest::mouseClick(colors.Swatches, Qt::LeftButton, {}, QPoint(3 * TSwatches::kCell + 2, 2));
    click(8, 2, Qt::LeftButton, Qt::ShiftModifier);  // 'B''s part of the line only
    for (int at = 30; at < 36; ++at) want[std::size_t(at)] = 3;
    EXPECT_EQ(std::make_pair(pixels(), w.Undo1->text()),
              std::make_pair(want, QString("&Undo Fill")));
    const ByteVec filled = want;
    w.Transforms1[int(TGlyphTransform::FlipHorizontal)]->trigger();  // the core's flip, on 'B'
    const ByteVec flipped = want = pixels();
    EXPECT_EQ(std::make_pair(flipped[6], flipped[11]), std::make_pair(filled[11], filled[6]));
    w.ASCIIList->setCurrentRow(0);
    w.CopyGlyph1->trigger();
    w.ASCIIList->setCurrentRow(1);
    w.PasteGlyph1->trigger();  // the indices as they stand
    for (int y = 0; y < 3; ++y)
        for (int x = 6; x < 12; ++x)
            want[std::size_t(12 * y + x)] = want[std::size_t(12 * y + x - 6)];
    EXPECT_EQ(std::make_pair(pixels(), w.Undo1->text()),
              std::make_pair(want, QString("&Undo Paste Glyph")));
    w.Undo1->trigger(), w.Undo1->trigger();
    EXPECT_EQ(std::make_pair(pixels(), w.Redo1->text()),
              std::make_pair(filled, QString("&Redo Flip Horizontal")));
    w.Redo1->trigger();
    w.SaveSFT1->trigger();
    const auto caption = [&] { return w.windowHandle()->title().toStdString(); };
    ByteVec saved(file.begin(), file.end() - 36);
    saved.insert(saved.end(), flipped.begin(), flipped.end());
    EXPECT_EQ(std::make_pair(ReadFile(path), caption()),
              std::make_pair(saved, "Quillmere : " + path));
    w.Undo1->trigger();
    EXPECT_EQ(caption(), "Quillmere : " + path + "*");
    w.Redo1->trigger();  // back at the state saved: nothing to ask
    EXPECT_EQ(caption(), "Quillmere : " + path);
    for (int i = 0; i < 3; ++i) w.Undo1->trigger();
    EXPECT_FALSE(w.Undo1->isEnabled());
    w.SaveSFT1->trigger();
    EXPECT_EQ(ReadFile(path), file);
    EXPECT_TRUE(ui.boxes.empty());
    // A 16-bit font's colours come from the colour dialog, kept as 5-6-5.
    Open("h.sft", MakeFont(16, 4, 2, 65, 65));
    ui.colors = {QColor(250, 3, 130)};
    colors.CurrentButton->click();
    EXPECT_EQ(std::make_pair(colors.Current(), colors.CurrentButton->text()),
              std::make_pair(std::uint16_t(0xF830), QString("Current: 0xf830")));
}

// Characters in and out through their dialogs, the list following each.
TEST_F(WindowTest, InsertsResizesAndDeletesCharactersThroughTheirDialogs) {
    Open("c.sft", MakeFont(16, 12, 2, 65, 66));  // 'A' 0-5, 'B' 6-11
    TMainWindow& w = Win();
    const auto state = [&] {
        return std::make_tuple(w.CharTable(), w.ASCIIList->currentRow(), w.FontData().Width);
    };
    ui.numbers = {std::vector<std::int64_t>{90, 2}, std::vector<std::int64_t>{4}};
    w.InsertCharacter1->trigger();
    EXPECT_EQ(
        state(),
        std::make_tuple(std::vector<TCharEntry>{{65, 0, 1065}, {90, 6, 2}, {66, 8, 1066}}, 1, 14));
    w.SetWidth1->trigger();
    EXPECT_EQ(
        state(),
        std::make_tuple(std::vector<TCharEntry>{{65, 0, 1065}, {90, 6, 4}, {66, 10, 1066}}, 1, 16));
    w.ASCIIList->setCurrentRow(0);
    w.DeleteCharacter1->trigger();
    EXPECT_EQ(state(), std::make_tuple(std::vector<TCharEntry>{{90, 0, 4}, {66, 4, 1066}}, 0, 10));
    EXPECT_EQ(ui.boxes, (std::vector<Box>{{"Insert Character", "6"}, {"Set Width", "2"}}));
}

// Ctrl and Shift select several rows; a command changes each selected
// glyph once, as one step; Go To Character selects one row alone.
TEST_F(WindowTest, ManyGlyphsAtOnceAndGoToCharacter) {
    SftWriter f;
    f.Header(1).Range(65, 67, 0, 4).StripHeader(8).Size(12, 2);
    ByteVec file = f.Bytes();
    for (int i = 0; i < 24; ++i) file.push_back(i % 4 == 0 ? 1 : 0);  // each glyph's left column
    Open("m.sft", file);
    TMainWindow& w = Win();
    const auto click = [&](int row, Qt::KeyboardModifiers keys) {
        QWidget* list = w.ASCIIList->viewport();
        QTest::mouseClick(list, Qt::LeftButton, keys,
                          w.ASCIIList->visualItemRect(w.ASCIIList->item(row)).center());
    };
    // Ctrl+click adds a row or takes it out, after Select All too.
    for (const auto& [clicks, rows] :
         std::vector<std::pair<std::function<void()>, std::vector<int>>>{
             {[&] { click(0, {}), click(2, Qt::ControlModifier); }, {0, 2}},
             {[&] { click(2, Qt::ControlModifier); }, {0}},
             {[&] { w.SelectAll1->trigger(), click(1, Qt::ControlModifier); }, {0, 2}},
             {[&] { click(0, {}), click(2, Qt::ShiftModifier), click(1, Qt::ControlModifier); },
              {0, 2}}}) {
        clicks();
        EXPECT_EQ(w.Session().Selection(), rows);
        std::vector<int> listed;
        for (int r = 0; r < w.ASCIIList->count(); ++r)
            if (w.ASCIIList->item(r)->isSelected()) listed.push_back(r);
        EXPECT_EQ(listed, rows);
    }
    w.Colours1->trigger();
    w.Bridge->Colors->SetColor(false, 5);
    w.Transforms1[6]->trigger();  // Outline
    const SharedBytes& p = w.FontData().Pixels;
    EXPECT_EQ(ByteVec(p.begin(), p.begin() + 12), (ByteVec{1, 5, 0, 0, 1, 0, 0, 0, 1, 5, 0, 0}));
    ui.replacements = {std::pair<std::uint16_t, std::uint16_t>{5, 9},
                       std::pair<std::uint16_t, std::uint16_t>{7, 3}};
    w.ReplaceColour1->trigger();
    EXPECT_EQ(std::make_pair(int(p[9]), w.Undo1->text()),
              std::make_pair(9, QString("&Undo Replace Colour")));
    ui.texts = {QString("0x42"), QString("Z")};
    w.GoTo1->trigger();
    w.GoTo1->trigger();
    w.ReplaceColour1->trigger();  // B has no 7
    EXPECT_EQ(std::make_tuple(w.Session().Selection(), w.statusBar()->currentMessage()),
              std::make_tuple(std::vector<int>{1}, QString("No pixels changed")));
    EXPECT_EQ(ui.boxes[ui.boxes.size() - 2].Text, "The font has no character 90.");
}

// Qt's decomposition reaches the core: Â is built of A and ^, Ä is refused.
TEST_F(WindowTest, BuildAccentedCharacters) {
    ByteVec file =
        SftWriter().Header(2).Range(65, 65, 0).Range(94, 94, 4).StripHeader(8).Size(8, 6).Bytes();
    file.resize(file.size() + 48, 0);
    file[file.size() - 48 + 5] = 2;                // ^ at row 0
    std::fill(file.end() - 8, file.end() - 6, 1);  // A in the last row
    Open("a.sft", file);
    ui.texts = {QString::fromUtf8("Â Ä")};
    Win().BuildAccented1->trigger();
    EXPECT_EQ(std::make_tuple(Win().FontData().Width, int(Win().FontData().Pixels[3 * 12 + 8])),
              std::make_tuple(12, 2));
    EXPECT_EQ(ui.boxes.back().Text,
              "1 character was not built:\nÄ (U+00C4): the font lacks the mark ¨ (U+00A8)");
}

// Guides found, set for the font's file name and reset; a reference glyph
// under the selected one, refused with a message, cleared; neither reaches
// the picture that is exported.
TEST_F(WindowTest, GuidesAndTheReferenceGlyph) {
    // H in columns 0-3 (ink on rows 1-4), x in 4-7 (rows 3-4).
    const char* rows[] = {"........", "1..1....", "1111....", "1..1.11.", "1..1.11.", "........"};
    SftWriter f;
    f.Header(2).Range('H', 'H', 0).Range('x', 'x', 4).StripHeader(8).Size(8, 6);
    ByteVec file = f.Bytes();
    for (const char* r : rows)
        for (const char* c = r; *c; ++c) file.push_back(*c == '1' ? 1 : 0);
    Open("g.sft", file);
    WriteFile(dir.Path("h.sft"), file);
    TMainWindow& w = Win();
    QWidget* view = w.ScrollBox->viewport();
    const QImage plain = view->grab().toImage();
    const ByteVec held = Held();
    EXPECT_FALSE(w.Guides1->isChecked());
    w.Guides1->trigger();
    EXPECT_EQ(w.ScrollBox->Guides(), (std::vector<int>{1, 3, 5}));
    const QImage lined = view->grab().toImage();
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 10; ++x)
            ASSERT_EQ(lined.pixel(x, y), x < 8 && (y == 1 || y == 3 || y == 5)
                                             ? TScrollBox::kGuideColor
                                             : plain.pixel(x, y))
                << x << ", " << y;
    ui.guides = {{TGuidesAnswer::Set, {2, std::nullopt, 6}}, {TGuidesAnswer::Reset, {}}};
    w.Guides1->trigger();  // setting them turns them on
    w.SetGuides1->trigger();
    EXPECT_EQ(std::make_tuple(w.Guides1->isChecked(), w.ScrollBox->Guides(),
                              QSettings().value("guides/g.sft").toString()),
              std::make_tuple(true, std::vector<int>{2, 6}, QString("2,,6")));
    Open("h.sft");
    EXPECT_EQ(w.ScrollBox->Guides(), (std::vector<int>{1, 3, 5}));
    Open("g.sft");
    w.SetGuides1->trigger();  // Reset
    EXPECT_EQ(std::make_tuple(w.ScrollBox->Guides(), QSettings().contains("guides/g.sft")),
              std::make_tuple(std::vector<int>{1, 3, 5}, false));
    EXPECT_EQ(ui.boxes, (std::vector<Box>{{"Guides", "1 3 5 6"}, {"Guides", "2 - 6 6"}}));
    w.Guides1->trigger();
    EXPECT_TRUE(w.ScrollBox->Guides().empty());

    // x's ink under H's background: columns 1-2 of rows 3-4, half and half.
    WriteFile(dir.Path("other.sft"), file);
    ui.boxes.clear();
    const auto refer = [&](TReferenceAnswer Answer, const char* Text, std::string Font = {}) {
        ui.references.push_back({Answer, {Text, QString::fromStdString(Font)}});
        w.ReferenceGlyph1->trigger();
        return view->grab().toImage();
    };
    const QImage under = refer(TReferenceAnswer::Set, "x");
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x) {
            const bool faint = (x == 1 || x == 2) && (y == 3 || y == 4);
            ASSERT_EQ(under.pixel(x, y) != plain.pixel(x, y), faint) << x << ", " << y;
        }
    EXPECT_EQ(qRed(under.pixel(1, 3)), 9);  // red 16 of entry 1 over 1 of entry 0
    refer(TReferenceAnswer::Set, "Z");
    refer(TReferenceAnswer::Set, "x", dir.Path("other.cmp"));
    EXPECT_EQ(refer(TReferenceAnswer::Set, "U+0078", dir.Path("other.sft")), under);
    EXPECT_EQ(Held(), held);  // what Save as BMP and the copies take
    EXPECT_EQ(refer(TReferenceAnswer::None, ""), plain);
    std::string said;  // each dialog opens on the last reference set
    for (const Box& b : ui.boxes) said += b.Text + '\n';
    EXPECT_EQ(said,
              "|\nx|\nThe font has no character 90.\nx|\nother.cmp is not an SFT font that "
              "can be read.\nx|\nU+0078|" +
                  dir.Path("other.sft") + '\n');
}

}  // namespace

namespace {

// A space, a, and the ogonek at Code: a builds into ą.
ByteVec OgonekFont(std::uint16_t Code) {
    return FileOf(BoxFont({{' ', {0, 0, 0, 0}}, {'a', {1, 4, 5, 5}}, {Code, {3, 0, 2, 2}}}));
}

void ChooseCodePage(TMainWindow& W, const QString& Name) {
    for (QAction* a : W.CodePage1->menu()->actions())
        if (a->text() == Name) return a->trigger();
    ADD_FAILURE() << "no code page " << Name.toStdString();
}

}  // namespace

// View > Code Page: the list's tips, Go To and where Build Accented puts a
// letter follow it; it is kept for the font's file name.
TEST_F(WindowTest, TheCodePageIsKeptPerFileAndDecidesTheCharacters) {
    WriteFile(dir.Path("unicode.sft"), OgonekFont(0xB2));
    Open("cp1250.sft", OgonekFont(0xB2));
    TMainWindow& w = Win();
    ChooseCodePage(w, "Windows-1250");
    ui.texts = {QString::fromUtf8("˛"), QString::fromUtf8("ą")};
    w.GoTo1->trigger();
    EXPECT_EQ(w.Session().Selection(), std::vector<int>{2});
    w.BuildAccented1->trigger();
    EXPECT_EQ(w.CharTable().back().Code, 0xB9);
    struct Case {
        const char* File;
        QString Page, Tip;  // the page checked, row 2's tip
    };
    ui.saves = {TSaveAnswer::Discard};  // the letter built
    for (const Case& c : {Case{"unicode.sft", "Unicode", "²  U+00B2"},
                          Case{"cp1250.sft", "Windows-1250", "˛  U+02DB"}}) {
        SCOPED_TRACE(c.File);
        Open(c.File);
        QString checked;
        for (QAction* a : w.CodePage1->menu()->actions())
            if (a->isChecked()) checked += a->text();
        EXPECT_EQ(
            std::make_tuple(checked, w.ASCIIList->item(2)->text(), w.ASCIIList->item(2)->toolTip()),
            std::make_tuple(c.Page, QString("178"), c.Tip));
    }
}

// Check Text: the count, the list under the code page, Build Accented as one
// step undone whole, Add from Outline Font with the rest, a click in the text.
TEST_F(WindowTest, CheckTextListsWhatIsMissingAndBuildsItAsOneStep) {
    Open("cp1250.sft", OgonekFont(0xB2));
    TMainWindow& w = Win();
    ChooseCodePage(w, "Windows-1250");
    w.CheckText1->trigger();
    TCheckText& check = *w.Checker;
    check.Text->setPlainText(QString::fromUtf8("ąa ł\t☃\n"));
    const auto rows = [&] {
        std::vector<std::string> out;
        for (int i = 0; i < check.Missing->topLevelItemCount(); ++i) {
            std::string row;
            for (int c = 0; c < 4; ++c)
                row += check.Missing->topLevelItem(i)->text(c).toStdString() + "|";
            out.push_back(row);
        }
        return std::make_pair(check.Summary->text().toStdString(), out);
    };
    const auto all =
        std::make_pair(std::string("3 of 5 characters are missing."),
                       std::vector<std::string>{"ł|U+0142|179|draw or add from an outline font|",
                                                "ą|U+0105|185|build from a and ˛|",
                                                "☃|U+2603||not in Windows-1250|"});
    EXPECT_EQ(rows(), all);
    check.Build->click();
    EXPECT_EQ(rows().first, "2 of 5 characters are missing.");
    EXPECT_EQ(w.Undo1->text(), "&Undo Build Accented Characters");
    w.Undo1->trigger();
    EXPECT_EQ(rows(), all);
    ui.outlines = {std::nullopt};
    check.AddOutline->click();
    ASSERT_EQ(ui.outlineAdds.size(), 1u);
    EXPECT_EQ(std::make_pair(ui.outlineAdds[0].Codes, ui.outlineAdds[0].CodePage),
              std::make_pair(std::vector<std::uint16_t>{179}, std::string("Windows-1250")));
    QTextCursor at(check.Text->document());
    at.setPosition(1);  // before a
    QTest::mouseClick(check.Text->viewport(), Qt::LeftButton, {},
                      check.Text->cursorRect(at).center() + QPoint(2, 0));
    EXPECT_EQ(w.Session().Selection(), std::vector<int>{1});
    check.Text->setPlainText(QString::fromUtf8("a a"));
    EXPECT_EQ(rows().first, "All 2 characters are in the font.");
}

// The drawing tools through the strip's keys and real pointer events: each
// gesture one step of its name, the pixel selection's frame on the view, the
// mirror, and the tool kept for the next run.
TEST_F(WindowTest, DrawingToolsByKeyAndPointer) {
    SftWriter f;
    f.Header(1).U16(65).U16(66).I32(0).I32(6).I32(6).I32(6);  // 'A' columns 0-5, 'B' 6-11
    Open("t.sft", f.StripHeader(8).Size(12, 3).Pixels(36).Bytes());
    TMainWindow& w = Win();
    w.resize(800, 600);
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.Draw1->trigger();
    w.ScrollBox->setFocus();
    QWidget* view = w.ScrollBox->viewport();
    const auto drag = [&](QPoint From, QPoint To, Qt::KeyboardModifiers Keys = {}) {
        QTest::mousePress(view, Qt::LeftButton, Keys, From);
        QTest::mouseMove(view, To);
        QTest::mouseRelease(view, Qt::LeftButton, Keys, To);
    };
    const auto at = [&](int x, int y) { return w.FontData().Pixels.data()[12 * y + x]; };
    const std::uint8_t c = BrightestEntry(kDefault);
    struct Case {
        int key;
        Qt::KeyboardModifiers keys;
        QPoint from, to;
        QString step;
        std::vector<QPoint> drawn;
    };
    for (const Case& k : std::vector<Case>{
             {Qt::Key_L, {}, {1, 0}, {5, 2}, "Line", {{1, 0}, {2, 1}, {3, 1}, {5, 2}}},
             {Qt::Key_U, {}, {6, 0}, {8, 2}, "Rectangle", {{6, 0}, {8, 0}, {6, 2}, {7, 2}}},
             {Qt::Key_U, Qt::ShiftModifier, {9, 0}, {11, 1}, "Filled Rectangle", {{10, 1}}},
         }) {
        SCOPED_TRACE(k.step.toStdString());
        QTest::keyClick(w.ScrollBox, Qt::Key(k.key), k.keys);
        EXPECT_EQ(ToolName(w.Session().Tool()), k.step.toStdString());
        drag(k.from, k.to);
        EXPECT_EQ(w.Undo1->text(), "&Undo " + k.step);
        for (const QPoint p : k.drawn) EXPECT_EQ(at(p.x(), p.y()), c);
    }
    // Select: a frame dragged out, moved by an arrow and kept with Enter.
    QTest::keyClick(w.ScrollBox, Qt::Key_M);
    drag({1, 0}, {2, 1});  // not at 0, 0, which QTest takes for the view's centre
    EXPECT_EQ(w.ScrollBox->PixelFrame(), (TPixelRect{1, 0, 3, 2}));
    QTest::keyClick(w.ScrollBox, Qt::Key_Right);
    EXPECT_EQ(std::make_pair(at(1, 0), at(2, 0)), std::make_pair(std::uint8_t(0), c));
    QTest::keyClick(w.ScrollBox, Qt::Key_Return);
    EXPECT_EQ(std::make_pair(w.Undo1->text(), w.ScrollBox->PixelFrame()),
              std::make_pair(QString("&Undo Move Pixels"), TPixelRect{}));
    // The pencil mirrored in 'B' (columns 6-11): column 7 is drawn at 10 too.
    w.findChild<QAction*>("mirror")->trigger();
    QTest::keyClick(w.ScrollBox, Qt::Key_B);
    drag({7, 2}, {7, 2});
    EXPECT_EQ(std::make_pair(at(7, 2), at(10, 2)), std::make_pair(c, c));
    EXPECT_EQ(QSettings().value("draw/tool").toString(), "tool-pencil");
}

// Selected pixels moved by the keys and by a drag, some moves before the
// view is painted: the screen shows what painting it whole shows.
TEST_F(WindowTest, MovedPixelsShowAsARepaintWould) {
    SftWriter f;
    f.Header(1).U16(65).U16(66).I32(0).I32(20).I32(20).I32(20);
    Open("m.sft", f.StripHeader(8).Size(40, 8).Pixels(320).Bytes());
    TMainWindow& w = Win();
    w.resize(800, 600);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    w.ZoomIn1->trigger(), w.ZoomIn1->trigger();
    w.Draw1->trigger();
    w.ScrollBox->setFocus();
    QWidget* view = w.ScrollBox->viewport();
    const int z = w.ScrollBox->Zoom();
    const auto px = [&](int x, int y) { return QPoint(x * z + 1, y * z + 1); };
    const auto screen = [&] {
        QCoreApplication::processEvents();
        const QPoint at = view->mapTo(&w, QPoint(0, 0));
        return w.screen()
            ->grabWindow(w.winId(), at.x(), at.y(), view->width(), view->height())
            .toImage();
    };
    const auto shown = [&](const char* Where) {
        const QImage moved = screen();
        view->update();
        EXPECT_EQ(moved, screen()) << Where;
    };
    QTest::keyClick(w.ScrollBox, Qt::Key_M);
    QTest::mousePress(view, Qt::LeftButton, {}, px(2, 1));
    QTest::mouseMove(view, px(6, 5));
    QTest::mouseRelease(view, Qt::LeftButton, {}, px(6, 5));
    shown("marked");
    QTest::keyClick(w.ScrollBox, Qt::Key_Right), QTest::keyClick(w.ScrollBox, Qt::Key_Right);
    shown("two arrows");
    QTest::keyClick(w.ScrollBox, Qt::Key_Down), QTest::keyClick(w.ScrollBox, Qt::Key_Left);
    QTest::keyClick(w.ScrollBox, Qt::Key_Down);
    shown("three arrows");
    QTest::mousePress(view, Qt::LeftButton, {}, px(4, 3));
    QTest::mouseMove(view, px(9, 2));
    shown("dragged");
    QTest::mouseMove(view, px(8, 3));
    QTest::mouseRelease(view, Qt::LeftButton, {}, px(8, 3));
    EXPECT_EQ(w.ScrollBox->PixelFrame(), (TPixelRect{7, 3, 12, 8}));
    shown("dropped");
}
