// The page's calls into the core, as the script sees them.
#include <emscripten/bind.h>

#include <malloc.h>

#include <cstdio>
#include <string>

#include "base/errors.h"
#include "font/editfont.h"
#include "makers/guides.h"
#include "page.h"
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

val Field(const TNumberLimits& Limits) {
    val out = val::object();
    out.set("label", Limits.Label);
    out.set("name", Limits.Name);
    out.set("min", double(Limits.Min));
    out.set("max", double(Limits.Max));
    out.set("wholeNumber", WholeNumberText(Limits));
    return out;
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
    out.set("codeField", Field(kCodeField));
    out.set("widthField", Field(kWidthField));
    out.set("newCellWidth", kNewCellWidth);
    out.set("maxChars", int(kMaxChars));
    out.set("maxFileBytes", double(kMaxFontBytes));
    out.set("tooManyChars", kTooManyChars);
    out.set("noPictureToPaste", kNoPictureToPaste);
    out.set("cannotPaste", kCannotPaste);
    out.set("invalidSFT", kInvalidSFT);
    out.set("shadowRight", Field(kShadowRightField));
    out.set("shadowDown", Field(kShadowDownField));
    out.set("shadowNowhere", kShadowNowhere);
    out.set("goToLabel", kGoToLabel);
    out.set("accentsLabel", kAccentsLabel);
    out.set("noPixelsChanged", kNoPixelsChanged);
    val transforms = val::array();
    for (const TTransformCommand& c : kTransformCommands) {
        val t = val::object();
        t.set("id", c.Id);
        t.set("name", TransformName(c.Transform));
        transforms.call<void>("push", t);
    }
    out.set("transforms", transforms);
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
        .function("spell", &TPage::Spell)
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
        .function("undo", &TPage::Undo)
        .function("redo", &TPage::Redo)
        .function("press", &TPage::Press)
        .function("drag", &TPage::Drag)
        .function("release", &TPage::Release)
        .function("colors", &TPage::Colors)
        .function("setColor", &TPage::SetColor)
        .function("to565", &TPage::To565)
        .function("rgbOf", &TPage::RgbOf)
        .function("swatchText", &SwatchTextOf)
        .function("select", &TPage::Select)
        .function("selectAll", &TPage::SelectAll)
        .function("selection", &TPage::Selection)
        .function("goTo", &TPage::GoTo)
        .function("accentCodes", &TPage::AccentCodes)
        .function("buildAccented", &TPage::BuildAccented)
        .function("transform", &TPage::Transform)
        .function("shadow", &TPage::Shadow)
        .function("replaceColor", &TPage::ReplaceColor)
        .function("countColor", &TPage::CountColor)
        .function("colorValueOf", &TPage::ColorValueOf)
        .function("colorValueText", &TPage::ColorValueText)
        .function("whyNotInsert", &TPage::WhyNotInsert)
        .function("whyNotResize", &TPage::WhyNotResize)
        .function("insertCharacter", &TPage::InsertCharacter)
        .function("deleteCharacter", &TPage::DeleteCharacter)
        .function("setWidth", &TPage::SetWidth)
        .function("tableRows", &TPage::TableRows)
        .function("rowAfter", &TPage::RowAfter)
        .function("sortRows", &TPage::SortRows)
        .function("setTable", &TPage::SetTable)
        .function("glyphPicture", &TPage::GlyphPicture)
        .function("pastePixels", &TPage::PastePixels)
        .function("guides", &TPage::Guides)
        .function("guideRowOf", &TPage::GuideRowOf)
        .function("setReference", &TPage::SetReference)
        .function("clearReference", &TPage::ClearReference)
        .function("hasReference", &TPage::HasReference)
        .function("takeJournal", &TPage::TakeJournal)
        .function("recover", &TPage::Recover);
}
