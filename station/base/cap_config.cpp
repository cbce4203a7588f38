#include "base/cap_config.h"

#include <atomic_file.h>

#include <QFile>
#include <QtEndian>

namespace quelmar::station {

namespace {

template <typename T> void put(std::uint8_t *&p, T v)
{
    qToLittleEndian(v, p);
    p += sizeof(T);
}

template <typename T> T take(const std::uint8_t *&p)
{
    const T v = qFromLittleEndian<T>(p);
    p += sizeof(T);
    return v;
}

} // namespace

std::array<std::uint8_t, CapConfig::kByteSize> CapConfig::toBytes() const
{
    std::array<std::uint8_t, kByteSize> out{};
    std::uint8_t *p = out.data();
    for (const auto v : source)
        put(p, v);
    for (const auto v : target)
        put(p, v);
    put(p, bitRate);
    put(p, bitErrorRate);
    put(p, avgTimePerFrame);
    put(p, bmi.size);
    put(p, bmi.width);
    put(p, bmi.height);
    put(p, bmi.planes);
    put(p, bmi.bitCount);
    put(p, bmi.compression);
    put(p, bmi.sizeImage);
    put(p, bmi.xPelsPerMeter);
    put(p, bmi.yPelsPerMeter);
    put(p, bmi.clrUsed);
    put(p, bmi.clrImportant);
    return out;
}

CapConfig CapConfig::fromBytes(const std::uint8_t *p)
{
    CapConfig c;
    for (auto &v : c.source)
        v = take<std::int32_t>(p);
    for (auto &v : c.target)
        v = take<std::int32_t>(p);
    c.bitRate = take<std::uint32_t>(p);
    c.bitErrorRate = take<std::uint32_t>(p);
    c.avgTimePerFrame = take<std::int64_t>(p);
    c.bmi.size = take<std::uint32_t>(p);
    c.bmi.width = take<std::int32_t>(p);
    c.bmi.height = take<std::int32_t>(p);
    c.bmi.planes = take<std::uint16_t>(p);
    c.bmi.bitCount = take<std::uint16_t>(p);
    c.bmi.compression = take<std::uint32_t>(p);
    c.bmi.sizeImage = take<std::uint32_t>(p);
    c.bmi.xPelsPerMeter = take<std::int32_t>(p);
    c.bmi.yPelsPerMeter = take<std::int32_t>(p);
    c.bmi.clrUsed = take<std::uint32_t>(p);
    c.bmi.clrImportant = take<std::uint32_t>(p);
    return c;
}

std::optional<CapConfig> readCapConfig(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = f.read(CapConfig::kByteSize);
    if (bytes.size() != CapConfig::kByteSize)
        return std::nullopt;
    return CapConfig::fromBytes(reinterpret_cast<const std::uint8_t *>(bytes.constData()));
}

bool writeCapConfig(const QString &path, const CapConfig &config)
{
    const auto bytes = config.toBytes();
    return replaceFile(path, QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

} // namespace quelmar::station
