#include "engine/file_pass.h"

#include <algorithm>
#include <new>
#include <type_traits>

#include "engine/unicode.h"

namespace engine::detail {
namespace {

constexpr std::size_t kBlock = std::size_t{1} << 20;
constexpr std::int64_t kBackgroundWrite = std::int64_t{4} << 20;
constexpr std::size_t kSearchAhead = std::size_t{4} << 20;

struct Mark {
    std::string_view bytes;
    TextEncoding encoding;
};

// UTF-32 LE's mark begins like UTF-16 LE's, so it is looked for first.
constexpr Mark kMarks[] = {
    {{"\xFF\xFE\0\0", 4}, TextEncoding::utf32le}, {{"\0\0\xFE\xFF", 4}, TextEncoding::utf32be},
    {"\xFF\xFE", TextEncoding::utf16le},          {"\xFE\xFF", TextEncoding::utf16be},
    {"\xEF\xBB\xBF", TextEncoding::utf8},
};

// UTF-16 without a mark, where the start of a source shows it unmistakably: a NUL in the high
// byte of every unit and in no low one (no 8-bit text looks like that). An incomplete last unit
// is left out.
std::optional<TextEncoding> unmarkedUtf16(std::string_view head) {
    const std::size_t units = std::min(head.size(), kUtf8Sample) / 2;
    if (units == 0 || (head[0] == '\0') == (head[1] == '\0')) return std::nullopt;
    const std::size_t high = head[0] == '\0' ? 0 : 1;
    for (std::size_t i = 0; i < units; ++i) {
        if (head[2 * i + high] != '\0' || head[2 * i + 1 - high] == '\0') return std::nullopt;
    }
    return high == 0 ? TextEncoding::utf16be : TextEncoding::utf16le;
}

OutputForm formOf(TextEncoding encoding) {
    switch (encoding) {
        case TextEncoding::utf16le:
            return OutputForm::utf16le;
        case TextEncoding::utf16be:
            return OutputForm::utf16be;
        case TextEncoding::utf32le:
            return OutputForm::utf32le;
        case TextEncoding::utf32be:
            return OutputForm::utf32be;
        default:
            return OutputForm::bytes;
    }
}

}  // namespace

FilePass::FilePass(InputFile& input, Observer& observer)
    : input_(input),
      observer_(observer),
      page_(CodePage::current()),
      blocks_(input, kBlock),
      rewriter_(CaseRules::unicode()) {
    blocks_.ensure(kUtf8Sample);  // a byte-order mark, or the sample that shows UTF-16 without
    const std::string_view head = blocks_.unread();
    for (const Mark& m : kMarks) {
        if (head.substr(0, m.bytes.size()) == m.bytes) {
            markBytes_ = m.bytes.size();
            encoding_ = m.encoding;
            break;
        }
    }
    if (!encoding_) encoding_ = unmarkedUtf16(head);
}

bool FilePass::binary() const {
    if (encoding_ && encoding_ != TextEncoding::utf8) return false;
    return blocks_.unread().substr(0, kBinarySample).find('\0') != std::string_view::npos;
}

FileReport::Outcome FilePass::run(OutputFile& output, PassStats& stats) {
    FileReport::Outcome result;
    try {
        result = copy(output, stats);
    } catch (const FileError&) {
        // Where the source changed meanwhile, that is why its output could not be written.
        input_.checkUnchanged();
        throw;
    }
    input_.checkUnchanged();
    return result;
}

FileReport::Outcome FilePass::copy(OutputFile& output, PassStats& stats) {
    // A stream is read until it ends.
    const bool sized = input_.size() != InputFile::kUnknownSize;
    const std::int64_t remaining = sized ? static_cast<std::int64_t>(input_.size()) : INT64_MAX;
    total_ = sized ? remaining + 2 : -1;
    observer_.progress(0, total_);

    const std::optional<TextEncoding> encoding = encoding_;
    // A large source read in place is written on a thread of its own meanwhile.
    sink_.emplace(output, formOf(encoding.value_or(TextEncoding::codePage)),
                  blocks_.mapped() && sized && remaining >= kBackgroundWrite);
    // The same mark, counted at once.
    sink_->appendRaw(blocks_.unread().substr(0, markBytes_));
    if (encoding == TextEncoding::utf8) mark_ = blocks_.unread().substr(0, markBytes_);
    blocks_.consume(markBytes_);
    const auto done = static_cast<std::int64_t>(markBytes_);
    if (done != 0) observer_.progress(done, total_);
    FileReport::Outcome result;
    if (encoding && encoding != TextEncoding::utf8) {
        const bool utf32 = encoding == TextEncoding::utf32le || encoding == TextEncoding::utf32be;
        const bool bigEndian =
            encoding == TextEncoding::utf16be || encoding == TextEncoding::utf32be;
        UnitLineReader reader(blocks_, utf32 ? 4 : 2, bigEndian);
        unitSize_ = utf32 ? 4 : 2;
        bigEndian_ = bigEndian;
        forms_.setCodePage(nullptr);
        result = copyLines(reader, remaining - done, done, stats);
        stats.encoding = *encoding;
    } else {
        ByteLineReader reader(blocks_, true);
        if (encoding) reader.decide(true);
        result = copyLines(reader, remaining - done, done, stats);
        stats.encoding = reader.utf8() ? TextEncoding::utf8 : TextEncoding::codePage;
    }
    stats.segments = rewriter_.segments;
    stats.replacements = rewriter_.replacements;
    sink_->flush();
    return result;
}

void FilePass::chooseForm(bool utf8) {
    formPage_ = utf8 ? nullptr : &page_->eightBit();
    forms_.setCodePage(formPage_);
    takeRules();
}

void FilePass::takeRules() {
    rules_ = exact_                 ? &CaseRules::exact()
             : formPage_ != nullptr ? &formPage_->rules()
                                    : &CaseRules::unicode();
    rewriter_.setRules(*rules_);
    hit_ = nullptr;  // found by other rules
}

template <bool Wide>
bool FilePass::keptAsItIs(const Line& line, const PreparedTexts& texts, std::size_t reach) {
    const std::string_view raw = line.raw;
    // A line handed out unconverted holds nothing the start marker needs.
    if (line.converted && ((line.end == LineEnd::none && !line.more) || raw.empty())) return false;
    if (line.converted && texts.active) {
        if (texts.start.text.empty()) return false;
        if constexpr (Wide) {
            if (rules_->find(line.text, texts.start.text, 0, texts.start.plan(*rules_)) !=
                CaseRules::npos) {
                return false;
            }
        } else {
            // 8-bit lines are the block's own bytes: it is searched once for all of them.
            const std::string_view unread = blocks_.unread();
            if (hit_ == nullptr || hit_ < raw.data() || hitGeneration_ != forms_.generation()) {
                const std::string_view rest(raw.data(), unread.size() + raw.size());
                hit_ =
                    rest.data() + searchAhead(rest, [&](auto ahead) {
                        return rules_->find(ahead, texts.start.text, 0, texts.start.plan(*rules_));
                    });
                hitGeneration_ = forms_.generation();
            }
            if (static_cast<std::size_t>(hit_ - raw.data()) < line.text.size() + reach) {
                return false;
            }
        }
    }
    if (wantsLines_) tellLine(line.text, line.text, endText(line.end), endText(line.end));
    if (run_.data() + run_.size() != raw.data()) {
        flushRun();
        run_ = std::string_view(raw.data(), 0);
    }
    run_ = std::string_view(run_.data(), run_.size() + raw.size());
    // Written straight from the block once it is large, and not held on to.
    if (run_.size() >= kBlock) flushRun();
    return true;
}

template <class Find>
std::size_t FilePass::searchAhead(std::string_view rest, Find find) {
    // A whole file read in place is not searched to its end at once, which would bring every
    // page of it into memory. No match lies wholly before the place returned, and one that
    // reaches past it begins in the line that holds it, which is therefore not kept as it is.
    const std::string_view ahead = rest.substr(0, kSearchAhead);
    const std::size_t at = find(ahead);
    return at != CaseRules::npos ? at : ahead.size();
}

void FilePass::flushRun() {
    // Lines kept lie in the block, which stays as it is until the output is flushed where the
    // source is read in place.
    if (!run_.empty()) sink_->appendRaw(run_, blocks_.mapped());
    run_ = {};
}

void FilePass::beforeFill(void* context) {
    auto* pass = static_cast<FilePass*>(context);
    pass->flushRun();
    pass->hit_ = nullptr;
}

void FilePass::settle(ByteLineReader& reader, bool& formKnown) {
    if (!formKnown && reader.decided()) {
        chooseForm(reader.utf8());
        formKnown = true;
    }
}

void FilePass::lookAhead(ByteLineReader& reader, bool& formKnown, const Texts& texts) {
    // A source all in ASCII is written as UTF-8 in a UTF-8 locale, or where the 8-bit code page
    // has no letters past ASCII.
    reader.decide(judgeAhead(blocks_).value_or(page_->isUtf8() || page_->eightBit().asciiOnly()));
    settle(reader, formKnown);
    forms_.update(texts);
}

template <class Reader>
FileReport::Outcome FilePass::copyLines(Reader& reader, std::int64_t remaining, std::int64_t done,
                                        PassStats& stats) {
    constexpr bool wide = std::is_same_v<Reader, UnitLineReader>;
    bool formKnown = wide;
    exact_ = observer_.texts().caseSensitive;
    if (!formKnown) chooseForm(false);
    takeRules();
    settle(reader, formKnown);
    wantsLines_ = observer_.wantsLines();
    // The observer of each line wants it whole.
    if constexpr (!wide) reader.handOutPieces(!wantsLines_);
    blocks_.beforeFill(&FilePass::beforeFill, this);
    LineEnd lastEnd = LineEnd::crLf;
    Line line;
    bool read = false;  // whether `line` is being worked on, rather than read
    try {
        while (remaining > 0) {
            if (observer_.stopRequested()) {
                flushRun();
                return FileReport::Outcome::stopped;
            }
            const Texts current = observer_.texts();
            if (current.caseSensitive != exact_) {
                exact_ = current.caseSensitive;
                takeRules();
            }
            if constexpr (wide) convertWhereNeeded(reader, forms_.update(current));
            // A source that shrank since it was measured ends early rather than invent lines.
            read = false;
            if (!reader.next(line)) break;
            read = true;
            settle(reader, formKnown);
            const PreparedTexts& texts = forms_.update(current);
            if (!formKnown && forms_.pastAscii()) lookAhead(reader, formKnown, current);
            const LineEnd end = line.end == LineEnd::none ? lastEnd : line.end;
            lastEnd = end;
            const std::string_view sourceEnd = line.end == LineEnd::none ? "" : endText(end);
            if constexpr (wide) {
                if (!keptAsItIs<true>(line, texts)) {
                    flushRun();
                    // Only an incomplete unit after the last line's end makes a line empty and
                    // open.
                    if (!line.text.empty() || line.end != LineEnd::none) {
                        writeLine<true>(line.text, texts, endText(end), sourceEnd);
                    }
                    sink_->appendRaw(reader.trailing());  // carried through as it was
                }
            } else if (line.more) [[unlikely]] {
                const std::int64_t pieces = writeLongLine(reader, line, texts, lastEnd);
                done += pieces;
                remaining -= pieces;
            } else if (!keptAsItIs<false>(line, texts)) {
                flushRun();
                // A last line that is a lone NUL at an odd offset is the second byte of a UTF-16
                // unit: an end after it would leave half a unit.
                const bool halfUnit = line.end == LineEnd::none && done % 2 == 1 &&
                                      line.text == std::string_view("", 1);
                writeLine<false>(line.text, texts, halfUnit ? "" : endText(end), sourceEnd);
            }
            ++stats.lines;
            // A last line without an end counts two bytes for the end it is given.
            const auto accounted =
                static_cast<std::int64_t>(line.bytes) + (line.end == LineEnd::none ? 2 : 0);
            done += accounted;
            remaining -= accounted;
            observer_.progress(done, total_);
        }
        flushRun();
    } catch (const std::bad_alloc&) {
        throw OutOfMemory(read ? line.bytes : reader.taken(), read);
    }
    return FileReport::Outcome::completed;
}

void FilePass::convertWhereNeeded(UnitLineReader& reader, const PreparedTexts& texts) {
    const std::uint64_t key = 2 * forms_.generation() + (exact_ ? 1 : 0);
    if (key != searched_) {
        searched_ = key;
        unitHit_ = nullptr;
        searchable_ =
            !wantsLines_ && (!texts.active || unitNeedle_.set(texts.start.text, texts.start.anchor,
                                                              exact_, unitSize_, bigEndian_));
    }
    if (!searchable_) return reader.convertFrom(nullptr);
    const std::string_view unread = blocks_.unread();
    const std::size_t count = unread.size() / unitSize_;
    if (!texts.active) return reader.convertFrom(unread.data() + unitSize_ * count);
    // The block is searched once for all the lines before the next place the marker may lie.
    if (unitHit_ == nullptr || unitHit_ < unread.data() || unitHitFills_ != blocks_.fills()) {
        const std::string_view whole = unread.substr(0, unitSize_ * count);
        const std::size_t at = searchAhead(whole, [&](auto ahead) {
            const std::size_t found = unitNeedle_.find(
                reinterpret_cast<const unsigned char*>(ahead.data()), ahead.size() / unitSize_, 0);
            return found * unitSize_ >= ahead.size() ? CaseRules::npos : found * unitSize_;
        });
        unitHit_ = unread.data() + at;
        unitHitFills_ = blocks_.fills();
    }
    reader.convertFrom(unitHit_);
}

std::string_view FilePass::endText(LineEnd end) {
    switch (end) {
        case LineEnd::lf:
            return "\n";
        case LineEnd::cr:
            return "\r";
        default:
            return "\r\n";
    }
}

std::int64_t FilePass::writeLongLine(ByteLineReader& reader, Line& line, const PreparedTexts& texts,
                                     LineEnd& lastEnd) {
    std::int64_t before = 0;
    // The pieces lie one after another in the block, which never moves: the line so far is one
    // view, from the first piece that was not kept as it is.
    const char* rewriteFrom = nullptr;
    const auto known = [&] {
        return std::string_view(rewriteFrom, line.text.data() + line.text.size() - rewriteFrom);
    };
    while (line.more) {
        // A start marker may begin near the end of a piece and reach past where the search for
        // it stopped.
        if (rewriteFrom != nullptr || !keptAsItIs<false>(line, texts, texts.start.text.size())) {
            flushRun();
            if (rewriteFrom == nullptr) rewriteFrom = line.text.data();
            rewriter_.appendKnown(known(), false, texts, *sink_);
        }
        before += static_cast<std::int64_t>(line.bytes);
        // A piece is never the last of the source. Where its rest settles the source's form,
        // the texts are in ASCII (other texts settled it before the first piece), which both
        // forms match alike: the next line takes the form.
        reader.next(line);
    }
    // The rest of the line, with its end.
    const LineEnd end = line.end == LineEnd::none ? lastEnd : line.end;
    lastEnd = end;
    if (rewriteFrom != nullptr) {
        rewriter_.appendKnown(known(), true, texts, *sink_);
        sink_->append(endText(end));
    } else if (!keptAsItIs<false>(line, texts)) {
        flushRun();
        writeLine<false>(line.text, texts, endText(end), "");
    }
    return before;
}

template <bool Gather>
void FilePass::writeLine(std::string_view line, const PreparedTexts& texts, std::string_view end,
                         std::string_view sourceEnd) {
    if (!wantsLines_ && (!Gather || line.size() >= kBlock)) {
        rewriter_.append(line, texts, *sink_);
        sink_->append(end);
        return;
    }
    rewritten_.clear();
    rewriter_.append(line, texts, rewritten_);
    if (wantsLines_) tellLine(line, rewritten_, sourceEnd, end);
    rewritten_.append(end);
    sink_->append(rewritten_);
}

void FilePass::tellLine(std::string_view before, std::string_view after, std::string_view beforeEnd,
                        std::string_view afterEnd) {
    observer_.lineRewritten({before, after, beforeEnd, afterEnd, mark_});
    mark_.clear();
}

}  // namespace engine::detail
