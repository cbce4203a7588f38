// FTP path names: the first line is the session's directory, the second the name a command
// gives. Whatever they say, the result stays below the served directory, and what it opens
// is there too, links to the outside notwithstanding.
#include "ftp/ftp_paths.h"
#include "fuzz_support.h"

#include <QDir>
#include <QFile>

#include <fcntl.h>

namespace {

// a/b, a file, a link out of the tree and one back into it.
const quelmar::viewer::FtpRoot &servedTree()
{
    static const quelmar::viewer::FtpRoot root = [] {
        const QString base = quelmar::fuzz::scratchDir().filePath(QStringLiteral("served"));
        QDir().mkpath(base + QStringLiteral("/a/b"));
        QFile file(base + QStringLiteral("/a/still.jpg"));
        if (!file.open(QIODevice::WriteOnly))
            std::abort();
        QFile::link(QStringLiteral("/etc"), base + QStringLiteral("/a/out"));
        QFile::link(QStringLiteral(".."), base + QStringLiteral("/a/b/up"));
        return quelmar::viewer::FtpRoot(base);
    }();
    return root;
}

bool isRelativePath(const QString &relative)
{
    if (relative.isEmpty())
        return true;
    for (const QString &part : relative.split(u'/')) {
        if (part.isEmpty() || part == u"." || part == u"..")
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const quelmar::viewer::FtpRoot &root = servedTree();
    if (!root.isValid())
        quelmar::fuzz::finding("the served tree did not open");
    const QList<QByteArray> lines = quelmar::fuzz::bytesOf(data, size).split('\n');
    const QString current = QString::fromUtf8(lines.value(0));
    const QString name = QString::fromUtf8(lines.value(1));
    for (bool changeRoot : {true, false}) {
        const auto directory = root.resolve(QString(), current, changeRoot);
        const auto relative = root.resolve(directory.value_or(QString()), name, changeRoot);
        if (!relative)
            continue;
        if (!isRelativePath(*relative))
            quelmar::fuzz::finding("a resolved path is not a plain relative path");
        root.visiblePath(*relative, changeRoot);
        const quelmar::UniqueFd fd = root.open(*relative, O_RDONLY);
        if (fd && !root.relativeOf(fd.get()))
            quelmar::fuzz::finding("a name opened something outside the served directory");
        root.openParent(*relative);
    }
    return 0;
}
