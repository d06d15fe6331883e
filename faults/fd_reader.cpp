#include "faults/fd_reader.h"

#include "core/number_text.h"
#include "core/string_operations.h"
#include "core/text_file.h"

#include <array>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

// What lines read on another thread would have shown (an invalid datum) or logged (the first
// orientation out of range), in line order.
struct TFDLineNotes {
    struct Item {
        int line_number = 0;
        bool invalid_data = false;
        Tazpl azpl; // out of range
    };
    std::vector<Item> items;
};

namespace {

const QString routine_name = QStringLiteral("read_FD");

bool is_type_letter(QChar c) {
    return c == u'F' || c == u'M' || c == u'S' || c == u'L';
}

TDataType datatype_from_letter(QChar c) {
    switch (c.unicode()) {
    case 'M':
        return TDataType::Mec;
    case 'L':
        return TDataType::Lin;
    case 'S':
        return TDataType::Sen;
    default:
        return TDataType::Ful;
    }
}

// The tokens of a line, kept as they are cut so that a datum can go back to them, and cut only
// as far as they are asked for. Views into the line, which must outlive this. The first few
// are kept in place: a line is read without an allocation.
class LineTokens {
public:
    LineTokens(QStringView text, QChar delimiter) : cutter_(text, delimiter) {}
    LineTokens(QStringView text, QChar delimiter, QChar other_delimiter)
        : cutter_(text, delimiter, other_delimiter) {}

