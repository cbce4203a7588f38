#include "base/registry_store.h"

#include <atomic_file.h>

#include <QFile>
#include <QStringList>

#include <vector>

namespace quelmar::station {

namespace {

// The file reads like a registry export:
//   [SOFTWARE\kelvarEx\font]
//   "LineColor"=dword:000000ff
//   "unit"="mm"
struct Value {
    QString name;
    bool isDword = false;
    std::uint32_t dword = 0;
    QString text;
};

struct Key {
    QString path;
    std::vector<Value> values;
};

using Hive = std::vector<Key>;

QString escaped(const QString &s)
{
    QString out;
    out.reserve(s.size());
    for (const QChar c : s) {
        if (c == u'\\' || c == u'"')
            out += u'\\';
        if (c == u'\n')
            out += QStringLiteral("\\n");
        else
            out += c;
    }
    return out;
}

// Reads a quoted string starting at `pos` (on the opening quote); advances past the closing one.
std::optional<QString> unquote(const QString &line, qsizetype &pos)
{
    if (pos >= line.size() || line[pos] != u'"')
        return std::nullopt;
    QString out;
    for (++pos; pos < line.size(); ++pos) {
        const QChar c = line[pos];
        if (c == u'"') {
            ++pos;
            return out;
        }
        if (c == u'\\') {
            if (++pos >= line.size())
                return std::nullopt;
            out += line[pos] == u'n' ? QChar(u'\n') : line[pos];
        } else {
            out += c;
        }
    }
    return std::nullopt;
}

std::optional<Value> parseValue(const QString &line)
{
    qsizetype pos = 0;
    const auto name = unquote(line, pos);
    if (!name || pos >= line.size() || line[pos] != u'=')
        return std::nullopt;
    ++pos;
    Value v;
    v.name = *name;
    if (line.mid(pos).startsWith(QStringLiteral("dword:"))) {
        bool ok = false;
        const QString hex = line.mid(pos + 6).trimmed();
        v.dword = hex.size() == 8 ? hex.toUInt(&ok, 16) : 0;
        if (!ok)
            return std::nullopt;
        v.isDword = true;
        return v;
    }
    const auto text = unquote(line, pos);
    if (!text || pos != line.size())
        return std::nullopt;
    v.text = *text;
    return v;
}

Hive load(const QString &path)
{
    Hive hive;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return hive;
    // A store is a few hundred bytes; anything huge is not ours.
    if (f.size() > 1 << 20)
        return hive;
    const QStringList lines = QString::fromUtf8(f.readAll()).split(u'\n');
    Key *current = nullptr;
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']') && line.size() > 2) {
            hive.push_back({line.mid(1, line.size() - 2), {}});
            current = &hive.back();
        } else if (current) {
            if (auto v = parseValue(line))
                current->values.push_back(std::move(*v));
        }
    }
    return hive;
}

bool save(const QString &path, const Hive &hive)
{
    QString text = QStringLiteral("; ScopeDesk settings\n");
    for (const Key &k : hive) {
        text += u'[' + k.path + QStringLiteral("]\n");
        for (const Value &v : k.values) {
            text += u'"' + escaped(v.name) + QStringLiteral("\"=");
            if (v.isDword)
                text += QStringLiteral("dword:%1\n").arg(v.dword, 8, 16, QChar(u'0'));
            else
                text += u'"' + escaped(v.text) + QStringLiteral("\"\n");
        }
    }
    return replaceFile(path, text.toUtf8());
}

Key *findKey(Hive &hive, const QString &path)
{
    for (Key &k : hive)
        if (k.path.compare(path, Qt::CaseInsensitive) == 0)
            return &k;
    return nullptr;
}

const Value *findValue(const Hive &hive, const QString &path, const QString &name)
{
    for (const Key &k : hive)
        if (k.path.compare(path, Qt::CaseInsensitive) == 0)
            for (const Value &v : k.values)
                if (v.name.compare(name, Qt::CaseInsensitive) == 0)
                    return &v;
    return nullptr;
}

Value &valueSlot(Hive &hive, const QString &path, const QString &name)
{
    Key *key = findKey(hive, path);
    if (!key) {
        hive.push_back({path, {}});
        key = &hive.back();
    }
    for (Value &v : key->values)
        if (v.name.compare(name, Qt::CaseInsensitive) == 0)
            return v;
    key->values.push_back({name, false, 0, {}});
    return key->values.back();
}

} // namespace

bool RegistryStore::keyExists(const QString &keyPath) const
{
    const QString prefix = keyPath + u'\\';
    for (const Key &k : load(filePath_))
        if (k.path.compare(keyPath, Qt::CaseInsensitive) == 0 ||
            k.path.startsWith(prefix, Qt::CaseInsensitive))
            return true;
    return false;
}

bool RegistryStore::createKey(const QString &keyPath)
{
    Hive hive = load(filePath_);
    if (findKey(hive, keyPath))
        return true;
    hive.push_back({keyPath, {}});
    return save(filePath_, hive);
}

std::optional<std::uint32_t> RegistryStore::readDword(const QString &keyPath,
                                                      const QString &name) const
{
    const Hive hive = load(filePath_);
    const Value *v = findValue(hive, keyPath, name);
    if (!v || !v->isDword)
        return std::nullopt;
    return v->dword;
}

std::optional<QString> RegistryStore::readString(const QString &keyPath, const QString &name) const
{
    const Hive hive = load(filePath_);
    const Value *v = findValue(hive, keyPath, name);
    if (!v || v->isDword)
        return std::nullopt;
    return v->text;
}

bool RegistryStore::writeDword(const QString &keyPath, const QString &name, std::uint32_t value)
{
    Hive hive = load(filePath_);
    Value &v = valueSlot(hive, keyPath, name);
    v.isDword = true;
    v.dword = value;
    v.text.clear();
    return save(filePath_, hive);
}

bool RegistryStore::writeString(const QString &keyPath, const QString &name, const QString &value)
{
    Hive hive = load(filePath_);
    Value &v = valueSlot(hive, keyPath, name);
    v.isDword = false;
    v.text = value;
    return save(filePath_, hive);
}

} // namespace quelmar::station
