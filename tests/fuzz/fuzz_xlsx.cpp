// .xlsx workbooks: a zip of XML parts read through minizip and the XML stream reader.
#include "fuzz_support.h"
#include "spreadsheet/xlsx_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace quelmar::spreadsheet;
    const QString path = quelmar::fuzz::scratchFile(QStringLiteral("sheet.xlsx"), data, size);
    const ReadResult result = readXlsx(path);
    if (result.status != FileStatus::Ok && !result.sheets.empty())
        quelmar::fuzz::finding("a refused workbook still gave sheets");
    unescapeOoxml(QString::fromUtf8(quelmar::fuzz::bytesOf(data, size)));
    return 0;
}
