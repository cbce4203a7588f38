// .xls workbooks: the record check and the cell reader on the raw bytes taken as a workbook
// stream, and the whole reader (compound document, record check, cells) on the file.
#include "fuzz_support.h"
#include "spreadsheet/xls_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quelmar::spreadsheet;
    const QByteArray stream = quelmar::fuzz::bytesOf(data, size);
    checkWorkbookStream(stream);
    if (const ReadResult cells = readWorkbookCells(stream);
        cells.status != FileStatus::Ok && !cells.sheets.empty())
        quelmar::fuzz::finding("a refused stream still gave sheets");
    const QString path = quelmar::fuzz::scratchFile(QStringLiteral("sheet.xls"), data, size);
    const ReadResult result = XlsFile().read(path);
    if (result.status != FileStatus::Ok && !result.sheets.empty())
        quelmar::fuzz::finding("a refused workbook still gave sheets");
    return 0;
}
