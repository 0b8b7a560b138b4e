// The page's calls into the core, as the script sees them.
#include <emscripten/bind.h>

#include <malloc.h>

#include <string>

#include "page.h"

namespace {

std::string Version() { return QUILL_VERSION; }

// Bytes of the WebAssembly heap in use, for the bench.
double HeapUsed() { return double(mallinfo().uordblks); }

}  // namespace

EMSCRIPTEN_BINDINGS(quillmere) {
    emscripten::function("version", &Version);
    emscripten::function("heapUsed", &HeapUsed);
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
        .function("transform", &TPage::Transform)
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
        .function("takeJournal", &TPage::TakeJournal)
        .function("recover", &TPage::Recover);
}
