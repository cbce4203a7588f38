#include "spreadsheet/xlsx_reader.h"

#include <unzip.h>

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QXmlStreamReader>

#include <optional>

namespace quelmar::spreadsheet {

namespace {

constexpr qint64 kMaxEntryBytes = qint64(1) << 30;

class ZipArchive {
public:
    explicit ZipArchive(const QString &path) : zip_(unzOpen64(QFile::encodeName(path).constData()))
    {}
    ~ZipArchive()
    {
        if (zip_)
            unzClose(zip_);
    }
    ZipArchive(const ZipArchive &) = delete;
    ZipArchive &operator=(const ZipArchive &) = delete;

    bool isOpen() const { return zip_ != nullptr; }
    bool has(const char *name) const { return unzLocateFile(zip_, name, 1) == UNZ_OK; }

    // An entry's bytes; nothing when missing or damaged.
    std::optional<QByteArray> entry(const QByteArray &name) const
    {
        if (unzLocateFile(zip_, name.constData(), 1) != UNZ_OK)
            return std::nullopt;
        unz_file_info64 info{};
        if (unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK ||
            qint64(info.uncompressed_size) > kMaxEntryBytes || unzOpenCurrentFile(zip_) != UNZ_OK)
            return std::nullopt;
        QByteArray bytes(qsizetype(info.uncompressed_size), Qt::Uninitialized);
        qsizetype got = 0;
        int n = 0;
        while (got < bytes.size() &&
               (n = unzReadCurrentFile(
                    zip_, bytes.data() + got,
                    unsigned(std::min<qsizetype>(bytes.size() - got, 1 << 20)))) > 0)
            got += n;
        // Closing checks the CRC once everything was read.
        const bool whole = got == bytes.size() && n >= 0 && unzCloseCurrentFile(zip_) == UNZ_OK;
        if (!whole)
            return std::nullopt;
        return bytes;
    }

private:
    unzFile zip_ = nullptr;
};

ReadResult failure(FileStatus status, const QString &detail)
{
    return {status, detail, {}};
}

struct SheetRef {
    QString name;
    QString relationId;
};

QStringView attr(const QXmlStreamReader &xml, const char *name)
{
    for (const QXmlStreamAttribute &a : xml.attributes())
        if (a.name() == QLatin1StringView(name))
            return a.value();
    return {};
}

// Text of the current element's <t> children, leaving out phonetic runs; `rich` set when
// the text comes in formatted runs.
QString stringItem(QXmlStreamReader &xml, bool *rich)
{
    QString text;
    const QString end = xml.name().toString();
    int phonetic = 0;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"rPh")
                ++phonetic;
            else if (xml.name() == u"r")
                *rich = true;
            else if (xml.name() == u"t" && phonetic == 0)
                text += xml.readElementText(QXmlStreamReader::IncludeChildElements);
        } else if (token == QXmlStreamReader::EndElement) {
            if (xml.name() == u"rPh")
                --phonetic;
            else if (xml.name() == end)
                break;
        }
    }
    return unescapeOoxml(text);
}

struct Styles {
    std::vector<bool> plain; // per cell format
    bool isPlain(int index) const
    {
        return index == 0 ? plain.empty() || plain[0]
                          : index > 0 && std::size_t(index) < plain.size() && plain[index];
    }
};

Styles readStyles(const QByteArray &bytes)
{
    Styles styles;
    QXmlStreamReader xml(bytes);
    bool inCellXfs = false;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (xml.name() == u"cellXfs")
                inCellXfs = true;
            else if (inCellXfs && xml.name() == u"xf")
                styles.plain.push_back(attr(xml, "fontId").toInt() == 0 &&
                                       attr(xml, "fillId").toInt() == 0 &&
                                       attr(xml, "borderId").toInt() == 0);
        } else if (token == QXmlStreamReader::EndElement && xml.name() == u"cellXfs") {
            inCellXfs = false;
        }
    }
    return styles;
}

