#include "stress/ir_reader.h"

#include "core/huge_pages.h"
#include "core/number_text.h"
#include "core/parallel.h"
#include "core/string_operations.h"
#include "core/text_file.h"
#include "faults/fd_reader.h"

#include <QFile>
#include <QFileInfo>
#include <QStringBuilder>

#include <algorithm>
#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <new>
#include <span>
#include <string>
#include <system_error>
#include <utility>

void set_normalised_fitness(TStressTensor& st, float sum, float& max_Ln, float& min_Ln_nonzero) {
    if (sum <= 0)
        return;
    st.Ln = static_cast<float>(double(st.L) / sum);
    max_Ln = std::max(max_Ln, st.Ln);
    if (st.Ln > 0 && st.Ln < min_Ln_nonzero)
        min_Ln_nonzero = st.Ln;
}

namespace {

// A whole token as a 32-bit integer: optional sign and digits, nothing else.
bool token_to_int(QStringView text, int& out) {
    qsizetype i = 0;
    const bool negative = !text.isEmpty() && text[0] == u'-';
    if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+'))
        ++i;
    if (i == text.size())
        return false;
    long long value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + (c - u'0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    value = negative ? -value : value;
    if (value > INT_MAX)
        return false;
    out = static_cast<int>(value);
    return true;
}

// Numbers of an 8-bit text separated by any characters of code 32 or less, "." as decimal point.
// The file is read in pieces: a CGP file of a million states is some 30 MB, which need not be in
// memory at once beside the states made from it.
class CGPScanner {
public:
    // The buffer is no larger than the file: a small file is not worth a megabyte to clear.
    explicit CGPScanner(QFile& file)
        : file_(file), left_(file.size()),
          buffer_(size_t(std::clamp<qint64>(left_, 1, qint64(1) << 20))) {}

    bool failed() const { return failed_; }
    // At most what is left to read, for bounding what the file can hold.
    qint64 bytes_left() const { return left_ + (end_ - p_); }

    // False at the end of the file, after the blanks before it.
    bool has_number() {
        skip_blanks();
        return !at_end();
    }

    // A number asked for at the end of the file is 0.
    bool read_integer(long long& out) {
        const std::string_view token = next_token();
        out = 0;
        if (token.empty())
            return !failed_;
        const char* first = token.data();
        const char* last = first + token.size();
        if (*first == '+' && token.size() > 1 && token[1] != '-')
            ++first; // from_chars takes no "+"
        const auto res = std::from_chars(first, last, out);
        return !failed_ && res.ec == std::errc() && res.ptr == last;
    }

    bool read_real(double& out) {
        const std::string_view token = next_token();
        out = 0;
        return !failed_ && (token.empty() || token_to_real(token, out));
    }

    // Past the next line end (CR LF, LF or CR).
    void skip_line() {
        while (!at_end() && *p_ != '\r' && *p_ != '\n')
            ++p_;
        if (at_end())
            return;
        if (*p_++ == '\r' && !at_end() && *p_ == '\n')
            ++p_;
    }

private:
    static bool is_blank(char c) { return static_cast<unsigned char>(c) <= 32; }

    // True when the piece is used up and nothing more can be read.
    bool at_end() {
        if (p_ != end_)
            return false;
        if (left_ <= 0 || failed_)
            return true;
        const qint64 n = file_.read(buffer_.data(), qint64(buffer_.size()));
        if (n <= 0) {
            failed_ = n < 0 || file_.error() != QFileDevice::NoError;
            left_ = 0;
            return true;
        }
        left_ -= n;
        p_ = buffer_.data();
        end_ = p_ + n;
        return false;
    }

    void skip_blanks() {
        while (!at_end() && is_blank(*p_))
            ++p_;
    }

    // Empty at the end of the file. Valid until the next call.
    std::string_view next_token() {
        skip_blanks();
        const char* start = p_;
        while (p_ != end_ && !is_blank(*p_))
            ++p_;
        if (p_ != end_ || left_ <= 0)
            return {start, size_t(p_ - start)};
        // The token runs on into the next piece.
        token_.assign(start, p_);
        while (!at_end() && !is_blank(*p_))
            token_.push_back(*p_++);
        return token_;
    }

    // Sign, digits, optional "." and digits, optional exponent; no "inf", "nan" or hex, which
    // from_chars alone would take.
    static bool token_to_real(std::string_view t, double& out) {
        size_t i = 0;
        const auto digit = [&t](size_t k) { return k < t.size() && t[k] >= '0' && t[k] <= '9'; };
        const bool negative = t[0] == '-';
        if (t[0] == '+' || t[0] == '-')
            ++i;
        long long int_digits = 0, first_nonzero = -1, digits = 0, fraction_digits = 0;
        std::uint64_t mantissa = 0; // exact while digits <= 15
        const auto take = [&](char c) {
            if (first_nonzero < 0 && c != '0')
                first_nonzero = digits;
            if (++digits <= 15)
                mantissa = mantissa * 10 + std::uint64_t(c - '0');
        };
        for (; digit(i); ++i, ++int_digits)
            take(t[i]);
        if (i < t.size() && t[i] == '.')
            for (++i; digit(i); ++i, ++fraction_digits)
                take(t[i]);
        if (digits == 0)
            return false;
        long long exponent = 0;
        if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
            ++i;
            const bool negative_exponent = i < t.size() && t[i] == '-';
            if (i < t.size() && (t[i] == '+' || t[i] == '-'))
                ++i;
            if (!digit(i))
                return false;
            for (; digit(i); ++i)
                exponent = std::min(exponent * 10 + (t[i] - '0'), 1'000'000LL);
            exponent = negative_exponent ? -exponent : exponent;
        }
        if (i != t.size())
            return false;

        double value = 0;
        const long long scale = exponent - fraction_digits;
        if (digits <= 15 && scale >= -22 && scale <= 22) {
            // Both factors are exact doubles, so one multiplication or division rounds
            // correctly: the usual short decimals need no general conversion.
            static constexpr double powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
            value =
                scale < 0 ? double(mantissa) / powers[-scale] : double(mantissa) * powers[scale];
            value = negative ? -value : value;
        } else {
            const char* first = t.data() + (t[0] == '+' ? 1 : 0);
            const char* last = t.data() + t.size();
            const auto res = std::from_chars(first, last, value);
            if (res.ec == std::errc::result_out_of_range) {
                const long long magnitude =
                    first_nonzero < 0 ? 0 : int_digits - 1 - first_nonzero + exponent;
                if (magnitude > 0)
                    return false; // beyond any single value
                value = 0;        // too small for a single anyway
            } else if (res.ec != std::errc() || res.ptr != last) {
                return false;
            }
        }
        // Stored as single before anything else; a value a single cannot hold is malformed.
        if (std::isinf(static_cast<float>(value)))
            return false;
        out = value;
        return true;
    }

    QFile& file_;
    qint64 left_;
    std::vector<char> buffer_;
    const char* p_ = nullptr;
    const char* end_ = nullptr;
    std::string token_;
    bool failed_ = false;
};

float whole_degrees(double value) {
    // nearbyint in the default rounding mode sends halves to the even neighbour.
    return static_cast<float>(std::nearbyint(static_cast<float>(value)));
}

// azpl_to_vector3 of whole-degree orientations, each computed once: a million states share a
// few tens of thousands of orientations.
class WholeDegreeVectors {
public:
    // The table pays only for many states; a few are converted one by one.
    explicit WholeDegreeVectors(size_t states) {
        if (states >= 4096) {
            vectors_.resize(361 * 91);
            known_.resize(361 * 91);
        }
    }

