// Record types described as data: the field table, keys and memo of each record type, and
// generic access to a record buffer through them (storage, import, custom reports).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/values.h"

namespace rt {

enum class FieldKind : std::uint8_t { STRING, BYTE, LONG, DEC };
enum class Driver : std::uint8_t { TopSpeed, Ascii };

struct FieldDef {
    const char *name;  // without prefix, upper case ("ASSETNUMBER")
    FieldKind kind;
    std::uint16_t offset;
    std::uint16_t size;
    std::uint8_t digits;  // DEC only
    std::uint8_t places;  // DEC only
};

struct KeyPart {
    int field;
    bool descending = false;
};

struct KeyDef {
    const char *name;  // without prefix ("ASSETKEY")
    std::vector<KeyPart> parts;
    bool unique = false;
    bool autoNumber = false;
    const char *description = "";
};

struct TableDef {
    const char *label;   // "MasterInventory"
    const char *prefix;  // "MAS"
    Driver driver = Driver::TopSpeed;
    std::uint32_t recordSize = 0;
    std::vector<FieldDef> fields;
    std::vector<KeyDef> keys;
    const char *memoName = nullptr;  // without prefix ("MEMO"), or none
    std::uint32_t memoMax = 0;
    int version = 0;
    const char *diskName = "";  // bare disk name ("qormas.tps")

    // Field by "PREFIX:NAME" or "NAME", case-blind; -1 when unknown.
    int fieldIndex(std::string_view name) const;
    const KeyDef *key(std::string_view name) const;
    int keyIndex(const KeyDef *key) const;
    // Column and index names on disk: the name without prefix, lower case.
    static std::string columnName(const FieldDef &f) { return lower(f.name); }
    std::string memoColumn() const { return memoName ? lower(memoName) : std::string(); }
    std::string qualifiedName(const FieldDef &f) const { return std::string(prefix) + ":" + f.name; }
    const KeyDef *autoNumberKey() const;
};

// Generic access to the fields of a record buffer laid out by a TableDef.
std::string fieldText(const FieldDef &f, const void *record);       // strings clipped; numbers plain
std::int64_t fieldNumber(const FieldDef &f, const void *record);    // bytes, longs; decimals in units
bool setFieldText(const FieldDef &f, void *record, std::string_view text);  // false: not a number / out of range
bool setFieldNumber(const FieldDef &f, void *record, std::int64_t units);   // false: out of range
void clearField(const FieldDef &f, void *record);
void clearRecord(const TableDef &t, void *record);

}  // namespace rt

// Helpers for declaring a record struct and its field table from one list. A list is a macro
// taking X and calling X(offset, NAME, KIND, n, p) for every field, where KIND is STRING (n
// bytes), BYTE, LONG or DEC (n digits, p places).
#define RT_FIELD_TYPE_STRING(n, p) ::rt::FixedString<n>
#define RT_FIELD_TYPE_BYTE(n, p) ::rt::Byte
#define RT_FIELD_TYPE_LONG(n, p) ::rt::Long
#define RT_FIELD_TYPE_DEC(n, p) ::rt::Decimal<n, p>
#define RT_DECLARE_FIELD(off, name, kind, n, p) RT_FIELD_TYPE_##kind(n, p) name;
#define RT_FIELD_ENTRY(Struct, off, name, kind, n, p)                                                         \
    ::rt::FieldDef{#name, ::rt::FieldKind::kind, static_cast<std::uint16_t>(offsetof(Struct, name)),           \
                   static_cast<std::uint16_t>(sizeof(RT_FIELD_TYPE_##kind(n, p))), static_cast<std::uint8_t>(n), \
                   static_cast<std::uint8_t>(p)},
#define RT_CHECK_OFFSET(Struct, off, name, kind, n, p) \
    static_assert(offsetof(Struct, name) == (off), #Struct "." #name " is not at its declared offset");
