#include "output/picture_files.h"
#include "plot/mohr_plot.h"
#include "plot/picture_parts.h"
#include "plot/st_symbols.h"
#include "tests/support/resource_use.h"
#include "tests/support/test_support.h"

#include <QPainter>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

namespace {

// The SVG title is the file's base name: "R&D.svg" wrote "<title>R&D</title>", which no XML
// parser takes. Every name must give well-formed XML whose title reads back as the name, but
// for the characters XML cannot hold at all.
TEST(SvgPictures, TitleOfAnyFileNameIsWellFormed) {
    const struct {
        QString name;
        QString title;
    } rows[] = {
        {QStringLiteral("R&D"), QStringLiteral("R&D")},
        {QStringLiteral("a<b>c"), QStringLiteral("a<b>c")},
        {QStringLiteral("say \"so\" 'twice'"), QStringLiteral("say \"so\" 'twice'")},
        {QStringLiteral("&amp;"), QStringLiteral("&amp;")}, // not taken for a reference
        {QStringLiteral("Köln–東京 😀"), QStringLiteral("Köln–東京 😀")},
        {QStringLiteral("]]>"), QStringLiteral("]]>")},
        {QStringLiteral("tab\tline\ncr\r"), QStringLiteral("tab\tline\ncr\r")},
        {QStringLiteral("bell\a") + QChar(0xFFFF), QStringLiteral("bell\uFFFD\uFFFD")},
        {QStringLiteral("half ") + QChar(0xD800) + u'x',
         QStringLiteral("half \uFFFDx")}, // a name not valid UTF-8 may decode so
    };
    for (const auto& row : rows) {
        TempFolder folder;
        const QString path = folder.path(row.name + QStringLiteral(".svg"));
        QString error;
        ASSERT_TRUE(write_picture(
            path, QSize(40, 20), 1.0, [](QPainter& p) { p.drawLine(0, 0, 39, 19); }, &error))
            << error.toStdString();
        QXmlStreamReader xml(folder.read(row.name + QStringLiteral(".svg")));
        QString title;
        while (!xml.atEnd())
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"title")
                title = xml.readElementText();
        EXPECT_FALSE(xml.hasError())
            << row.name.toStdString() << ": " << xml.errorString().toStdString();
        EXPECT_EQ(title, row.title);
    }
}

// A plain name is written as before, so that pictures saved earlier stay as they were.
TEST(SvgPictures, PlainNameTitleUnchanged) {
    TempFolder folder;
    QString error;
    ASSERT_TRUE(write_picture(
        folder.path(QStringLiteral("stress.v2.svg")), QSize(40, 20), 1.0,
        [](QPainter& p) { p.drawLine(0, 0, 39, 19); }, &error));
    EXPECT_TRUE(folder.read(QStringLiteral("stress.v2.svg")).contains("<title>stress.v2</title>"));
}

// A picture written in parts is the picture held whole, byte for byte, wherever the parts
// end: after every symbol, every few, never, with empty parts, with text and a transform set.
TEST(SvgPictures, WrittenInPartsIsTheWholePicture) {
    const auto draw = [](QPainter& canvas) {
        canvas.fillRect(QRect(0, 0, 300, 200), Qt::white);
        canvas.setTransform(QTransform::fromTranslate(3, 4));
        canvas.drawText(QPointF(10, 20), QStringLiteral("σn & τ"));
        TCoordAxes2D axes;
        axes.O = {20, 180};
        axes.e = {Tvector2{250, 0}, Tvector2{0, -160}};
        TSymbolSpec symb;
        symb.size = 5;
        symb.sh_offset = 2;
        symb.sh_pen = make_pen(black_value, 3);
        symb.sh_brs = make_brush(black_value);
        for (int i = 0; i < 23; ++i) {
            const QColor c = color_from_value(rainbow_color(float(i % 7) / 6));
            symb.pen = make_pen(black_value, 3);
            symb.pen.setColor(c);
            symb.brs = make_brush(black_value);
            symb.brs.setColor(c);
            draw_point_symbol(canvas, axes, symb, float(i) / 23, float(i % 5) / 5);
            picture_part_may_end(canvas);
            if (i % 4 == 0)
                picture_part_may_end(canvas); // nothing drawn in between
        }
    };
    TempFolder folder;
    QString error;
    const QString name = QStringLiteral("mohr.svg"); // the title is the name
    ASSERT_TRUE(write_svg_picture(folder.path(name), QSize(300, 200), draw, 0, &error))
        << error.toStdString();
    const QByteArray whole = folder.read(name);
    ASSERT_GT(whole.count("<circle"), 40);
    for (const int symbols_per_part : {1, 2, 3, 7, 22, 23, 24, 10000}) {
        ASSERT_TRUE(
            write_svg_picture(folder.path(name), QSize(300, 200), draw, symbols_per_part, &error))
            << error.toStdString();
        EXPECT_EQ(folder.read(name), whole) << symbols_per_part << " symbols per part";
    }
}