    Tvector3 operator()(const Tazpl& a) {
        if (vectors_.empty() || !(a.az >= 0 && a.az <= 360 && a.pl >= 0 && a.pl <= 90))
            return azpl_to_vector3(a);
        const size_t at = size_t(a.az) * 91 + size_t(a.pl);
        if (!known_[at]) {
            vectors_[at] = azpl_to_vector3(a);
            known_[at] = true;
        }
        return vectors_[at];
    }

private:
    std::vector<Tvector3> vectors_;
    std::vector<bool> known_;
};

// A CGP record as read, its orientations in whole degrees, with the fitness the result gives it.
// States are built from these only once they are sorted, so that no set of a million full
// records has to be rearranged.
struct TCGPRecord {
    Tazpl sigma1;
    Tazpl sigma3;
    float ratio = 0;
    int L = 0;
    int id = 0; // number in the file, from 1
};

// False on a malformed number or a read error; the records before it stay.
bool parse_CGP(QFile& file, std::vector<TCGPRecord>& records) {
    CGPScanner scan(file);
    long long n = 0;
    if (!scan.read_integer(n))
        return false;
    scan.skip_line();
    if (n <= 0)
        return true;
    // Every record but the last takes at least five digits, four blanks and a line end, so the
    // file bounds the records, whatever N says.
    const long long fit = scan.bytes_left() / 10 + 1;
    records.reserve(size_t(std::min({n, fit, static_cast<long long>(INT_MAX)})));
    advise_huge_pages(records.data(), records.capacity() * sizeof(TCGPRecord));
    for (long long record = 1; record <= n && record <= INT_MAX; ++record) {
        // A record that would lie wholly past the end is not made: N may be anything.
        if (!scan.has_number())
            break;
        double v[5];
        for (double& x : v)
            if (!scan.read_real(x))
                return false;
        scan.skip_line();
        records.push_back({make_azpl(whole_degrees(v[0]), whole_degrees(v[1])),
                           make_azpl(whole_degrees(v[2]), whole_degrees(v[3])),
                           static_cast<float>(v[4]), 0, static_cast<int>(record)});
    }
    return !scan.failed();
}

// Whether anything but a folder is at path. A folder is no CGP file, so one by the CGP's name,
// or the folder an empty name leaves, is looked past and reported as a missing file is. A path
// longer than any system takes names nothing, and asking the file system about a 10 MB line of
// a broken result would take a second.
constexpr qsizetype longest_path = 32767;

bool cgp_file_there(const QString& path) {
    return path.size() <= longest_path && QFileInfo::exists(path) && !QFileInfo(path).isDir();
}

// Whether the CGP file at path is to be read: a missing one is reported and leaves no records,
// which is no failure; anything there but a regular file is one, since the name comes from the
// result, and a pipe or device named there would block the reading or never end it.
enum class TCGPPresence { Missing, Unreadable, Present };

TCGPPresence check_CGP(const QString& path, Messages& messages) {
    if (!cgp_file_there(path)) {
        // Built in one piece: the name may be a whole broken line of megabytes.
        messages.show(QStringLiteral("CGP File  [") % trim_control(path) %
                      QStringLiteral("]  not found."));
        return TCGPPresence::Missing;
    }
    return QFileInfo(path).isFile() ? TCGPPresence::Present : TCGPPresence::Unreadable;
}

// False when the file cannot be opened or read or holds a malformed number.
bool parse_CGP_file(const QString& path, std::vector<TCGPRecord>& records) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && parse_CGP(file, records);
}

