#include "core/FileReplace.h"
#include "core/ProfileFile.h"
#include "core/ProgramFolder.h"
#include "support/FileMode.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include <unistd.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// A section, a key and the value a read of them gives.
using Read = std::tuple<const char*, const char*, const char*>;

void expectReads(const QString& file, std::initializer_list<Read> reads, const QString& dflt = QString())
{
    for (const auto& [section, key, value] : reads)
        EXPECT_EQ(ProfileFile::read(file, section, key, dflt), value) << section << "/" << key;
}

class ProfileFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name = QStringLiteral("Velmora.ini")) const { return dir.filePath(name); }
    // Each row: the file's bytes, one key written into it, and the bytes after the write.
    void expectWrites(std::initializer_list<std::tuple<QByteArray, const char*, const char*, QString, QByteArray>> rows)
    {
        for (const auto& [before, section, key, value, after] : rows) {
            writeAll(path(), before);
            ASSERT_TRUE(ProfileFile::write(path(), section, key, value)) << before.constData();
            EXPECT_EQ((std::pair{readAll(path()), ProfileFile::read(path(), section, key)}), (std::pair{after, value}))
                << before.constData();
        }
    }
};

} // namespace

TEST_F(ProfileFileTest, NamesMatchWithoutCaseAndTheFirstMatchWins)
{
    writeAll(path(), "orphan=before any section\n[Form]\n  Width = 1200  \nwidth=999\n; Height=1\n[AÑO]\n"
                     "Ejercicio=2024\n[form]\nHeight=500\n[Drivers]\nAccess_MDB=\nBlank=   \n");
    // Only the first section of a name is searched, as the system did; empty or missing gives the default.
    expectReads(path(), {{"FORM", "WIDTH", "1200"}, {"form", "width", "1200"}, {"año", "EJERCICIO", "2024"},
                         {"Form", "Height", "d"}, {"Form", "orphan", "d"}, {"Form", "; Height", "1"},
                         {"Drivers", "Access_MDB", "d"}, {"Drivers", "Blank", "d"}, {"Drivers", "Missing", "d"},
                         {"NoSection", "Access_MDB", "d"}},
                "d");
    EXPECT_EQ(ProfileFile::read(path(), "Drivers", "Access_MDB"), "");
    expectReads(path("none.ini"), {{"Drivers", "Access_MDB", "dflt"}}, "dflt");
}

TEST_F(ProfileFileTest, LongValuesAreCutToTheReadLimit)
{
    // The whole value stays in the file; a character outside the basic plane is not cut in half.
    const QString y253(253, QLatin1Char('y'));
    for (const auto& [written, read] : {std::pair{QString(300, QLatin1Char('x')), QString(254, QLatin1Char('x'))},
                                        {y253 + QLatin1Char('z'), y253 + QLatin1Char('z')},
                                        {y253 + QString::fromUtf8("😀"), y253}}) {
        ASSERT_TRUE(ProfileFile::write(path(), "S", "K", written));
        EXPECT_EQ(ProfileFile::read(path(), "S", "K"), read);
        EXPECT_EQ(readAll(path()), "[S]\nK=" + written.toUtf8() + "\n");
    }
}

TEST_F(ProfileFileTest, WritingOneKeyKeepsEveryOtherLineByteForByte)
{
    const QByteArray original = "; Velmora settings\r\n[Form]\r\n# not a key\r\nWindowState=0\r\nWidth=12000\r\n\r\n"
                                "[Scripts]\r\nFolder = C:\\Velmora\\Scripts\\ ; keep\r\n"
                                "Sql=SELECT a, b FROM t WHERE x = 'y;z'\r\n";
    writeAll(path(), original);
    QByteArray expected = original;
    // A key rewritten in place; a new key joins the end of its section, before
    // the blank line, with the file's line ends; a new section goes at the end.
    for (const auto& [section, key, value, from, to] :
         {std::tuple{"form", "WIDTH", "15000", "Width=12000", "WIDTH=15000"},
          {"Form", "Height", "9000", "WIDTH=15000\r\n", "WIDTH=15000\r\nHeight=9000\r\n"},
          {"CSV", "Separador", ";", "", "[CSV]\r\nSeparador=;\r\n"}}) {
        ASSERT_TRUE(ProfileFile::write(path(), section, key, value));
        *from ? expected.replace(from, to) : expected.append(to);
        EXPECT_EQ(readAll(path()), expected) << key;
    }
    EXPECT_EQ(ProfileFile::read(path(), "Scripts", "Folder"), "C:\\Velmora\\Scripts\\ ; keep");
    EXPECT_EQ(ProfileFile::read(path(), "Scripts", "Sql"), "SELECT a, b FROM t WHERE x = 'y;z'");
}