// The labelled Mohr diagram written in parts is the one held whole; its metafile holds the
// labels as text.
TEST(SvgPictures, LabelledMohrDiagramInPartsAndAsMetafile) {
    TMohrPlotStyles styles;
    init_Mohr_style(styles);
    TFaultDataSet set;
    for (int i = 0; i < 30; ++i) {
        TFaultData fd;
        fd.SDList.resize(1);
        fd.SDList[0].normal_stress = float(i) / 30;
        fd.SDList[0].shear_stress = float(i % 5) / 12;
        fd.rep_isd = 0;
        fd.rep_misfit = float(i * 6);
        set.FDList.push_back(fd);
    }
    TStressTensor st;
    st.sr = 0.4f;
    const auto draw = [&](QPainter& canvas) {
        draw_Mohr_diagram(canvas, styles, &set, &st, 180, true);
    };
    const QSize size(mohr_plot_size, mohr_plot_size);
    TempFolder folder;
    QString error;
    const QString name = QStringLiteral("mohr.svg");
    ASSERT_TRUE(write_svg_picture(folder.path(name), size, draw, 0, &error)) << error.toStdString();
    const QByteArray whole = folder.read(name);
    for (const int symbols_per_part : {1, 7}) {
        ASSERT_TRUE(write_svg_picture(folder.path(name), size, draw, symbols_per_part, &error));
        EXPECT_EQ(folder.read(name), whole) << symbols_per_part << " symbols per part";
    }
    ASSERT_TRUE(write_picture_as(folder.path(QStringLiteral("mohr.emf")), TPictureFormat::Emf, size,
                                 1, draw, &error))
        << error.toStdString();
    const QByteArray emf = folder.read(QStringLiteral("mohr.emf"));
    for (const QString& text : {QStringLiteral("σ"), QStringLiteral("τ"), QStringLiteral("misfit"),
                                QStringLiteral("180°"), QStringLiteral("0°")}) {
        const QByteArray utf16(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
        EXPECT_TRUE(emf.contains(utf16)) << text.toStdString();
        EXPECT_TRUE(whole.contains(">" + text.toUtf8() + "<")) << text.toStdString();
    }
}

// Written in parts, the text held while drawing stays that of one part, however many symbols
// follow; held whole, it grows by some 1 kB a symbol.
TEST(SvgPictures, PartsKeepTheHeldTextSmall) {
    const auto growth = [](int symbols_per_part) {
        long long at_start = 0, at_end = 0;
        const auto draw = [&](QPainter& canvas) {
            for (int i = 0; i < 3000; ++i) {
                if (i == 100)
                    at_start = heap_in_use();
                canvas.setPen(QPen(i % 2 ? Qt::red : Qt::blue, 3));
                canvas.drawEllipse(QRect(i % 280, i % 180, 10, 10));
                picture_part_may_end(canvas);
            }
            at_end = heap_in_use();
        };
        TempFolder folder;
        QString error;
        EXPECT_TRUE(write_svg_picture(folder.path(QStringLiteral("held.svg")), QSize(300, 200),
                                      draw, symbols_per_part, &error))
            << error.toStdString();
        return at_end - at_start;
    };
    EXPECT_GT(growth(0), 1'000'000);
    EXPECT_LT(growth(50), 200'000);
}

} // namespace