    // Whether token i exists.
    bool has(qsizetype i) {
        for (QStringView token; cut_ <= i - offset_; ++cut_) {
            if (!cutter_.next(token))
                return false;
            if (cut_ < qsizetype(first_.size()))
                first_[size_t(cut_)] = token;
            else
                more_.push_back(token);
        }
        return true;
    }
    // Token i, which has(i) has found.
    QStringView operator[](qsizetype i) const {
        if (i < offset_)
            return u"F";
        i -= offset_;
        return i < qsizetype(first_.size()) ? first_[size_t(i)] : more_[size_t(i) - first_.size()];
    }
    // Puts the type letter F in front of the tokens of the line.
    void prepend_full_datum_letter() { offset_ = 1; }

private:
    DelimitedTokens cutter_;
    qsizetype cut_ = 0;
    qsizetype offset_ = 0; // 1 with the type letter put in front
    std::array<QStringView, 12> first_;
    std::vector<QStringView> more_; // of sense-only data with many groups
};

// Why a datum's tokens could not be read: a token is absent, or it does not convert.
enum class TTokenStatus { Ok, Missing, Invalid };

TTokenStatus read_number(LineTokens& tokens, qsizetype at, float& out,
                         const TFDLineContext& context) {
    if (!tokens.has(at))
        return TTokenStatus::Missing;
    return text_to_float_any_point(tokens[at], out, context.decimal_point) ? TTokenStatus::Ok
                                                                           : TTokenStatus::Invalid;
}

// Reads an orientation from two tokens, in token order, so that the first fault of a line
// decides how it ends; the range check logs only the first failure of a file.
TTokenStatus read_azpl(LineTokens& tokens, qsizetype at, Tazpl& out, int line_number,
                       TFDLineContext& context) {
    if (const TTokenStatus s = read_number(tokens, at, out.az, context); s != TTokenStatus::Ok)
        return s;
    if (const TTokenStatus s = read_number(tokens, at + 1, out.pl, context); s != TTokenStatus::Ok)
        return s;
    if (!context.orientation_error && context.log) {
        if (context.notes) {
            EventLog unwritten; // checked here, logged where the notes are passed on
            context.orientation_error =
                check_azpl(out, routine_name, context.path, line_number, unwritten);
            if (context.orientation_error)
                context.notes->items.push_back({line_number, false, out});
        } else {
            context.orientation_error =
                check_azpl(out, routine_name, context.path, line_number, *context.log);
        }
    }
    return TTokenStatus::Ok;
}

// Reads the alternatives of a datum of the given kind from its tokens onto the end of
// alternatives; on a failure some may have been put there.
TTokenStatus read_datum_tokens(LineTokens& tokens, TDataType datatype, int line_number,
                               TFDLineContext& context, std::vector<TSlipData>& alternatives) {
    TSlipData first;
    if (const TTokenStatus s = read_azpl(tokens, 1, first.Pazpl, line_number, context);
        s != TTokenStatus::Ok)
        return s;
    if (const TTokenStatus s = read_azpl(tokens, 3, first.Lazpl, line_number, context);
        s != TTokenStatus::Ok)
        return s;
    if (!tokens.has(5))
        return TTokenStatus::Missing; // a type letter but no sense letter
    first.sense = sense_from_letter(tokens[5][0]);
    compose_slip_data_vectors(first);
    // A datum's own list gets room for the alternatives known at once: a million data are a
    // million allocations fewer.
    if (alternatives.empty() &&
        (datatype == TDataType::Mec ||
         (datatype == TDataType::Sen && tokens.has(7) && tokens[6].startsWith(u'&'))))
        alternatives.reserve(2);
    const size_t at_first = alternatives.size();
    alternatives.push_back(first);

    if (datatype == TDataType::Mec)
        alternatives.push_back(compose_second_nodal_plane(alternatives[at_first]));

    if (datatype == TDataType::Sen) {
        // Groups of "&", trend, plunge, sense; the first position without "&" ends the line.
        for (qsizetype at = 6; tokens.has(at + 1) && tokens[at].startsWith(u'&'); at += 4) {
            TSlipData more;
            more.Pazpl = alternatives[at_first].Pazpl;
            if (const TTokenStatus s = read_azpl(tokens, at + 1, more.Lazpl, line_number, context);
                s != TTokenStatus::Ok)
                return s;
            if (!tokens.has(at + 3))
                return TTokenStatus::Missing; // the last group lacks its sense letter
            more.sense = sense_from_letter(tokens[at + 3][0]);
            compose_slip_data_vectors(more);
            alternatives.push_back(more);
        }
    }
    return TTokenStatus::Ok;
}

void report_invalid_data(int line_number, const TFDLineContext& context) {
    if (context.notes)
        context.notes->items.push_back({line_number, true, {}});
    else if (context.messages)
        context.messages->show(QStringLiteral("invalid data at line #") +
                               QString::number(line_number));
}

// Shows and logs what the notes hold, their line numbers moved on by lines_before.
void pass_on(const TFDLineNotes& notes, qint64 lines_before, TFDLineContext& context) {
    for (const TFDLineNotes::Item& item : notes.items) {
        const int line_number = static_cast<int>(lines_before + item.line_number);
        if (item.invalid_data)
            report_invalid_data(line_number, context);
        else if (!context.orientation_error && context.log)
            context.orientation_error =
                check_azpl(item.azpl, routine_name, context.path, line_number, *context.log);
    }
}

// Prepares, classifies and reads the datum of a data-file line onto the end of alternatives:
// its kind, or nothing for lines skipped or reported, which leave alternatives as they were.
std::optional<TDataType> read_datum_line(QStringView line, int line_number, TFDLineContext& context,
                                         std::vector<TSlipData>& alternatives) {
    const QStringView text = trim_control(line);
    if (text.isEmpty() || text.startsWith(u'#'))
        return std::nullopt;

    // A tab separates as a space does.
    LineTokens tokens(text, u' ', u'\t');
    if (!tokens.has(4))
        return std::nullopt; // fewer than five tokens
    if (is_number(tokens[0].left(1)))
        tokens.prepend_full_datum_letter(); // a line without type letter is a full datum
    if (!is_type_letter(tokens[0][0]))
        return std::nullopt;

    const TDataType datatype = datatype_from_letter(tokens[0][0]);
    const size_t before = alternatives.size();
    // A missing token is reported like a bad one here: a data file has no structure to break.
    if (read_datum_tokens(tokens, datatype, line_number, context, alternatives) !=
        TTokenStatus::Ok) {
        alternatives.resize(before);
        report_invalid_data(line_number, context);
        return std::nullopt;
    }
    return datatype;
}

// Reads the data of the lines into data, one by one.
void read_data_lines(TextLines& lines, TFDLineContext& context, std::vector<TFaultData>& data) {
    TFaultData datum;
    // Lines of blanks give nothing and no message.
    while (lines.next_nonblank()) {
        const auto datatype = read_datum_line(
            lines.trimmed_text(), static_cast<int>(lines.line_number()), context, datum.SDList);
        if (!datatype)
            continue;
        datum.datatype = *datatype;
        data.push_back(std::move(datum));
        datum = TFaultData();
    }
}

// Data read but not yet in their set: the alternatives of each one after the other, so that
// the reading allocates nothing once the buffers have grown.
struct TParsedBlock {
    struct Datum {
        TDataType datatype;
        size_t alternatives;
    };
    std::vector<Datum> data;
    std::vector<TSlipData> alternatives;
    TFDLineNotes notes;

