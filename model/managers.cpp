#include "model/managers.h"

#include "model/dictionary.h"
#include "runtime/message.h"

rt::ErrorManager GlobalErrors;

namespace Access {
#define DICT_DEFINE_ACCESS(T) rt::FileManager *T = nullptr;
DICT_MANAGED_TYPES(DICT_DEFINE_ACCESS)
#undef DICT_DEFINE_ACCESS
}  // namespace Access

namespace Relate {
#define DICT_DEFINE_RELATE(T) rt::RelationManager *T = nullptr;
DICT_MANAGED_TYPES(DICT_DEFINE_RELATE)
#undef DICT_DEFINE_RELATE
}  // namespace Relate

namespace {
bool haltCleanupAdded = false;
}

bool managedBy(DictionarySet set, const rt::RecordFile &file)
{
    if (set == DictionarySet::Professional)
        return true;
    for (const rt::RecordFile *f : {&::ClientSystemFile, &::Location, &::MasterInventory, &::Type, &::BoxNumber,
                                    &::Category})
        if (f == &file)
            return true;
    return false;
}

void DictionaryInit(DictionarySet set)
{
    if (Access::Category)
        return;
    // The record files live in globals named like the managers' namespaces' members.
#define DICT_INIT(T)                                            \
    if (managedBy(set, ::T)) {                                  \
        Access::T = new rt::FileManager(::T, GlobalErrors);     \
        Relate::T = new rt::RelationManager(*Access::T);        \
    }
    DICT_MANAGED_TYPES(DICT_INIT)
#undef DICT_INIT
    for (const dict::Relation &r : dict::relations()) {
        rt::RelationManager *parent = r.parent == &dict::CategoryDef ? Relate::Category : Relate::Location;
        rt::RelationManager *child = r.child == &dict::TypeDef ? Relate::Type : Relate::BoxNumber;
        parent->addChild(*child, r.parentField, r.childField);
    }
    if (!haltCleanupAdded) {
        haltCleanupAdded = true;
        // A fatal halt closes every record file before the process ends.
        rt::addHaltCleanup([] {
            for (rt::RecordFile *f : dict::allFiles())
                if (f->isOpen())
                    f->close();
        });
    }
}

void DictionaryKill()
{
#define DICT_KILL(T)          \
    delete Relate::T;         \
    Relate::T = nullptr;      \
    delete Access::T;         \
    Access::T = nullptr;
    DICT_MANAGED_TYPES(DICT_KILL)
#undef DICT_KILL
    for (rt::RecordFile *f : dict::allFiles())
        if (f->isOpen())
            f->close();
    if (ImportASCIITab.isOpen())
        ImportASCIITab.close();
}
