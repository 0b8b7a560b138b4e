// The text preview: a tool window where typed, pasted or opened lines are
// drawn with the font's glyphs as the game lays them out, at a zoom of its
// own: the one last chosen, or until one is chosen the largest at which the
// whole text fits. The gaps of characters the font lacks are framed, and
// the lines wider than the Width field are marked.
#pragma once

#include <QWidget>
#include <optional>

#include "font/strip.h"
#include "picture/textpreview.h"
#include "text/codepage.h"
#include "ui/userinterface.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

// Open Text...: the file's text as the core reads it (a .po's msgstr lines),
// without its last line break; none, the reason shown, when it can't be read.
std::optional<QString> ReadTextFile(const QString& Path, IUserInterface& UI);

class TTextPreview final : public QWidget {
    Q_OBJECT
public:
    explicit TTextPreview(IUserInterface& UI, QWidget* Parent = nullptr);

    // Page: what character each of the font's codes stands for.
    void SetFont(const TSftFont& Font, const TPalette& Palette, const TStripGeometry& Glyphs,
                 const TCodePageMap& Page);
    QPlainTextEdit* Text = nullptr;
    QPushButton* OpenText = nullptr;
    QSpinBox* Zoom = nullptr;   // 1 to 16; a choice is kept in the settings
    QSpinBox* Width = nullptr;  // pixels, 0 for none; kept in the settings
    QLabel* Status = nullptr;   // how many lines are wider, or why nothing is drawn
    QPushButton* SavePicture = nullptr;
    TFileDialog TextOpen{.Title = QStringLiteral("Open Text"),
                         .Filter = QStringLiteral("Texts (TXT, PO)|*.txt *.po *.pot|All files|*")};
    TFileDialog PngSave{.Title = QStringLiteral("Save Preview as PNG"),
                        .Filter = QStringLiteral("PNG pictures|*.png"),
                        .DefaultExt = QStringLiteral("png"),
                        .Save = true};
    // The preview as shown, marks and all; null when too large to draw.
    QImage Rendered() const;
    // The text at 1:1 without marks: what Save Preview as PNG writes. Throws
    // EFontError for a picture larger than a BMP file holds.
    QImage Picture() const;
    void OpenFile(const QString& Path);
    void SavePng(const QString& Path);

signals:
    // A glyph of the picture clicked.
    void CharClicked(char32_t Char);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    class TArea;
    void Redraw();
    void Fit();

    IUserInterface& ui_;
    TArea* area_ = nullptr;
    bool chosen_ = false;
};
