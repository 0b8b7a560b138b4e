#include "dialogs/outlinedialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "dialogs/colorfield.h"
#include "dialogs/systemfonts.h"
#include "edit/charedit.h"
#include "edit/glyphstyle.h"
#include "session/commands.h"
#include "session/display.h"
#include "views/scrollbox.h"

namespace {

const char* const kCodePages[] = {"CP1250",     "CP1251",     "CP1252",      "CP1253", "CP1254",
                                  "CP1257",     "CP437",      "CP850",       "CP866",  "ISO-8859-1",
                                  "ISO-8859-2", "ISO-8859-5", "ISO-8859-15", "KOI8-R"};

}  // namespace

struct TOutlineDialog::TJob {
    std::string File;
    int Face = 0;
    TOutlineRequest Request;
    std::optional<TCodePage> Page;
    TCoverageColors Colors;
    int Generation = 0;
};

namespace {
// The strip of a job, or why there is none.
template <class Job>
std::pair<std::optional<TOutlineStrip>, QString> Render(const Job& job,
                                                        std::unique_ptr<TOutlineFace>& face,
                                                        std::pair<std::string, int>& opened) {
    try {
        if (!face || opened != std::pair(job.File, job.Face)) {
            face.reset();
            face = std::make_unique<TOutlineFace>(job.File, job.Face);
            opened = {job.File, job.Face};
        }
        TOutlineRequest request = job.Request;
        request.CodePage = job.Page ? &*job.Page : nullptr;
        return {MakeOutlineStrip(*face, request, job.Colors), {}};
    } catch (const EFontError& e) {
        return {std::nullopt, QString::fromStdString(job.File + ": " + e.what())};
    } catch (const std::bad_alloc&) {
        return {std::nullopt, QStringLiteral("Out of memory")};
    }
}
}  // namespace

// One thread that renders the latest settings; a job posted while one runs
// replaces any that waits.
struct TOutlineDialog::TWorker {
    explicit TWorker(TOutlineDialog* Dialog) : thread([this, Dialog] { Loop(Dialog); }) {}
    ~TWorker() {
        {
            std::lock_guard lock(mutex);
            stop = true;
            cancel = true;
        }
        wake.notify_all();
        thread.join();
    }
    void Post(TJob Job) {
        {
            std::lock_guard lock(mutex);
            next = std::move(Job);
            cancel = true;
        }
        wake.notify_all();
    }
    void Loop(TOutlineDialog* Dialog) {
        std::unique_ptr<TOutlineFace> face;
        std::pair<std::string, int> opened;
        for (;;) {
            TJob job;
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [this] { return stop || next; });
                if (stop) return;
                job = std::move(*next);
                next.reset();
                cancel = false;
            }
            job.Request.Cancel = &cancel;
            auto [strip, why] = Render(job, face, opened);
            {
                // Settings changed meanwhile: their strip is what counts.
                std::lock_guard lock(mutex);
                if (next || stop) continue;
            }
            QMetaObject::invokeMethod(
                Dialog,
                [Dialog, gen = job.Generation, s = std::move(strip), w = why] {
                    Dialog->shown_ = std::max(Dialog->shown_, gen);
                    Dialog->Show(s, w);
                },
                Qt::QueuedConnection);
        }
    }

    std::mutex mutex;
    std::condition_variable wake;
    std::optional<TJob> next;
    bool stop = false;
    std::atomic<bool> cancel = false;
    std::thread thread;
};

