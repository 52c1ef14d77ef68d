#include "core/ProfileFile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>
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

class ProfileFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path(const QString& name = QStringLiteral("Velmora.ini")) const { return dir.filePath(name); }
};

} // namespace

TEST_F(ProfileFileTest, NamesMatchWithoutCaseAndTheFirstMatchWins)
{
    writeAll(path(), "orphan=before any section\n"
                     "[Form]\n"
                     "  Width = 1200  \n"
                     "width=999\n"
                     "; Height=1\n"
                     "[AÑO]\n"
                     "Ejercicio=2024\n"
                     "[form]\n"
                     "Height=500\n");
    EXPECT_EQ(ProfileFile::read(path(), "FORM", "WIDTH"), "1200");
    EXPECT_EQ(ProfileFile::read(path(), "form", "width"), "1200");
    EXPECT_EQ(ProfileFile::read(path(), "año", "EJERCICIO"), "2024");
    // Only the first section of a name is searched, as the system did.
    EXPECT_EQ(ProfileFile::read(path(), "Form", "Height", "d"), "d");
    EXPECT_EQ(ProfileFile::read(path(), "Form", "orphan", "d"), "d");
    EXPECT_EQ(ProfileFile::read(path(), "Form", "; Height"), "1");
}

TEST_F(ProfileFileTest, EmptyOrMissingGivesTheDefault)
{
    writeAll(path(), "[Drivers]\nAccess_MDB=\nBlank=   \n");
    EXPECT_EQ(ProfileFile::read(path(), "Drivers", "Access_MDB", "dflt"), "dflt");
    EXPECT_EQ(ProfileFile::read(path(), "Drivers", "Access_MDB"), "");
    EXPECT_EQ(ProfileFile::read(path(), "Drivers", "Blank", "dflt"), "dflt");
    EXPECT_EQ(ProfileFile::read(path(), "Drivers", "Missing", "dflt"), "dflt");
    EXPECT_EQ(ProfileFile::read(path(), "NoSection", "Access_MDB", "dflt"), "dflt");
    EXPECT_EQ(ProfileFile::read(path("none.ini"), "Drivers", "Access_MDB", "dflt"), "dflt");
}

TEST_F(ProfileFileTest, ValuesAreTakenAsWritten)
{
    const QString special = QStringLiteral("Provider=Microsoft.ACE.OLEDB.12.0;Data Source=C:\\db\\a,b.accdb;\"q\" 'r'");
    ASSERT_TRUE(ProfileFile::write(path(), "Connection", "Cadena", special));
    EXPECT_EQ(ProfileFile::read(path(), "Connection", "Cadena"), special);
    EXPECT_EQ(readAll(path()), "[Connection]\nCadena=" + special.toUtf8() + "\n");
}

TEST_F(ProfileFileTest, LongValuesAreCutToTheReadLimit)
{
    const QString v300(300, QLatin1Char('x'));
    ASSERT_TRUE(ProfileFile::write(path(), "S", "K", v300));
    EXPECT_EQ(ProfileFile::read(path(), "S", "K"), QString(254, QLatin1Char('x')));
    // The whole value stays in the file.
    EXPECT_TRUE(readAll(path()).contains(v300.toUtf8()));
    const QString v254 = QString(253, QLatin1Char('y')) + QLatin1Char('z');
    ASSERT_TRUE(ProfileFile::write(path(), "S", "K", v254));
    EXPECT_EQ(ProfileFile::read(path(), "S", "K"), v254);
    // A character outside the basic plane is not cut in half.
    const QString wide = QString(253, QLatin1Char('y')) + QString::fromUtf8("😀");
    ASSERT_TRUE(ProfileFile::write(path(), "S", "K", wide));
    EXPECT_EQ(ProfileFile::read(path(), "S", "K"), QString(253, QLatin1Char('y')));
}

