#include "ui/window_arguments.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

// "--help" was opened as a file and showed "Invalid file extension []"; options are options.
TEST(WindowArguments, OptionsAreNotOpenedAsFiles) {
    using Kind = TWindowArguments::Kind;
    const struct {
        QStringList arguments;
        Kind kind;
        QStringList files;
        const char* text;
    } rows[] = {
        {{}, Kind::Run, {}, ""},
        {{"a.efd", "b.tlv"}, Kind::Run, {"a.efd", "b.tlv"}, ""},
        {{"--help"}, Kind::Help, {}, "Usage: quomtel [options] [files]"},
        {{"a.efd", "-h"}, Kind::Help, {}, "Usage: quomtel"},
        {{"--version"}, Kind::Version, {}, "quomtel 1."},
        {{"--bogus", "a.efd"}, Kind::UsageError, {}, "quomtel: unknown option '--bogus'"},
        {{"-x"}, Kind::UsageError, {}, "quomtel: unknown option '-x'"},
        {{"--", "-odd.efd", "--help"}, Kind::Run, {"-odd.efd", "--help"}, ""},
        {{"-"}, Kind::Run, {"-"}, ""},
        {{"--screenshots", "out", "a.tlv"}, Kind::Run, {"a.tlv"}, ""},
    };
    for (const auto& row : rows) {
        QStringList arguments = row.arguments;
        arguments.prepend(QStringLiteral("quomtel"));
        const TWindowArguments parsed = parse_window_arguments(arguments);
        const std::string where = arguments.join(u' ').toStdString();
        EXPECT_EQ(parsed.kind, row.kind) << where;
        EXPECT_EQ(parsed.files, row.files) << where;
        EXPECT_EQ(parsed.text.left(qsizetype(strlen(row.text))), QLatin1String(row.text)) << where;
    }
    EXPECT_EQ(parse_window_arguments({"quomtel", "--screenshots", "out"}).screenshot_folder,
              QStringLiteral("out"));
}

} // namespace
