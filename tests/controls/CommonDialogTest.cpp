#include "controls/ControlSupport.h"
#include "controls/clsCommonDialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyle>
#include <QTimer>
#include <QPrinter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <tuple>

using namespace CommonDialogRules;

namespace {
const QChar Nul(u'\0');

QString nul(const char* text)
{
    return QString::fromUtf8(text).replace(QLatin1Char('~'), Nul);
}

FileDialogAnswer chosen(const QStringList& files, int index = 1, int flags = 0)
{
    return FileDialogAnswer{1, files, index, flags, 0};
}

void touch(const QTemporaryDir& dir, std::initializer_list<const char*> names)
{
    for (const char* name : names) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
}

struct RecordingSink : CommonDialogSink {
    QStringList calls;
    bool confirm = true;
    Variant TypeChange(std::int32_t hDlg) override { calls << QStringLiteral("TypeChange %1").arg(hDlg); return Variant(std::int32_t(7)); }
    bool ConfirmOK() override { calls << QStringLiteral("ConfirmOK"); return confirm; }
    Variant FolderChange(std::int32_t) override { calls << QStringLiteral("FolderChange"); return Variant(); }
    Variant FileChange(std::int32_t) override { calls << QStringLiteral("FileChange"); return Variant(); }
    void DialogClose() override { calls << QStringLiteral("DialogClose"); }
    Variant InitDialog(std::int32_t) override { calls << QStringLiteral("InitDialog"); return Variant(std::int32_t(1)); }
};
} // namespace

TEST(CommonDialogRules, FiltersPatternsAndTitles)
{
    EXPECT_EQ(filterList(QStringLiteral("Access Clásico (*.mdb)|*.mdb")), nul("Access Clásico (*.mdb)~*.mdb~~"));
    // A ":" in a description stays in it.
    EXPECT_EQ(filterEntries(filterList(QStringLiteral("A: x|*.a|B|*.b;*.c"))),
              (QList<FilterEntry>{{"A: x", "*.a"}, {"B", "*.b;*.c"}}));
    const QString list = nul("A~*.a~B~*.b~~");
    const std::tuple<QString, int, QString> lookups[] = {
        {list, 1, nul("A~*.a")}, {list, 2, nul("B~*.b")}, {list, 3, QString()}, {list, 0, QString()},
        {QString(), 1, QString()}, {QStringLiteral("no nul"), 1, QString()}};
    for (const auto& [text, index, expected] : lookups)
        EXPECT_EQ(FilterLookup(text, index), expected) << index;

    EXPECT_EQ(widenedPatterns(QStringLiteral(" *.*")), QStringList{"*.*"});
    // Letters inside a set the caller wrote stay as written.
    EXPECT_EQ(widenedPatterns(QStringLiteral("*.[ab]x")), QStringList{"*.[ab][xX]"});
    EXPECT_EQ(widenedPatterns(QStringLiteral("*.mdb; *.accdb")), (QStringList{"*.[mM][dD][bB]", "*.[aA][cC][cC][dD][bB]"}));
    QTemporaryDir dir;
    touch(dir, {"DATA.MDB", "x.mdb", "y.txt"});
    QDir folder(dir.path());
    folder.setFilter(QDir::Files | QDir::CaseSensitive);
    folder.setNameFilters(widenedPatterns(QStringLiteral("*.mdb")));
    EXPECT_EQ(folder.entryList(QDir::NoFilter, QDir::Name), (QStringList{"DATA.MDB", "x.mdb"}));

    EXPECT_EQ((QStringList{VBGetFileTitle("/d/x.accdb"), VBGetFileTitle("/d/"), TrimBuffer(nul("abc~def"))}),
              (QStringList{"x.accdb", "", "abc"}));
}