TOutlineDialog::TOutlineDialog(QWidget* Parent, const TEditedFont& Font, const TPalette& Palette,
                               IUserInterface& UI)
    : QDialog(Parent), font_(Font), palette_(Palette), ui_(UI) {
    setWindowTitle(tr("New Font from Outline Font"));
    auto* form = new QFormLayout;

    Mode = new QComboBox(this);
    Mode->addItems({tr("Replace the font's glyphs"), tr("Add the characters the font lacks")});
    form->addRow(tr("&Make:"), Mode);

    SystemFont = new QComboBox(this);
    QString defaultFile;
    const std::vector<TSystemFont> fonts = SystemFonts(defaultFile);
    SystemFont->addItem(tr("(a file)"));
    for (const TSystemFont& f : fonts) SystemFont->addItem(f.Name, QVariant::fromValue(f.File));
    for (std::size_t i = 0; i < fonts.size(); ++i)
        SystemFont->setItemData(int(i) + 1, fonts[i].Index, Qt::UserRole + 1);
    form->addRow(tr("&Outline font:"), SystemFont);

    FontFile = new QLineEdit(this);
    Browse = new QPushButton(tr("&Browse..."), this);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(FontFile, 1);
    fileRow->addWidget(Browse);
    auto* fileLabel = new QLabel(tr("&File:"), this);
    fileLabel->setBuddy(FontFile);
    form->addRow(fileLabel, fileRow);
    Face = new QSpinBox(this);
    Face->setRange(0, 0xFFFF);
    form->addRow(tr("F&ace:"), Face);

    Size = new QSpinBox(this);
    Size->setRange(0, 1024);
    Size->setSuffix(tr(" px"));
    Size->setSpecialValueText(tr("the largest that fits"));
    MatchSize = new QCheckBox(tr("Match the font's &letters"), this);
    auto* sizeRow = new QHBoxLayout;
    sizeRow->addWidget(Size, 1);
    sizeRow->addWidget(MatchSize);
    auto* sizeLabel = new QLabel(tr("&Size:"), this);
    sizeLabel->setBuddy(Size);
    form->addRow(sizeLabel, sizeRow);

    Chars = new QLineEdit(this);
    std::vector<std::uint16_t> codes;
    for (const TCharEntry& e : font_.Table()) codes.push_back(e.Code);
    std::sort(codes.begin(), codes.end());
    codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
    Chars->setText(QString::fromStdString(codes.empty() ? "32-126" : FormatCharList(codes)));
    form->addRow(tr("&Characters:"), Chars);

    CodePage = new QComboBox(this);
    CodePage->setEditable(true);
    CodePage->addItem(tr("Unicode"));
    for (const char* page : kCodePages) CodePage->addItem(page);
    form->addRow(tr("Code &page:"), CodePage);

    Mono = new QCheckBox(tr("&Mono (1-bit, not anti-aliased)"), this);
    Hinting = new QComboBox(this);
    Hinting->addItems({tr("No hinting"), tr("Light hinting"), tr("Full hinting")});
    Hinting->setCurrentIndex(1);
    auto* renderRow = new QHBoxLayout;
    renderRow->addWidget(Mono);
    renderRow->addWidget(Hinting);
    form->addRow(tr("Rendering:"), renderRow);

    Spacing = new QSpinBox(this);
    Spacing->setRange(0, 256);
    Spacing->setSuffix(tr(" px"));
    form->addRow(tr("S&pacing:"), Spacing);

    const int bits = font_.BitsPerPixel();
    Color = new TColorField(bits, palette_, {255, 255, 255}, this);
    Background = new TColorField(bits, palette_, {0, 0, 0}, this);
    Color->SetIndex(BrightestEntry(palette_));
    Background->SetIndex(DarkestEntry(palette_));
    form->addRow(bits == 8 ? tr("C&olour:") : tr("C&olour (R,G,B):"), Color);
    form->addRow(bits == 8 ? tr("Bac&kground:") : tr("Bac&kground (R,G,B):"), Background);

    MatchColors = new QCheckBox(tr("Match the font's colo&urs, row by row"), this);
    form->addRow(QString(), MatchColors);

    // The outline's and the shadow's colours, as the glyphs' colour is given.
    OutlineColor = new TColorField(bits, palette_, {96, 96, 96}, this);
    ShadowColor = new TColorField(bits, palette_, {48, 48, 48}, this);
    Outline = new QCheckBox(tr("Ou&tline, colour:"), this);
    auto* outlineRow = new QHBoxLayout;
    outlineRow->addWidget(Outline);
    outlineRow->addWidget(OutlineColor, 1);
    form->addRow(tr("Effects:"), outlineRow);
    Shadow = new QCheckBox(tr("S&hadow, colour:"), this);
    ShadowRight = new QSpinBox(this);
    ShadowDown = new QSpinBox(this);
    auto* shadowRow = new QHBoxLayout;
    shadowRow->addWidget(Shadow);
    shadowRow->addWidget(ShadowColor, 1);
    // The Shadow dialog's fields, with a key of their own here.
    const std::span<const TCommandField> fields = CommandOf("shadow").Fields;
    for (const auto& [box, field] : {std::pair{ShadowRight, fields[0]}, {ShadowDown, fields[1]}}) {
        box->setRange(int(field.Min), int(field.Max));
        box->setValue(int(field.Value));
        auto* label = new QLabel(box == ShadowRight ? tr("&Right:") : tr("&Down:"), this);
        label->setBuddy(box);
        shadowRow->addWidget(label);
        shadowRow->addWidget(box);
    }
    form->addRow(QString(), shadowRow);
    const auto effectsEnabled = [this] {
        OutlineColor->setEnabled(Outline->isChecked());
        for (QWidget* w : std::initializer_list<QWidget*>{ShadowColor, ShadowRight, ShadowDown})
            w->setEnabled(Shadow->isChecked());
    };
    effectsEnabled();

    Preview = new TScrollBox(this);
    Preview->setMinimumSize(480, std::clamp(font_.Font().Height + 40, 80, 240));
    auto* zoom = new QComboBox(this);
    for (int f : TScrollBox::kZooms) zoom->addItem(QStringLiteral("%1x").arg(f), f);
    connect(zoom, &QComboBox::currentIndexChanged, this, [this, zoom] {
        if (Preview->ZoomFits(zoom->currentData().toInt()))
            Preview->SetZoom(zoom->currentData().toInt());
    });
    Status = new QLabel(this);
    Status->setWordWrap(true);
    auto* statusRow = new QHBoxLayout;
    statusRow->addWidget(Status, 1);
    statusRow->addWidget(new QLabel(tr("Zoom:"), this));
    statusRow->addWidget(zoom);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(Preview, 1);
    layout->addLayout(statusRow);
    layout->addWidget(buttons);

    fontOpen_.Title = tr("Outline Font");
    fontOpen_.Filter = QStringLiteral(
        "Outline fonts|*.ttf *.otf *.ttc *.otc *.pfb *.pfa *.woff *.woff2|Bitmap fonts|*.bdf *.pcf "
        "*.pcf.gz *.fnt *.fon *.otb|All files|*");

    connect(buttons, &QDialogButtonBox::accepted, this, &TOutlineDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TOutlineDialog::reject);
    connect(Browse, &QPushButton::clicked, this, &TOutlineDialog::ChooseFile);
    connect(SystemFont, &QComboBox::activated, this, &TOutlineDialog::UseSystemFont);
    connect(FontFile, &QLineEdit::textChanged, this, [this] {
        SystemFont->setCurrentIndex(0);
        SettingsChanged();
    });
    const auto changed = [this] { SettingsChanged(); };
    for (QSpinBox* box : {Face, Size, Spacing, ShadowRight, ShadowDown})
        connect(box, &QSpinBox::valueChanged, this, changed);
    for (QCheckBox* box : {Outline, Shadow}) {
        connect(box, &QCheckBox::toggled, this, effectsEnabled);
        connect(box, &QCheckBox::toggled, this, changed);
    }
    connect(Chars, &QLineEdit::textChanged, this, changed);
    connect(CodePage, &QComboBox::currentTextChanged, this, changed);
    connect(Mono, &QCheckBox::toggled, this, changed);
    for (QCheckBox* box : {MatchSize, MatchColors})
        connect(box, &QCheckBox::toggled, this, changed);
    connect(Mode, &QComboBox::currentIndexChanged, this, &TOutlineDialog::ModeChanged);
    // What "match" stands in for is greyed while it does.
    connect(MatchSize, &QCheckBox::toggled, Size, &QWidget::setDisabled);
    connect(MatchColors, &QCheckBox::toggled, this, [this](bool On) {
        Color->setDisabled(On);
        Background->setDisabled(On);
    });
    for (QCheckBox* box : {MatchSize, MatchColors}) box->setEnabled(false);
    connect(Hinting, &QComboBox::currentIndexChanged, this, changed);
    for (TColorField* field : {Color, Background, OutlineColor, ShadowColor})
        connect(field, &TColorField::Changed, this, changed);

    worker_ = std::make_unique<TWorker>(this);
    const auto start = std::find_if(fonts.begin(), fonts.end(),
                                    [&](const TSystemFont& f) { return f.File == defaultFile; });
    if (start != fonts.end())
        UseSystemFont(int(start - fonts.begin()) + 1);
    else
        SettingsChanged();
}

