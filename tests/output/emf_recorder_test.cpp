#include "output/emf_recorder.h"
#include "plot/fd_plot.h"
#include "tests/support/test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QStandardPaths>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <vector>

namespace {

// Record types the checks look at.
constexpr std::uint32_t HEADER = 1, POLYGON = 3, POLYLINE = 4, END = 14, FILLMODE = 19;
constexpr std::uint32_t SELECT = 37, CREATEPEN = 38, CREATEBRUSH = 39, DELETE = 40, ELLIPSE = 42;
constexpr std::uint32_t DIBITS = 81, CREATEFONT = 82, TEXT = 84, POLYGON16 = 86, POLYLINE16 = 87;
constexpr std::uint32_t POLYPOLYGON16 = 91, EXTCREATEPEN = 95;
constexpr std::uint32_t NULL_PEN = 0x80000008;
enum Kind { Pen, Brush, Font, None };

Kind kind_of(std::uint32_t type) {
    if (type == CREATEPEN || type == EXTCREATEPEN)
        return Pen;
    return type == CREATEBRUSH ? Brush : type == CREATEFONT ? Font : None;
}
Kind stock_kind(std::uint32_t handle) {
    const std::uint32_t i = handle & 0xFF;
    return i <= 5 || i == 18 ? Brush : i <= 8 || i == 19 ? Pen : Font;
}

struct Rec {
    std::uint32_t type;
    qsizetype at;
    std::uint32_t size;
};

// Our own reader of the records.
struct Emf {
    QByteArray bytes;
    std::vector<Rec> records;

    std::uint32_t u32(qsizetype at) const {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData()) + at;
        return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
    }
    std::uint32_t f(const Rec& r, int offset) const { return u32(r.at + offset); }
    int s(const Rec& r, int offset) const { return int(f(r, offset)); }
    std::array<int, 4> box(const Rec& r, int offset = 8) const {
        return {s(r, offset), s(r, offset + 4), s(r, offset + 8), s(r, offset + 12)};
    }
    QString utf16(qsizetype at, std::uint32_t units) const {
        QString text;
        for (std::uint32_t i = 0; i < units && (u32(at + 2 * i) & 0xFFFF); ++i)
            text += QChar(char16_t(u32(at + 2 * i)));
        return text;
    }
    std::vector<std::size_t> of(std::uint32_t type) const {
        std::vector<std::size_t> out;
        for (std::size_t i = 0; i < records.size(); ++i)
            if (records[i].type == type)
                out.push_back(i);
        return out;
    }
    const Rec& first(std::uint32_t type) const { return records.at(of(type).at(0)); }
    // The record that created the handle's object, before record index `before`.
    const Rec& creation(std::uint32_t handle, std::size_t before) const {
        static const Rec none{0, 0, 0};
        for (std::size_t j = before; j-- > 0;)
            if (kind_of(records[j].type) != None && f(records[j], 8) == handle)
                return records[j];
        return none;
    }
    // The handle of that kind selected last before record index `before`.
    std::uint32_t selected(std::size_t before, Kind kind) const {
        for (std::size_t i = before; i-- > 0;) {
            const std::uint32_t h = records[i].type == SELECT ? f(records[i], 8) : 0;
            if (h && (h >= 0x80000000 ? stock_kind(h) : kind_of(creation(h, i).type)) == kind)
                return h;
        }
        return 0;
    }
};

