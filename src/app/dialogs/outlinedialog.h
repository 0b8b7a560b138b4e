// New Font from Outline Font: a dialog over the open font that renders an
// outline font with FreeType into a new strip and table, with a live preview
// drawn as the view draws it. The rendering runs off the GUI thread, so the
// preview follows typing.
#pragma once

#include <QDialog>
#include <memory>
#include <optional>

#include "font/editfont.h"
#include "font/strip.h"
#include "outline.h"
#include "picture/picture.h"
#include "ui/userinterface.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TColorField;
class TScrollBox;

class TOutlineDialog final : public QDialog {
    Q_OBJECT
public:
    // Font: the open font, whose depth, headers, height and codes the new
    // strip takes; Palette: what its 8-bit pictures are drawn through.
    TOutlineDialog(QWidget* Parent, const TEditedFont& Font, const TPalette& Palette,
                   IUserInterface& UI);
    ~TOutlineDialog() override;

    // Where the font's letters stand, as set for its file; found from them without.
    std::optional<TGuideRows> Guides;
    QComboBox* Mode = nullptr;         // replace the font's glyphs, or add those it lacks
    QCheckBox* MatchSize = nullptr;    // when adding: as tall as the font's own letters
    QCheckBox* MatchColors = nullptr;  // when adding: the font's own colours, row by row
    QComboBox* SystemFont = nullptr;   // fonts fontconfig knows, by name
    QLineEdit* FontFile = nullptr;
    QPushButton* Browse = nullptr;
    QSpinBox* Face = nullptr;
    QSpinBox* Size = nullptr;  // 0: the largest that fits the strip's height
    QLineEdit* Chars = nullptr;
    QComboBox* CodePage = nullptr;  // editable; the first entry is Unicode
    QCheckBox* Mono = nullptr;
    QComboBox* Hinting = nullptr;  // none, light, full
    QSpinBox* Spacing = nullptr;
    TColorField* Color = nullptr;
    TColorField* Background = nullptr;
    // An outline and a shadow on each glyph, off at first; their colours as
    // the glyphs' colour is given.
    QCheckBox* Outline = nullptr;
    TColorField* OutlineColor = nullptr;
    QCheckBox* Shadow = nullptr;
    TColorField* ShadowColor = nullptr;
    QSpinBox* ShadowRight = nullptr;  // -3 to 3, not both 0
    QSpinBox* ShadowDown = nullptr;
    QLabel* Status = nullptr;
    TScrollBox* Preview = nullptr;

    // The strip of the present settings, made now on this thread; nothing,
    // with Status saying why, when it can't be made.
    std::optional<TOutlineStrip> MakeStrip();
    // What OK took; nothing before OK or after Cancel.
    const std::optional<TOutlineStrip>& Result() const { return result_; }
    // Whether a preview is being made or waits to be.
    bool PreviewPending() const;

    void accept() override;
    // Check Text's characters to add, in the Add mode.
    void StartAdding(const TOutlineAdd& Add);

signals:
    // The preview (or why there is none) for the latest settings is shown.
    void PreviewShown();

private:
    struct TJob;
    struct TWorker;
    // The settings as a job for the renderer; nothing, with Status saying
    // why, when they are not valid.
    std::optional<TJob> Settings();
    void SettingsChanged();
    void ChooseFile();
    void UseSystemFont(int Index);
    void Show(const std::optional<TOutlineStrip>& Strip, const QString& Why);
    // Replacing or adding: "match" is for adding, and its default then.
    void ModeChanged();

    const TEditedFont& font_;
    const TPalette palette_;
    IUserInterface& ui_;
    std::optional<TOutlineStrip> result_;
    TBitmap picture_;
    TStripGeometry glyphs_;
    std::unique_ptr<TWorker> worker_;
    TFileDialog fontOpen_;
    int posted_ = 0;  // settings sent to the renderer
    int shown_ = 0;   // of those, the latest shown
};

// Runs the dialog; the new strip and table on OK, nothing on Cancel.
// With Add, it opens to add those codes under that code page.
std::optional<TOutlineStrip> AskOutlineFont(QWidget* Parent, const TEditedFont& Font,
                                            const TPalette& Palette, IUserInterface& UI,
                                            const TOutlineAdd* Add = nullptr,
                                            const std::optional<TGuideRows>& Guides = {});