// "AB12" as a 0-based column and row; -1 where a part is missing.
std::pair<int, int> cellPosition(QStringView ref)
{
    int column = 0;
    qsizetype i = 0;
    for (; i < ref.size() && ref[i].isLetter(); ++i)
        column = column * 26 + (ref[i].toUpper().unicode() - 'A' + 1);
    bool ok = false;
    const int row = ref.mid(i).toInt(&ok);
    return {i > 0 ? column - 1 : -1, ok ? row - 1 : -1};
}

const char *foreignSheetElement(QStringView name)
{
    if (name == u"mergeCells")
        return "merged cells";
    if (name == u"hyperlinks")
        return "a hyperlink";
    if (name == u"conditionalFormatting")
        return "conditional formatting";
    if (name == u"dataValidations")
        return "data validation";
    if (name == u"drawing" || name == u"legacyDrawing" || name == u"oleObjects" ||
        name == u"controls")
        return "a drawing, note or object";
    if (name == u"tableParts")
        return "a table";
    return nullptr;
}

ReadResult readSheet(const QByteArray &bytes, const QString &name,
                     const std::vector<QString> &strings, const std::vector<bool> &richStrings,
                     const Styles &styles)
{
    Sheet sheet{name, {}};
    QXmlStreamReader xml(bytes);
    int row = -1;
    int column = -1;
    const auto foreign = [&](const QString &what) {
        return failure(FileStatus::Foreign, QStringLiteral("sheet %1 holds %2").arg(name, what));
    };
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QStringView element = xml.name();
        if (const char *what = foreignSheetElement(element))
            return foreign(QLatin1String(what));
        if (element == u"row") {
            bool ok = false;
            const int r = attr(xml, "r").toInt(&ok);
            row = ok ? r - 1 : row + 1;
            column = -1;
            continue;
        }
        if (element != u"c")
            continue;
        const auto [c, r] = cellPosition(attr(xml, "r"));
        column = c >= 0 ? c : column + 1;
        if (r >= 0)
            row = r;
        if (row < 0 || row >= 1048576 || column < 0 || column >= 16384)
            return failure(FileStatus::Unreadable, QStringLiteral("a cell outside the sheet"));
        const QString type = attr(xml, "t").toString();
        const QStringView style = attr(xml, "s");
        if (!styles.isPlain(style.isEmpty() ? 0 : style.toInt()))
            return foreign(QStringLiteral("formatted cells"));
        QString text;
        bool hasValue = false;
        while (!xml.atEnd()) {
            const auto token = xml.readNext();
            if (token == QXmlStreamReader::EndElement && xml.name() == u"c")
                break;
            if (token != QXmlStreamReader::StartElement)
                continue;
            if (xml.name() == u"f")
                return foreign(QStringLiteral("a formula"));
            if (xml.name() == u"v") {
                hasValue = true;
                text = xml.readElementText();
            } else if (xml.name() == u"is") {
                bool rich = false;
                hasValue = true;
                text = stringItem(xml, &rich);
                if (rich)
                    return foreign(QStringLiteral("rich text"));
            }
        }
        if (!hasValue)
            continue; // an empty cell
        if (type == u"s") {
            bool ok = false;
            const int index = text.toInt(&ok);
            if (!ok || index < 0 || std::size_t(index) >= strings.size())
                return failure(FileStatus::Unreadable, QStringLiteral("a missing shared string"));
            if (richStrings[std::size_t(index)])
                return foreign(QStringLiteral("rich text"));
            text = strings[std::size_t(index)];
        } else if (type != u"inlineStr") {
            return foreign(QStringLiteral("a number, date, logical value or error"));
        }
        if (std::size_t(row) >= sheet.rows.size())
            sheet.rows.resize(std::size_t(row) + 1);
        QStringList &cells = sheet.rows[std::size_t(row)];
        while (cells.size() <= column)
            cells.push_back(QString());
        cells[column] = text;
    }
    if (xml.hasError())
        return failure(FileStatus::Unreadable, xml.errorString());
    for (QStringList &cells : sheet.rows)
        while (!cells.isEmpty() && cells.constLast().isEmpty())
            cells.removeLast();
    ReadResult result;
    result.sheets.push_back(std::move(sheet));
    return result;
}

} // namespace