TEST_F(ProfileFileTest, WriteCreatesTheFileCompletesItsLastLineAndKeepsItsLineBreaksAndMark)
{
    // Values are taken as written.
    const QString special = QStringLiteral("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=C:\\db\\a,b.accdb;\"q\" 'r'");
    ASSERT_TRUE(ProfileFile::write(path("new.ini"), "Connection", "Cadena", special));
    EXPECT_EQ(readAll(path("new.ini")), "[Connection]\nCadena=" + special.toUtf8() + "\n");
    EXPECT_EQ(ProfileFile::read(path("new.ini"), "Connection", "Cadena"), special);
    // Any line break ends a line (bare CRs, and the three kinds mixed): after a
    // last bare CR the new key is a line of its own.
    expectWrites({{"[Page]\nSplitter=1", "Page", "Other", "2", "[Page]\nSplitter=1\nOther=2\n"},
                  {"[Page]", "LastQuery_0", "Line1", "<LINE>x<LINE>", "[Page]\n[LastQuery_0]\nLine1=<LINE>x<LINE>\n"},
                  {"[S]\r\nA=1\r", "S", "B", "2", "[S]\r\nA=1\rB=2\r\n"},
                  {"\xEF\xBB\xBF[Form]\nTitle=Año\n", "Form", "Title", "x", "\xEF\xBB\xBF[Form]\nTitle=x\n"},
                  {"[S]\rA=1\r[T]\nB=2\r\nC=3", "S", "A", "9", "[S]\rA=9\r[T]\nB=2\r\nC=3"}});
    expectReads(path(), {{"T", "B", "2"}, {"T", "C", "3"}});
}

TEST_F(ProfileFileTest, RefusesWhatWouldNotReadBackAsOneKey)
{
    const QByteArray original = "[A]\nk=v\n";
    writeAll(path(), original);
    for (const auto& [section, key, value] : {Read{"A", "k", "line1\r\nline2"}, {"A", "k", "x\n[B]\ny=1"},
                                               {"A", "a=b", "v"}, {"A", "[x", "v"}, {"A]", "k", "v"}, {"", "k", "v"},
                                               {"A", " ", "v"}})
        EXPECT_FALSE(ProfileFile::write(path(), section, key, value)) << section << "/" << key;
    EXPECT_FALSE(ProfileFile::write(dir.filePath("missing/dir/x.ini"), "A", "k", "v"));
    // A read-only file is not replaced.
    ASSERT_TRUE(QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup));
    EXPECT_FALSE(ProfileFile::write(path(), "A", "k", "w"));
    EXPECT_EQ(readAll(path()), original);
}

TEST_F(ProfileFileTest, Windows1252FilesAreReadAndStayInTheirEncoding)
{
    // "Año" and "€" in Windows-1252: not valid UTF-8.
    const QByteArray original = "[Multilenguaje]\nIdioma=Espa\xF1ol\nMoneda=\x80\n";
    writeAll(path(), original);
    expectReads(path(), {{"Multilenguaje", "Idioma", "Español"}, {"Multilenguaje", "Moneda", "€"}});

    // A character the code page lacks turns the whole file into UTF-8, values intact.
    expectWrites({{original, "Multilenguaje", "Otro", QString::fromUtf8("Año €"), original + "Otro=A\xF1o \x80\n"},
                  {original + "Otro=A\xF1o \x80\n", "Multilenguaje", "Griego", QString::fromUtf8("Ω"),
                   QString::fromUtf8("[Multilenguaje]\nIdioma=Español\nMoneda=€\nOtro=Año €\nGriego=Ω\n").toUtf8()}});
    EXPECT_EQ(ProfileFile::read(path(), "Multilenguaje", "Idioma"), QString::fromUtf8("Español"));
}

// A disk that takes `room` more bytes and then refuses, as a full one does.
FileReplace::Writer fullAfter(qint64 room)
{
    auto left = std::make_shared<qint64>(room);
    return [left](QIODevice& out, const QByteArray& bytes) {
        const qint64 n = std::min<qint64>(*left, bytes.size());
        *left -= n;
        return out.write(bytes.left(n)) == n && n == bytes.size();
    };
}