// What a record of the type must measure, from its own counts and offsets; 0 for a type
// the recorder never writes.
std::uint32_t expected_size(const Emf& e, const Rec& r) {
    static const std::map<std::uint32_t, std::uint32_t> fixed{
        {18, 12},      {FILLMODE, 12}, {22, 12},        {24, 12},
        {SELECT, 12},  {DELETE, 12},   {END, 20},       {CREATEBRUSH, 24},
        {ELLIPSE, 24}, {43, 24},       {CREATEPEN, 28}, {CREATEFONT, 12 + 320}};
    if (const auto it = fixed.find(r.type); it != fixed.end())
        return it->second;
    if (r.size < 32)
        return 0;
    const std::uint32_t n = e.f(r, 24), point = r.type < 10 ? 8 : 4;
    std::uint32_t total = 0;
    switch (r.type) {
    case POLYGON:
    case POLYLINE:
    case POLYGON16:
    case POLYLINE16:
        return n < 2 ? 0 : 28 + point * n;
    case 8:
    case POLYPOLYGON16:
        for (std::uint32_t i = 0; i < n; ++i)
            total += e.f(r, 32 + 4 * int(i));
        return total != e.f(r, 28) ? 0 : 32 + 4 * n + point * total;
    case EXTCREATEPEN:
        return 52 + 4 * e.f(r, 48);
    case TEXT: // string after the fixed fields, spacing after the string
        return e.f(r, 48) >= 76 && e.f(r, 48) + 2 * e.f(r, 44) <= e.f(r, 72)
                   ? e.f(r, 72) + 4 * e.f(r, 44)
                   : 0;
    case DIBITS: // bitmap header, then the pixels
        return e.f(r, 48) >= 80 && e.f(r, 48) + e.f(r, 52) <= e.f(r, 56) ? e.f(r, 56) + e.f(r, 60)
                                                                         : 0;
    case HEADER:
        return e.f(r, 40) == 0x464D4520 && e.f(r, 44) == 0x10000 ? r.size : 0;
    }
    return 0;
}

::testing::AssertionResult parse(const QByteArray& bytes, Emf* e) {
    e->bytes = bytes;
    e->records.clear();
    for (qsizetype at = 0; at < bytes.size();) {
        const Rec r{e->u32(at), at, at + 8 <= bytes.size() ? e->u32(at + 4) : 0};
        if (r.size < 8 || r.size % 4 || at + r.size > bytes.size() ||
            expected_size(*e, r) != r.size)
            return ::testing::AssertionFailure() << "record " << r.type << " at " << at;
        e->records.push_back(r);
        at += r.size;
    }
    if (e->records.empty() || e->records.front().type != HEADER || e->records.back().type != END)
        return ::testing::AssertionFailure() << "not framed by header and end record";
    return ::testing::AssertionSuccess();
}

struct HandleUse {
    std::size_t max_alive = 0;
    std::uint32_t max_index = 0;
    int created = 0;
};

// Plays the object records against a handle table: created into free slots, selected while
// alive, never deleted while selected.
::testing::AssertionResult play_handles(const Emf& e, HandleUse* use) {
    std::map<std::uint32_t, Kind> alive;
    std::map<Kind, std::uint32_t> selected;
    for (const Rec& r : e.records) {
        const std::uint32_t h = r.size >= 12 ? e.f(r, 8) : 0;
        if (kind_of(r.type) != None) {
            if (h == 0 || alive.count(h))
                return ::testing::AssertionFailure() << "created into live slot " << h;
            alive[h] = kind_of(r.type);
            ++use->created;
            use->max_alive = std::max(use->max_alive, alive.size());
            use->max_index = std::max(use->max_index, h);
        } else if (r.type == SELECT && h < 0x80000000 && !alive.count(h)) {
            return ::testing::AssertionFailure() << "selects dead handle " << h;
        } else if (r.type == SELECT) {
            selected[h >= 0x80000000 ? stock_kind(h) : alive[h]] = h;
        } else if (r.type == DELETE) {
            if (!alive.count(h) || selected[alive[h]] == h)
                return ::testing::AssertionFailure() << "deletes handle " << h;
            alive.erase(h);
        }
    }
    return ::testing::AssertionSuccess();
}

QFont label_font() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(24);
    font.setBold(true);
    return font;
}