// False when the file exists but cannot be read or holds a malformed number.
bool read_CGP_records(const QString& path, std::vector<TCGPRecord>& records, Messages& messages) {
    switch (check_CGP(path, messages)) {
    case TCGPPresence::Missing:
        return true;
    case TCGPPresence::Unreadable:
        return false;
    case TCGPPresence::Present:
        break;
    }
    return parse_CGP_file(path, records);
}

// The normalised fitness of some states: its largest value and its smallest positive one.
struct TLnRange {
    float max_Ln = 0;
    float min_Ln_nonzero = 1;
};

// Told the number of states built so far, now and then: a test of a counter per state costs
// nothing beside the state.
using TStatesBuilt = std::function<void(size_t built)>;
constexpr size_t states_between_reports = size_t(1) << 14;
constexpr int lines_between_reports = 1 << 15;

// Builds the state of each record into the default state at out of the same index; with a sum
// of fitness above 0, with Ln = L / sum.
TLnRange build_states(std::span<const TCGPRecord> records, TStressTensor* out, float sum,
                      const TStatesBuilt& built = {}) {
    WholeDegreeVectors to_vector(records.size());
    TLnRange range;
    size_t count = 0;
    for (const TCGPRecord& record : records) {
        if (built && ++count % states_between_reports == 0)
            built(count);
        TStressTensor& st = *out++;
        st.ax[0] = record.sigma1;
        st.ax[2] = record.sigma3;
        st.e_vec[0] = to_vector(st.ax[0]);
        st.e_vec[2] = to_vector(st.ax[2]);
        build_stress_tensor(st, record.ratio);
        st.L = record.L;
        st.id = record.id;
        set_normalised_fitness(st, sum, range.max_Ln, range.min_Ln_nonzero);
    }
    return range;
}

