// .xls workbooks: the record check on the raw bytes taken as a workbook stream, and the whole
// reader (compound document, record check, freexl) on the file.
#include "fuzz_support.h"
#include "spreadsheet/xls_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quelmar::spreadsheet;
    checkWorkbookStream(quelmar::fuzz::bytesOf(data, size));
    const QString path = quelmar::fuzz::scratchFile(QStringLiteral("sheet.xls"), data, size);
    const ReadResult result = XlsFile().read(path);
    if (result.status != FileStatus::Ok && !result.sheets.empty())
        quelmar::fuzz::finding("a refused workbook still gave sheets");
    return 0;
}