    void clear() {
        data.clear();
        alternatives.clear();
        notes.items.clear();
    }
};

// The blocks between the thread that reads the lines and the one that puts the data into the
// set, which takes them in the order they were filled.
class TParsedBlocks {
public:
    TParsedBlocks() {
        for (TParsedBlock& block : blocks_)
            empty_.push_back(&block);
    }

    // Reading side: a block to fill, or null once the taking side has stopped.
    TParsedBlock* take_empty() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !empty_.empty() || stopped_; });
        if (stopped_)
            return nullptr;
        TParsedBlock* block = empty_.front();
        empty_.pop_front();
        return block;
    }
    void hand_over(TParsedBlock* block) {
        const std::lock_guard lock(mutex_);
        full_.push_back(block);
        changed_.notify_all();
    }
    // No more blocks: the reading has ended, with error if it failed.
    void finish(std::exception_ptr error) {
        const std::lock_guard lock(mutex_);
        finished_ = true;
        error_ = error;
        changed_.notify_all();
    }

    // Taking side: the next block filled, or null after the last.
    TParsedBlock* take_full() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return !full_.empty() || finished_; });
        if (full_.empty())
            return nullptr;
        TParsedBlock* block = full_.front();
        full_.pop_front();
        return block;
    }
    void give_back(TParsedBlock* block) {
        block->clear();
        const std::lock_guard lock(mutex_);
        empty_.push_back(block);
        changed_.notify_all();
    }
    // The taking side gives up: the reading side gets no more blocks.
    void stop() {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
        changed_.notify_all();
    }
    std::exception_ptr error() {
        const std::lock_guard lock(mutex_);
        return error_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::array<TParsedBlock, 4> blocks_;
    std::deque<TParsedBlock*> empty_, full_;
    bool finished_ = false;
    bool stopped_ = false;
    std::exception_ptr error_;
};

// Data per block: enough to make the hand-over cheap, few enough to stay in the caches.
constexpr size_t data_per_block = 512;

// Reads the lines into blocks, noting what would be shown or logged in each.
void read_data_lines(TextLines& lines, TFDLineContext& context, TParsedBlocks& blocks) {
    TParsedBlock* block = blocks.take_empty();
    while (block && lines.next_nonblank()) {
        context.notes = &block->notes;
        const size_t before = block->alternatives.size();
        const auto datatype =
            read_datum_line(lines.trimmed_text(), static_cast<int>(lines.line_number()), context,
                            block->alternatives);
        if (datatype)
            block->data.push_back({*datatype, block->alternatives.size() - before});
        if (block->data.size() == data_per_block) {
            blocks.hand_over(block);
            block = blocks.take_empty();
        }
    }
    if (block)
        blocks.hand_over(block);
}

// Puts the data of a block into data, and shows and logs what their lines gave.
void take_block(TParsedBlock& block, TFDLineContext& context, std::vector<TFaultData>& data) {
    const TSlipData* alternative = block.alternatives.data();
    for (const TParsedBlock::Datum& parsed : block.data) {
        TFaultData& datum = data.emplace_back();
        datum.datatype = parsed.datatype;
        datum.SDList.assign(alternative, alternative + parsed.alternatives);
        alternative += parsed.alternatives;
    }
    pass_on(block.notes, 0, context);
}

// Below this many bytes (or characters), a second thread is not worth starting.
constexpr qsizetype smallest_text_for_two_threads = 1 << 20;

// Reads the lines into data on two threads: this one makes the data (the allocations, and the
// pages they touch, stay with one thread and its heap, where they are cheapest) and shows the
// messages, the other reads the lines, the numbers and the trigonometry. False when no second
// thread could be started, with nothing read.
bool read_data_lines_on_two_threads(TextLines& lines, TFDLineContext& context,
                                    std::vector<TFaultData>& data) {
    TParsedBlocks blocks;
    TFDLineContext reading_context = context;
    std::thread reading;
    try {
        reading = std::thread([&] {
            try {
                read_data_lines(lines, reading_context, blocks);
                blocks.finish(nullptr);
            } catch (...) {
                blocks.finish(std::current_exception());
            }
        });
    } catch (const std::system_error&) {
        return false;
    }
    // Whatever ends the taking, the reading ends before the blocks go.
    struct Join {
        TParsedBlocks& blocks;
        std::thread& reading;
        ~Join() {
            blocks.stop();
            reading.join();
        }
    } join{blocks, reading};
    while (TParsedBlock* block = blocks.take_full()) {
        take_block(*block, context, data);
        blocks.give_back(block);
    }
    if (const std::exception_ptr error = blocks.error())
        std::rethrow_exception(error);
    return true;
}

} // namespace

