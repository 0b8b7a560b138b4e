// The page's calls into the core, as the script sees them.
#include <emscripten/bind.h>

#include <malloc.h>

#include <cstdio>
#include <string>

#include "base/errors.h"
#include "font/editfont.h"
#include "makers/guides.h"
#include "page.h"
#include "picture/textpreview.h"
#include "session/display.h"

namespace {

std::string Version() { return QUILL_VERSION; }

// Bytes of the WebAssembly heap in use, for the bench.
double HeapUsed() { return double(mallinfo().uordblks); }

// 0xAARRGGBB as CSS has it.
std::string Css(std::uint32_t Color) {
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", unsigned(Color & 0xFFFFFF));
    return text;
}

// What the page shows as the window does: its numbers, marks and texts.
val Display() {
    val out = val::object();
    out.set("zoomSteps", ArrayOf(std::vector<int>(kZoomSteps.begin(), kZoomSteps.end())));
    out.set("boundaryColor", Css(kBoundaryColor));
    out.set("frameColor", Css(kFrameColor));
    out.set("guideColor", Css(kGuideColor));
    out.set("guideLabels",
            ArrayOf(std::vector<std::string>(kGuideLabels.begin(), kGuideLabels.end())));
    out.set("referenceThisFont", kReferenceThisFont);
    out.set("referenceOtherFont", kReferenceOtherFont);
    out.set("referenceNoFile", kReferenceNoFile);
    out.set("picturePixelsPerByte", double(kPicturePixelsPerByte));
    out.set("maxChars", int(kMaxChars));
    out.set("maxFileBytes", double(kMaxFontBytes));
    out.set("tooManyChars", kTooManyChars);
    out.set("noPictureToPaste", kNoPictureToPaste);
    out.set("cannotPaste", kCannotPaste);
    out.set("invalidSFT", kInvalidSFT);
    out.set("goToLabel", kGoToLabel);
    out.set("accentsLabel", kAccentsLabel);
    out.set("noPixelsChanged", kNoPixelsChanged);
    out.set("previewMargin", kPreviewMargin);
    out.set("noPreviewToSave", kNoPreviewToSave);
    return out;
}

// A swatch's tip for palette entry Index as the page's palette has it.
std::string SwatchTextOf(const TPage& Page, int Index) {
    const val rgb = Page.RgbOf(Index);
    return SwatchText(Index, rgb[0].as<std::uint8_t>(), rgb[1].as<std::uint8_t>(),
                      rgb[2].as<std::uint8_t>());
}

}  // namespace

EMSCRIPTEN_BINDINGS(quillmere) {
    emscripten::function("version", &Version);
    emscripten::function("heapUsed", &HeapUsed);
    emscripten::function("display", &Display);
    emscripten::function("commands", &CommandTable);
    emscripten::class_<TPage>("Page")
        .constructor<>()
        .function("openFont", &TPage::OpenFont)
        .function("loadPalette", &TPage::LoadPalette)
        .function("hasFont", &TPage::HasFont)
        .function("name", &TPage::Name)
        .function("modified", &TPage::Modified)
        .function("bits", &TPage::Bits)
        .function("width", &TPage::Width)
        .function("height", &TPage::Height)
        .function("infoLines", &TPage::InfoLines)
        .function("table", &TPage::Table)
        .function("boundaries", &TPage::Boundaries)
        .function("entryAt", &TPage::EntryAt)
        .function("exportName", &TPage::ExportName)
        .function("pixels", &TPage::Pixels)
        .function("pixelInfo", &TPage::PixelInfo)
        .function("bmpFile", &TPage::BmpFile)
        .function("sftFile", &TPage::SftFile)
        .function("saved", &TPage::Saved)
        .function("json", &TPage::Json)
        .function("importPixels", &TPage::ImportPixels)
        .function("importBmp", &TPage::ImportBmp)
        .function("undoName", &TPage::UndoName)
        .function("redoName", &TPage::RedoName)
        .function("press", &TPage::Press)
        .function("drag", &TPage::Drag)
        .function("release", &TPage::Release)
        .function("tool", &TPage::Tool)
        .function("stroking", &TPage::Stroking)
        .function("setTool", &TPage::SetTool)
        .function("pixelFrame", &TPage::PixelFrame)
        .function("toolStatus", &TPage::ToolStatus)
        .function("colors", &TPage::Colors)
        .function("setColor", &TPage::SetColor)
        .function("to565", &TPage::To565)
        .function("rgbOf", &TPage::RgbOf)
        .function("swatchText", &SwatchTextOf)
        .function("select", &TPage::Select)
        .function("selection", &TPage::Selection)
        .function("goTo", &TPage::GoTo)
        .function("chooseEntry", &TPage::ChooseEntry)
        .function("codePage", &TPage::CodePage)
        .function("checkText", &TPage::CheckText)
        .function("goToChar", &TPage::GoToChar)
        .function("previewEdit", &TPage::PreviewEdit)
        .function("previewSize", &TPage::PreviewSize)
        .function("previewText", &TPage::PreviewText)
        .function("previewCharAt", &TPage::PreviewCharAt)
        .function("readText", &TPage::ReadText)
        .function("accentCodes", &TPage::AccentCodes)
        .function("buildAccented", &TPage::BuildAccented)
        .function("replaceColor", &TPage::ReplaceColor)
        .function("countColor", &TPage::CountColor)
        .function("colorValueOf", &TPage::ColorValueOf)
        .function("colorValueText", &TPage::ColorValueText)
        .function("tableRows", &TPage::TableRows)
        .function("rowAfter", &TPage::RowAfter)
        .function("sortRows", &TPage::SortRows)
        .function("setTable", &TPage::SetTable)
        .function("glyphPicture", &TPage::GlyphPicture)
        .function("stripPicture", &TPage::StripPicture)
        .function("pastePixels", &TPage::PastePixels)
        .function("guides", &TPage::Guides)
        .function("guideRowOf", &TPage::GuideRowOf)
        .function("setReference", &TPage::SetReference)
        .function("clearReference", &TPage::ClearReference)
        .function("hasReference", &TPage::HasReference)
        .function("outlineStart", &TPage::OutlineStart)
        .function("outlineRefusal", &TPage::OutlineRefusal)
        .function("outlinePreview", &TPage::OutlinePreview)
        .function("newFromOutline", &TPage::NewFromOutline)
        .function("commandStates", &TPage::CommandStates)
        .function("changedCommandStates", &TPage::ChangedCommandStates)
        .function("dialogStart", &TPage::DialogStart)
        .function("dialogRefusal", &TPage::DialogRefusal)
        .function("runCommand", &TPage::RunCommand)
        .function("takeJournal", &TPage::TakeJournal)
        .function("startJournal", &TPage::StartJournal)
        .function("recover", &TPage::Recover);
}