TEST(clsCommonDialog, CancelEmptiesTheOutputsNamesComeBackWholeAndOpenAsTheDatabaseButtonDoes)
{
    ScopedRecordingCommonDialogs dialogs;
    const FileDialogAnswer failed{2, {}, 1, 0, 0x3003};
    const QString name = QStringLiteral("/tmp/") + QString(300, QChar(u'ñ')) + QStringLiteral(".mdb");
    dialogs->fileAnswers << FileDialogAnswer{} << failed << failed << chosen({name}) << chosen({"/d/a.mdb", "/d/b.mdb"});
    clsCommonDialog dlg;
    for (int round = 0; round < 2; ++round) {
        QString file = QStringLiteral("/old"), title = QStringLiteral("old"), filter = QStringLiteral("A|*.a");
        std::int32_t index = 1, flags = 5;
        EXPECT_FALSE(dlg.VBGetOpenFileName(file, title, true, false, false, false, filter, index, QString(), QString(),
                                           QString(), nullptr, flags));
        EXPECT_EQ((QStringList{file, title, filter}), QStringList(3, QString()));
        EXPECT_EQ(std::tie(index, flags), std::make_tuple(-1, 0));
        // Open records no extended error.
        EXPECT_EQ((std::vector<int>{dlg.APIReturn(), dlg.ExtendedError()}), (std::vector<int>{round == 0 ? 0 : 2, 0}));
    }
    QString file;
    EXPECT_FALSE(dlg.VBGetSaveFileName(file));
    EXPECT_EQ(std::tuple(dlg.ExtendedError(), dialogs->fileRequests.last().flags, dialogs->fileRequests.last().save),
              std::tuple(0x3003, 0x4 | 0x2, true));

    // A long Unicode name goes out and comes back whole.
    QString title;
    file = name;
    ASSERT_TRUE(dlg.VBGetOpenFileName(file, title));
    EXPECT_EQ(std::pair(dialogs->fileRequests.last().initialName, dialogs->fileRequests.last().filters),
              std::pair(name, QList<FilterEntry>{{"All (*.*)", " *.*"}}));
    EXPECT_EQ((QStringList{file, title}), (QStringList{name, QString(300, QChar(u'ñ')) + QStringLiteral(".mdb")}));
    // Several files: what stands before the first NUL of the list, the folder.
    ASSERT_TRUE(dlg.VBGetOpenFileName(file, title, true, true));
    EXPECT_EQ(std::tuple(dialogs->fileRequests.last().flags, file), std::tuple(0x1000 | 0x200, QStringLiteral("/d")));

    // Open as the database file button calls it.
    dialogs->fileAnswers << chosen({"/d/x.accdb"}, 1, 0x1000);
    QString filter = QStringLiteral("Access Actual (*.accdb)|*.accdb");
    std::int32_t index = 1;
    bool readOnly = false;
    ASSERT_TRUE(dlg.VBGetOpenFileName(file, title, true, false, readOnly, false, filter, index, QString(),
                                      QStringLiteral("Abrir Fichero")));
    const FileDialogRequest& r = dialogs->fileRequests.last();
    EXPECT_EQ(std::tie(r.save, r.title, r.filterIndex, r.flags),
              std::make_tuple(false, QStringLiteral("Abrir Fichero"), 1, 0x1000));
    EXPECT_EQ(std::pair(r.owner, r.filters), std::pair(static_cast<QWidget*>(nullptr), QList<FilterEntry>{{"Access Actual (*.accdb)", "*.accdb"}}));
    EXPECT_EQ((QStringList{file, title, filter}),
              (QStringList{"/d/x.accdb", "x.accdb", QStringLiteral("Access Actual (*.accdb)") + Nul + "*.accdb"}));
    EXPECT_EQ(std::tie(index, readOnly), std::make_tuple(1, false));
    EXPECT_EQ((std::vector<int>{dlg.APIReturn(), dlg.ExtendedError()}), (std::vector<int>{1, 0}));
}

TEST(clsCommonDialog, PageSetupKeepsTheCallersMarginsAndPrintReturnsItsChoices)
{
    ScopedRecordingCommonDialogs dialogs;
    QPrinter printer;
    clsCommonDialog dlg;
    std::int32_t left = 2, right = 2, top = 1, bottom = 1, minLeft = 0, paper = 0, orientation = 1, quality = 0;
    const auto setup = [&] {
        return dlg.VBPageSetupDlg(nullptr, false, false, false, false, left, minLeft, right, 0, top, 0, bottom, 0,
                                  paper, orientation, quality, 0, &printer);
    };
    EXPECT_FALSE(setup());
    EXPECT_EQ(std::tuple(dialogs->pageSetupRequests.first().margins, dialogs->pageSetupRequests.first().flags, left, bottom),
              std::tuple(PageMargins{2000, 1000, 2000, 1000}, 0x4, 2, 1));

    dialogs->pageSetupAnswers << PageSetupAnswer{1, {3000, 1000, 1000, 1000}, {250, 0, 0, 0}, {1, 2, 9, 300}, 0};
    ASSERT_TRUE(setup());
    // minLeft: 0.25 rounded.
    EXPECT_EQ(std::tie(left, right, minLeft, paper, orientation), std::make_tuple(3, 1, 0, 9, 2));
    EXPECT_EQ(std::pair(printer.pageLayout().orientation(), printer.pageLayout().pageSize().id()),
              std::pair(QPageLayout::Landscape, QPageSize::A4));

    double mm = 12.5;
    std::int32_t units = 1;
    dlg.VBPageSetupDlg2(nullptr, false, false, false, false, mm, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0, 0, 1, 0, units,
                        &printer);
    EXPECT_EQ(std::tuple(dialogs->pageSetupRequests.last().margins.left, dialogs->pageSetupRequests.last().flags, mm),
              std::tuple(1250, 0x8, 12.5));

    // The print dialog's results.
    dialogs->printAnswers << PrintDialogAnswer{1, 0x2 | 0x10, 2, 5, 3, {3, 1, 0, 0}, 0};
    QPaintDevice* hdc = nullptr;
    std::int32_t range = 0, from = 1, to = 9, copies = 1;
    bool collate = false, toFile = true;
    ASSERT_TRUE(dlg.VBPrintDlg(hdc, range, false, from, to, true, copies, false, true, toFile, collate, false,
                               nullptr, &printer));
    EXPECT_EQ(dialogs->printRequests.first().flags, 0x4 | 0x20 | 0x100);
    EXPECT_EQ(std::tuple(dialogs->printRequests.first().printer, hdc), std::tuple(&printer, &printer));
    EXPECT_EQ(std::tie(range, from, to, copies, collate, toFile), std::make_tuple(1, 2, 5, 3, true, false));
    EXPECT_EQ(printer.copyCount(), 3);
}

