// The printer a picture goes to: the desktop's default printer (CUPS) without a print
// dialog; tests print into a PDF file through the same QPrinter.
#pragma once

#include <QString>

#include <memory>

class QPrinter;

namespace quelmar::station {

class Printer {
public:
    virtual ~Printer() = default;
    // A printer set up for one document named `documentName`, or null when there is no
    // printer to print on. Painting on it prints; the document ends with the painter.
    virtual std::unique_ptr<QPrinter> open(const QString &documentName) = 0;
};

// The default printer with its own defaults (all pages, copies and collation as the device
// has them). Without a default printer there is nothing: never a file in its place.
class DefaultPrinter final : public Printer {
public:
    std::unique_ptr<QPrinter> open(const QString &documentName) override;
};

} // namespace quelmar::station