// Below this many states, a second thread is not worth starting.
constexpr size_t fewest_states_for_two_threads = 20000;

// Appends the states of the records in their order, with Ln as build_states gives it. Each
// state is built where it stays (a million copies of 172 bytes are worth saving), the two
// halves at once: every state depends on its record only.
// The first half tells of its progress for both.
TLnRange append_states(const std::vector<TCGPRecord>& records, std::vector<TStressTensor>& STSet,
                       float sum = 0, const TStatesBuilt& built = {}) {
    const size_t first = STSet.size();
    const size_t n = records.size();
    STSet.reserve(first + n);
    advise_huge_pages(STSet.data() + first, n * sizeof(TStressTensor));
    STSet.resize(first + n);
    TStressTensor* out = STSet.data() + first;
    const std::span<const TCGPRecord> all(records);
    if (n < fewest_states_for_two_threads)
        return build_states(all, out, sum, built);
    const size_t half = n / 2;
    const TStatesBuilt both_halves = [&built](size_t count) {
        if (built)
            built(2 * count);
    };
    TLnRange first_half, second_half;
    run_both([&] { first_half = build_states(all.first(half), out, sum, both_halves); },
             [&] { second_half = build_states(all.subspan(half), out + half, sum); });
    return {std::max(first_half.max_Ln, second_half.max_Ln),
            std::min(first_half.min_Ln_nonzero, second_half.min_Ln_nonzero)};
}

// Ascending fitness, the order compare_stress_by_L gives, states of equal fitness in file order
// so that the display is reproducible: a stable radix sort on the fitness. The small records
// are sorted before the states are built, which then come out in order; rearranging a million
// built states would cost more than building them.
void sort_by_fitness(std::vector<TCGPRecord>& records) {
    const size_t n = records.size();
    const auto key = [](const TCGPRecord& r) { return std::uint32_t(r.L) ^ 0x80000000u; };
    std::vector<TCGPRecord> spare;
    for (int shift = 0; shift < 32 && n > 0; shift += 8) {
        std::array<size_t, 257> start{};
        for (const TCGPRecord& r : records)
            ++start[((key(r) >> shift) & 0xFF) + 1];
        if (start[((key(records[0]) >> shift) & 0xFF) + 1] == n)
            continue; // one value of this byte: the pass would change nothing
        for (size_t b = 1; b < start.size(); ++b)
            start[b] += start[b - 1];
        if (spare.empty()) {
            spare.reserve(n);
            advise_huge_pages(spare.data(), n * sizeof(TCGPRecord));
            spare.resize(n);
        }
        for (const TCGPRecord& r : records)
            spare[start[(key(r) >> shift) & 0xFF]++] = r;
        records.swap(spare);
    }
}

// The states in ascending fitness, each with Ln = L / sum. A sum of zero or less with a
// positive largest fitness needs negative fitness values; no weight can then be formed and
// every Ln stays 0, so nothing is drawn.
void build_sorted_states(std::vector<TCGPRecord>& records, float sum, TStressStates& states,
                         const TStatesBuilt& built) {
    sort_by_fitness(records);
    const TLnRange range = append_states(records, states.STSet, sum, built);
    states.max_Ln = range.max_Ln;
    states.min_Ln_nonzero = range.min_Ln_nonzero;
}

