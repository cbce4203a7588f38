// Real FTP clients against the server on 127.0.0.1: curl and Python's ftplib in every data
// connection mode, with transfers checked byte for byte by hash.
#include "ftp_test_support.h"
#include "temp_home.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace quelmar::test {
namespace {

const QString kCurl = QStringLiteral("/usr/bin/curl");
const QString kPython = QStringLiteral("/usr/bin/python3");

struct CurlMode {
    const char *name;
    QStringList options;
    friend void PrintTo(const CurlMode &mode, std::ostream *os) { *os << mode.name; }
};

class FtpCurl : public ::testing::TestWithParam<CurlMode> {
protected:
    void SetUp() override
    {
        if (!QFileInfo(kCurl).isExecutable())
            GTEST_SKIP() << "curl is not installed";
    }
    ClientRun curl(const QStringList &arguments)
    {
        return runClient(kCurl,
                         QStringList{"-sS", "--max-time", "50"} + GetParam().options + arguments);
    }
};

TEST_P(FtpCurl, StoresRetrievesAndLists)
{
    FtpSite site;
    const QByteArray payload = patternBytes(3 * 1024 * 1024 + 7, 3);
    const QString source = site.tmp.filePath("upload.bin");
    ASSERT_TRUE(writeAll(source, payload));

    const ClientRun stored = curl({"-T", source, site.url("sub/")});
    // curl creates no directories unless asked; the upload goes to an existing one.
    EXPECT_NE(stored.exitCode, 0);
    QDir().mkpath(site.served("sub"));
    ASSERT_EQ(curl({"-T", source, site.url("sub/")}).exitCode, 0);
    EXPECT_EQ(sha256Hex(readAll(site.served("sub/upload.bin"))), sha256Hex(payload));

    // Plain curl asks SIZE first and gives up the download when it fails.
    const ClientRun fetched = curl({site.url("sub/upload.bin")});
    EXPECT_EQ(fetched.exitCode, 0) << fetched.err.toStdString();
    EXPECT_EQ(sha256Hex(fetched.out), sha256Hex(payload));

    // curl turns the listing's CRLF into LF, as in any text transfer.
    const ClientRun listed = curl({site.url("sub/")});
    EXPECT_EQ(listed.exitCode, 0);
    static const QRegularExpression line(
        QStringLiteral("^total 1\\r?\\n-rw-r--r-- +1 +\\S+ +\\S+ +3145735 [A-Z][a-z]{2} \\d\\d "
                       "\\d\\d:\\d\\d upload\\.bin\\n$"));
    EXPECT_TRUE(line.match(QString::fromUtf8(listed.out)).hasMatch())
        << listed.out.toHex().toStdString();
    const ClientRun names = curl({"--list-only", site.url("sub/")});
    EXPECT_EQ(names.exitCode, 0);
    EXPECT_EQ(names.out, listed.out);
}

TEST_P(FtpCurl, QuoteCommandsChangeTheTree)
{
    FtpSite site;
    writeAll(site.served("old.txt"), "old");
    writeAll(site.served("gone.txt"), "gone");
    const ClientRun run = curl({"--list-only", "-Q", "MKD made/deeper", "-Q", "RNFR old.txt", "-Q",
                                "RNTO made/new.txt", "-Q", "DELE gone.txt", site.url()});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(QFileInfo(site.served("made/deeper")).isDir());
    EXPECT_EQ(readAll(site.served("made/new.txt")), "old");
    EXPECT_FALSE(QFileInfo::exists(site.served("old.txt")));
    EXPECT_FALSE(QFileInfo::exists(site.served("gone.txt")));
}

INSTANTIATE_TEST_SUITE_P(Modes, FtpCurl,
                         ::testing::Values(CurlMode{"Epsv", {"--ftp-pasv"}},
                                           CurlMode{"Pasv", {"--ftp-pasv", "--disable-epsv"}},
                                           CurlMode{"Eprt", {"--ftp-port", "127.0.0.1"}},
                                           CurlMode{"Port",
                                                    {"--ftp-port", "127.0.0.1", "--disable-eprt"}}),
                         [](const auto &info) { return std::string(info.param.name); });

// Logs in, stores a file, fetches it back and lists the directory in one data-connection
// mode; prints the fetched bytes' hash and how many listing lines name the file.
constexpr char kFtplibScript[] = R"(
import ftplib, hashlib, socket, sys
port, mode, source, name = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4]
ftp = ftplib.FTP()
ftp.connect('127.0.0.1', port, timeout=30)
ftp.login('x', 'y')
ftp.set_pasv(mode in ('PASV', 'EPSV'))
if mode == 'EPSV':
    ftp.af = socket.AF_INET6  # ftplib asks for EPSV only outside IPv4
if mode == 'EPRT':
    ftp.sendport = ftp.sendeprt
with open(source, 'rb') as f:
    ftp.storbinary('STOR ' + name, f)
chunks = []
ftp.retrbinary('RETR ' + name, chunks.append)
lines = []
ftp.retrlines('LIST', lines.append)
ftp.quit()
print(hashlib.sha256(b''.join(chunks)).hexdigest())
print(sum(1 for line in lines if line.endswith(' ' + name)))
)";

class FtpFtplib : public ::testing::TestWithParam<const char *> {};

TEST_P(FtpFtplib, StoresRetrievesAndLists)
{
    if (!QFileInfo(kPython).isExecutable())
        GTEST_SKIP() << "python3 is not installed";
    FtpSite site;
    const QByteArray payload = patternBytes(1024 * 1024 + 3, 4);
    const QString source = site.tmp.filePath("payload.bin");
    ASSERT_TRUE(writeAll(source, payload));

    const ClientRun run = runClient(kPython, {"-c", kFtplibScript, QString::number(site.port()),
                                              GetParam(), source, "stored file.bin"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, sha256Hex(payload) + "\n1\n");
    EXPECT_EQ(readAll(site.served("stored file.bin")), payload);
}

INSTANTIATE_TEST_SUITE_P(Modes, FtpFtplib, ::testing::Values("PASV", "EPSV", "PORT", "EPRT"));

} // namespace
} // namespace quelmar::test