void TOutlineDialog::ModeChanged() {
    const bool add = Mode->currentIndex() == 1;
    for (QCheckBox* box : {MatchSize, MatchColors}) {
        box->setEnabled(add);
        box->setChecked(add);
    }
    SettingsChanged();
}

void TOutlineDialog::UseSystemFont(int Index) {
    if (Index <= 0) return;
    {
        const QSignalBlocker quiet(FontFile), quietFace(Face);
        FontFile->setText(SystemFont->itemData(Index).toString());
        Face->setValue(SystemFont->itemData(Index, Qt::UserRole + 1).toInt());
    }
    SystemFont->setCurrentIndex(Index);
    SettingsChanged();
}

TOutlineDialog::~TOutlineDialog() { worker_.reset(); }

bool TOutlineDialog::PreviewPending() const { return shown_ < posted_; }

std::optional<TOutlineDialog::TJob> TOutlineDialog::Settings() {
    TJob job;
    job.File = FontFile->text().toStdString();
    job.Face = Face->value();
    if (job.File.empty()) {
        Status->setText(tr("Choose an outline font."));
        return std::nullopt;
    }
    TOutlineRequest& r = job.Request;
    try {
        r.Codes = ParseCharList(Chars->text().toStdString());
    } catch (const EFontError& e) {
        Status->setText(tr("Characters: %1").arg(QString::fromStdString(e.what())));
        return std::nullopt;
    }
    if (CodePage->currentIndex() != 0 || CodePage->currentText() != CodePage->itemText(0)) {
        try {
            job.Page = LoadCodePage(CodePage->currentText().trimmed().toStdString());
        } catch (const EFontError& e) {
            Status->setText(tr("Code page: %1").arg(QString::fromStdString(e.what())));
            return std::nullopt;
        }
    }
    r.Height = font_.Font().Height;
    r.Size = Size->value();
    if (Mode->currentIndex() == 1) {
        r.AddTo = &font_;
        r.Guides = Guides;
        r.MatchSize = MatchSize->isChecked();
        r.MatchColors = MatchColors->isChecked();
        r.Palette = &palette_;
    }
    if (!r.Height && !r.Size) {
        Status->setText(tr("The open font's strip has no height: give a size."));
        return std::nullopt;
    }
    r.Spacing = Spacing->value();
    r.Mode.Mono = Mono->isChecked();
    r.Mode.Hinting = THinting(Hinting->currentIndex());
    if (font_.BitsPerPixel() == 8) {
        job.Colors = CoverageColors8(palette_, Color->Index(), Background->Index());
    } else {
        try {
            job.Colors = CoverageColors16(Color->Rgb(), Background->Rgb());
        } catch (const EFontError& e) {
            Status->setText(tr("Colours: %1").arg(QString::fromStdString(e.what())));
            return std::nullopt;
        }
    }
    TGlyphEffects& effects = r.Effects;
    try {
        if ((effects.Outline = Outline->isChecked())) effects.OutlineColor = OutlineColor->Value();
    } catch (const EFontError& e) {
        Status->setText(tr("Outline: %1").arg(QString::fromStdString(e.what())));
        return std::nullopt;
    }
    try {
        if ((effects.Shadow = Shadow->isChecked())) {
            effects.ShadowColor = ShadowColor->Value();
            effects.Right = ShadowRight->value();
            effects.Down = ShadowDown->value();
            if (std::string why = ShadowRefusal(effects.Right, effects.Down); !why.empty())
                throw EFontError(why);
        }
    } catch (const EFontError& e) {
        Status->setText(tr("Shadow: %1").arg(QString::fromStdString(e.what())));
        return std::nullopt;
    }
    return job;
}