QString unescapeOoxml(const QString &text)
{
    if (!text.contains(QLatin1String("_x")))
        return text;
    static const QRegularExpression escape(QStringLiteral("_x([0-9A-Fa-f]{4})_"));
    QString out;
    qsizetype last = 0;
    for (auto it = escape.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        out += QStringView(text).mid(last, m.capturedStart() - last);
        out += QChar(char16_t(m.capturedView(1).toUShort(nullptr, 16)));
        last = m.capturedEnd();
    }
    out += QStringView(text).mid(last);
    return out;
}

ReadResult readXlsx(const QString &path)
{
    const ZipArchive zip(path);
    if (!zip.isOpen())
        return failure(FileStatus::Unreadable, QStringLiteral("not a ZIP archive"));
    const std::optional<QByteArray> workbook = zip.entry("xl/workbook.xml");
    const std::optional<QByteArray> rels = zip.entry("xl/_rels/workbook.xml.rels");
    if (!workbook || !rels)
        return failure(FileStatus::Unreadable, QStringLiteral("no workbook part"));
    if (zip.has("xl/vbaProject.bin"))
        return failure(FileStatus::Foreign, QStringLiteral("it holds macros"));

    std::vector<SheetRef> refs;
    QXmlStreamReader xml(*workbook);
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == u"sheet")
            refs.push_back({attr(xml, "name").toString(), attr(xml, "id").toString()});
        else if (xml.name() == u"definedName")
            return failure(FileStatus::Foreign, QStringLiteral("it holds a defined name"));
    }
    if (xml.hasError())
        return failure(FileStatus::Unreadable, xml.errorString());

    QHash<QString, std::pair<QString, QString>> targets; // id: type, target
    xml.clear();
    xml.addData(*rels);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"Relationship")
            targets.insert(attr(xml, "Id").toString(),
                           {attr(xml, "Type").toString(), attr(xml, "Target").toString()});
    }

    std::vector<QString> strings;
    std::vector<bool> rich;
    if (const std::optional<QByteArray> sst = zip.entry("xl/sharedStrings.xml")) {
        QXmlStreamReader s(*sst);
        while (!s.atEnd()) {
            if (s.readNext() == QXmlStreamReader::StartElement && s.name() == u"si") {
                bool r = false;
                strings.push_back(stringItem(s, &r));
                rich.push_back(r);
            }
        }
        if (s.hasError())
            return failure(FileStatus::Unreadable, s.errorString());
    }
    const std::optional<QByteArray> stylesXml = zip.entry("xl/styles.xml");
    const Styles styles = stylesXml ? readStyles(*stylesXml) : Styles{};

    ReadResult result;
    for (const SheetRef &ref : refs) {
        const auto target = targets.constFind(ref.relationId);
        if (target == targets.constEnd())
            return failure(FileStatus::Unreadable,
                           QStringLiteral("sheet %1 missing").arg(ref.name));
        if (!target->first.endsWith(QLatin1String("/worksheet")))
            return failure(FileStatus::Foreign, QStringLiteral("it holds a chart or dialog sheet"));
        QString part = target->second;
        part = part.startsWith(u'/') ? part.mid(1) : QStringLiteral("xl/") + part;
        const std::optional<QByteArray> bytes = zip.entry(part.toUtf8());
        if (!bytes)
            return failure(FileStatus::Unreadable,
                           QStringLiteral("sheet %1 missing").arg(ref.name));
        ReadResult one = readSheet(*bytes, ref.name, strings, rich, styles);
        if (one.status != FileStatus::Ok)
            return one;
        result.sheets.push_back(std::move(one.sheets.front()));
    }
    return result;
}

} // namespace quelmar::spreadsheet
