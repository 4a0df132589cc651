#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <type_traits>

#include "engine/byte_buffer.h"
#include "engine/code_page.h"
#include "engine/engine.h"
#include "engine/file_layer.h"
#include "engine/line_reader.h"
#include "engine/output_sink.h"
#include "engine/segment_rewrite.h"
#include "engine/text_forms.h"
#include "engine/unicode.h"

namespace fs = std::filesystem;

namespace engine {
namespace {

using detail::Line;
using detail::LineEnd;

constexpr std::size_t kBlock = std::size_t{1} << 20;

// "2.1 GB", "350 MB", "12 kB", "200 bytes".
std::string sizeInWords(std::size_t bytes) {
    const auto value = static_cast<double>(bytes);
    char text[32];
    if (value >= 1e9) {
        std::snprintf(text, sizeof text, "%.1f GB", value / 1e9);
    } else if (value >= 1e6) {
        std::snprintf(text, sizeof text, "%.0f MB", value / 1e6);
    } else if (value >= 1e3) {
        std::snprintf(text, sizeof text, "%.0f kB", value / 1e3);
    } else {
        std::snprintf(text, sizeof text, "%zu bytes", bytes);
    }
    return text;
}

bool startsWith(std::string_view bytes, std::string_view prefix) {
    return bytes.substr(0, prefix.size()) == prefix;
}

// Whether the bytes of `source` from its first one past ASCII read as UTF-8; false for a
// source that is all ASCII, where it makes no difference.
bool scanForUtf8(FileLayer& files, const fs::path& source) {
    const std::unique_ptr<InputFile> input = files.openInput(source);
    detail::Blocks blocks(*input, kBlock);
    while (blocks.fill()) {
        const std::string_view unread = blocks.unread();
        const std::size_t at = detail::firstPastAscii(unread);
        if (at == std::string_view::npos) {
            blocks.consume(unread.size());
            continue;
        }
        return detail::judgeUtf8(blocks, at);
    }
    return false;
}

// One file's pass: lines are read in the file's encoding, rewritten with the texts in the same
// form, and written with the ends they had.
class FilePass {
public:
    FilePass(InputFile& input, OutputFile& output, PassHost& host, FileLayer& files,
             const fs::path& source)
        : input_(input),
          output_(output),
          host_(host),
          files_(files),
          source_(source),
          page_(detail::CodePage::current()),
          blocks_(input, kBlock),
          rewriter_(detail::CaseRules::unicode()) {}

    PassResult run(int entryIndex, PassStats& stats) {
        std::int64_t remaining = static_cast<std::int64_t>(input_.size());
        host_.selectEntry(entryIndex, true);
        host_.setProgressValue(0);
        host_.setProgressMin(0);
        host_.setProgressMax(remaining + 2);

        blocks_.ensure(3);  // room for a byte-order mark
        const std::string_view head = blocks_.unread();
        PassResult result;
        if (startsWith(head, "\xFF\xFE") || startsWith(head, "\xFE\xFF")) {
            const bool bigEndian = head[0] == '\xFE';
            stats.encoding = bigEndian ? TextEncoding::utf16be : TextEncoding::utf16le;
            sink_.emplace(output_,
                          bigEndian ? detail::OutputForm::utf16be : detail::OutputForm::utf16le);
            sink_->appendRaw(head.substr(0, 2));  // the same mark, counted at once
            host_.setProgressValue(2);
            detail::Utf16LineReader reader(blocks_, bigEndian);
            forms_.setCodePage(nullptr);
            result = copyLines(reader, remaining - 2, 2, stats);
        } else {
            sink_.emplace(output_, detail::OutputForm::bytes);
            detail::ByteLineReader reader(blocks_, true);
            if (startsWith(head, "\xEF\xBB\xBF")) reader.decide(true);
            result = copyLines(reader, remaining, 0, stats);
            stats.encoding = reader.utf8() ? TextEncoding::utf8 : TextEncoding::codePage;
        }
        stats.segments = rewriter_.segments;
        stats.replacements = rewriter_.replacements;
        sink_->flush();
        if (result == PassResult::completed) host_.selectEntry(entryIndex, false);
        return result;
    }

private:
    // 8-bit text is matched in UTF-8 once it reads as UTF-8, or in a UTF-8 locale.
    void chooseForm(bool utf8) {
        const bool asUtf8 = utf8 || page_->isUtf8();
        forms_.setCodePage(asUtf8 ? nullptr : page_.get());
        rules_ = asUtf8 ? &detail::CaseRules::unicode() : &page_->rules();
        rewriter_.setRules(*rules_);
    }