QString in_folder(const QString& folder, const QString& name) {
    if (folder.isEmpty())
        return name;
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

// Beside the executable as the format says, else beside the result, which is where a result
// copied elsewhere keeps its CGP file. The executable's path is the one named when neither is
// there.
QString locate_CGP(const QString& name, const QString& executable_dir, const QString& path) {
    const QString beside_executable = in_folder(executable_dir, name);
    if (name.size() > longest_path)
        return beside_executable;
    if (cgp_file_there(beside_executable))
        return beside_executable;
    const QString beside_result = in_folder(QFileInfo(path).path(), name);
    if (cgp_file_there(beside_result))
        return beside_result;
    return beside_executable;
}

// The first two tokens of a fitness line; the million lines of a large result are not worth a
// list of strings each.
int first_two_tokens(QStringView line, QStringView& first, QStringView& second) {
    DelimitedTokens tokens(line, u' ');
    if (!tokens.next(first))
        return 0;
    return tokens.next(second) ? 2 : 1;
}

// The lines of a result, one after the other: the reader never goes back.
class LineSource {
public:
    virtual ~LineSource() = default;
    // The next line, valid until the next call; false after the last.
    virtual bool next(QStringView& line) = 0;
    // The same, trimmed as trim_control trims.
    virtual bool next_trimmed(QStringView& line) = 0;
    // At least the number of lines left that are as long as shortest or longer.
    virtual qsizetype lines_bound(qsizetype shortest) const = 0;
};

class ListLines : public LineSource {
public:
    explicit ListLines(const QStringList& lines) : lines_(lines) {}
    bool next(QStringView& line) override {
        if (at_ >= lines_.size())
            return false;
        line = lines_[at_++];
        return true;
    }
    bool next_trimmed(QStringView& line) override {
        if (!next(line))
            return false;
        line = trim_control(line);
        return true;
    }
    qsizetype lines_bound(qsizetype) const override { return lines_.size() - at_; }

private:
    const QStringList& lines_;
    qsizetype at_ = 0;
};

class DecodedLines : public LineSource {
public:
    explicit DecodedLines(const QByteArray& bytes) : lines_(bytes) {}
    bool next(QStringView& line) override {
        if (!lines_.next())
            return false;
        line = lines_.text();
        return true;
    }
    bool next_trimmed(QStringView& line) override {
        if (!lines_.next())
            return false;
        line = lines_.trimmed_text();
        return true;
    }
    // Each but the last has a line end besides; counting them would cost a reading.
    qsizetype lines_bound(qsizetype shortest) const override {
        return lines_.characters_left() / (shortest + 1) + 1;
    }

private:
    TextLines lines_;
};

// Failures go back as values rather than as an exception: each step ends the reading with the
// outcome the caller shows. Only a lack of memory is thrown, and taken in read_from.
class IRReading {
public:
    IRReading(LineSource& lines, const QString& path, const QString& executable_dir,
              TFaultDataSet& fault_data, TStressStates& states, TFDLineContext& context,
              Messages& messages, const TIRFaultDataRead& fault_data_read,
              const TIRReadProgress& progress)
        : lines_(lines), path_(path), executable_dir_(executable_dir), fault_data_(fault_data),
          states_(states), context_(context), messages_(messages),
          fault_data_read_(fault_data_read), progress_(progress) {}

    TIROutcome run() {
        int nfd = 0;
        if (!read_count(nfd) || !read_fault_data(nfd))
            return TIROutcome::ExceptionRaised;
        fault_data_given_ = true;
        if (fault_data_read_)
            fault_data_read_();

        int nst = 0, nfit = 0;
        QStringView name;
        if (!read_count(nst) || !read_count(nfit) || !next_line(name))
            return TIROutcome::ExceptionRaised;
        states_.cgp_filename = locate_CGP(name.toString(), executable_dir_, path_);

        std::vector<TCGPRecord> records;
        float sum = 0;
        // A state is counted once for its fitness line and once built, the longer step.
        total_work_ = qint64(nfit) + qint64(nst);
        const TIROutcome outcome = read_states(nst, nfit, records, sum);
        total_work_ = qint64(nfit) + qint64(records.size());
        tell(nfit);
        if (outcome == TIROutcome::Loaded)
            build_sorted_states(records, sum, states_,
                                [&](size_t built) { tell(qint64(nfit) + qint64(built)); });
        else
            append_states(records, states_.STSet);
        tell(total_work_);
        return outcome;
    }

    // Whether fault_data_read has had the fault data.
    bool fault_data_given() const { return fault_data_given_; }
    // The file being read when the memory ran out.
    const QString& file_too_large() const { return cgp_too_large_ ? states_.cgp_filename : path_; }

private:
    void tell(qint64 done) const {
        if (progress_)
            progress_(done, total_work_);
    }

    // Every line the layout names must be there.
    bool next_line(QStringView& line) {
        if (!lines_.next(line))
            return false;
        ++line_number_;
        return true;
    }

    bool next_trimmed_line(QStringView& line) {
        if (!lines_.next_trimmed(line))
            return false;
        ++line_number_;
        return true;
    }

    // A count is the whole line as a non-negative integer.
    bool read_count(int& out) {
        QStringView line;
        return next_trimmed_line(line) && token_to_int(line, out) && out >= 0;
    }

    bool read_fault_data(int nfd) {
        for (int i = 0; i < nfd; ++i) {
            QStringView line;
            if (!next_line(line))
                return false;
            TFaultData datum;
            switch (read_ir_fault_datum_line(line, int(line_number_), context_, datum)) {
            case TIRDatumStatus::Read:
                fault_data_.FDList.push_back(std::move(datum));
                break;
            case TIRDatumStatus::InvalidData:
                break;
            case TIRDatumStatus::TooFewTokens:
                return false;
            }
        }
        return true;
    }

    // State number and fitness of each fitness line in turn, up to the first that is missing or
    // not two integers with a state from 1; false when there is one. Whether the state exists
    // is for the caller to check, once the CGP file has been read.
    bool read_fitness_lines(int nfit, std::vector<std::pair<int, int>>& fitness) {
        // "1 5" is the shortest line there can be.
        fitness.reserve(size_t(std::min<qsizetype>(nfit, lines_.lines_bound(3))));
        for (int i = 0; i < nfit; ++i) {
            QStringView line, number_token, fitness_token;
            int state = 0, fitness_value = 0;
            if (!next_trimmed_line(line) ||
                first_two_tokens(line, number_token, fitness_token) < 2 ||
                !token_to_int(number_token, state) || !token_to_int(fitness_token, fitness_value) ||
                state < 1)
                return false;
            fitness.emplace_back(state, fitness_value);
            if ((i + 1) % lines_between_reports == 0)
                tell(i + 1);
        }
        return true;
    }

    // The CGP records with their fitness, and the sum of fitness. The CGP file is read on
    // another thread while the fitness lines are read here; they are put together after, in
    // the order of the lines, as if one had been read after the other.
    TIROutcome read_states(int nst, int nfit, std::vector<TCGPRecord>& records, float& sum) {
        const TCGPPresence presence = check_CGP(states_.cgp_filename, messages_);
        if (presence == TCGPPresence::Unreadable)
            return TIROutcome::ExceptionRaised;
        std::vector<std::pair<int, int>> fitness;
        bool fitness_complete = false;
        bool cgp_read = true;
        const auto read_fitness = [&] { fitness_complete = read_fitness_lines(nfit, fitness); };
        if (presence == TCGPPresence::Present) {
            run_both(read_fitness, [&] {
                try {
                    cgp_read = parse_CGP_file(states_.cgp_filename, records);
                } catch (const std::bad_alloc&) {
                    cgp_too_large_ = true;
                }
            });
        } else {
            read_fitness();
        }
        if (cgp_too_large_)
            throw std::bad_alloc();
        if (!cgp_read)
            return TIROutcome::ExceptionRaised;
        if (static_cast<size_t>(nst) != records.size())
            messages_.show(QStringLiteral("conflict in number of stress tensor between\r\n[") %
                           path_ % QStringLiteral("] and [") % states_.cgp_filename %
                           QStringLiteral("]"));
        for (const auto& [state, fitness_value] : fitness) {
            if (size_t(state) > records.size())
                return TIROutcome::ExceptionRaised;
            records[size_t(state) - 1].L = fitness_value;
            // Single precision, as the sum has always been kept.
            sum = static_cast<float>(double(sum) + fitness_value);
            states_.max_L = std::max(states_.max_L, fitness_value);
        }
        if (!fitness_complete)
            return TIROutcome::ExceptionRaised;
        return states_.max_L == 0 ? TIROutcome::InvalidResult : TIROutcome::Loaded;
    }

    LineSource& lines_;
    qint64 line_number_ = 0;
    const QString& path_;
    const QString& executable_dir_;
    TFaultDataSet& fault_data_;
    TStressStates& states_;
    TFDLineContext& context_;
    Messages& messages_;
    const TIRFaultDataRead& fault_data_read_;
    const TIRReadProgress& progress_;
    qint64 total_work_ = 0;
    bool fault_data_given_ = false;
    bool cgp_too_large_ = false;
};

TIRReadResult read_from(LineSource& lines, const QString& path, const QString& executable_dir,
                        TFaultDataSet& fault_data, TStressStates& states, EventLog& log,
                        Messages& messages, const TIRFaultDataRead& fault_data_read,
                        const TIRReadProgress& progress) {
    fault_data.clear_FD();
    states.clear();
    TFDLineContext context{path, &log, &messages, false, locale_decimal_point()};
    IRReading reading(lines, path, executable_dir, fault_data, states, context, messages,
                      fault_data_read, progress);
    TIRReadResult result;
    try {
        result.outcome = reading.run();
    } catch (const std::bad_alloc&) {
        // What was read goes, to give the memory back.
        if (!reading.fault_data_given())
            fault_data = TFaultDataSet();
        states = TStressStates();
        result.outcome = TIROutcome::TooLarge;
        const QString& file = reading.file_too_large();
        result.too_large_message = file_too_large_message(file, QFileInfo(file).size());
    }
    result.orientation_error = context.orientation_error;
    return result;
}

} // namespace

