// One file's pass: lines are read in the file's encoding, rewritten with the texts in the same
// form, and written with the ends they had.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/code_page.h"
#include "engine/engine.h"
#include "engine/file_layer.h"
#include "engine/line_reader.h"
#include "engine/output_sink.h"
#include "engine/segment_rewrite.h"
#include "engine/text_forms.h"
#include "engine/unit_search.h"

namespace engine::detail {

// How much of the start of a source may show that it is binary.
inline constexpr std::size_t kBinarySample = std::size_t{8} << 10;

class FilePass {
public:
    // Reads the start of the source: a byte-order mark, or the sample that shows UTF-16 without.
    FilePass(InputFile& input, Observer& observer);

    // Whether the source looks binary: a NUL byte in its first kBinarySample bytes, with no
    // UTF-16 or UTF-32 mark and not UTF-16 without one.
    bool binary() const;

    // Copies the source into `output`: completed or stopped. Throws FileError for the source
    // when another program changed it meanwhile.
    FileReport::Outcome run(OutputFile& output, PassStats& stats);

private:
    FileReport::Outcome copy(OutputFile& output, PassStats& stats);
    // 8-bit text is matched in UTF-8 once it reads as UTF-8, otherwise in the 8-bit code page.
    void chooseForm(bool utf8);
    // The rules of the form chosen, or exact ones for texts that keep their letter case.
    void takeRules();

    // Most lines hold no start marker. Such a line that still lies in the read block, with its
    // end, is left where it is and written with its neighbours in one piece; the block is
    // searched for the next start marker once rather than line by line. A start marker that
    // begins in the line must also begin `reach` bytes before where that search stopped.
    // Inlined, as it was before it had a second caller: it runs for every line.
    template <bool Wide>
    [[gnu::always_inline]] inline bool keptAsItIs(const Line& line, const PreparedTexts& texts,
                                                  std::size_t reach = 0);

    void flushRun();
    // Where `find` (npos: nothing) finds the start marker in the first stretch of `rest`, or
    // where that stretch ends.
    template <class Find>
    static std::size_t searchAhead(std::string_view rest, Find find);

    // Lines of code units are converted only where the start marker may lie.
    void convertWhereNeeded(UnitLineReader& reader, const PreparedTexts& texts);

    static void beforeFill(void* context);

    void settle(ByteLineReader& reader, bool& formKnown);
    void settle(UnitLineReader&, bool&) {}

    // Before the source shows a byte past ASCII, the form matters only to texts past ASCII;
    // those settle it by looking ahead in the file being read (called only while the form is
    // not known and a text is past ASCII).
    void lookAhead(ByteLineReader& reader, bool& formKnown, const Texts& texts);
    void lookAhead(UnitLineReader&, bool&, const Texts&) {}

    // Running out of memory throws OutOfMemory naming the line read or written.
    template <class Reader>
    FileReport::Outcome copyLines(Reader& reader, std::int64_t remaining, std::int64_t done,
                                  PassStats& stats);

    static std::string_view endText(LineEnd end);

    // Rewrites a line into the output and ends it with `end`, straight or, with `Gather`
    // (UTF-16, UTF-32) or for the observer, gathered first so that it is converted or handed
    // over in one piece. A huge line is never gathered unless the observer wants it whole.
    // `sourceEnd` is the end the line had, for the observer.
    template <bool Gather>
    void writeLine(std::string_view line, const PreparedTexts& texts, std::string_view end,
                   std::string_view sourceEnd);
    void tellLine(std::string_view before, std::string_view after, std::string_view beforeEnd,
                  std::string_view afterEnd);
    // A long line handed out in pieces, `line` its first: each piece is left as it lies while no
    // start marker begins in it, and from the first where one may, the line is rewritten as far
    // as it is known. Leaves the line's rest in `line`, written with its end, and returns the
    // bytes of the pieces before it.
    std::int64_t writeLongLine(ByteLineReader& reader, Line& line, const PreparedTexts& texts,
                               LineEnd& lastEnd);

    InputFile& input_;
    Observer& observer_;
    std::int64_t total_ = 0;
    // Kept for the whole pass, whatever happens to the locale meanwhile.
    const std::shared_ptr<const CodePage> page_;
    Blocks blocks_;
    TextForms forms_;
    SegmentRewriter rewriter_;
    const CaseRules* rules_ = &CaseRules::unicode();
    // What the start of the source showed: the mark's length and the encoding, if either.
    std::size_t markBytes_ = 0;
    std::optional<TextEncoding> encoding_;
    const CodePage* formPage_ = nullptr;  // of 8-bit lines not matched in UTF-8
    bool exact_ = false;
    std::optional<OutputSink> sink_;
    // Lines kept as they are, still in the block; and the next start marker found there.
    std::string_view run_;
    const char* hit_ = nullptr;
    std::uint64_t hitGeneration_ = 0;
    bool wantsLines_ = false;
    // Lines of code units: where the start marker may lie next in the block, for the texts and
    // rules `searched_` (0: none yet).
    std::size_t unitSize_ = 2;
    bool bigEndian_ = false;
    UnitNeedle unitNeedle_;
    bool searchable_ = false;
    std::uint64_t searched_ = 0;
    const char* unitHit_ = nullptr;
    std::uint64_t unitHitFills_ = 0;
    std::string mark_;  // a UTF-8 mark, until the observer has it with the first line
    std::string rewritten_;
};

}  // namespace engine::detail