// A filled circle, a dotted polyline, a thick polygon and a label on a white canvas.
void draw_sample(QPainter& p, int width = 1000, int height = 1000) {
    clear_canvas(p, width, height);
    give_pen_brush(p, QPen(Qt::NoPen), make_brush(0x2020C0));
    p.drawEllipse(QRect(100, 100, 200, 200));
    p.setPen(make_pen(0xFF0000, 1, Qt::DotLine));
    p.drawPolyline(QPolygon({{400, 100}, {600, 150}, {700, 300}}));
    give_pen_brush(p, make_pen(0x008000, 6), make_brush(0x00FFFF));
    p.drawPolygon(QPolygon({{100, 500}, {300, 450}, {350, 650}, {150, 700}}));
    p.setFont(label_font());
    p.setPen(make_pen(black_value));
    p.drawText(QPoint(400, 700), QStringLiteral("Sigma 1"));
}

template <class Draw> Emf record(Draw&& draw, int width = 1000, int height = 1000) {
    TEmfRecorder recorder(width, height);
    {
        QPainter p(&recorder);
        draw(p);
    }
    Emf e;
    EXPECT_TRUE(parse(recorder.data(), &e));
    return e;
}

TEST(EmfRecorderFile, HeaderDescribesTheFile) {
    for (const QSize size : {QSize(1000, 1000), QSize(2000, 1000)}) {
        SCOPED_TRACE(size.width());
        const int w = size.width(), h = size.height();
        const Emf e = record([&](QPainter& p) { draw_sample(p, w, h); }, w, h);
        const Rec& head = e.records.front();
        EXPECT_EQ(e.f(head, 48), std::uint32_t(e.bytes.size()));
        EXPECT_EQ(e.f(head, 52), std::uint32_t(e.records.size()));
        EXPECT_EQ(e.box(head), (std::array<int, 4>{0, 0, w - 1, h - 1})); // the white canvas
        EXPECT_EQ(e.box(head, 24), (std::array<int, 4>{0, 0, int(std::lround(w * 2540.0 / 96)),
                                                       int(std::lround(h * 2540.0 / 96))}));
        for (int axis = 0; axis < 2; ++axis) { // a 96-dpi screen, to the mm and the micrometre
            const int px = e.s(head, 72 + 4 * axis), mm = e.s(head, 80 + 4 * axis);
            EXPECT_NEAR(px * 25.4 / 96, mm, 0.5);
            EXPECT_EQ(e.s(head, 100 + 4 * axis), std::lround(px * 25400.0 / 96));
        }
        HandleUse use;
        EXPECT_TRUE(play_handles(e, &use));
        EXPECT_GE(e.f(head, 56) & 0xFFFF, use.max_alive + 1);
        EXPECT_GE(e.f(head, 56) & 0xFFFF, use.max_index + 1);
    }
    TEmfRecorder unpainted(300, 200);
    unpainted.set_description(QStringLiteral("Quomtel"), QStringLiteral("Mohr diagram"));
    Emf e;
    ASSERT_TRUE(parse(unpainted.data(), &e));
    const Rec& head = e.records.front();
    EXPECT_EQ(e.box(head), (std::array<int, 4>{0, 0, -1, -1})); // nothing drawn
    EXPECT_EQ(e.f(head, 60), 7u + 1 + 12 + 2);
    EXPECT_EQ(e.utf16(e.f(head, 64) + 16, 12), QStringLiteral("Mohr diagram"));
}

TEST(EmfRecorderFile, ObjectsAreReusedAndTheirNumberStaysBounded) {
    const Emf e = record([](QPainter& p) {
        for (int i = 0; i < 300; ++i) {
            give_pen_brush(p, make_pen(TColorValue(i), 1 + i % 3), make_brush(TColorValue(7 * i)));
            p.drawEllipse(QRect(i, i, 10, 10));
        }
        for (int i = 0; i < 50; ++i) { // back and forth between two styles
            give_pen_brush(p, make_pen(0, 1 + i % 2), make_brush(0));
            p.drawLine(0, i, 10, i);
        }
    });
    HandleUse use;
    ASSERT_TRUE(play_handles(e, &use));
    EXPECT_LE(e.f(e.records.front(), 56) & 0xFFFF, 17u);
    EXPECT_LE(use.created, 300 * 2 + 2);
}

