// The session's font, history, colours and journal; its strokes and commands
// are in sessionedit.cpp.
#include "session/session.h"

#include <algorithm>
#include <cstdlib>

#include "image/color.h"

bool OpenableDepth(int BitsPerPixel) { return BitsPerPixel == 8 || BitsPerPixel == 16; }

void TEditSession::Reset() {
    stroke_.reset();
    shape_.reset();
    pick_.reset();
    glyphs_ = TStripGeometry(font_.Table(), font_.Font().Width);
    selection_.clear();
    current_ = -1;
    Reselect(0);
    colors_ = {std::uint16_t(Bits() == 8 ? BrightestEntry(palette_) : 0xFFFF), 0};
}

void TEditSession::Open(TEditedFont Font) {
    font_ = std::move(Font);
    history_.Clear();
    font_.SetModified(false);
    Reset();
    journaled_ = false;
    if (sink_) sink_->End();
}

void TEditSession::Recover(TJournalHistory History) {
    font_ = std::move(History.Font);
    history_.Restore(std::move(History.Steps), History.Done, History.Clean);
    font_.SetModified(!history_.IsClean());
    Reset();
    StartJournal();
}

void TEditSession::Save(const std::string& Path) {
    Settle();
    font_.Save(Path);
    Saved(Path);
}

void TEditSession::Saved(const std::string& Path) {
    font_.Saved(Path);
    history_.SetClean();
    journaled_ = false;
    if (sink_) sink_->End();
}

void TEditSession::ForgetClean() {
    history_.ForgetClean();
    font_.SetModified(true);
}

TGlyphExtent TEditSession::Glyph(int Row) const {
    return Row < 0 || std::size_t(Row) >= font_.Table().size() ? TGlyphExtent{}
                                                               : glyphs_.Extent(std::size_t(Row));
}

bool TEditSession::IsSelected(int Row) const {
    return std::binary_search(selection_.begin(), selection_.end(), Row);
}

void TEditSession::Select(std::vector<int> Rows, int Current) {
    const int rows = int(font_.Table().size());
    std::erase_if(Rows, [rows](int r) { return r < 0 || r >= rows; });
    std::sort(Rows.begin(), Rows.end());
    Rows.erase(std::unique(Rows.begin(), Rows.end()), Rows.end());
    selection_ = std::move(Rows);
    current_ = Current >= 0 && Current < rows ? Current : -1;
}

void TEditSession::SelectAll() {
    selection_.resize(font_.Table().size());
    for (std::size_t r = 0; r < selection_.size(); ++r) selection_[r] = int(r);
    if (current_ < 0 && !selection_.empty()) current_ = 0;
}

void TEditSession::Click(int Row, bool Toggle, bool Range) {
    const int rows = int(font_.Table().size());
    if (Row < 0 || Row >= rows) return;
    if (Range && current_ >= 0) {
        std::vector<int> span;
        for (int r = std::min(current_, Row); r <= std::max(current_, Row); ++r) span.push_back(r);
        if (Toggle) span.insert(span.end(), selection_.begin(), selection_.end());
        return Select(std::move(span), Row);
    }
    if (!Toggle) return Select({Row}, Row);
    std::vector<int> now = selection_;
    if (IsSelected(Row)) {
        std::erase(now, Row);
        // The current row stays where it is still selected.
        const int current = IsSelected(current_) && current_ != Row ? current_
                            : now.empty()                           ? -1
                                                                    : now.front();
        return Select(std::move(now), current);
    }
    now.push_back(Row);
    Select(std::move(now), Row);
}

void TEditSession::Reselect(int Row) {
    const int rows = int(font_.Table().size());
    const int row = std::clamp(Row >= 0 ? Row : current_, 0, std::max(rows - 1, 0));
    if (rows == 0)
        Select({}, -1);
    else
        Select({row}, row);
}

std::vector<TGlyphExtent> TEditSession::SelectedGlyphs() const {
    std::vector<TGlyphExtent> glyphs;
    for (int r : selection_)
        if (const TGlyphExtent g = Glyph(r); g.End > g.Begin) glyphs.push_back(g);
    std::sort(glyphs.begin(), glyphs.end(),
              [](const TGlyphExtent& a, const TGlyphExtent& b) { return a.Begin < b.Begin; });
    glyphs.erase(std::unique(glyphs.begin(), glyphs.end()), glyphs.end());
    return glyphs;
}