void TOutlineDialog::SettingsChanged() {
    std::optional<TJob> job = Settings();
    if (!job) {
        shown_ = posted_;
        emit PreviewShown();
        return;
    }
    job->Generation = ++posted_;
    worker_->Post(std::move(*job));
}

std::optional<TOutlineStrip> TOutlineDialog::MakeStrip() {
    const std::optional<TJob> job = Settings();
    if (!job) return std::nullopt;
    std::unique_ptr<TOutlineFace> face;
    std::pair<std::string, int> opened;
    auto [strip, why] = Render(*job, face, opened);
    if (!strip) Status->setText(why);
    return strip;
}

void TOutlineDialog::ChooseFile() {
    fontOpen_.FileName = FontFile->text();
    if (ui_.Execute(fontOpen_)) FontFile->setText(fontOpen_.FileName);
}

void TOutlineDialog::Show(const std::optional<TOutlineStrip>& Strip, const QString& Why) {
    if (!Strip) {
        Status->setText(Why);
        emit PreviewShown();
        return;
    }
    // Added glyphs are shown after the font's own, side by side.
    TEditedFont shown = font_;
    try {
        if (Strip->Added) {
            AppendGlyphs(shown, Strip->Width, Bytes(Strip->Pixels), Strip->Table);
        } else {
            shown.ReplaceStrip(Strip->Width, Strip->Height, Bytes(Strip->Pixels));
            shown.SetTable(Strip->Table);
        }
        picture_.LoadFromFont(shown.Font(), palette_);
    } catch (const std::exception& e) {
        Status->setText(QString::fromStdString(e.what()));
        emit PreviewShown();
        return;
    }
    glyphs_ = TStripGeometry(shown.Table(), shown.Font().Width);
    Preview->SetImageWidth(picture_.Width());
    Preview->SetImageHeight(picture_.Height());
    Preview->SetImagePicture(picture_);
    Preview->SetGlyphs(glyphs_, {});
    const QString text = QString::fromStdString(OutlineStripText(*Strip, MatchSize->isChecked()));
    Status->setText(text);
    emit PreviewShown();
}

void TOutlineDialog::accept() {
    result_ = MakeStrip();
    if (!result_) {
        ui_.ShowMessage(Status->text(), TMsgKind::Error);
        return;
    }
    QDialog::accept();
}

void TOutlineDialog::StartAdding(const TOutlineAdd& Add) {
    Chars->setText(QString::fromStdString(FormatCharList(Add.Codes)));
    CodePage->setCurrentText(QString::fromStdString(Add.CodePage));
    Mode->setCurrentIndex(1);
}

std::optional<TOutlineStrip> AskOutlineFont(QWidget* Parent, const TEditedFont& Font,
                                            const TPalette& Palette, IUserInterface& UI,
                                            const TOutlineAdd* Add,
                                            const std::optional<TGuideRows>& Guides) {
    TOutlineDialog dialog(Parent, Font, Palette, UI);
    dialog.Guides = Guides;
    if (Add) dialog.StartAdding(*Add);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Result();
}