TEST(EmfRecorderDrawing, PainterGeometryReachesTheRecords) {
    QImage image(1, 2, QImage::Format_RGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(0, 1, qRgb(10, 20, 30));
    const Emf e = record([&](QPainter& p) {
        p.translate(100, 50);
        p.scale(2, 2);
        p.setPen(make_pen(0, 3));
        p.setFont(label_font());
        p.drawLine(0, 0, 10, 10);
        p.drawText(QPoint(0, 0), QStringLiteral("Sigma 1"));
        p.drawImage(QRect(10, 20, 20, 10), image);
        p.setBrush(make_brush(0));
        p.drawEllipse(QRect(0, 0, 20, 10));
        p.rotate(30); // no longer axis-parallel: a polygon with its outline
        p.drawEllipse(QRect(0, 0, 20, 10));
        p.resetTransform();
        p.drawPolygon(QPolygon({{0, 0}, {40000, 10}, {10, -40000}}), Qt::WindingFill);
        QPainterPath open; // filled without outline, then outlined
        open.moveTo(0, 500);
        open.quadTo(50, 400, 100, 500);
        p.drawPath(open);
    });
    EXPECT_EQ(e.f(e.first(18), 8), 1u);  // transparent background: dotted gaps stay open
    EXPECT_EQ(e.f(e.first(22), 8), 24u); // text placed by its baseline, as QPainter does
    const std::size_t line = e.of(POLYLINE16).at(0);
    EXPECT_EQ(e.box(e.records[line]), (std::array<int, 4>{100, 50, 120, 70}));
    EXPECT_EQ(e.f(e.records[line], 28), 100u | 50u << 16);
    EXPECT_EQ(e.f(e.creation(e.selected(line, Pen), line), 32), 6u);
    const Rec& font = e.first(CREATEFONT);
    EXPECT_EQ(std::vector<int>({e.s(font, 12), e.s(font, 28)}), std::vector<int>({-48, 700}));
    EXPECT_EQ(e.utf16(font.at + 40, 32), QStringLiteral("DejaVu Sans"));
    const Rec& text = e.first(TEXT); // at the baseline, spaced as QPainter measured it
    EXPECT_EQ(QPoint(e.s(text, 36), e.s(text, 40)), QPoint(100, 50));
    int extent = 0;
    for (std::uint32_t i = 0; i < e.f(text, 44); ++i)
        extent += int(e.u32(text.at + e.f(text, 72) + 4 * i));
    EXPECT_NEAR(extent, 2 * QFontMetricsF(label_font()).horizontalAdvance("Sigma 1"), 1);
    EXPECT_EQ(e.box(e.first(ELLIPSE)), (std::array<int, 4>{100, 50, 140, 70}));
    EXPECT_EQ(e.of(ELLIPSE).size(), 1u);
    const std::vector<std::size_t> polys = e.of(POLYPOLYGON16);
    ASSERT_EQ(polys.size(), 2u);
    EXPECT_GT(e.f(e.records[polys[0]], 28), 10u);
    EXPECT_NE(e.selected(polys[0], Pen), NULL_PEN);
    EXPECT_EQ(e.selected(polys[1], Pen), NULL_PEN);
    EXPECT_EQ(e.of(POLYLINE16).back(), polys[1] + 2); // after the pen is selected again
    const std::size_t far = e.of(POLYGON).at(0);      // beyond 16 bits
    EXPECT_EQ(e.box(e.records[far]), (std::array<int, 4>{0, -40000, 40000, 10}));
    std::uint32_t fill_mode = 0;
    for (const std::size_t i : e.of(FILLMODE))
        fill_mode = i < far ? e.f(e.records[i], 8) : fill_mode;
    EXPECT_EQ(fill_mode, 2u); // winding
    const Rec& dib = e.first(DIBITS);
    EXPECT_EQ(std::vector<int>({e.s(dib, 24), e.s(dib, 28), e.s(dib, 72), e.s(dib, 76)}),
              std::vector<int>({120, 90, 40, 20}));
    EXPECT_EQ(e.u32(dib.at + e.f(dib, 56)) & 0xFFFFFF, 0x0A141Eu); // bottom row first, BGR
}

TEST(EmfRecorderDrawing, BoundsHoldWhatWasDrawn) {
    struct Case {
        int pen; // 0: none
        QRect ellipse;
        std::array<int, 4> bounds;
    };
    for (const Case& c : {Case{0, {10, 20, 30, 40}, {10, 20, 39, 59}},
                          Case{4, {100, 100, 50, 50}, {98, 98, 151, 151}}, // half the pen out
                          Case{3, {-50, 10, 2000, 2}, {0, 8, 999, 13}}}) { // cut at the picture
        const Emf e = record([&](QPainter& p) {
            give_pen_brush(p, c.pen ? make_pen(0, c.pen) : QPen(Qt::NoPen), make_brush(0));
            p.drawEllipse(c.ellipse);
        });
        EXPECT_EQ(e.box(e.records.front()), c.bounds);
    }
}

TEST(EmfRecorderSave, FailsBelowAFileAndReplacesAtomically) {
    TempFolder folder;
    const QString plain = folder.write(QStringLiteral("plain.txt"), "text");
    TEmfRecorder recorder(1000, 1000);
    QString error;
    EXPECT_FALSE(recorder.save(plain + QStringLiteral("/plot.emf"), &error));
    EXPECT_TRUE(error.contains(plain + QStringLiteral("/plot.emf")));
    EXPECT_FALSE(QFileInfo::exists(plain + QStringLiteral("/plot.emf")));

    const QString target = folder.write(QStringLiteral("plot.emf"), "old contents");
    {
        QPainter p(&recorder);
        draw_sample(p);
        EXPECT_FALSE(recorder.save(target, &error)); // still recording
    }
    EXPECT_EQ(folder.read(QStringLiteral("plot.emf")), QByteArray("old contents"));
    ASSERT_TRUE(recorder.save(target, &error)) << error.toStdString();
    EXPECT_EQ(folder.read(QStringLiteral("plot.emf")), recorder.data());
    EXPECT_EQ(QDir(QFileInfo(target).path()).entryList(QDir::Files),
              QStringList({QStringLiteral("plain.txt"), QStringLiteral("plot.emf")}));
}

// Elements of the SVG that the independent reader makes of the file, by name, with their
// attributes and their text under "#text".
using SvgElement = std::pair<QString, std::map<QString, QString>>;

std::vector<SvgElement> convert(const QByteArray& emf) {
    TempFolder folder;
    QProcess tool;
    tool.start(QStringLiteral("emf2svg-conv"),
               {QStringLiteral("-i"), folder.write(QStringLiteral("in.emf"), emf),
                QStringLiteral("-o"), folder.path(QStringLiteral("out.svg"))});
    EXPECT_TRUE(tool.waitForFinished(30000));
    EXPECT_EQ(tool.exitCode(), 0) << tool.readAllStandardError().toStdString();
    QXmlStreamReader xml(folder.read(QStringLiteral("out.svg")));
    std::vector<SvgElement> elements;
    bool inside = false; // text between an element's start and end belongs to it
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            elements.push_back({xml.name().toString(), {}});
            for (const QXmlStreamAttribute& a : xml.attributes())
                elements.back().second[a.name().toString()] = a.value().toString();
        } else if (xml.isCharacters() && inside) {
            elements.back().second[QStringLiteral("#text")] += xml.text();
        }
        inside = xml.isStartElement() || (inside && xml.isCharacters());
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    return elements;
}