    // Most lines hold no start marker. Such a line that still lies in the read block, with its
    // end, is left where it is and written with its neighbours in one piece; the block is
    // searched for the next start marker once rather than line by line.
    bool keptAsItIs(const Line& line, const detail::PreparedTexts& texts) {
        const char* const begin = line.text.data();
        const std::string_view unread = blocks_.unread();
        // A line that was copied out of the block (it spans two) is not where the block is.
        if (line.end == LineEnd::none || begin == nullptr || begin + line.bytes != unread.data()) {
            return false;
        }
        if (texts.active) {
            if (texts.start.text.empty()) return false;
            if (hit_ == nullptr || hit_ < begin || hitGeneration_ != forms_.generation()) {
                const std::string_view rest(begin, unread.size() + line.bytes);
                const std::size_t at = rules_->find(rest, texts.start.text, 0, texts.start.anchor);
                hit_ = at == detail::CaseRules::npos ? begin + rest.size() : begin + at;
                hitGeneration_ = forms_.generation();
            }
            if (hit_ < begin + line.text.size()) return false;
        }
        if (wantsLines_) host_.lineRewritten(line.text, line.text);
        if (run_.data() + run_.size() != begin) {
            flushRun();
            run_ = std::string_view(begin, 0);
        }
        run_ = std::string_view(run_.data(), run_.size() + line.bytes);
        return true;
    }

    void flushRun() {
        if (!run_.empty()) sink_->append(run_);
        run_ = {};
    }

    static void beforeFill(void* context) {
        auto* pass = static_cast<FilePass*>(context);
        pass->flushRun();
        pass->hit_ = nullptr;
    }

    void settle(detail::ByteLineReader& reader, bool& formKnown) {
        if (!formKnown && reader.decided()) {
            chooseForm(reader.utf8());
            formKnown = true;
        }
    }
    void settle(detail::Utf16LineReader&, bool&) {}

    // Before the source shows a byte past ASCII, the form matters only to texts past ASCII;
    // those settle it by looking ahead in the source.
    void lookAhead(detail::ByteLineReader& reader, bool& formKnown, const Texts& texts) {
        if (formKnown || !forms_.pastAscii() || page_->isUtf8()) return;
        reader.decide(scanForUtf8(files_, source_));
        settle(reader, formKnown);
        forms_.update(texts);
    }
    void lookAhead(detail::Utf16LineReader&, bool&, const Texts&) {}

    template <class Reader>
    PassResult copyLines(Reader& reader, std::int64_t remaining, std::int64_t done,
                         PassStats& stats) {
        constexpr bool utf16 = std::is_same_v<Reader, detail::Utf16LineReader>;
        bool formKnown = utf16;
        if (!formKnown) chooseForm(false);
        settle(reader, formKnown);
        wantsLines_ = host_.wantsLines();
        if constexpr (!utf16) blocks_.beforeFill(&FilePass::beforeFill, this);
        LineEnd lastEnd = LineEnd::crLf;
        Line line;
        while (remaining > 0) {
            host_.yield();
            if (host_.stopRequested()) {
                flushRun();
                return PassResult::stopped;
            }
            // A source that shrank since it was measured ends early rather than invent lines.
            if (!reader.next(line)) break;
            settle(reader, formKnown);
            const Texts current = host_.currentTexts();
            const detail::PreparedTexts& texts = forms_.update(current);
            lookAhead(reader, formKnown, current);
            const LineEnd end = line.end == LineEnd::none ? lastEnd : line.end;
            lastEnd = end;
            if constexpr (utf16) {
                // Only an odd last byte, after the last line's end, makes a line empty and open.
                if (!line.text.empty() || line.end != LineEnd::none) {
                    writeLine<true>(line.text, texts, end);
                }
                sink_->appendRaw(reader.trailing());  // carried through as it was
            } else if (!keptAsItIs(line, texts)) {
                flushRun();
                writeLine<false>(line.text, texts, end);
            }
            ++stats.lines;
            // A last line without an end counts two bytes for the end it is given.
            const auto accounted =
                static_cast<std::int64_t>(line.bytes) + (line.end == LineEnd::none ? 2 : 0);
            done += accounted;
            remaining -= accounted;
            host_.setProgressValue(done);
        }
        flushRun();
        return PassResult::completed;
    }