std::optional<TFaultData> read_fault_datum_line(QStringView line, int line_number,
                                                TFDLineContext& context) {
    TFaultData datum;
    const auto datatype = read_datum_line(line, line_number, context, datum.SDList);
    if (!datatype)
        return std::nullopt;
    datum.datatype = *datatype;
    return datum;
}

TIRDatumStatus read_ir_fault_datum_line(QStringView line, int line_number, TFDLineContext& context,
                                        TFaultData& datum) {
    datum = TFaultData();
    // Tabs stay: only spaces separate tokens in this section.
    LineTokens tokens(line, u' ');
    if (!tokens.has(0))
        return TIRDatumStatus::TooFewTokens;
    if (is_number(tokens[0].left(1)))
        tokens.prepend_full_datum_letter();
    datum.datatype = datatype_from_letter(ascii_upper(tokens[0][0]));

    switch (read_datum_tokens(tokens, datum.datatype, line_number, context, datum.SDList)) {
    case TTokenStatus::Ok:
        return TIRDatumStatus::Read;
    case TTokenStatus::Invalid:
        report_invalid_data(line_number, context);
        datum = TFaultData();
        return TIRDatumStatus::InvalidData;
    case TTokenStatus::Missing:
        break;
    }
    datum = TFaultData();
    return TIRDatumStatus::TooFewTokens;
}

TFDReadResult read_fault_data_lines(const QStringList& lines, const QString& path,
                                    TFaultDataSet& set, EventLog& log, Messages& messages) {
    set.clear_FD();
    set.FDList.reserve(static_cast<size_t>(lines.size()));
    TFDLineContext context{path, &log, &messages, false, locale_decimal_point()};
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (auto datum = read_fault_datum_line(lines[i], static_cast<int>(i + 1), context))
            set.FDList.push_back(std::move(*datum));
    }
    set.FDList.shrink_to_fit();

    TFDReadResult result;
    result.read = true;
    result.orientation_error = context.orientation_error;
    return result;
}

TFDReadResult read_fault_data_bytes(QByteArray bytes, const QString& path, TFaultDataSet& set,
                                    EventLog& log, Messages& messages) {
    set.clear_FD();
    TextLines lines(std::move(bytes));
    TFDLineContext context{path, &log, &messages, false, locale_decimal_point()};
    std::vector<TFaultData>& data = set.FDList;
    data.reserve(size_t(lines.count_nonblank_lines()));
    if (lines.characters_left() < smallest_text_for_two_threads ||
        std::thread::hardware_concurrency() < 2 ||
        !read_data_lines_on_two_threads(lines, context, data))
        read_data_lines(lines, context, data);
    // Every line that is not blank has had room; the room of many comments is given back.
    if (data.capacity() - data.size() > data.size() / 8 + 1024)
        data.shrink_to_fit();

    TFDReadResult result;
    result.read = true;
    result.orientation_error = context.orientation_error;
    return result;
}

TFDReadResult read_fault_data_file(const QString& path, TFaultDataSet& set, EventLog& log,
                                   Messages& messages) {
    TFDReadResult result;
    TFileReadResult file = read_file_bytes(path);
    if (!file.ok) {
        result.error = file.error;
        return result;
    }
    const qint64 size = file.bytes.size();
    TFaultDataSet read;
    try {
        result = read_fault_data_bytes(std::move(file.bytes), path, read, log, messages);
    } catch (const std::bad_alloc&) {
        read.clear_FD();
        result = TFDReadResult();
        result.error = file_too_large_message(path, size);
        return result;
    }
    set = std::move(read);
    return result;
}

QString orientation_error_message(const QString& path) {
    return QStringLiteral("There is at least an error in file [") + path +
           QStringLiteral("].\r\nSee [") + log_file_name + QStringLiteral("].");
}