TEST_F(ProfileFileTest, WritingOneKeyKeepsEveryOtherLineByteForByte)
{
    const QByteArray original = "; Velmora settings\r\n"
                                "[Form]\r\n"
                                "# not a key\r\n"
                                "WindowState=0\r\n"
                                "Width=12000\r\n"
                                "\r\n"
                                "[Scripts]\r\n"
                                "Folder = C:\\Velmora\\Scripts\\ ; keep\r\n"
                                "Sql=SELECT a, b FROM t WHERE x = 'y;z'\r\n";
    writeAll(path(), original);

    ASSERT_TRUE(ProfileFile::write(path(), "form", "WIDTH", "15000"));
    QByteArray expected = original;
    expected.replace("Width=12000", "WIDTH=15000");
    EXPECT_EQ(readAll(path()), expected);

    // A new key joins the end of its section, before the blank line, with the file's line ends.
    ASSERT_TRUE(ProfileFile::write(path(), "Form", "Height", "9000"));
    expected.replace("WIDTH=15000\r\n", "WIDTH=15000\r\nHeight=9000\r\n");
    EXPECT_EQ(readAll(path()), expected);

    // A new section goes at the end.
    ASSERT_TRUE(ProfileFile::write(path(), "CSV", "Separador", ";"));
    expected += "[CSV]\r\nSeparador=;\r\n";
    EXPECT_EQ(readAll(path()), expected);

    EXPECT_EQ(ProfileFile::read(path(), "Scripts", "Folder"), "C:\\Velmora\\Scripts\\ ; keep");
    EXPECT_EQ(ProfileFile::read(path(), "Scripts", "Sql"), "SELECT a, b FROM t WHERE x = 'y;z'");
}

TEST_F(ProfileFileTest, WriteCreatesTheFileAndCompletesAnUnfinishedLastLine)
{
    ASSERT_TRUE(ProfileFile::write(path("new.ini"), "Page", "Splitter", "3000"));
    EXPECT_EQ(readAll(path("new.ini")), "[Page]\nSplitter=3000\n");

    writeAll(path(), "[Page]\nSplitter=1");
    ASSERT_TRUE(ProfileFile::write(path(), "Page", "Other", "2"));
    EXPECT_EQ(readAll(path()), "[Page]\nSplitter=1\nOther=2\n");
    writeAll(path(), "[Page]");
    ASSERT_TRUE(ProfileFile::write(path(), "LastQuery_0", "Line1", "<LINE>x<LINE>"));
    EXPECT_EQ(readAll(path()), "[Page]\n[LastQuery_0]\nLine1=<LINE>x<LINE>\n");
}

TEST_F(ProfileFileTest, AnyLineBreakEndsALine)
{
    // A last line ending in a bare CR: the new key is a line of its own, the old value stays.
    writeAll(path(), "[S]\r\nA=1\r");
    ASSERT_TRUE(ProfileFile::write(path(), "S", "B", "2"));
    EXPECT_EQ(ProfileFile::read(path(), "S", "A"), "1");
    EXPECT_EQ(ProfileFile::read(path(), "S", "B"), "2");
    EXPECT_EQ(readAll(path()), "[S]\r\nA=1\rB=2\r\n");

    // Old Mac line ends throughout, and the three kinds mixed.
    writeAll(path(), "[S]\rA=1\r[T]\nB=2\r\nC=3");
    EXPECT_EQ(ProfileFile::read(path(), "S", "A"), "1");
    EXPECT_EQ(ProfileFile::read(path(), "T", "B"), "2");
    EXPECT_EQ(ProfileFile::read(path(), "T", "C"), "3");
    ASSERT_TRUE(ProfileFile::write(path(), "S", "A", "9"));
    EXPECT_EQ(readAll(path()), "[S]\rA=9\r[T]\nB=2\r\nC=3");
}

TEST_F(ProfileFileTest, AReadOnlyFileIsNotReplaced)
{
    writeAll(path(), "[A]\nk=v\n");
    ASSERT_TRUE(QFile::setPermissions(path(), QFile::ReadOwner | QFile::ReadGroup));
    EXPECT_FALSE(ProfileFile::write(path(), "A", "k", "w"));
    EXPECT_EQ(readAll(path()), "[A]\nk=v\n");
}

