#include "library/printer.h"

#include <QPrinter>
#include <QPrinterInfo>

namespace quelmar::station {

std::unique_ptr<QPrinter> DefaultPrinter::open(const QString &documentName)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return nullptr;
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    // Qt turns a printer it cannot use into PDF output without a file: that is no printer.
    if (!printer->isValid() || printer->outputFormat() != QPrinter::NativeFormat)
        return nullptr;
    printer->setDocName(documentName);
    printer->setPrintRange(QPrinter::AllPages);
    return printer;
}

} // namespace quelmar::station
