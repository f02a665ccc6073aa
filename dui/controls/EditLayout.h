#pragma once
// EditLayout: the visual lines of a multi-line editor over its EditBlocks.
//
// A line covers the units [start, end] (end inclusive). A line ends at an LF
// (break kind Lf, end = the LF), at a CR LF pair (kind CrLf, end = the LF),
// or before the unit that would make it wider than the available width
// (kind None); there is no word wrapping, and every line holds at least one
// unit, so a width narrower than any character still makes progress. A CR
// without an LF after it breaks the line like an LF. When the text is empty
// or ends with a break, the last line is empty: start = length, end =
// start - 1. Free of any operating system.

#include "dui/controls/CharWidths.h"
#include "dui/controls/EditBlocks.h"

#include <cstdint>
#include <vector>

namespace nelvo {

struct EditLine {
    enum Break : int32_t { None = 0, Lf = 1, CrLf = 2 };
    int32_t start = 0;
    int32_t end = -1;
    Break breakKind = None;

    // The units drawn and measured: the line without its break.
    int32_t contentEnd() const { return breakKind == CrLf ? end - 1 : breakKind == Lf ? end : end + 1; }
};

class EditLayout {
public:
    EditLayout();

    // Lays out the whole text for `availableWidth` pixels per line.
    void layoutAll(const EditBlocks& text, CharWidths& widths, int32_t availableWidth);
    // After `text` changed at `at`: `inserted` units were inserted there, or
    // `removed` units starting there were deleted. Lays out again from the
    // line before the change through the end of its paragraph; the lines
    // after it only shift.
    void update(const EditBlocks& text, CharWidths& widths, int32_t availableWidth, int32_t at, int32_t inserted,
                int32_t removed);

    int32_t count() const { return static_cast<int32_t>(lines_.size()); }
    const EditLine& line(int32_t k) const { return lines_[static_cast<size_t>(k)]; }
    // The line an index stands on: the last line starting at or before it.
    int32_t lineOf(int32_t index) const;

private:
    // Lays out [from, to) of `text` (to: after a break, or the text's end)
    // into `out`; with `finish` (the range reaches the end) appends the
    // empty last line if needed.
    static void layoutRange(const EditBlocks& text, CharWidths& widths, int32_t availableWidth, int32_t from,
                            int32_t to, bool finish, std::vector<EditLine>& out);

    std::vector<EditLine> lines_;
};

} // namespace nelvo