TEST(QtCommonDialogBackend, TheOpenDialogOffersEitherCaseAndReturnsTheChoice)
{
    QTemporaryDir dir;
    touch(dir, {"A.ACCDB", "b.accdb", "c.txt"});
    QStringList offered;
    bool hiddenNotNative = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        offered = dialog->nameFilters();
        hiddenNotNative = dialog->testOption(QFileDialog::HideNameFilterDetails) &&
                          dialog->testOption(QFileDialog::DontUseNativeDialog);
        dialog->selectFile(dir.filePath(QStringLiteral("A.ACCDB")));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QtCommonDialogBackend backend;
    const FileDialogAnswer answer = backend.fileDialog(FileDialogRequest{
        false, nullptr, "Abrir Fichero", dir.path(), {}, {{"Access Actual (*.accdb)", "*.accdb"}}, 1, {}, 0x1000});
    EXPECT_EQ(offered, QStringList{"Access Actual (*.accdb) (*.[aA][cC][cC][dD][bB])"});
    EXPECT_TRUE(hiddenNotNative);
    EXPECT_EQ(answer.files, QStringList{dir.filePath(QStringLiteral("A.ACCDB"))});
    EXPECT_EQ(std::tie(answer.result, answer.filterIndex, answer.flags), std::make_tuple(1, 1, 0x1000));
}

// Qt keeps the chooser's column widths from one use to the next; widths left
// narrow (by another language, by hand) come back, and the headers must still
// be readable, while a column the user widened stays as wide.
TEST(QtCommonDialogBackend, TheChooserGivesEachHeaderItsTextWhateverWidthsWereStored)
{
    QTemporaryDir dir;
    {
        QFileDialog earlier(nullptr, QStringLiteral("earlier"), dir.path());
        earlier.setOption(QFileDialog::DontUseNativeDialog);
        earlier.setViewMode(QFileDialog::Detail);
        earlier.show();
        auto* header = earlier.findChild<QHeaderView*>();
        ASSERT_TRUE(header);
        header->setStretchLastSection(false);
        header->resizeSection(0, 400);
        for (int s = 1; s < header->count(); ++s)
            header->resizeSection(s, 60);
        earlier.hide();
    } // the chooser stores its state as it goes

    QList<std::tuple<QString, int, int>> columns; // text, width, room the text needs
    QTimer::singleShot(0, [&] {
        auto* dialog = QApplication::activeModalWidget();
        auto* header = dialog ? dialog->findChild<QHeaderView*>() : nullptr;
        if (!header)
            return;
        const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        for (int s = 0; s < header->count(); ++s) {
            const QString text = header->model()->headerData(s, Qt::Horizontal).toString();
            columns << std::tuple(text, header->sectionSize(s),
                                  QFontMetrics(header->font()).horizontalAdvance(text) + 2 * margin);
        }
        QMetaObject::invokeMethod(dialog, "reject");
    });
    QtCommonDialogBackend backend;
    backend.fileDialog(FileDialogRequest{false, nullptr, "Abrir Fichero", dir.path(), {}, {}, 1, {}, 0});
    ASSERT_EQ(columns.size(), 4);
    EXPECT_EQ(std::get<1>(columns.first()), 400);
    for (const auto& [text, width, need] : columns)
        EXPECT_GE(width, need) << text.toStdString();
}
