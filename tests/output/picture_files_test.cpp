#include "output/picture_files.h"
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

} // namespace