TEST_F(ProfileFileTest, RefusesWhatWouldNotReadBackAsOneKey)
{
    const QByteArray original = "[A]\nk=v\n";
    writeAll(path(), original);
    EXPECT_FALSE(ProfileFile::write(path(), "A", "k", "line1\r\nline2"));
    EXPECT_FALSE(ProfileFile::write(path(), "A", "k", "x\n[B]\ny=1"));
    EXPECT_FALSE(ProfileFile::write(path(), "A", "a=b", "v"));
    EXPECT_FALSE(ProfileFile::write(path(), "A", "[x", "v"));
    EXPECT_FALSE(ProfileFile::write(path(), "A]", "k", "v"));
    EXPECT_FALSE(ProfileFile::write(path(), "", "k", "v"));
    EXPECT_FALSE(ProfileFile::write(path(), "A", " ", "v"));
    EXPECT_EQ(readAll(path()), original);
    EXPECT_FALSE(ProfileFile::write(dir.filePath("missing/dir/x.ini"), "A", "k", "v"));
}

TEST_F(ProfileFileTest, Windows1252FilesAreReadAndStayInTheirEncoding)
{
    // "Año" and "€" in Windows-1252: not valid UTF-8.
    const QByteArray original = "[Multilenguaje]\nIdioma=Espa\xF1ol\nMoneda=\x80\n";
    writeAll(path(), original);
    EXPECT_EQ(ProfileFile::read(path(), "Multilenguaje", "Idioma"), QString::fromUtf8("Español"));
    EXPECT_EQ(ProfileFile::read(path(), "Multilenguaje", "Moneda"), QString::fromUtf8("€"));

    ASSERT_TRUE(ProfileFile::write(path(), "Multilenguaje", "Otro", QString::fromUtf8("Año €")));
    EXPECT_EQ(readAll(path()), original + "Otro=A\xF1o \x80\n");

    // A character the code page lacks turns the whole file into UTF-8, values intact.
    ASSERT_TRUE(ProfileFile::write(path(), "Multilenguaje", "Griego", QString::fromUtf8("Ω")));
    EXPECT_EQ(readAll(path()), QString::fromUtf8("[Multilenguaje]\nIdioma=Español\nMoneda=€\nOtro=Año €\nGriego=Ω\n").toUtf8());
    EXPECT_EQ(ProfileFile::read(path(), "Multilenguaje", "Idioma"), QString::fromUtf8("Español"));
}

TEST_F(ProfileFileTest, Utf8ByteOrderMarkIsKept)
{
    writeAll(path(), "\xEF\xBB\xBF[Form]\nTitle=Año\n");
    EXPECT_EQ(ProfileFile::read(path(), "Form", "Title"), QString::fromUtf8("Año"));
    ASSERT_TRUE(ProfileFile::write(path(), "Form", "Title", "x"));
    EXPECT_EQ(readAll(path()), "\xEF\xBB\xBF[Form]\nTitle=x\n");
}

TEST_F(ProfileFileTest, TheFileIsReplacedByRenameNotRewrittenInPlace)
{
    writeAll(path(), "[A]\nk=old\n");
    ASSERT_EQ(::chmod(QFile::encodeName(path()).constData(), 0640), 0);
    // A second name for the old file: a rename leaves it with the old
    // contents, an in-place rewrite would show the new ones through it.
    const QString link = path("link.ini");
    ASSERT_EQ(::link(QFile::encodeName(path()).constData(), QFile::encodeName(link).constData()), 0);

    ASSERT_TRUE(ProfileFile::write(path(), "A", "k", "new"));
    EXPECT_EQ(readAll(link), "[A]\nk=old\n");
    EXPECT_EQ(readAll(path()), "[A]\nk=new\n");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    // Nothing is left beside it.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2);
}

