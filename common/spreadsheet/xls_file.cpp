#include "spreadsheet/xls_file.h"

#include "atomic_file.h"
#include "spreadsheet/biff8_writer.h"
#include "spreadsheet/gsf_handles.h"

#include <gsf/gsf-infile-msole.h>
#include <gsf/gsf-infile.h>
#include <gsf/gsf-input-stdio.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <QFile>

#include <mutex>

namespace quelmar::spreadsheet {

namespace {

void initGsf()
{
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

QString gErrorText(const GErrorPtr &error)
{
    return error ? QString::fromUtf8(error->message) : QString();
}

// The "Workbook" stream of a compound document.
std::optional<QByteArray> readWorkbookStream(const QString &path, QString *detail)
{
    initGsf();
    GError *raw = nullptr;
    GObjectPtr<GsfInput> file(gsf_input_stdio_new(QFile::encodeName(path).constData(), &raw));
    GErrorPtr error(raw);
    if (!file) {
        *detail = gErrorText(error);
        return std::nullopt;
    }
    raw = nullptr;
    GObjectPtr<GsfInfile> ole(gsf_infile_msole_new(file.get(), &raw));
    error.reset(raw);
    if (!ole) {
        *detail = QStringLiteral("not a compound document: ") + gErrorText(error);
        return std::nullopt;
    }
    GObjectPtr<GsfInput> stream(gsf_infile_child_by_name(ole.get(), "Workbook"));
    if (!stream) {
        *detail = QStringLiteral("no BIFF8 Workbook stream");
        return std::nullopt;
    }
    const gsf_off_t size = gsf_input_size(stream.get());
    if (size < 0 || size > (gsf_off_t(1) << 30)) {
        *detail = QStringLiteral("Workbook stream of %1 bytes").arg(qint64(size));
        return std::nullopt;
    }
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    if (size > 0 &&
        !gsf_input_read(stream.get(), size_t(size), reinterpret_cast<guint8 *>(bytes.data()))) {
        *detail = QStringLiteral("Workbook stream cut short");
        return std::nullopt;
    }
    return bytes;
}

} // namespace

std::optional<QByteArray> compoundDocument(const QByteArray &workbookStream, QString *detail)
{
    initGsf();
    GObjectPtr<GsfOutput> memory(gsf_output_memory_new());
    GObjectPtr<GsfOutfile> ole(gsf_outfile_msole_new(memory.get()));
    if (!ole) {
        *detail = QStringLiteral("no compound document");
        return std::nullopt;
    }
    bool ok = false;
    {
        GObjectPtr<GsfOutput> child(gsf_outfile_new_child(ole.get(), "Workbook", FALSE));
        ok = child &&
             gsf_output_write(child.get(), size_t(workbookStream.size()),
                              reinterpret_cast<const guint8 *>(workbookStream.constData())) &&
             gsf_output_close(child.get());
    }
    ok = gsf_output_close(GSF_OUTPUT(ole.get())) && ok;
    if (!ok) {
        *detail = QStringLiteral("the compound document could not be completed");
        return std::nullopt;
    }
    const gsf_off_t size = gsf_output_size(memory.get());
    const guint8 *bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(memory.get()));
    return QByteArray(reinterpret_cast<const char *>(bytes), qsizetype(size));
}

ReadResult XlsFile::read(const QString &path) const
{
    QString detail;
    const std::optional<QByteArray> stream = readWorkbookStream(path, &detail);
    if (!stream)
        return {FileStatus::Unreadable, detail, {}};
    StreamCheck check = checkWorkbookStream(*stream);
    if (check.status != FileStatus::Ok)
        return {check.status, check.detail, {}};
    return readWorkbookCells(*stream);
}

FileStatus XlsFile::write(const QString &path, const std::vector<Sheet> &sheets,
                          QString *detail) const
{
    QString why;
    QByteArray stream = buildWorkbookStream(sheets);
    // Trailing zeros after the last record are ignored by readers; old Excel builds are said
    // to prefer a stream of at least 4096 bytes in regular sectors.
    if (stream.size() < 4096)
        stream.append(4096 - stream.size(), '\0');
    const std::optional<QByteArray> file = compoundDocument(stream, &why);
    if (!file || !replaceFile(path, *file, &why)) {
        if (detail)
            *detail = why;
        return FileStatus::WriteFailed;
    }
    return FileStatus::Ok;
}

} // namespace quelmar::spreadsheet
