// Walking the records of a BIFF8 "Workbook" stream, shared by the content check and the cell
// reader. Everything here reads only inside the stream it is given.
#pragma once

#include <QByteArray>
#include <QString>
#include <QtEndian>

#include <optional>
#include <vector>

namespace quelmar::spreadsheet::biff {

inline quint16 u16(const char *p)
{
    return qFromLittleEndian<quint16>(p);
}
inline quint32 u32(const char *p)
{
    return qFromLittleEndian<quint32>(p);
}

struct Record {
    quint16 type = 0;
    const char *data = nullptr;
    int size = 0;
};

// The records from a position on. Stops at the end of the stream, at the zero padding after
// the last record, or at a record that runs past the end (damaged() then tells).
class RecordReader {
public:
    RecordReader(const QByteArray &stream, qsizetype from) : stream_(stream), pos_(from) {}

    std::optional<Record> next()
    {
        if (pos_ < 0 || pos_ + 4 > stream_.size())
            return std::nullopt;
        const char *const at = stream_.constData() + pos_;
        const Record r{u16(at), at + 4, u16(at + 2)};
        if (pos_ + 4 + r.size > stream_.size()) {
            damaged_ = true;
            return std::nullopt;
        }
        if (r.type == 0 && r.size == 0)
            return std::nullopt;
        pos_ += 4 + r.size;
        return r;
    }
    bool damaged() const { return damaged_; }
    // Where the next record starts.
    qsizetype position() const { return pos_; }

private:
    const QByteArray &stream_;
    qsizetype pos_;
    bool damaged_ = false;
};

enum class SstContent { Plain, RichText, Damaged };

struct SharedStringTable {
    SstContent content = SstContent::Plain;
    std::vector<QString> strings; // empty when only checked
};

// More shared strings than a workbook may ever refer to within the reader's budget.
constexpr quint32 kMaxSharedStrings = 65536 * 32;

// The shared strings of an SST record and its CONTINUE records, or with `keep` false only
// their check. Rich text stops the reading (a rewrite as plain cells would drop its runs), and
// so does a table that does not hold the strings it counts or counts more than
// kMaxSharedStrings.
SharedStringTable readSharedStrings(const std::vector<Record> &parts, bool keep);

} // namespace quelmar::spreadsheet::biff