TEST_F(ProfileFileTest, ManyKeysWithOneReadAndOneWrite)
{
    writeAll(path(), "[LastQuery_0]\nLine1=<LINE>SELECT *<LINE>\nLine2=<LINE>FROM t<LINE>\n");
    ProfileFile pf = ProfileFile::load(path());
    EXPECT_EQ(pf.value("lastquery_0", "line2"), "<LINE>FROM t<LINE>");
    EXPECT_TRUE(pf.setValue("LastQuery_1", "Line1", "x"));
    EXPECT_EQ(pf.value("LastQuery_1", "Line1"), "x");
    EXPECT_EQ(readAll(path()), "[LastQuery_0]\nLine1=<LINE>SELECT *<LINE>\nLine2=<LINE>FROM t<LINE>\n");
    ASSERT_TRUE(pf.save(path()));
    EXPECT_EQ(readAll(path()), "[LastQuery_0]\nLine1=<LINE>SELECT *<LINE>\nLine2=<LINE>FROM t<LINE>\n[LastQuery_1]\nLine1=x\n");
    EXPECT_FALSE(pf.save(dir.filePath("missing/x.ini")));
}

TEST(ProfileFileRandom, RandomBytesNeitherCrashNorHang)
{
    QRandomGenerator rng(20240601);
    const char alphabet[] = "[]=;\r\n \tabcAB\xC3\xB1\x80\xFF\x00";
    QElapsedTimer timer;
    timer.start();
    for (int round = 0; round < 3000; ++round) {
        const int size = int(rng.bounded(600));
        QByteArray bytes(size, '\0');
        const bool structured = rng.bounded(2) == 0;
        for (int i = 0; i < size; ++i)
            bytes[i] = structured ? alphabet[rng.bounded(int(sizeof alphabet) - 1)] : char(rng.bounded(256));
        ProfileFile pf = ProfileFile::fromBytes(bytes);
        EXPECT_EQ(pf.toBytes(), bytes);
        const QString names[] = {"a", "A", "b", "ab", "[", "", "ñ"};
        for (const QString& s : names)
            for (const QString& k : names)
                EXPECT_LE(pf.value(s, k, "d").size(), ProfileFile::ReadLimit);
        if (pf.setValue("a", "b", "value")) {
            EXPECT_EQ(pf.value("A", "B"), "value");
        }
    }
    EXPECT_LT(timer.elapsed(), 20000);
}

TEST_F(ProfileFileTest, ManyEditsInMemoryFindWhatOneReadWould)
{
    // Appends, inserts into an earlier section and namesake sections, then
    // every key read back as a fresh read of the bytes reads it.
    ProfileFile pf = ProfileFile::fromBytes("[A]\nk=1\n\n[B]\nk=2\n[a]\nk=late\n");
    ASSERT_TRUE(pf.setValue("B", "n", "b-new"));   // appended at the end of B, before [a]
    ASSERT_TRUE(pf.setValue("A", "m", "a-new"));   // inserted after A's last non-blank line
    ASSERT_TRUE(pf.setValue("C", "x", "c"));       // a new section at the end
    ASSERT_TRUE(pf.setValue("c", "Y", "c2"));      // appended to it
    ASSERT_TRUE(pf.setValue("A", "K", "1b"));      // rewrites A's own k
    const ProfileFile fresh = ProfileFile::fromBytes(pf.toBytes());
    for (const ProfileFile* f : {static_cast<const ProfileFile*>(&pf), &fresh}) {
        EXPECT_EQ(f->value("A", "k"), "1b");
        EXPECT_EQ(f->value("A", "m"), "a-new");
        EXPECT_EQ(f->value("B", "k"), "2");
        EXPECT_EQ(f->value("b", "N"), "b-new");
        EXPECT_EQ(f->value("C", "x"), "c");
        EXPECT_EQ(f->value("C", "y"), "c2");
    }
    EXPECT_EQ(pf.toBytes(), "[A]\nK=1b\nm=a-new\n\n[B]\nk=2\nn=b-new\n[a]\nk=late\n[C]\nx=c\nY=c2\n");
}