TEST_F(ProfileFileTest, AFileIsReplacedWholeOrKeepsItsOldBytesOnAFullDiskAndInAFolderThatTakesNoNewFile)
{
    const QByteArray old = "[A]\nk=old\n";
    const QString link = path("link.ini");
    for (const bool newFiles : {true, false}) {
        FileReplace::installFolderCheck(newFiles ? FileReplace::FolderCheck() : [](const QString&) { return false; });
        for (const QByteArray& next : {QByteArray("[A]\nk=n\n"), "[A]\nk=" + QByteArray(5000, 'x') + "\n"}) {
            const std::string label = std::to_string(newFiles) + "/" + std::to_string(next.size());
            for (const qint64 room : {qint64(0), qint64(3), std::max<qint64>(0, next.size() - old.size()), qint64(next.size() - 1)}) {
                writeAll(path(), old);
                FileReplace::installWriter(fullAfter(room));
                EXPECT_FALSE(ProfileFile::fromBytes(next).save(path())) << label << " room " << room;
                EXPECT_EQ(readAll(path()), old) << label << " room " << room;
            }
            // With room the file is replaced: by rename where the folder takes a
            // new file (a second name keeps the old bytes), else in place.
            FileReplace::installWriter(nullptr);
            QFile::remove(link);
            ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0644), 0);
            ASSERT_EQ(::link(QFile::encodeName(path()).constData(), QFile::encodeName(link).constData()), 0);
            ASSERT_TRUE(ProfileFile::fromBytes(next).save(path())) << label;
            EXPECT_EQ((QByteArrayList{readAll(path()), readAll(link)}), (QByteArrayList{next, newFiles ? old : next}))
                << label;
            // Only the owner may read it, and nothing is left beside it.
            EXPECT_EQ(filemode::of(path()), 0600u) << label;
            EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"link.ini", "Velmora.ini"})) << label;
        }
        // A new file where none can be made is refused, not half made.
        const bool made = ProfileFile::fromBytes(old).save(path("new.ini"));
        EXPECT_EQ(std::pair(made, QFile::exists(path("new.ini"))), std::pair(newFiles, newFiles));
        EXPECT_TRUE(!newFiles || filemode::of(path("new.ini")) == 0600u);
        QFile::remove(path("new.ini"));
    }
    FileReplace::installFolderCheck(nullptr);
}

TEST(ProfileFileRandom, RandomBytesNeitherCrashNorHang)
{
    QRandomGenerator rng(20240601);
    const char alphabet[] = "[]=;\r\n \tabcAB\xC3\xB1\x80\xFF\x00";
    const QString names[] = {"a", "A", "b", "ab", "[", "", "ñ"};
    // A hang is the test runner's to end: a time limit here would fail a slow machine, not a slow parser.
    for (int round = 0; round < 3000; ++round) {
        QByteArray bytes(int(rng.bounded(600)), '\0');
        const bool structured = rng.bounded(2) == 0;
        for (char& b : bytes)
            b = structured ? alphabet[rng.bounded(int(sizeof alphabet) - 1)] : char(rng.bounded(256));
        ProfileFile pf = ProfileFile::fromBytes(bytes);
        EXPECT_EQ(pf.toBytes(), bytes);
        for (const QString& s : names)
            for (const QString& k : names)
                EXPECT_LE(pf.value(s, k, "d").size(), ProfileFile::ReadLimit);
        if (pf.setValue("a", "b", "value")) {
            EXPECT_EQ(pf.value("A", "B"), "value");
        }
    }
}

TEST_F(ProfileFileTest, ManyEditsInMemoryWithOneReadAndOneWriteFindWhatOneReadWould)
{
    // Appends, inserts into an earlier section and namesake sections, then
    // every key read back as a fresh read of the bytes reads it.
    const QByteArray original = "[A]\nk=1\n\n[B]\nk=2\n[a]\nk=late\n";
    writeAll(path(), original);
    ProfileFile pf = ProfileFile::load(path());
    EXPECT_EQ(pf.value("a", "K"), "1");
    ASSERT_TRUE(pf.setValue("B", "n", "b-new"));   // appended at the end of B, before [a]
    ASSERT_TRUE(pf.setValue("A", "m", "a-new"));   // inserted after A's last non-blank line
    ASSERT_TRUE(pf.setValue("C", "x", "c"));       // a new section at the end
    ASSERT_TRUE(pf.setValue("c", "Y", "c2"));      // appended to it
    ASSERT_TRUE(pf.setValue("A", "K", "1b"));      // rewrites A's own k
    EXPECT_EQ(readAll(path()), original);
    ASSERT_TRUE(pf.save(path()));
    const ProfileFile fresh = ProfileFile::load(path());
    for (const ProfileFile* f : {static_cast<const ProfileFile*>(&pf), &fresh})
        for (const auto& [section, key, value] : {Read{"A", "k", "1b"}, {"A", "m", "a-new"}, {"B", "k", "2"},
                                                  {"b", "N", "b-new"}, {"C", "x", "c"}, {"C", "y", "c2"}})
            EXPECT_EQ(f->value(section, key), value) << section << "/" << key;
    EXPECT_EQ((QByteArrayList{readAll(path()), pf.toBytes()}),
              QByteArrayList(2, "[A]\nK=1b\nm=a-new\n\n[B]\nk=2\nn=b-new\n[a]\nk=late\n[C]\nx=c\nY=c2\n"));
    EXPECT_FALSE(pf.save(dir.filePath("missing/x.ini")));
}