    static std::string_view endText(LineEnd end) {
        switch (end) {
            case LineEnd::lf:
                return "\n";
            case LineEnd::cr:
                return "\r";
            default:
                return "\r\n";
        }
    }

    // Rewrites a line into the output, straight or, with `Gather` (UTF-16) or for the host,
    // gathered first so that it is converted or handed over in one piece. A huge line is never
    // gathered unless the host wants it whole.
    template <bool Gather>
    void writeLine(std::string_view line, const detail::PreparedTexts& texts, LineEnd end) {
        if (!wantsLines_ && (!Gather || line.size() >= kBlock)) {
            rewriter_.append(line, texts, *sink_);
            sink_->append(endText(end));
            return;
        }
        rewritten_.clear();
        rewriter_.append(line, texts, rewritten_);
        if (wantsLines_) host_.lineRewritten(line, rewritten_);
        rewritten_.append(endText(end));
        sink_->append(rewritten_);
    }

    InputFile& input_;
    OutputFile& output_;
    PassHost& host_;
    FileLayer& files_;
    const fs::path& source_;
    // Kept for the whole pass, whatever happens to the locale meanwhile.
    const std::shared_ptr<const detail::CodePage> page_;
    detail::Blocks blocks_;
    detail::TextForms forms_;
    detail::SegmentRewriter rewriter_;
    const detail::CaseRules* rules_ = &detail::CaseRules::unicode();
    std::optional<detail::OutputSink> sink_;
    // Lines kept as they are, still in the block; and the next start marker found there.
    std::string_view run_;
    const char* hit_ = nullptr;
    std::uint64_t hitGeneration_ = 0;
    bool wantsLines_ = false;
    std::string rewritten_;
};

}  // namespace

PassResult pass(const fs::path& source, const fs::path& outputBase, int entryIndex,
                PassHost& host) {
    return pass(source, outputBase, entryIndex, host, systemFiles());
}

PassResult pass(const fs::path& source, const fs::path& outputBase, int entryIndex, PassHost& host,
                FileLayer& files) {
    const fs::path output = outputPath(outputBase);
    if (ChosenFiles({source}).contains(output)) {
        host.reportFailure(source, overwriteReason(output));
        return PassResult::completed;
    }
    PassResult result = PassResult::completed;
    bool copying = false;  // a failure while copying deselects the entry the copy selected
    // Whatever fails in the work on the file is this file's failure: its temporary output is
    // gone with `out`, and the run goes on. What the host itself throws ends the run.
    const auto failed = [&](const fs::path& file, const std::string& reason) {
        if (copying) host.selectEntry(entryIndex, false);
        result = PassResult::completed;
        host.reportFailure(file, reason);
    };
    try {
        // The source is opened first, so a source that cannot be read leaves nothing behind.
        const std::unique_ptr<InputFile> input = files.openInput(source);
        const std::unique_ptr<OutputFile> out = files.createOutput(output);
        copying = true;
        PassStats stats;
        result = FilePass(*input, *out, host, files, source).run(entryIndex, stats);
        copying = false;
        out->commit();
        host.fileDone(stats);
    } catch (const FileError& error) {
        failed(error.path(), error.what());
    } catch (const detail::OutOfMemory& error) {
        failed(source, "Not enough memory for a line of " + sizeInWords(error.requested()));
    } catch (const std::bad_alloc&) {
        failed(source, "Not enough memory");
    } catch (const std::length_error&) {
        failed(source, "Not enough memory");
    } catch (const std::system_error& error) {
        failed(source, readableReason(error.code().message()));
    }
    return result;
}

}  // namespace engine
