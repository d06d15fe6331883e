#include "tests/ui/ui_fixture.h"
#include "ui/table_import.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGuiApplication>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

const QByteArray field_table = "Strike,Dip,Rake,Note\n0,45,-90,scarp\n0,45,x,bad\n90,30,180,road\n";

TTableOptions by_header() {
    TTableOptions options;
    options.columns = roles_from_list(u"strike,dip,rake,skip");
    return options;
}

// File > Import Table, a dropped .csv and Edit > Paste Table all go through the dialog and load
// the rows as Open Fault Data loads a file; a cancelled dialog leaves the data as they were.
TEST(TableImport, MenuDropAndPasteLoadTheTable) {
    UiFixture ui;
    const QString path = ui.folder.write(QStringLiteral("site.csv"), field_table);
    ui.dialogs.next_path = path;
    ui.dialogs.next_table = by_header();
    ui.window->ActionImportTable->trigger();
    EXPECT_EQ(ui.dialogs.imported, QStringList({"site.csv"}));
    ASSERT_TRUE(ui.session().FD_loaded);
    EXPECT_EQ(ui.session().FDSet.count(), 2);
    EXPECT_EQ(ui.session().FD_loaded_filename, QStringLiteral("site.csv"));
    EXPECT_EQ(ui.messages.shown,
              QStringList({"row 3, column Rake: \"x\" is not a rake in [-180, 180]\n"
                           "3 rows read, 1 skipped"}));

    ui.dialogs.next_table.reset(); // cancelled: the data stay
    ui.window->drop_files({path});
    EXPECT_EQ(ui.dialogs.imported.size(), 2);
    EXPECT_EQ(ui.session().FDSet.count(), 2);

    QGuiApplication::clipboard()->setText(
        QStringLiteral("dd\tdip\ttrend\tplunge\n90\t45\t90\t45\n"));
    ui.dialogs.next_table = TTableOptions{};
    ui.window->ActionPasteTable->trigger();
    EXPECT_EQ(ui.dialogs.imported_text, QStringLiteral("dd\tdip\ttrend\tplunge\n90\t45\t90\t45\n"));
    EXPECT_EQ(ui.session().FDSet.count(), 1);
    EXPECT_EQ(ui.session().FD_loaded_filename, QStringLiteral("clipboard"));

    ui.dialogs.next_path = ui.folder.path(QStringLiteral("pasted.efd"));
    ui.window->ActionSaveDataFaultData->trigger();
    EXPECT_EQ(QString::fromUtf8(ui.folder.read(QStringLiteral("pasted.efd"))),
              QStringLiteral("# fault data from clipboard\r\nF 90.0 45.0 90.0 45.0 U\r\n"));
}

// The dialog detects what it can, shows what each row becomes and marks the rows it would skip;
// OK waits for a plane and a slip.
TEST(TableImport, DialogPreviewsWhatEachRowBecomes) {
    TTableImportDialog dialog(QStringLiteral("site.csv"), QString::fromUtf8(field_table), {});
    EXPECT_EQ(dialog.delimiter_box()->currentData().toChar(), QChar(u','));
    EXPECT_TRUE(dialog.header_box()->isChecked());
    ASSERT_EQ(dialog.role_boxes().size(), 4u);
    const TTablePreviewModel& preview = dialog.preview();
    ASSERT_EQ(preview.rowCount(), 3);
    EXPECT_EQ(preview.outcome(0), QStringLiteral("F 90.0 45.0 90.0 45.0 N"));
    EXPECT_TRUE(preview.skipped(1));
    EXPECT_EQ(preview.outcome(1),
              QStringLiteral("row 3, column Rake: \"x\" is not a rake in [-180, 180]"));
    EXPECT_EQ(preview.outcome(2), QStringLiteral("F 180.0 30.0 270.0 0.0 D"));
    EXPECT_TRUE(dialog.buttons()->button(QDialogButtonBox::Ok)->isEnabled());

    // Without the dip there is no plane; then the left-hand rule turns the first plane around.
    QComboBox* dip = dialog.role_boxes()[1];
    dip->setCurrentIndex(dip->findData(int(TColumnRole::Skip)));
    EXPECT_FALSE(dialog.buttons()->button(QDialogButtonBox::Ok)->isEnabled());
    EXPECT_EQ(preview.outcome(0), QString());
    dip->setCurrentIndex(dip->findData(int(TColumnRole::Dip)));
    dialog.rule_box()->setCurrentIndex(1);
    EXPECT_EQ(preview.outcome(0), QStringLiteral("F 270.0 45.0 270.0 45.0 N"));

    const TTableOptions chosen = dialog.options();
    EXPECT_EQ(chosen.strike_rule, TStrikeRule::Left);
    EXPECT_EQ(chosen.columns, roles_from_list(u"strike,dip,rake,skip"));
    // A remembered mapping is taken when it fits the columns.
    TTableOptions remembered;
    remembered.columns = roles_from_list(u"dipdir,dip,rake,sense");
    TTableImportDialog again(QStringLiteral("site.csv"), QString::fromUtf8(field_table),
                             remembered);
    EXPECT_EQ(again.options().columns, remembered.columns);
    // Another delimiter splits again: one column, no roles.
    again.delimiter_box()->setCurrentIndex(again.delimiter_box()->findData(QChar(u';')));
    EXPECT_EQ(again.role_boxes().size(), 1u);
    EXPECT_FALSE(again.buttons()->button(QDialogButtonBox::Ok)->isEnabled());
}

} // namespace