// Elements of the name (any if empty) with the wanted values, compared as numbers where they
// are numbers; "*" asks only for the attribute to be there.
int count(const std::vector<SvgElement>& svg, const char* name,
          const std::map<QString, QString>& wanted) {
    return int(std::count_if(svg.begin(), svg.end(), [&](const SvgElement& element) {
        if (*name && element.first != QLatin1String(name))
            return false;
        return std::all_of(wanted.begin(), wanted.end(), [&](const auto& w) {
            const auto it = element.second.find(w.first);
            bool number = false;
            const double value = w.second.toDouble(&number);
            return it != element.second.end() && (w.second == u"*" || it->second == w.second ||
                                                  (number && it->second.toDouble() == value));
        });
    }));
}

bool have_converter() {
    return !QStandardPaths::findExecutable(QStringLiteral("emf2svg-conv")).isEmpty();
}

TEST(EmfConversion, IndependentReaderSeesTheSample) {
    if (!have_converter())
        GTEST_SKIP() << "emf2svg-conv is not installed";
    const auto svg = convert(record([](QPainter& p) { draw_sample(p); }).bytes);
    EXPECT_EQ(count(svg, "ellipse", {{"fill", "#C02020"}, {"cx", "200"}, {"rx", "100"}}), 1);
    EXPECT_EQ(count(svg, "path",
                    {{"stroke", "#0000FF"}, {"stroke-width", "1"}, {"stroke-dasharray", "*"}}),
              1);
    EXPECT_EQ(count(svg, "path",
                    {{"stroke", "#008000"},
                     {"stroke-width", "6"},
                     {"fill", "#FFFF00"},
                     {"stroke-linejoin", "round"}}),
              1);
    EXPECT_EQ(count(svg, "text",
                    {{"#text", "Sigma 1"},
                     {"font-size", "24"},
                     {"font-weight", "700"},
                     {"x", "400"},
                     {"y", "700"}}),
              1);
}

