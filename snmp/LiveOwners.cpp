#include "snmp/LiveOwners.h"

#include <set>

namespace {

std::set<const void*>& Owners()
{
    static std::set<const void*> owners;
    return owners;
}

} // namespace

std::mutex& CLiveOwners::Mutex()
{
    static std::mutex mutex;
    return mutex;
}

void CLiveOwners::Add(const void* pOwner)
{
    std::lock_guard lock(Mutex());
    Owners().insert(pOwner);
}

void CLiveOwners::Remove(const void* pOwner)
{
    std::lock_guard lock(Mutex());
    Owners().erase(pOwner);
}

bool CLiveOwners::Contains(const void* pOwner)
{
    return Owners().count(pOwner) != 0;
}