// Where the settings live.
TEST(ProgramFolder, WritableExecutableFolderIsTheProgramFolder)
{
    QTemporaryDir exe, home;
    EXPECT_EQ(ProgramFolder::resolve(exe.path() + "/", home.path(), QString()), exe.path());
    EXPECT_FALSE(QDir(home.path() + "/velmora").exists());
}

TEST(ProgramFolder, OtherwiseTheUserFolderSeededOnce)
{
    QTemporaryDir home, defaults;
    writeAll(defaults.filePath("Velmora.ini"), "[Form]\nWidth=1\n");
    writeAll(defaults.filePath("translate.vrx"), "db");
    const QString exe = "/proc"; // exists and is not writable, even for root
    const QString user = ProgramFolder::resolve(exe, home.path(), defaults.path());
    EXPECT_EQ(user, home.path() + "/velmora");
    EXPECT_EQ(QFile::permissions(user + "/translate.vrx") & (QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                                            QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
              QFile::ReadOwner | QFile::WriteOwner);

    // The user's own settings are never replaced by the defaults.
    writeAll(user + "/Velmora.ini", "[Form]\nWidth=2\n");
    EXPECT_EQ(ProgramFolder::resolve(exe, home.path(), defaults.path()), user);
    EXPECT_EQ(readAll(user + "/Velmora.ini"), "[Form]\nWidth=2\n");
}

// A copy in a folder it may not write (an installed one, a read-only share):
// the user folder starts with that copy's settings and tabs, then the
// installed files for what they lack; only the first time.
TEST(ProgramFolder, AnUnwritableProgramFolderSeedsTheUserFolderFromItsOwnSettingsAndTabsFirst)
{
    QTemporaryDir exe, home, defaults;
    writeAll(exe.filePath("Velmora.ini"), "[Form]\nWidth=7\n");
    writeAll(exe.filePath("Velmora_Tab1.ini"), "[T]\nSQL=one\n");
    writeAll(exe.filePath("Velmora_Tab2.ini"), "[T]\nSQL=two\n");
    writeAll(exe.filePath("notes.txt"), "mine");
    writeAll(defaults.filePath("Velmora.ini"), "[Form]\nWidth=1\n");
    writeAll(defaults.filePath("translate.vrx"), "db");
    const auto readOnly = [](const QString&) { return false; };
    const QString user = ProgramFolder::resolve(exe.path(), home.path(), defaults.path(), readOnly);
    ASSERT_EQ(user, home.path() + "/velmora");
    EXPECT_EQ(QDir(user).entryList(QDir::Files, QDir::Name),
              (QStringList{"Velmora.ini", "Velmora_Tab1.ini", "Velmora_Tab2.ini", "translate.vrx"}));
    EXPECT_EQ((QByteArrayList{readAll(user + "/Velmora.ini"), readAll(user + "/Velmora_Tab2.ini")}),
              (QByteArrayList{"[Form]\nWidth=7\n", "[T]\nSQL=two\n"}));
    // A tab the user closed later does not come back.
    ASSERT_TRUE(QFile::remove(user + "/Velmora_Tab2.ini"));
    EXPECT_EQ(ProgramFolder::resolve(exe.path(), home.path(), defaults.path(), readOnly), user);
    EXPECT_FALSE(QFile::exists(user + "/Velmora_Tab2.ini"));
}

TEST(ProgramFolder, FilesJoinTheFolderWhateverTheirSlashes)
{
    ProgramFolder::setPath("/opt/velmora/");
    EXPECT_EQ(ProgramFolder::path(), "/opt/velmora");
    EXPECT_EQ(ProgramFolder::file("\\Velmora.ini"), "/opt/velmora/Velmora.ini");
    EXPECT_EQ(ProgramFolder::file("\\CSV\\"), "/opt/velmora/CSV/");
    EXPECT_EQ(ProgramFolder::file("Velmora_Tab1.ini"), "/opt/velmora/Velmora_Tab1.ini");
    ProgramFolder::setPath(QString());
}