void TEditSession::SetColor(bool Background, std::uint16_t Value) {
    colors_[Background ? 1 : 0] = Bits() == 8 ? std::uint8_t(Value) : Value;
}

std::array<std::uint8_t, 3> TEditSession::RgbOf(std::uint16_t Value) const {
    const TRgb c = ValueColor(Bits(), palette_, Value);
    return {c.R, c.G, c.B};
}

TSessionChange TEditSession::Undo() {
    Settle();
    return Toggled(history_.Undo(font_), true);
}

TSessionChange TEditSession::Redo() {
    Settle();
    return Toggled(history_.Redo(font_), false);
}

TSessionChange TEditSession::Toggled(const TEditStep* Step, bool Undone) {
    if (!Step) return {};
    TSessionChange change;
    if (Step->Wholesale()) {
        if (prepare_) {
            try {
                prepare_(font_);
            } catch (...) {
                // What shows the font can't follow: the step stays where it was.
                if (Undone)
                    history_.Redo(font_);
                else
                    history_.Undo(font_);
                throw;
            }
        }
        glyphs_ = TStripGeometry(font_.Table(), font_.Font().Width);
        Reselect(-1);
        change.Kind = TSessionChange::TKind::Font;
        change.Row = current_;
    } else {
        change.Kind = TSessionChange::TKind::Pixels;
        change.Area = Step->Area();
    }
    font_.SetModified(!history_.IsClean());
    Follow(0, Undone ? -1 : 1);
    return change;
}

TSessionChange TEditSession::Keep(std::optional<TEditStep> Step, int Row, bool Prepared) {
    if (!Step) return {};
    const bool wholesale = Step->Wholesale();
    const TPixelRect area = Step->Area();
    if (wholesale && prepare_ && !Prepared) {
        try {
            prepare_(font_);
        } catch (...) {
            Step->Toggle(font_);
            throw;
        }
    }
    std::size_t dropped = 0;
    try {
        dropped = history_.Push(font_, std::move(*Step));
    } catch (...) {
        // Taken back: the font is as it was.
        if (wholesale) glyphs_ = TStripGeometry(font_.Table(), font_.Font().Width);
        throw;
    }
    TSessionChange change;
    change.Kind = wholesale ? TSessionChange::TKind::Font : TSessionChange::TKind::Pixels;
    change.Area = area;
    if (wholesale) {
        glyphs_ = TStripGeometry(font_.Table(), font_.Font().Width);
        Reselect(Row);
        change.Row = current_;
    }
    font_.SetModified(!history_.IsClean());
    Follow(dropped, 0);
    return change;
}

TSessionChange TEditSession::Take(TEditedFont Font, int Row, const char* Name) {
    Settle();
    if (prepare_) prepare_(Font);
    TFontBody before = font_.Body();
    font_ = std::move(Font);
    return Keep(TEditStep(Name, std::move(before), font_), Row, true);
}

void TEditSession::StartJournal() {
    if (!sink_) return;
    journaled_ = true;
    sinceBase_ = 0;
    sink_->Begin([this](const TJournalRecords::TOut& Out) {
        records_.Start(font_, sink_->Stamp(), history_.Steps(), history_.Done(), history_.CleanAt(),
                       Out);
    });
}

void TEditSession::Journal(ByteSpan Record) {
    sink_->Append(Record);
    sinceBase_ += Record.size();
}

void TEditSession::Follow(std::size_t Dropped, int Toggled) {
    if (!sink_) return;
    // Grown much past the history's bound, the journal begins again from the font.
    if (!journaled_ || JournalOvergrown(sinceBase_, history_.Bound())) return StartJournal();
    if (Toggled != 0) return Journal(Toggled < 0 ? records_.Undone() : records_.Redone());
    Journal(records_.Pushed(history_.Newest(), font_));
    if (Dropped) Journal(records_.Dropped(Dropped));
}

std::size_t TEditSession::Changes() const {
    const auto done = std::ptrdiff_t(history_.Done()), clean = history_.CleanAt();
    return std::size_t(clean < 0 ? done : std::abs(done - clean));
}