QString ir_failure_message(TIROutcome outcome) {
    switch (outcome) {
    case TIROutcome::Loaded:
        break;
    case TIROutcome::InvalidResult:
        return invalid_result_message;
    case TIROutcome::ExceptionRaised:
        return exception_raised_message;
    case TIROutcome::TooLarge:
        return QStringLiteral("Cannot read file: too large for the memory available.");
    }
    return {};
}

QString ir_failure_message(const TIRReadResult& result) {
    if (result.outcome == TIROutcome::TooLarge && !result.too_large_message.isEmpty())
        return result.too_large_message;
    return ir_failure_message(result.outcome);
}

bool read_CGP(const QString& path, std::vector<TStressTensor>& STSet, Messages& messages) {
    std::vector<TCGPRecord> records;
    const bool read = read_CGP_records(path, records, messages);
    append_states(records, STSet);
    return read;
}

QString ir_orientation_error_message(const QString& path) {
    return orientation_error_message(path);
}

bool read_IR_file(const QString& path, QByteArray& bytes, QString* message) {
    TFileReadResult file = read_file_bytes(path);
    if (!file.ok) {
        if (message)
            *message = file.too_large ? file.error : exception_raised_message;
        return false;
    }
    bytes = std::move(file.bytes);
    if (message)
        message->clear();
    return true;
}

TIRReadResult read_inversion_result(const QByteArray& bytes, const QString& path,
                                    const QString& executable_dir, TFaultDataSet& fault_data,
                                    TStressStates& states, EventLog& log, Messages& messages,
                                    const TIRFaultDataRead& fault_data_read,
                                    const TIRReadProgress& progress) {
    DecodedLines lines(bytes);
    return read_from(lines, path, executable_dir, fault_data, states, log, messages,
                     fault_data_read, progress);
}

TIRReadResult read_inversion_result_lines(const QStringList& lines, const QString& path,
                                          const QString& executable_dir, TFaultDataSet& fault_data,
                                          TStressStates& states, EventLog& log, Messages& messages,
                                          const TIRFaultDataRead& fault_data_read,
                                          const TIRReadProgress& progress) {
    ListLines source(lines);
    return read_from(source, path, executable_dir, fault_data, states, log, messages,
                     fault_data_read, progress);
}