TEST(EmfConversion, FaultDataPlotRecordsAndConverts) {
    TFaultDataSet faults;
    for (const auto& [type, plane] :
         std::vector<std::pair<TDataType, Tazpl>>{{TDataType::Ful, {30, 60}},
                                                  {TDataType::Mec, {120, 45}},
                                                  {TDataType::Lin, {200, 30}},
                                                  {TDataType::Sen, {300, 70}}}) {
        TSlipData sd;
        sd.Pazpl = sd.Lazpl = plane;
        sd.sense = TSense::N;
        compose_slip_data_vectors(sd);
        TFaultData& fd = faults.FDList.emplace_back();
        fd.datatype = type;
        fd.SDList.push_back(sd);
        if (type == TDataType::Mec)
            fd.SDList.push_back(compose_second_nodal_plane(sd));
    }
    TFDPlotStyles styles;
    set_FD_plot_styles(styles);
    const Emf e = record([&](QPainter& p) {
        draw_FD_frame(p, styles);
        for (const TPlotMethod method : {TPlotMethod::GCA, TPlotMethod::TLD})
            draw_FD_set(p, styles, TProjection::EArea, method, faults, TFDSetRole::Loaded, 0);
    });
    HandleUse use;
    EXPECT_TRUE(play_handles(e, &use));
    EXPECT_GT(e.of(POLYLINE16).size() + e.of(POLYGON16).size(), 8u);
    if (!have_converter())
        GTEST_SKIP() << "emf2svg-conv is not installed";
    const auto svg = convert(e.bytes);
    EXPECT_EQ(count(svg, "ellipse", {{"rx", "450"}, {"stroke-width", "4"}}), 1);  // the net
    EXPECT_GT(count(svg, "", {{"stroke", "#FF0000"}, {"stroke-width", "6"}}), 0); // highlighted
    EXPECT_GT(count(svg, "", {{"stroke-dasharray", "*"}}), 0); // the second nodal plane
}

} // namespace
