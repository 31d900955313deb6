#include "runtime/record.h"

#include <cstring>

namespace rt {


int TableDef::fieldIndex(std::string_view name) const
{
    std::string_view n = clipView(name);
    std::size_t colon = n.find(':');
    if (colon != std::string_view::npos) {
        if (!equalNoCase(n.substr(0, colon), prefix))
            return -1;
        n = n.substr(colon + 1);
    }
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (equalNoCase(fields[i].name, n))
            return static_cast<int>(i);
    return -1;
}

const KeyDef *TableDef::key(std::string_view name) const
{
    std::string_view n = clipView(name);
    std::size_t colon = n.find(':');
    if (colon != std::string_view::npos)
        n = n.substr(colon + 1);
    for (const KeyDef &k : keys)
        if (equalNoCase(k.name, n))
            return &k;
    return nullptr;
}

int TableDef::keyIndex(const KeyDef *k) const
{
    for (std::size_t i = 0; i < keys.size(); ++i)
        if (&keys[i] == k)
            return static_cast<int>(i);
    return -1;
}

const KeyDef *TableDef::autoNumberKey() const
{
    for (const KeyDef &k : keys)
        if (k.autoNumber)
            return &k;
    return nullptr;
}

std::string fieldText(const FieldDef &f, const void *record)
{
    const auto *p = static_cast<const unsigned char *>(record) + f.offset;
    if (f.kind == FieldKind::STRING)
        return clip(std::string_view(reinterpret_cast<const char *>(p), f.size));
    if (f.kind == FieldKind::DEC) {
        std::int64_t u = unpackDecimal(p, f.size);
        if (f.places == 0)
            return std::to_string(u);
        bool neg = u < 0;
        std::uint64_t a = static_cast<std::uint64_t>(neg ? -u : u);
        std::uint64_t scale = static_cast<std::uint64_t>(pow10i(f.places));
        std::string frac = std::to_string(a % scale);
        frac = std::string(f.places - frac.size(), '0') + frac;
        return (neg ? "-" : "") + std::to_string(a / scale) + "." + frac;
    }
    return std::to_string(fieldNumber(f, record));
}

std::int64_t fieldNumber(const FieldDef &f, const void *record)
{
    const auto *p = static_cast<const unsigned char *>(record) + f.offset;
    switch (f.kind) {
    case FieldKind::BYTE:
        return *p;
    case FieldKind::LONG: {
        Long l;
        std::memcpy(l.b, p, 4);
        return l.get();
    }
    case FieldKind::DEC:
        return unpackDecimal(p, f.size);
    case FieldKind::STRING: {
        std::int64_t u = 0;
        parseDecimal(std::string_view(reinterpret_cast<const char *>(p), f.size), 0, u);
        return u;
    }
    }
    return 0;
}

bool setFieldNumber(const FieldDef &f, void *record, std::int64_t units)
{
    auto *p = static_cast<unsigned char *>(record) + f.offset;
    switch (f.kind) {
    case FieldKind::BYTE:
        if (units < 0 || units > 255)
            return false;
        *p = static_cast<unsigned char>(units);
        return true;
    case FieldKind::LONG: {
        if (units < INT32_MIN || units > INT32_MAX)
            return false;
        Long l(static_cast<std::int32_t>(units));
        std::memcpy(p, l.b, 4);
        return true;
    }
    case FieldKind::DEC:
        return packDecimal(p, f.size, f.digits, units);
    case FieldKind::STRING:
        return setFieldText(f, record, std::to_string(units));
    }
    return false;
}

bool setFieldText(const FieldDef &f, void *record, std::string_view text)
{
    auto *p = static_cast<unsigned char *>(record) + f.offset;
    if (f.kind == FieldKind::STRING) {
        std::string_view cut = cutUtf8(text, f.size);
        std::memcpy(p, cut.data(), cut.size());
        std::memset(p + cut.size(), ' ', f.size - cut.size());
        return true;
    }
    std::int64_t units = 0;
    if (!parseDecimal(text, f.kind == FieldKind::DEC ? f.places : 0, units))
        return false;
    return setFieldNumber(f, record, units);
}

void clearField(const FieldDef &f, void *record)
{
    auto *p = static_cast<unsigned char *>(record) + f.offset;
    if (f.kind == FieldKind::STRING)
        std::memset(p, ' ', f.size);
    else if (f.kind == FieldKind::DEC)
        packDecimal(p, f.size, f.digits, 0);
    else
        std::memset(p, 0, f.size);
}

void clearRecord(const TableDef &t, void *record)
{
    for (const FieldDef &f : t.fields)
        clearField(f, record);
}

}  // namespace rt
